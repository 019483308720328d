# Turns bench/results/relay.json into the markdown table of bench/results/relay.md.

def fmt: if . == null then "–" elif (. | type) == "number" then (. * 10 | round / 10 | tostring) else tostring end;
def ratio(a; b): if a == null or b == null or b == 0 then "–" else ((a / b) * 100 | round / 100 | tostring) + "x" end;
def faults: if .lost == null then null else ((.lost // 0) + (.duplicates // 0) + (.reordered // 0) + (.unknown // 0)) end;
def mib: if . == null then null else . / 1024 end;

# One row: label, then a figure of each target and the two ratios of tolmer-server's figure.
def row($name; f):
  (.tolmer | f) as $t | (.redis | f) as $r | (.floor | f) as $f
  | "| \($name) | \($t | fmt) | \($r | fmt) | \($f | fmt) | \(ratio($t; $r)) | \(ratio($t; $f)) |";

def table:
  "| | tolmer-server | Redis | floor | tolmer / Redis | tolmer / floor |",
  "|---|---:|---:|---:|---:|---:|",
  row("strikes sent"; .strikes),
  row("deliveries expected"; .expected),
  row("deliveries received"; .delivered),
  row("lost + duplicated + reordered + unknown"; faults),
  row("fan-out p50 (µs)"; .fanout_us.p50),
  row("fan-out p90 (µs)"; .fanout_us.p90),
  row("**fan-out p99 (µs)**"; .fanout_us.p99),
  row("fan-out p99.9 (µs)"; .fanout_us.p999),
  row("fan-out max (µs)"; .fanout_us.max),
  row("echo p50 (µs)"; .echo_us.p50),
  row("echo p99 (µs)"; .echo_us.p99),
  row("echo max (µs)"; .echo_us.max),
  row("server CPU (s)"; .server_cpu_s),
  row("server peak memory (MiB)"; .server_peak_rss_kib | mib),
  row("server memory per connection (KiB)"; .server_kib_per_connection),
  row("tolmer-load CPU (s)"; .tool_cpu_s),
  row("set-up (s)"; .setup_s);

def verdict(ok): if ok == null then "no figure" elif ok then "met" else "**missed**" end;

. as $all
| .realistic as $real | .stress as $stress
| ($real.tolmer.fanout_us.p99) as $tp99 | ($real.redis.fanout_us.p99) as $rp99 | ($real.floor.fanout_us.p99) as $fp99
| ($real.tolmer.server_kib_per_connection) as $kib
| "# Relay benchmark",
  "",
  "Made by `bench/relay.sh` on \($all.date): \($all.machine.cpu), \($all.machine.cores) cores, Linux \($all.machine.kernel);",
  "the machine was \($all.machine.busy_percent_before // "?")% busy with other work just before.",
  "Every target ran fresh on loopback, on the same machine as tolmer-load; each figure is one run of",
  "\($real.tolmer.towers // 1000) towers x \($real.tolmer.ringers // 8) ringers (\($real.tolmer.connections // 8000) connections).",
  "Latencies are from the strike's send to its arrival at a ringer's client, on one monotonic clock:",
  "*echo* at the sender, *fan-out* at the other ringers of the tower. See docs/benchmarks.md.",
  "",
  "## Realistic: \($real.tolmer.rate // 0.5) strikes/s per ringer for \($real.tolmer.duration_s // "?") s",
  "",
  ($real | table),
  "",
  "## Stress: \($stress.tolmer_rate) strikes/s per ringer for \($stress.tolmer.duration_s // "?") s",
  "",
  "The highest rate at which tolmer-server lost nothing and kept p99 fan-out under \($all.p99_limit_us) µs",
  "was \($stress.tolmer_rate) strikes/s per ringer; for Redis, searched the same way, \($stress.redis_rate).",
  "All three targets at tolmer-server's rate:",
  "",
  ($stress | table),
  "",
  "## Targets",
  "",
  "| target | figure | |",
  "|---|---|---|",
  "| no loss at the realistic level | faults: \($real.tolmer | faults | fmt) | \(verdict(($real.tolmer | faults) as $n | if $n == null then null else $n == 0 end)) |",
  "| no loss at the stress level | faults: \($stress.tolmer | faults | fmt) | \(verdict(($stress.tolmer | faults) as $n | if $n == null then null else $n == 0 end)) |",
  "| realistic p99 fan-out below Redis's (aim: half) | \($tp99 | fmt) µs against \($rp99 | fmt) µs: \(ratio($tp99; $rp99)) | \(verdict(if $tp99 == null or $rp99 == null then null else $tp99 < $rp99 end)) |",
  "| realistic p99 fan-out within 1.5x of the floor's | \($tp99 | fmt) µs against \($fp99 | fmt) µs: \(ratio($tp99; $fp99)) | \(verdict(if $tp99 == null or $fp99 == null then null else $tp99 <= 1.5 * $fp99 end)) |",
  "| stress rate at least Redis's | \($stress.tolmer_rate) against \($stress.redis_rate) strikes/s per ringer | \(verdict($stress.tolmer_rate >= $stress.redis_rate)) |",
  "| at most 16 KiB of server memory per connection at \($real.tolmer.connections // 8000) connections | \($kib | fmt) KiB | \(verdict(if $kib == null then null else $kib <= 16 end)) |"
