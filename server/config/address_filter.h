#pragma once
// The client addresses a listener lets in: single addresses and networks,
// IPv4 or IPv6 ("10.20.0.0/16, 192.168.1.7, fd00::/8"). An IPv4 client that
// reaches an IPv6 socket (::ffff:10.20.3.4) is judged by its IPv4 address.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvero::server {

class AddressFilter {
public:
    // The filter a comma- or blank-separated list makes; none when an item is
    // not an address or network (error then names it). An empty list lets
    // no one in.
    static std::optional<AddressFilter> Parse(std::string_view list, std::string& error);

    // Whether the numeric address (as the listener writes it) is let in.
    bool Admits(const std::string& address) const;
    bool Empty() const { return networks_.empty(); }

private:
    struct Network {
        std::array<unsigned char, 16> bytes{};  // IPv4 as ::ffff:a.b.c.d
        int prefix = 128;                       // leading bits that must match
    };
    static std::optional<std::array<unsigned char, 16>> Bytes(const std::string& address);

    std::vector<Network> networks_;
};

}  // namespace dalvero::server
