#include "tools/load/Report.h"

#include <cstdarg>
#include <cstdio>

namespace load {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

int Connections(const LoadOptions& options) { return options.towers * options.ringers; }

// Server memory gained per connection, from idle to its peak.
double KibPerConnection(const LoadOptions& options, const RunResult& result) {
    return static_cast<double>(result.serverAfter.peakRssKib - result.serverIdle.rssKib) / Connections(options);
}

double Share(double cpu, double wall) { return wall > 0 ? 100.0 * cpu / wall : 0; }

std::string LatencyRow(const char* name, const LatencySummary& s) {
    return Format("  %-10s %9llu %9.1f %9.1f %9.1f %9.1f %9.1f\n", name, static_cast<unsigned long long>(s.count),
                  s.p50Us, s.p90Us, s.p99Us, s.p999Us, s.maxUs);
}

std::string LatencyJson(const LatencySummary& s) {
    return Format("{\"count\":%llu,\"p50\":%.1f,\"p90\":%.1f,\"p99\":%.1f,\"p999\":%.1f,\"max\":%.1f}",
                  static_cast<unsigned long long>(s.count), s.p50Us, s.p90Us, s.p99Us, s.p999Us, s.maxUs);
}

std::string BalanceTable(const LoadOptions& o, const BalanceSummary& b, const LatencySummary& late) {
    std::string text =
        Format("  balance, over %llu strikes sent after %.0f s: L (own delay on the slowest link) %.1f ms\n",
               static_cast<unsigned long long>(b.strikes), o.settle, b.delayMs);
    text += "    own-strike delay, median per ringer (ms):";
    for (const double median : b.ownMedianMs) text += Format(" %.1f", median);
    text += Format("\n    spread %.2f ms; p99 |own - L| %.2f ms\n", b.spreadMs, b.ownOffP99Ms);
    text += Format("    listeners' disagreement on a gap, over %llu gaps (us): p50 %.1f, p99 %.1f, max %.1f\n",
                   static_cast<unsigned long long>(b.gaps), b.gapDisagreementP50Us, b.gapDisagreementP99Us,
                   b.gapDisagreementMaxUs);
    text += Format("    the tool's own wake-ups for its links were late by (us): p50 %.1f, p99 %.1f, max %.1f\n",
                   late.p50Us, late.p99Us, late.maxUs);
    return text;
}

std::string BalanceJson(const LoadOptions& o, const BalanceSummary& b, const LatencySummary& late) {
    std::string links, medians;
    for (const Link& link : o.links) links += Format("%s[%g,%g]", links.empty() ? "" : ",", link.upMs, link.downMs);
    for (const double median : b.ownMedianMs) medians += Format("%s%.3f", medians.empty() ? "" : ",", median);
    return Format(
        ",\"links_ms\":[%s],\"settle_s\":%g,\"balance\":{\"strikes\":%llu,\"delay_ms\":%.3f,\"own_median_ms\":[%s],"
        "\"spread_ms\":%.3f,\"own_off_p99_ms\":%.3f,\"gaps\":%llu,\"gap_disagreement_us\":{\"p50\":%.1f,\"p99\":%.1f,"
        "\"max\":%.1f},\"link_lateness_us\":%s}",
        links.c_str(), o.settle, static_cast<unsigned long long>(b.strikes), b.delayMs, medians.c_str(), b.spreadMs,
        b.ownOffP99Ms, static_cast<unsigned long long>(b.gaps), b.gapDisagreementP50Us, b.gapDisagreementP99Us,
        b.gapDisagreementMaxUs, LatencyJson(late).c_str());
}

}  // namespace

