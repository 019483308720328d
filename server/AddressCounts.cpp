#include "server/AddressCounts.h"

#include <cstring>

namespace server {

std::size_t AddressCounts::KeyHash::operator()(const Key& key) const {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, key.data(), 8);
    std::memcpy(&low, key.data() + 8, 8);
    return std::hash<std::uint64_t>()(high * 0x9E3779B97F4A7C15ull ^ low);
}

AddressCounts::Key AddressCounts::KeyOf(const asio::ip::address& address) {
    const asio::ip::address_v6 v6 =
        address.is_v4() ? asio::ip::make_address_v6(asio::ip::v4_mapped, address.to_v4()) : address.to_v6();
    return v6.to_bytes();
}

bool AddressCounts::AtLimit(const asio::ip::address& address) const { return limit_ > 0 && CountOf(address) >= limit_; }

void AddressCounts::Add(const asio::ip::address& address) { ++counts_[KeyOf(address)]; }

void AddressCounts::Remove(const asio::ip::address& address) {
    const auto found = counts_.find(KeyOf(address));
    if (found == counts_.end()) return;
    if (--found->second <= 0) counts_.erase(found);
}

int AddressCounts::CountOf(const asio::ip::address& address) const {
    const auto found = counts_.find(KeyOf(address));
    return found == counts_.end() ? 0 : found->second;
}

}  // namespace server
