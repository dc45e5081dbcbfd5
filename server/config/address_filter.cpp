#include "address_filter.h"

#include <arpa/inet.h>

#include <cstring>

#include "string_list.h"

namespace dalvero::server {

std::optional<std::array<unsigned char, 16>> AddressFilter::Bytes(const std::string& address) {
    std::array<unsigned char, 16> bytes{};
    in_addr v4{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        bytes[10] = bytes[11] = 0xff;
        std::memcpy(bytes.data() + 12, &v4, 4);
        return bytes;
    }
    in6_addr v6{};
    if (::inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
        std::memcpy(bytes.data(), &v6, 16);
        return bytes;
    }
    return std::nullopt;
}

std::optional<AddressFilter> AddressFilter::Parse(std::string_view list, std::string& error) {
    AddressFilter filter;
    std::string item;
    auto take = [&]() -> bool {
        if (item.empty()) return true;
        const std::size_t slash = item.find('/');
        const std::string address = item.substr(0, slash);
        const auto bytes = Bytes(address);
        const bool v4 = address.find(':') == std::string::npos;
        int prefix = v4 ? 32 : 128;
        if (slash != std::string::npos) {
            const std::string bits = item.substr(slash + 1);
            prefix = bits.empty() || bits.size() > 3 ? -1 : ToIntDef(bits, -1);
        }
        if (!bytes || prefix < 0 || prefix > (v4 ? 32 : 128)) {
            error = "not an address or network: '" + item + "'";
            return false;
        }
        filter.networks_.push_back({*bytes, v4 ? prefix + 96 : prefix});
        item.clear();
        return true;
    };
    for (const char c : list) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!take()) return std::nullopt;
        } else {
            item += c;
        }
    }
    if (!take()) return std::nullopt;
    return filter;
}

bool AddressFilter::Admits(const std::string& address) const {
    const auto bytes = Bytes(address);
    if (!bytes) return false;
    for (const Network& network : networks_) {
        const int whole = network.prefix / 8;
        const int rest = network.prefix % 8;
        if (std::memcmp(bytes->data(), network.bytes.data(), static_cast<std::size_t>(whole)) != 0) continue;
        if (rest == 0) return true;
        const auto at = static_cast<std::size_t>(whole);
        const auto mask = static_cast<unsigned char>(0xff << (8 - rest));
        if ((((*bytes)[at] ^ network.bytes[at]) & mask) == 0) return true;
    }
    return false;
}

}  // namespace dalvero::server
