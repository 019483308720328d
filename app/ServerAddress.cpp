#include "app/ServerAddress.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr auto npos = std::string_view::npos;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsLetterOrDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool AllOf(std::string_view text, bool (*test)(char)) { return std::all_of(text.begin(), text.end(), test); }

std::optional<unsigned> Number(std::string_view digits) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || !AllOf(digits, IsDigit) || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

// Four numbers from 0 to 255 between dots. A leading zero is refused: some
// lookups read "010" as octal, and nothing here guesses which was meant.
bool IsIPv4(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        if ((dot == npos) != (part == 3)) return false;
        const std::string_view number = text.substr(0, dot);
        const auto value = Number(number);
        if (!value || *value > 255 || number.size() > 3 || (number.size() > 1 && number[0] == '0')) return false;
        text.remove_prefix(dot == npos ? text.size() : dot + 1);
    }
    return true;
}

// The 16-bit groups of "a:b:c", which may end in an IPv4 address (two
// groups); -1 when it is not such a run.
int CountGroups(std::string_view run, bool mayEndInIPv4) {
    if (run.empty()) return 0;
    for (int groups = 0;; ++groups) {
        const std::size_t colon = run.find(':');
        const std::string_view group = run.substr(0, colon);
        if (colon == npos && mayEndInIPv4 && group.find('.') != npos) return IsIPv4(group) ? groups + 2 : -1;
        if (group.empty() || group.size() > 4 || !AllOf(group, IsHexDigit)) return -1;
        if (colon == npos) return groups + 1;
        run.remove_prefix(colon + 1);
    }
}

bool IsZoneCharacter(char c) { return IsLetterOrDigit(c) || c == '-' || c == '_' || c == '.'; }

// Eight groups of hex digits, a run of them shortened once to "::", an IPv4
// address for the last two, and a zone after "%" (fe80::1%eth0).
bool IsIPv6(std::string_view text) {
    if (const std::size_t percent = text.find('%'); percent != npos) {
        const std::string_view zone = text.substr(percent + 1);
        if (zone.empty() || !AllOf(zone, IsZoneCharacter)) return false;
        text = text.substr(0, percent);
    }
    const std::size_t gap = text.find("::");
    if (gap == npos) return CountGroups(text, true) == 8;
    const std::string_view tail = text.substr(gap + 2);
    if (tail.find("::") != npos) return false;
    const int before = CountGroups(text.substr(0, gap), false);
    const int after = CountGroups(tail, true);
    return before >= 0 && after >= 0 && before + after <= 7;
}

bool IsLabelCharacter(char c) { return IsLetterOrDigit(c) || c == '-' || c == '_'; }

// Labels of letters, digits, hyphens (not at either end) and underscores
// between single dots, a final dot allowed. Only digits and dots is an IPv4
// address, and then it must be a whole one.
std::string HostProblem(std::string_view host) {
    const std::string named = "\"" + std::string(host) + "\" ";
    if (!host.empty() && AllOf(host, [](char c) { return IsDigit(c) || c == '.'; })) {
        if (IsIPv4(host)) return {};
        return named + "is not an IPv4 address: four numbers from 0 to 255, as 192.0.2.7";
    }
    std::string_view labels = host.ends_with('.') ? host.substr(0, host.size() - 1) : host;
    bool wellFormed = !labels.empty() && host.size() <= 254;
    while (wellFormed) {
        const std::size_t dot = labels.find('.');
        const std::string_view label = labels.substr(0, dot);
        wellFormed = !label.empty() && label.size() <= 63 && AllOf(label, IsLabelCharacter) && label.front() != '-' &&
                     label.back() != '-';
        if (dot == npos) break;
        labels.remove_prefix(dot + 1);
    }
    if (wellFormed) return {};
    return named + "is not a host name: letters, digits and hyphens between dots, as ringing.example.org";
}

ParsedServerAddress Problem(std::string problem) { return {std::nullopt, std::move(problem)}; }

}  // namespace

ParsedServerAddress ParseServerAddress(std::string_view text) {
    if (text.empty()) return Problem("it is empty");
    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; }))
        return Problem("it holds a blank or a line break; give one server, on one line");

    ServerAddress address;
    std::string_view portText;
    bool hasPort = false;
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == npos) return Problem("the \"]\" after the IPv6 address is missing");
        const std::string_view inner = text.substr(1, close - 1);
        if (!IsIPv6(inner)) return Problem("\"" + std::string(inner) + "\" in brackets is not an IPv6 address");
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return Problem("only \":PORT\" may follow the \"]\"");
        address.host = inner;
        hasPort = !rest.empty();
        portText = hasPort ? rest.substr(1) : rest;
    } else {
        const std::size_t colon = text.find(':');
        if (colon != npos && text.find(':', colon + 1) != npos)
            return Problem("an IPv6 address goes in brackets, as [2001:db8::7] or [2001:db8::7]:17481");
        address.host = text.substr(0, colon);
        if (address.host.empty()) return Problem("the host before the port is missing");
        if (std::string problem = HostProblem(address.host); !problem.empty()) return Problem(std::move(problem));
        hasPort = colon != npos;
        if (hasPort) portText = text.substr(colon + 1);
    }
    if (hasPort) {
        const auto port = Number(portText);
        if (!port || *port < 1 || *port > 65535) return Problem("the port must be a number from 1 to 65535");
        address.port = static_cast<std::uint16_t>(*port);
    }
    return {std::move(address), {}};
}