std::string FormatTable(const LoadOptions& o, const RunResult& r) {
    const auto& f = r.faults;
    std::string text;
    text += Format("tolmer-load: %s relay at %s:%d, %d towers x %d ringers = %d connections\n", BackendName(o.backend),
                   o.host.c_str(), o.port, o.towers, o.ringers, Connections(o));
    text += Format("  %.2f strikes/s per ringer (jitter %.0f%%) for %.1f s; set-up took %.1f s\n", o.rate,
                   o.jitter * 100, o.duration, r.setupSeconds);
    text +=
        Format("  strikes sent %llu, deliveries %llu of %llu expected\n", static_cast<unsigned long long>(r.strikes),
               static_cast<unsigned long long>(r.delivered), static_cast<unsigned long long>(r.expected));
    text += Format("  lost %llu, duplicated %llu, reordered %llu, unknown %llu%s\n",
                   static_cast<unsigned long long>(f.lost), static_cast<unsigned long long>(f.duplicates),
                   static_cast<unsigned long long>(f.reordered), static_cast<unsigned long long>(f.unknown),
                   f.Total() == 0 ? "" : "  <-- FAULTS");
    text += Format("  %-10s %9s %9s %9s %9s %9s %9s\n", "latency us", "count", "p50", "p90", "p99", "p99.9", "max");
    text += LatencyRow("echo", r.echo);
    text += LatencyRow("fan-out", r.fanOut);
    if (r.balance) text += BalanceTable(o, *r.balance, r.linkLateness);
    const double toolCpu = r.toolAfter.cpuSeconds - r.toolBefore.cpuSeconds;
    text += Format("  tool: %.2f s CPU over %.1f s (%.0f%% of one core), peak memory %.1f MiB\n", toolCpu, r.runSeconds,
                   Share(toolCpu, r.runSeconds), r.toolAfter.peakRssKib / 1024.0);
    if (r.serverAfter.ok && r.serverBefore.ok && r.serverIdle.ok) {
        const double serverCpu = r.serverAfter.cpuSeconds - r.serverBefore.cpuSeconds;
        text += Format(
            "  server: %.2f s CPU (%.0f%% of one core); memory idle %.1f MiB, now %.1f MiB, "
            "peak %.1f MiB: %.1f KiB per connection\n",
            serverCpu, Share(serverCpu, r.runSeconds), r.serverIdle.rssKib / 1024.0, r.serverAfter.rssKib / 1024.0,
            r.serverAfter.peakRssKib / 1024.0, KibPerConnection(o, r));
    }
    return text;
}

std::string FormatJson(const LoadOptions& o, const RunResult& r) {
    const auto& f = r.faults;
    std::string json = Format(
        "{\"backend\":\"%s\",\"sources\":%d,\"towers\":%d,\"ringers\":%d,\"connections\":%d,\"rate\":%g,\"jitter\":%g,"
        "\"duration_s\":%g,\"setup_s\":%.2f,\"run_s\":%.2f,\"strikes\":%llu,\"expected\":%llu,\"delivered\":%llu,"
        "\"lost\":%llu,\"duplicates\":%llu,\"reordered\":%llu,\"unknown\":%llu,",
        BackendName(o.backend), o.sources, o.towers, o.ringers, Connections(o), o.rate, o.jitter, o.duration,
        r.setupSeconds, r.runSeconds, static_cast<unsigned long long>(r.strikes),
        static_cast<unsigned long long>(r.expected), static_cast<unsigned long long>(r.delivered),
        static_cast<unsigned long long>(f.lost), static_cast<unsigned long long>(f.duplicates),
        static_cast<unsigned long long>(f.reordered), static_cast<unsigned long long>(f.unknown));
    json += "\"echo_us\":" + LatencyJson(r.echo) + ",\"fanout_us\":" + LatencyJson(r.fanOut) + ",";
    json += Format("\"tool_cpu_s\":%.3f,\"tool_peak_rss_kib\":%ld", r.toolAfter.cpuSeconds - r.toolBefore.cpuSeconds,
                   r.toolAfter.peakRssKib);
    if (r.serverAfter.ok && r.serverBefore.ok && r.serverIdle.ok) {
        json += Format(
            ",\"server_cpu_s\":%.3f,\"server_idle_rss_kib\":%ld,\"server_rss_kib\":%ld,"
            "\"server_peak_rss_kib\":%ld,\"server_kib_per_connection\":%.2f",
            r.serverAfter.cpuSeconds - r.serverBefore.cpuSeconds, r.serverIdle.rssKib, r.serverAfter.rssKib,
            r.serverAfter.peakRssKib, KibPerConnection(o, r));
    }
    if (r.balance) json += BalanceJson(o, *r.balance, r.linkLateness);
    json += Format(",\"ok\":%s}", f.Total() == 0 ? "true" : "false");
    return json;
}

}  // namespace load
