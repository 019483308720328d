// For the two socket backends only, included after their system's socket
// headers: a HostAddress in the system's form and back, and the lookup order
// both follow.
#pragma once

#include <cstring>

#include "platform/Socket.h"

namespace platform::addresses {

inline int SystemFamily(HostAddress::Family family) { return family == HostAddress::Family::IPv4 ? AF_INET : AF_INET6; }

// The address and port as connect takes them; the size of what was filled in.
inline socklen_t ToSystem(const HostAddress& address, std::uint16_t port, sockaddr_storage& out) {
    out = {};
    if (address.family == HostAddress::Family::IPv4) {
        auto& in = reinterpret_cast<sockaddr_in&>(out);
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        std::memcpy(&in.sin_addr, address.bytes.data(), 4);
        return sizeof in;
    }
    auto& in6 = reinterpret_cast<sockaddr_in6&>(out);
    in6.sin6_family = AF_INET6;
    in6.sin6_port = htons(port);
    std::memcpy(&in6.sin6_addr, address.bytes.data(), 16);
    in6.sin6_scope_id = address.scope;
    return sizeof in6;
}

// What a lookup found (AF_INET or AF_INET6).
inline HostAddress FromSystem(const sockaddr* found) {
    HostAddress address;
    if (found->sa_family == AF_INET) {
        std::memcpy(address.bytes.data(), &reinterpret_cast<const sockaddr_in*>(found)->sin_addr, 4);
        return address;
    }
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(found);
    address.family = HostAddress::Family::IPv6;
    std::memcpy(address.bytes.data(), &in6->sin6_addr, 16);
    address.scope = in6->sin6_scope_id;
    return address;
}

// `lookup(family, address)` asks the system for the first address of one
// family and returns 0 or the lookup's error. IPv4 is asked for first, as a
// client that knew only IPv4 did, so a name keeps the address it had; IPv6
// only when there is no IPv4 address.
template <typename Lookup>
bool LookUpIPv4ThenIPv6(Lookup lookup, HostAddress& address) {
    const int error = lookup(AF_INET, address);
    if (error == 0) return true;
    // A name server out of reach now would only keep the user waiting twice.
    if (error == EAI_AGAIN) return false;
    return lookup(AF_INET6, address) == 0;
}

}  // namespace platform::addresses
