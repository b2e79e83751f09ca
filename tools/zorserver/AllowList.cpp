#include "AllowList.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace zorserver {

namespace {

constexpr int ipv4Bits = 32;
constexpr int ipv6Bits = 128;
constexpr int mappedPrefixBits = ipv6Bits - ipv4Bits;

IpAddress mapped(const in_addr& address) {
    IpAddress held{};
    held[10] = 0xff;
    held[11] = 0xff;
    std::memcpy(held.data() + 12, &address, 4);
    return held;
}

bool isMapped(const IpAddress& address) {
    static const IpAddress prefix = mapped(in_addr{});
    return std::equal(address.begin(), address.begin() + 12, prefix.begin());
}

// Whether the first `bits` bits of a and b agree.
bool samePrefix(const IpAddress& a, const IpAddress& b, int bits) {
    const int bytes = bits / 8;
    if (!std::equal(a.begin(), a.begin() + bytes, b.begin())) return false;
    const int rest = bits % 8;
    if (rest == 0) return true;
    const auto mask = static_cast<std::uint8_t>(0xff << (8 - rest));
    return ((a[bytes] ^ b[bytes]) & mask) == 0;
}

IpAddress masked(IpAddress address, int bits) {
    for (int bit = bits; bit < ipv6Bits; ++bit)
        address[bit / 8] &= static_cast<std::uint8_t>(~(0x80 >> (bit % 8)));
    return address;
}

std::string addressText(const IpAddress& address) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (isMapped(address))
        inet_ntop(AF_INET, address.data() + 12, text, sizeof text);
    else
        inet_ntop(AF_INET6, address.data(), text, sizeof text);
    return text;
}

bool parseBits(std::string_view text, int width, int& bits) {
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, bits);
    return !text.empty() && failure == std::errc() && stop == end && bits >= 0 && bits <= width;
}

}  // namespace

bool parseAddressRange(std::string_view text, AddressRange& range, std::string& reason) {
    const std::size_t slash = text.find('/');
    const std::string address(text.substr(0, slash));
    int width = ipv4Bits;
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        range.first = mapped(v4);
    } else if (inet_pton(AF_INET6, address.c_str(), range.first.data()) == 1) {
        width = ipv6Bits;
    } else {
        reason = "'" + address + "' is not a numeric IPv4 or IPv6 address";
        return false;
    }
    int bits = width;
    if (slash != std::string_view::npos && !parseBits(text.substr(slash + 1), width, bits)) {
        reason = "the prefix after '/' must be a number from 0 to " + std::to_string(width);
        return false;
    }
    range.bits = bits + (ipv6Bits - width);
    const IpAddress network = masked(range.first, range.bits);
    if (network != range.first) {
        reason = "the address has bits set past the first " + std::to_string(bits) +
                 "; did you mean " + addressText(network) + "/" + std::to_string(bits) + "?";
        return false;
    }
    return true;
}

std::string rangeText(const AddressRange& range) {
    const int bits = isMapped(range.first) && range.bits >= mappedPrefixBits
                         ? range.bits - mappedPrefixBits
                         : range.bits;
    return addressText(range.first) + "/" + std::to_string(bits);
}

bool inRange(const IpAddress& address, const AddressRange& range) {
    return samePrefix(address, range.first, range.bits);
}

bool isLoopback(const IpAddress& address) {
    IpAddress v6Loopback{};
    v6Loopback[15] = 1;
    return address == v6Loopback || (isMapped(address) && address[12] == 127);
}

bool admits(const std::vector<AddressRange>& allowed, const IpAddress& peer) {
    if (allowed.empty()) return isLoopback(peer);
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const AddressRange& range) { return inRange(peer, range); });
}

bool addressOf(const sockaddr_storage& socketAddress, IpAddress& address) {
    if (socketAddress.ss_family == AF_INET) {
        address = mapped(reinterpret_cast<const sockaddr_in&>(socketAddress).sin_addr);
        return true;
    }
    if (socketAddress.ss_family != AF_INET6) return false;
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(socketAddress);
    std::memcpy(address.data(), &v6.sin6_addr, address.size());
    return true;
}

std::string peerName(const sockaddr_storage& socketAddress) {
    IpAddress address{};
    if (!addressOf(socketAddress, address)) return "?";
    const in_port_t port = socketAddress.ss_family == AF_INET
                               ? reinterpret_cast<const sockaddr_in&>(socketAddress).sin_port
                               : reinterpret_cast<const sockaddr_in6&>(socketAddress).sin6_port;
    const std::string text = addressText(address);
    const std::string shown = isMapped(address) ? text : "[" + text + "]";
    return shown + ":" + std::to_string(ntohs(port));
}

}  // namespace zorserver
