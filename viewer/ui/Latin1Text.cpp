#include "Latin1Text.h"

#include <QFile>

std::string latin1Text(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator) {
            bytes += '\n';
        } else {
            bytes += u < 0x100 ? static_cast<char>(u) : '?';
        }
    }
    return bytes;
}

QString fromLatin1Text(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fileNameBytes(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

QString fileNameText(const std::string& name) {
    return QFile::decodeName(QByteArray::fromStdString(name));
}
