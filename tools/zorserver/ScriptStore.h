// Where the test server keeps the scripts that clients send.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "protocol/RequestReading.h"

namespace zorserver {

// The scripts that clients sent, kept in the server's folder under the last
// component of their input name, at most maxNames distinct names of them.
class ScriptStore : public remote::ScriptReceiver {
public:
    ScriptStore(int folder, std::size_t maxNames) : folderFd(folder), nameLimit(maxNames) {}

    // The script goes into a sibling file first, which is made anew and never
    // through a link: a script that does not arrive whole never replaces the
    // one kept from before.
    bool receive(remote::WireSocket& client, long length, const std::string& file,
                 std::string& reason) override;

private:
    bool admits(const std::string& file) const;
    std::string store(remote::WireSocket& client, long length, const std::string& file,
                      bool& arrived);

    int folderFd;
    std::size_t nameLimit;
    std::set<std::string> names;
};

}  // namespace zorserver
