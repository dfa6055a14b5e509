// Fuzz target of the reader of the message channel's datagrams. The input is one datagram as it
// comes from the network, from anyone; whatever it holds, the reader must not fail, and a message
// it accepts must come out the same when written again and read back.

#include "network/mailslot.h"
#include "platform/cp1252.h"
#include "platform/mailslottransport.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what, const QByteArray& datagram)
{
    if (condition)
        return;
    std::fprintf(stderr, "datagram reader invariant broken: %s\ndatagram: %s\n", what, datagram.toHex().constData());
    std::abort();
}

bool holdsLineBreak(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<MailslotMessage> message = parseMailslotDatagram(datagram);
    if (datagram.size() > maxMailslotDatagramSize)
        check(!message, "an oversized datagram was accepted", datagram);
    if (!message) {
        check((!datagram.startsWith("Message\r") && !datagram.startsWith("Message\n") && datagram != "Message")
                || datagram.size() > maxMailslotDatagramSize,
            "a datagram starting with the tag line was refused", datagram);
        return 0;
    }
    check(datagram.startsWith("Message"), "a datagram without the tag was accepted", datagram);
    check(!holdsLineBreak(message->userName) && !holdsLineBreak(message->computer), "a header field holds a line break",
        datagram);
    check(datagram.endsWith(toCp1252(message->text)), "the text is not the end of the datagram", datagram);

    // Written again with the text as it came (its bytes after the header), the message reads back the same.
    const QByteArray again = buildMailslotDatagram(message->userName, message->computer, {}) + toCp1252(message->text);
    const std::optional<MailslotMessage> reread = parseMailslotDatagram(again);
    check(again.size() > maxMailslotDatagramSize || reread.has_value(), "a written message was refused", datagram);
    if (reread) {
        check(reread->userName == message->userName && reread->computer == message->computer
                && reread->text == message->text,
            "a written message reads back otherwise", datagram);
    }
    return 0;
}
