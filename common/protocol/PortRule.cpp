#include "protocol/PortRule.h"

namespace remote {

int tcpPortOf(int enteredPort) {
    const unsigned low = static_cast<unsigned>(enteredPort) & 0xFFFFu;
    return static_cast<int>(((low & 0xFFu) << 8) | (low >> 8));
}

}  // namespace remote
