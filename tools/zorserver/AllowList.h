// Who may connect: the ranges of peer addresses given with --allow, or
// loopback alone when none is given.
#pragma once

#include <sys/socket.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zorserver {

// IPv4 addresses are held as a dual-stack socket reports them
// (::ffff:a.b.c.d), so that one range test serves both families.
using IpAddress = std::array<std::uint8_t, 16>;

struct AddressRange {
    IpAddress first{};
    // The leading bits a peer shares with first; an IPv4 range's /N is 96 + N.
    int bits = 128;
};

// "ADDRESS[/BITS]" with a numeric IPv4 or IPv6 address. An address with bits
// set past the prefix is refused rather than cut, so that a slip such as
// 10.1.2.3/8 does not silently let a whole network in.
bool parseAddressRange(std::string_view text, AddressRange& range, std::string& reason);

// "10.0.0.0/8", "::1/128".
std::string rangeText(const AddressRange& range);

bool inRange(const IpAddress& address, const AddressRange& range);
// 127.0.0.0/8 and ::1.
bool isLoopback(const IpAddress& address);

// An explicit list replaces the loopback default: it says exactly who may
// connect, and a list without loopback keeps local users out too.
bool admits(const std::vector<AddressRange>& allowed, const IpAddress& peer);

// The address of an IPv4 or IPv6 socket address; false for other families.
bool addressOf(const sockaddr_storage& socketAddress, IpAddress& address);
// "127.0.0.1:4242", "[::1]:4242".
std::string peerName(const sockaddr_storage& socketAddress);

}  // namespace zorserver
