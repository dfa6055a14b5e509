#include "cp1252.h"

namespace {

// The characters of bytes 0x80 to 0x9F; unassigned bytes keep their own number.
constexpr char16_t upperBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

constexpr char16_t characterOf(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? upperBlock[byte - 0x80] : char16_t(byte);
}

} // namespace

std::optional<char> cp1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (upperBlock[i] == codePoint)
            return char(0x80 + i);
    }
    return std::nullopt;
}

QByteArray toCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            // A character beyond U+FFFF: none of them is in the code page.
            ++i;
            bytes += '?';
            continue;
        }
        // A lone surrogate half is no character at all; the lookup finds nothing for it.
        bytes += cp1252Byte(unit).value_or('?');
    }
    return bytes;
}

QString fromCp1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(characterOf(static_cast<unsigned char>(byte)));
    return text;
}

QList<char32_t> unstorableCharacters(const QString& text)
{
    QList<char32_t> found;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = text.at(i).unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(char16_t(code), text.at(++i).unicode());
        if (!cp1252Byte(code) && !found.contains(code))
            found.append(code);
    }
    return found;
}
