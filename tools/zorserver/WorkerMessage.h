// The one message a worker sends back after its run: the reply's fields and
// the device's state. The server trusts nothing else from a worker, and this
// only once it is checked: a message that is cut, padded or out of its
// bounds counts as none.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "DevicePanel.h"

namespace zorserver {

struct WorkerResult {
    std::string outFile;
    int errLine = 0;
    int errPos = 0;
    std::string errText;
    DeviceState device;
};

// Bounds of the fields; a library name field holds 255 characters.
constexpr std::size_t maxOutFileName = 255;
constexpr std::size_t maxErrorText = 4096;
constexpr std::size_t maxDeviceText = 1024;
// No valid message is longer.
constexpr std::size_t maxWorkerMessage = 64 + maxOutFileName + maxErrorText + 2 * maxDeviceText;

std::string encodeWorkerResult(const WorkerResult& result);

// The whole length that a message starting with these bytes announces, once
// its header is in; 0 before that or for a header that is not a message's.
std::size_t announcedLength(std::string_view bytes);

std::optional<WorkerResult> decodeWorkerResult(std::string_view message);

}  // namespace zorserver
