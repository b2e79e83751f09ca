#include "PaneText.h"

#include <algorithm>

#include "Latin1Text.h"

namespace {

bool isLineBreak(char16_t u) {
    return u == QChar::ParagraphSeparator || u == QChar::LineSeparator;
}

// The bytes the character at `at` takes in UTF-8, and the UTF-16 units it takes.
int utf8Bytes(const QString& text, qsizetype at, int& units) {
    const char16_t u = text.at(at).unicode();
    units = 1;
    if (QChar::isHighSurrogate(u) && at + 1 < text.size() &&
        QChar::isLowSurrogate(text.at(at + 1).unicode())) {
        units = 2;
        return 4;
    }
    if (u < 0x80 || isLineBreak(u)) return 1;
    return u < 0x800 ? 2 : 3;
}

QString withLineFeeds(QString text) {
    text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    return text;
}

}  // namespace

QString decodeText(const std::string& bytes, viewer::TextEncoding encoding) {
    if (encoding == viewer::TextEncoding::latin1) return fromLatin1Text(bytes);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string encodeText(const QString& text, viewer::TextEncoding encoding) {
    if (encoding == viewer::TextEncoding::latin1) return latin1Text(text);
    return withLineFeeds(text).toUtf8().toStdString();
}

// UTF-8 holds every character but half of a surrogate pair.
std::string unencodable(const QString& text, viewer::TextEncoding encoding) {
    int units = 1;
    for (qsizetype at = 0; at < text.size(); at += units) {
        const char16_t u = text.at(at).unicode();
        const bool pair = utf8Bytes(text, at, units) == 4;
        const bool fits = encoding == viewer::TextEncoding::latin1 ? u < 0x100 || isLineBreak(u)
                                                                   : pair || !QChar::isSurrogate(u);
        if (!fits) return text.mid(at, units).toUtf8().toStdString();
    }
    return {};
}

viewer::TextEncoding shownEncoding(const std::string& bytes) {
    return viewer::isValidUtf8(bytes) ? viewer::TextEncoding::utf8 : viewer::TextEncoding::latin1;
}

QString decodeShown(const std::string& bytes) {
    return decodeText(bytes, shownEncoding(bytes));
}

int byteOffset(const QString& text, int position, viewer::TextEncoding encoding) {
    position = std::clamp(position, 0, static_cast<int>(text.size()));
    if (encoding == viewer::TextEncoding::latin1) return position;
    int bytes = 0;
    int units = 1;
    for (qsizetype at = 0; at < position; at += units) bytes += utf8Bytes(text, at, units);
    return bytes;
}

int panePosition(const QString& text, int offset, viewer::TextEncoding encoding) {
    if (encoding == viewer::TextEncoding::latin1)
        return std::clamp(offset, 0, static_cast<int>(text.size()));
    int bytes = 0;
    int units = 1;
    qsizetype at = 0;
    for (; at < text.size() && bytes < offset; at += units) bytes += utf8Bytes(text, at, units);
    return static_cast<int>(at);
}
