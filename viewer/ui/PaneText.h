// Text crossing between files and panes in the file's encoding. The library
// counts positions in bytes, so pane positions are turned into byte offsets
// of the encoded text and back; in Latin-1 the two are the same.
#pragma once

#include <QString>

#include <string>

#include "TextForm.h"

QString decodeText(const std::string& bytes, viewer::TextEncoding encoding);

// Paragraph and line separators, which the text document uses for line
// breaks, become '\n'. A character Latin-1 cannot hold becomes '?', so that
// every character still takes one position; unencodable() finds it first.
std::string encodeText(const QString& text, viewer::TextEncoding encoding);

// The first character the encoding cannot hold, as UTF-8; empty when all fit.
std::string unencodable(const QString& text, viewer::TextEncoding encoding);

// Text shown as it is read: UTF-8 when it is valid UTF-8, otherwise Latin-1.
QString decodeShown(const std::string& bytes);
viewer::TextEncoding shownEncoding(const std::string& bytes);

int byteOffset(const QString& text, int position, viewer::TextEncoding encoding);
int panePosition(const QString& text, int offset, viewer::TextEncoding encoding);
