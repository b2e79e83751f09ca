// Text crosses between files and panes one byte per character (Latin-1), so
// that every file round-trips unchanged and pane positions are byte offsets.
#pragma once

#include <QString>

#include <string>

// A pane's text as bytes. Paragraph and line separators, which the text
// document uses for line breaks, become '\n'; characters that have no byte
// become '?', so that every character still takes one position.
std::string latin1Text(const QString& text);

QString fromLatin1Text(const std::string& text);

// File names are kept as the file system spells them.
std::string fileNameBytes(const QString& name);
QString fileNameText(const std::string& name);
