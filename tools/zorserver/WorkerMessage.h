// The one message a worker sends back after its run: the reply's fields and
// the device's state. The server trusts nothing else from a worker, and this
// only once it is checked: a message that is cut, padded or out of its
// bounds counts as none. A worker asked for verdicts sends frames before it
// (WorkerStream.h), checked as strictly.
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

// The frames a worker sends, each a magic word and its whole length: "ZORS"
// as a test starts, "ZORV" as the library judges it and "ZORE" when the run
// returns, each with one JSON text (protocol/VerdictCodec.h); "ZORW", its
// result, comes last.
enum class FrameKind { started, judged, runEnd, result };
constexpr std::size_t frameHeaderSize = 8;

std::string encodeFrame(FrameKind kind, std::string_view body);
// The kind and whole length of the frame these bytes start with, once its
// header is in; false before that or for a header that is no frame's.
bool frameHeader(std::string_view bytes, FrameKind& kind, std::size_t& length);

std::string encodeWorkerResult(const WorkerResult& result);

std::optional<WorkerResult> decodeWorkerResult(std::string_view message);

}  // namespace zorserver
