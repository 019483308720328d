// A server written as text, HOST[:PORT], the way a ringer gives it: a host
// name, a dotted IPv4 address or a bracketed IPv6 address, and an optional
// port (17481 without one).
//
//   ringing.example.org        ringing.example.org:17481
//   192.0.2.7:4000             [2001:db8::7]:4000        [::1]
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "net/Wire.h"

struct ServerAddress {
    std::string host;  // a name or an address as the host lookup takes it; IPv6 without brackets
    std::uint16_t port = wire::kServerPort;

    bool operator==(const ServerAddress&) const = default;
};

struct ParsedServerAddress {
    std::optional<ServerAddress> address;
    std::string problem;  // when there is no address: what is wrong, for the user
};

// Reads the whole text as one server: nothing before or after it, no blank in
// it. Checks the form only; whether the host exists is the lookup's business.
ParsedServerAddress ParseServerAddress(std::string_view text);
