# Turns bench/results/relay.json into the markdown of bench/results/relay.md.

def fmt: if . == null then "–" elif (. | type) == "number" then (. * 10 | round / 10 | tostring) else tostring end;
def ratio(a; b): if a == null or b == null or b == 0 then "–" else ((a / b) * 100 | round / 100 | tostring) + "x" end;
def faults: if .lost == null then null else ((.lost // 0) + (.duplicates // 0) + (.reordered // 0) + (.unknown // 0)) end;
def faultsum: map(faults) | if any(. == null) then "a run failed" else add end;
def mib: if . == null then null else . / 1024 end;
def p99: .fanout_us.p99 // null;

# The run of a target whose p99 fan-out is the median of its runs (a failed
# run counts as the slowest); every figure of the tables is that run's.
def median_run: sort_by(p99 // 1e12) | .[(length - 1) / 2 | floor];
def medians: with_entries(.value |= median_run);
# "median (lowest–highest)" of the runs' p99 fan-out.
def spread: map(p99) | if any(. == null) then "a run failed" else
  (sort | "\(.[(length - 1) / 2 | floor] | fmt) (\(.[0] | fmt)–\(.[-1] | fmt))") end;

# One row: label, then a figure of each target and the two ratios of tolmer-server's figure.
def row($name; f):
  (.tolmer | f) as $t | (.redis | f) as $r | (.floor | f) as $f
  | "| \($name) | \($t | fmt) | \($r | fmt) | \($f | fmt) | \(ratio($t; $r)) | \(ratio($t; $f)) |";

def table($runs):
  ($runs | medians) as $m
  | "| | tolmer-server | Redis | floor | tolmer / Redis | tolmer / floor |",
  "|---|---:|---:|---:|---:|---:|",
  "| **fan-out p99 (µs), median (range) of \($runs.tolmer | length) runs** | \($runs.tolmer | spread) | \($runs.redis | spread) | \($runs.floor | spread) | \(ratio($m.tolmer | p99; $m.redis | p99)) | \(ratio($m.tolmer | p99; $m.floor | p99)) |",
  "| lost + duplicated + reordered + unknown, all runs | \($runs.tolmer | faultsum | fmt) | \($runs.redis | faultsum | fmt) | \($runs.floor | faultsum | fmt) | – | – |",
  ($m | row("strikes sent"; .strikes)),
  ($m | row("deliveries expected"; .expected)),
  ($m | row("deliveries received"; .delivered)),
  ($m | row("fan-out p50 (µs)"; .fanout_us.p50)),
  ($m | row("fan-out p90 (µs)"; .fanout_us.p90)),
  ($m | row("fan-out p99 (µs)"; .fanout_us.p99)),
  ($m | row("fan-out p99.9 (µs)"; .fanout_us.p999)),
  ($m | row("fan-out max (µs)"; .fanout_us.max)),
  ($m | row("echo p50 (µs)"; .echo_us.p50)),
  ($m | row("echo p99 (µs)"; .echo_us.p99)),
  ($m | row("server CPU (s)"; .server_cpu_s)),
  ($m | row("server peak memory (MiB)"; .server_peak_rss_kib | mib)),
  ($m | row("server memory per connection (KiB)"; .server_kib_per_connection)),
  ($m | row("tolmer-load CPU (s)"; .tool_cpu_s)),
  ($m | row("set-up (s)"; .setup_s));

def verdict(ok): if ok == null then "no figure" elif ok then "met" else "**missed**" end;
def nofaults: map(faults) | if any(. == null) then null else add == 0 end;
def passes($limit): .ok == true and (p99 // 1e12) < $limit;
def scale_row($limit):
  "| \(.ringers) | \(.tolmer | faults | fmt) | \(.tolmer | p99 | fmt) | \(.tolmer.server_cpu_s | fmt) | \(.tolmer.server_peak_rss_kib | mib | fmt) | \(.tolmer.server_kib_per_connection | fmt) | \(.tolmer.tool_cpu_s | fmt) | \(if .tolmer | passes($limit) then "yes" else "**no**" end) | \(.floor | faults | fmt) | \(.floor | p99 | fmt) | \(if .floor | passes($limit) then "yes" else "**no**" end) |";

. as $all
| $all.p99_limit_us as $limit
| .realistic.runs as $real | .stress as $stress | .scaling as $scale
| ($real | medians) as $rm | ($stress.runs | medians) as $sm
| ($rm.tolmer | p99) as $tp99 | ($rm.redis | p99) as $rp99 | ($rm.floor | p99) as $fp99
| ($sm.tolmer | p99) as $stp99 | ($sm.redis | p99) as $srp99 | ($sm.floor | p99) as $sfp99
| ($rm.tolmer.server_kib_per_connection) as $kib
| ([$scale.levels[] | select(.tolmer | passes($limit)) | .ringers] | max) as $most
| ([$scale.levels[] | select(.floor | passes($limit)) | .ringers] | max) as $floorMost
| "# Relay benchmark",
  "",
  "Made by `bench/relay.sh` on \($all.date): \($all.machine.cpu), \($all.machine.cores) cores, Linux \($all.machine.kernel);",
  "the machine was \($all.machine.busy_percent_before // "?")% busy with other work just before. Load average",
  "(1, 5, 15 min) before: \($all.machine.load_average.before); after the realistic runs: \($all.machine.load_average.after_realistic);",
  "after the stress runs: \($all.machine.load_average.after_stress); after the scaling runs: \($all.machine.load_average.after_scaling).",
  "Every target ran fresh on loopback, on the same machine as tolmer-load. At each level every",
  "target ran \($all.rounds) times, the targets in turn; each column is the run with the median p99",
  "fan-out, and the first row gives the range. Latencies are from the strike's send to its arrival at",
  "a ringer's client, on one monotonic clock: *echo* at the sender, *fan-out* at the other ringers",
  "of the tower. See docs/benchmarks.md.",
  "",
  "## Realistic: \($rm.tolmer.towers // 1000) towers x \($rm.tolmer.ringers // 8) ringers at \($rm.tolmer.rate // 0.5) strikes/s each for \($rm.tolmer.duration_s // "?") s",
  "",
  table($real),
  "",
  "## Stress: \($stress.tolmer_rate) strikes/s per ringer for \($sm.tolmer.duration_s // "?") s",
  "",
  "The highest rate at which tolmer-server lost nothing and kept p99 fan-out under \($limit) µs",
  "was \($stress.tolmer_rate) strikes/s per ringer; for Redis, searched the same way, \($stress.redis_rate).",
  "(One run per step of the search.) All three targets at tolmer-server's rate:",
  "",
  table($stress.runs),
  "",
  "## How many ringers one server holds",
  "",
  "Towers of \($rm.tolmer.ringers // 8) at \($scale.rate) strikes/s per ringer for \($scale.levels[0].tolmer.duration_s // "?") s, one run per size,",
  "the ringers spread over \($scale.levels[0].tolmer.sources // "?") loopback source addresses; the floor at each size beside it.",
  "A size is held when nothing is lost and p99 fan-out stays under \($limit) µs.",
  "",
  "| ringers | tolmer faults | tolmer p99 (µs) | server CPU (s) | server peak memory (MiB) | memory per connection (KiB) | tolmer-load CPU (s) | held | floor faults | floor p99 (µs) | floor held |",
  "|---:|---:|---:|---:|---:|---:|---:|---|---:|---:|---|",
  ($scale.levels[] | scale_row($limit)),
  "",
  "Most ringers held by tolmer-server: **\($most // "none")**; by the floor: \($floorMost // "none").",
  (if ($scale.asked | split(" ") | map(select(. != "") | tonumber) | max) > $scale.largest_that_fits then
    "Sizes asked for: \($scale.asked). Larger sizes than \($scale.largest_that_fits) were not tried: a process may hold at most \($scale.fd_limit) open files here (the hard limit, which this machine does not let even root raise), and tolmer-server needs one per ringer plus 352, tolmer-load one plus 64."
   else empty end),
  ($scale.levels[] | select(.tolmer.error != null or .floor.error != null)
   | "At \(.ringers): \([.tolmer.error, .floor.error] | map(select(. != null) | gsub("\n"; " ")) | join("; "))"),
  "",
  "## Targets",
  "",
  "| target | figure | |",
  "|---|---|---|",
  "| no loss at the realistic level, every run | faults: \($real.tolmer | faultsum | fmt) | \(verdict($real.tolmer | nofaults)) |",
  "| no loss at the stress level, every run | faults: \($stress.runs.tolmer | faultsum | fmt) | \(verdict($stress.runs.tolmer | nofaults)) |",
  "| realistic p99 fan-out at most 1.1x the floor's (medians) | \($tp99 | fmt) µs against \($fp99 | fmt) µs: \(ratio($tp99; $fp99)) | \(verdict(if $tp99 == null or $fp99 == null then null else $tp99 <= 1.1 * $fp99 end)) |",
  "| stress p99 fan-out at most 1.5x the floor's (medians) | \($stp99 | fmt) µs against \($sfp99 | fmt) µs: \(ratio($stp99; $sfp99)) | \(verdict(if $stp99 == null or $sfp99 == null then null else $stp99 <= 1.5 * $sfp99 end)) |",
  "| realistic p99 fan-out below Redis's (medians) | \($tp99 | fmt) µs against \($rp99 | fmt) µs: \(ratio($tp99; $rp99)) | \(verdict(if $tp99 == null or $rp99 == null then null else $tp99 < $rp99 end)) |",
  "| stress p99 fan-out below Redis's (medians) | \($stp99 | fmt) µs against \($srp99 | fmt) µs: \(ratio($stp99; $srp99)) | \(verdict(if $stp99 == null or $srp99 == null then null else $stp99 < $srp99 end)) |",
  "| stress rate at least Redis's | \($stress.tolmer_rate) against \($stress.redis_rate) strikes/s per ringer | \(verdict($stress.tolmer_rate >= $stress.redis_rate)) |",
  "| at most 16 KiB of server memory per connection at \($rm.tolmer.connections // 8000) connections | \($kib | fmt) KiB | \(verdict(if $kib == null then null else $kib <= 16 end)) |",
  "| most ringers one server holds at the realistic rate (sizes tried up to \([$scale.levels[].ringers] | max)) | \($most // "none") | \(verdict($most != null)) |"
