// How many connections each remote IP address holds, so that one address
// cannot take every place on the server. IPv4 and IPv4-mapped IPv6 addresses
// count as the same address.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>

// ASIO_STANDALONE and ASIO_NO_DEPRECATED come from the build.
#include <asio/ip/address.hpp>

namespace server {

class AddressCounts {
public:
    // `limit` connections per address; 0 means no limit.
    explicit AddressCounts(int limit) : limit_(limit) {}

    // True when `address` already holds as many connections as the limit allows.
    bool AtLimit(const asio::ip::address& address) const;
    void Add(const asio::ip::address& address);
    // One connection counted by Add has ended.
    void Remove(const asio::ip::address& address);

    int CountOf(const asio::ip::address& address) const;
    int Limit() const { return limit_; }

private:
    using Key = std::array<unsigned char, 16>;
    struct KeyHash {
        std::size_t operator()(const Key& key) const;
    };
    static Key KeyOf(const asio::ip::address& address);

    int limit_;
    std::unordered_map<Key, int, KeyHash> counts_;  // only addresses with a connection
};

}  // namespace server
