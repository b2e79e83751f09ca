#include "MessageReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace zorlsp {

namespace {

constexpr std::string_view headerEnd = "\r\n\r\n";
constexpr std::string_view lengthName = "content-length";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view name, std::string_view expected) {
    return name.size() == expected.size() &&
           std::equal(name.begin(), name.end(), expected.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           });
}

// The Content-Length of a header, -1 when it has none or one that is not a
// plain decimal number; other fields (Content-Type) are taken as they are.
long long contentLength(std::string_view header) {
    long long length = -1;
    while (!header.empty()) {
        const std::size_t end = header.find("\r\n");
        const std::string_view line = header.substr(0, end);
        header.remove_prefix(end == std::string_view::npos ? header.size() : end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return -1;
        if (!sameName(trimmed(line.substr(0, colon)), lengthName)) continue;
        const std::string_view value = trimmed(line.substr(colon + 1));
        long long parsed = 0;
        const auto [at, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error != std::errc() || at != value.data() + value.size() || value.empty() ||
            parsed < 0)
            return -1;
        length = parsed;
    }
    return length;
}

}  // namespace

MessageReader::MessageReader(std::size_t maxBodySize, std::size_t maxHeaderSize)
    : maxBody(maxBodySize), maxHeader(maxHeaderSize) {}

void MessageReader::feed(std::string_view bytes) {
    const std::size_t skipped = std::min(toSkip, bytes.size());
    toSkip -= skipped;
    bytes.remove_prefix(skipped);
    pending.append(bytes);
}

bool MessageReader::next(Frame& frame) {
    if (toSkip > 0) return false;
    if (skippingHeader) return skipOversizedHeader(frame);
    if (!inBody) return takeHeader(frame);
    return takeBody(frame);
}

bool MessageReader::takeHeader(Frame& frame) {
    const std::size_t end = pending.find(headerEnd);
    if (end == std::string::npos) {
        if (pending.size() <= maxHeader + headerEnd.size()) return false;
        skippingHeader = true;
        // Keep the last bytes: the empty line may straddle two reads.
        pending.erase(0, pending.size() - (headerEnd.size() - 1));
        frame = {Frame::badHeader, "header too long"};
        return true;
    }
    const long long length =
        end > maxHeader ? -2 : contentLength(std::string_view(pending).substr(0, end));
    pending.erase(0, end + headerEnd.size());
    if (length < 0) {
        frame = {Frame::badHeader, length == -2 ? "header too long" : "no valid Content-Length"};
        return true;
    }
    if (static_cast<unsigned long long>(length) > maxBody) {
        const std::size_t dropped = std::min<std::size_t>(pending.size(), length);
        pending.erase(0, dropped);
        toSkip = static_cast<std::size_t>(length) - dropped;
        frame = {Frame::tooLarge, "message of " + std::to_string(length) + " bytes; the limit is " +
                                      std::to_string(maxBody)};
        return true;
    }
    bodyLength = static_cast<std::size_t>(length);
    inBody = true;
    return takeBody(frame);
}

bool MessageReader::skipOversizedHeader(Frame& frame) {
    const std::size_t end = pending.find(headerEnd);
    if (end == std::string::npos) {
        if (pending.size() >= headerEnd.size())
            pending.erase(0, pending.size() - (headerEnd.size() - 1));
        return false;
    }
    pending.erase(0, end + headerEnd.size());
    skippingHeader = false;
    return next(frame);
}

bool MessageReader::takeBody(Frame& frame) {
    if (pending.size() < bodyLength) return false;
    frame = {Frame::message, pending.substr(0, bodyLength)};
    pending.erase(0, bodyLength);
    inBody = false;
    return true;
}

std::string frameMessage(std::string_view body) {
    std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    framed.append(body);
    return framed;
}

}  // namespace zorlsp
