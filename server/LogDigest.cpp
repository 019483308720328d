#include "server/LogDigest.h"

#include <string>

namespace server {
namespace {

struct EventKind {
    bool warning;             // false: logged as info, so hidden by --quiet
    std::string_view plural;  // what the summary line counts
};

constexpr std::array<EventKind, static_cast<std::size_t>(LogEvent::Count)> kKinds{{
    {true, "connections turned away: the server is full"},
    {true, "connections turned away: too many from one address"},
    {true, "connections closed for saying no Hello in time"},
    {false, "connections closed for entering no tower in time"},
    {true, "connections closed for protocol errors"},
    {true, "connections cut off as too slow"},
    {true, "connections held to the rate limits"},
}};

}  // namespace

void LogDigest::Report(LogEvent event, std::string_view line, Clock::TimePoint now) {
    const auto index = static_cast<std::size_t>(event);
    Window& window = windows_[index];
    if (window.open && now < window.end) {
        ++window.more;
        return;
    }
    if (window.open) Summarise(now);
    window = Window{true, now + kWindow, 0};
    if (kKinds[index].warning) log_.Warn(line);
    else log_.Info(line);
}

void LogDigest::Summarise(Clock::TimePoint now) {
    for (std::size_t index = 0; index < windows_.size(); ++index) {
        Window& window = windows_[index];
        if (!window.open || now < window.end) continue;
        window.open = false;
        if (window.more == 0) continue;
        const std::string line = std::to_string(window.more) + " more " + std::string(kKinds[index].plural) +
                                 ", in the last " + std::to_string(kWindow.count()) + " s";
        if (kKinds[index].warning) log_.Warn(line);
        else log_.Info(line);
    }
}

std::optional<Clock::TimePoint> LogDigest::NextWindowEnd() const {
    std::optional<Clock::TimePoint> next;
    for (const Window& window : windows_)
        if (window.open && (!next || window.end < *next)) next = window.end;
    return next;
}

}  // namespace server
