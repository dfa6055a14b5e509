// Fuzz target of the comma-text form of captions and the Windows-1252 codec. The input is the
// stored bytes of a caption, as a topic file holds them; every decoded caption is encoded and
// decoded again, and what must survive that is checked.

#include "document/commatext.h"
#include "platform/cp1252.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what, const QString& text)
{
    if (condition)
        return;
    std::fprintf(stderr, "comma-text invariant broken: %s\ntext (UTF-8): %s\n", what, text.toUtf8().constData());
    std::abort();
}

bool isTrimmed(const QString& text)
{
    return text.isEmpty() || (text.front().unicode() > 32 && text.back().unicode() > 32);
}

// Every line break (CR LF, lone CR, lone LF) as CR LF, the way captions come back from a file.
QString withCrLf(const QString& text)
{
    QString result;
    result.reserve(text.size() + text.size() / 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            result += QStringLiteral("\r\n");
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            result += c;
        }
    }
    return result;
}

// What a caption that went through a file must read back as: up to its first NUL, line breaks
// as CR LF, characters up to the blank trimmed away at both ends.
QString expectedReadBack(const QString& caption)
{
    QString text = caption;
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);
    text = withCrLf(text);
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString stored = fromCp1252(bytes);
    check(toCp1252(stored) == bytes, "Windows-1252 bytes do not round-trip", stored);

    // Whatever a file holds decodes to a trimmed caption without NUL that survives a write
    // and a read, apart from its line breaks becoming CR LF.
    const QString caption = fromCommaText(stored);
    check(!caption.contains(QChar(0)), "decoded caption holds NUL", stored);
    check(isTrimmed(caption), "decoded caption is not trimmed", stored);
    const QString encoded = toCommaText(caption);
    check(fromCommaText(encoded) == withCrLf(caption), "decoded caption does not survive a write and a read", stored);
    check(toCommaText(withCrLf(caption)) == encoded, "line breaks of one kind or another encode differently", stored);

    // The same bytes taken as a caption that the program writes.
    check(fromCommaText(toCommaText(stored)) == expectedReadBack(stored),
        "a written caption reads back other than trimmed and with CR LF", stored);
    return 0;
}
