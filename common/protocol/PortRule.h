// The port rule of the test server protocol. The viewer places the low 16
// bits of the port the user enters into the address's port field without
// converting them to network byte order, as deployed test servers expect: the
// TCP port reached has the two bytes swapped (6500, hexadecimal 1964, reaches
// TCP port 25625, hexadecimal 6419). The swap is computed here, so that every
// host reaches the same TCP port whatever its own byte order.
#pragma once

namespace remote {

// The TCP port that the entered port reaches. The swap is its own inverse:
// it also gives the port to enter for a TCP port.
int tcpPortOf(int enteredPort);

}  // namespace remote
