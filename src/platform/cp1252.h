#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Windows-1252, the code page of every text the program stores in a file or sends as a
// datagram. Bytes 0xA0 to 0xFF equal Latin-1, 0x00 to 0x7F equal ASCII; 0x80 to 0x9F hold
// the euro sign and the typographic characters (€ ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž ‘ ’ “ ” • – — ˜ ™ š
// › œ ž Ÿ). The five bytes the code page leaves unassigned (0x81 0x8D 0x8F 0x90 0x9D) stand
// for the control characters of the same number, as Windows decodes them, so that every
// byte of a file survives a read and a write.

// The text as Windows-1252 bytes, one byte per character. A character the code page cannot
// hold becomes '?' (a character beyond U+FFFF, written as a surrogate pair, becomes one '?';
// so does a lone surrogate half).
QByteArray toCp1252(const QString& text);

// The bytes as text; never fails, every byte has a character.
QString fromCp1252(const QByteArray& bytes);

// The byte that stands for codePoint, or nullopt when the code page has no such character.
std::optional<char> cp1252Byte(char32_t codePoint);

// The characters of text the code page cannot hold, each once, in the order they first occur
// (a pair of surrogates counts as the one character it encodes, a lone half as itself). Empty
// when the whole text can be stored; an editor shows these to say what it refused.
QList<char32_t> unstorableCharacters(const QString& text);
