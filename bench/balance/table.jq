# Turns bench/results/balance.json into the markdown of bench/results/balance.md.

def fmt: if . == null then "–" elif (. | type) == "number" then (. * 10 | round / 10 | tostring) else tostring end;
def faults: (.lost // 0) + (.duplicates // 0) + (.reordered // 0) + (.unknown // 0);
def median: sort | .[(length - 1) / 2 | floor];
# "median (lowest–highest)" of a figure over the runs.
def spread(f): map(f) | if length == 0 then "–" else sort | "\(median | fmt) (\(.[0] | fmt)–\(.[-1] | fmt))" end;
# The ringers of each link, by their place in the tower: ringer r is on link r mod 3.
def by_link: [[0, 3, 6], [1, 4, 7], [2, 5]] as $links
  | .balance.own_median_ms as $m | [$links[] | [.[] | $m[.]] | add / length];
def links_row: [range(0; 3) as $i | map(by_link[$i]) | median | fmt] | join(" / ");
def verdict(ok): if ok then "met" else "**missed**" end;

. as $all
| .off as $off | .on as $on
| ($on | map(.balance.spread_ms) | median) as $spread
| ($on | map(.balance.own_off_p99_ms) | median) as $offL
| ($on | map(.balance.gap_disagreement_us.p99) | median) as $gap
| ($on | map(faults) | add) as $onFaults
| "# Latency balancing benchmark",
"",
"Made by `bench/balance.sh` on \($all.date): \($all.machine.cpu), \($all.machine.cores) cores, Linux \($all.machine.kernel).",
"Load average (1, 5, 15 min) before: \($all.machine.load_average.before); after: \($all.machine.load_average.after).",
"One tower of 8 ringers on links of 10, 40 and 80 ms round trip (three, three and two ringers), added in",
"tolmer-load's own queues, each ringer striking \($all.rate) times a second, against a fresh tolmer-server",
"with balancing off and with `--balance-max-ms \($all.balance_max_ms)`, in turn, in \($off | length) rounds.",
"Each run strikes for \($all.settle_s) s before it measures, then \($all.measure_s) s are measured. Arrivals are",
"the kernel's receive times. L is the median own-strike delay of the ringers on the 80 ms link, who",
"are never held. Each figure is the median of the runs, with the lowest and highest in brackets. See",
"docs/benchmarks.md.",
"",
"| | target | balancing off | balancing on | on: target |",
"|---|---|---:|---:|---|",
"| spread of the ringers' median own-strike delay (ms) | ≤ 2 | \($off | spread(.balance.spread_ms)) | \($on | spread(.balance.spread_ms)) | \(verdict($spread <= 2)) |",
"| p99 of \\|own-strike delay − L\\| (ms) | ≤ 3 | \($off | spread(.balance.own_off_p99_ms)) | \($on | spread(.balance.own_off_p99_ms)) | \(verdict($offL <= 3)) |",
"| listeners' disagreement on the gap between two strikes, p99 (µs) | ≤ 1000 | \($off | spread(.balance.gap_disagreement_us.p99)) | \($on | spread(.balance.gap_disagreement_us.p99)) | \(verdict($gap <= 1000)) |",
"| lost + duplicated + reordered + unknown, all runs | 0 | \($off | map(faults) | add) | \($onFaults) | \(verdict($onFaults == 0)) |",
"| L (ms) | | \($off | spread(.balance.delay_ms)) | \($on | spread(.balance.delay_ms)) | |",
"| own-strike delay on the 10 / 40 / 80 ms links, median (ms) | | \($off | links_row) | \($on | links_row) | |",
"| disagreement on a gap, p50 (µs) | | \($off | spread(.balance.gap_disagreement_us.p50)) | \($on | spread(.balance.gap_disagreement_us.p50)) | |",
"| disagreement on a gap, max (µs) | | \($off | spread(.balance.gap_disagreement_us.max)) | \($on | spread(.balance.gap_disagreement_us.max)) | |",
"| gaps measured per run | | \($off | spread(.balance.gaps)) | \($on | spread(.balance.gaps)) | |",
"| tolmer-load's own timer wake-ups late by, p99 (µs) | | \($off | spread(.balance.link_lateness_us.p99)) | \($on | spread(.balance.link_lateness_us.p99)) | |",
"| tolmer-load's own timer wake-ups late by, max (µs) | | \($off | spread(.balance.link_lateness_us.max)) | \($on | spread(.balance.link_lateness_us.max)) | |",
"",
"## Every run",
"",
"| run | balancing | load average before | spread (ms) | p99 \\|own − L\\| (ms) | L (ms) | gap disagreement p50 / p99 / max (µs) | tool wake-ups late p99 / max (µs) | faults |",
"|---|---|---|---:|---:|---:|---:|---:|---:|",
( [$off, $on] | transpose | to_entries[] | .key as $round | .value[]
  | "| \($round + 1) | \(if .balance_max_ms == 0 then "off" else "on" end) | \(.load_average) | \(.balance.spread_ms | fmt) | \(.balance.own_off_p99_ms | fmt) | \(.balance.delay_ms | fmt) | \(.balance.gap_disagreement_us | "\(.p50 | fmt) / \(.p99 | fmt) / \(.max | fmt)") | \(.balance.link_lateness_us | "\(.p99 | fmt) / \(.max | fmt)") | \(faults) |" ),
( if ($all.scale | length) == 2 then
    ($all.scale | map({key: (if .balance_max_ms == 0 then "off" else "on" end), value: .}) | from_entries) as $s
    | "",
    "## The cost: \($s.off.towers) towers of 8 at once",
    "",
    "The same links and pace, \($all.settle_s) s to settle and \($all.scale_measure_s) s measured, one run each.",
    "",
    "| | balancing off | balancing on |",
    "|---|---:|---:|",
    "| load average before | \($s.off.load_average) | \($s.on.load_average) |",
    "| server CPU while striking (s) | \($s.off.server_cpu_s | fmt) | \($s.on.server_cpu_s | fmt) |",
    "| server peak memory (MiB) | \($s.off.server_peak_rss_kib / 1024 | fmt) | \($s.on.server_peak_rss_kib / 1024 | fmt) |",
    "| spread of the median own-strike delay (ms) | \($s.off.balance.spread_ms | fmt) | \($s.on.balance.spread_ms | fmt) |",
    "| p99 of \\|own-strike delay − L\\| (ms) | \($s.off.balance.own_off_p99_ms | fmt) | \($s.on.balance.own_off_p99_ms | fmt) |",
    "| listeners' disagreement on a gap, p50 / p99 (µs) | \($s.off.balance.gap_disagreement_us | "\(.p50 | fmt) / \(.p99 | fmt)") | \($s.on.balance.gap_disagreement_us | "\(.p50 | fmt) / \(.p99 | fmt)") |",
    "| lost + duplicated + reordered + unknown | \($s.off | faults) | \($s.on | faults) |",
    "| tolmer-load CPU (s) | \($s.off.tool_cpu_s | fmt) | \($s.on.tool_cpu_s | fmt) |"
  else empty end )
