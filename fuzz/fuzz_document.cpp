// The topic file reader against arbitrary bytes. Besides surviving every input (no crash, no
// leak, no undefined behaviour, no unbounded allocation), whatever it accepts must survive the
// program's own writer: written and read again, the topic comes back with the same header,
// objects and picture, captions apart from the trimming their comma-text form is known for;
// and a second round trip changes nothing at all.

#include "document/commatext.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_document: %s\n", what);
    std::abort();
}

// Doubles compare bit for bit: the format carries NaN payloads and negative zero unchanged.
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

ZepReadStatus readFrom(const QByteArray& bytes, TopicDocument& document)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readTopicFile(buffer, document);
}

QByteArray written(const TopicDocument& document)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    check(writeTopicFile(buffer, document), "writing a topic that was read failed");
    return bytes;
}

// The caption as any reader sees it after the topic has been written once.
QString normalisedCaption(const DocObject& object)
{
    const QString caption = fromCommaText(toCommaText(object.Cap));
    if (object.Typ == ObjectKind::QuestionText && caption.contains(QLatin1String("Frage Nr.")))
        return {};
    return caption;
}

void compareTopics(const TopicDocument& expected, const TopicDocument& actual, bool captionsNormalised)
{
    check(actual.vers == expected.vers, "vers changed");
    check(actual.titel == expected.titel, "titel changed");
    check(actual.autor == expected.autor, "autor changed");
    check(actual.bemerkung == expected.bemerkung, "bemerkung changed");
    check(actual.lueckentext == expected.lueckentext, "lueckentext changed");
    check(actual.fragentext == expected.fragentext, "fragentext changed");
    check(actual.AnzFrageNummern == expected.AnzFrageNummern, "AnzFrageNummern changed");
    check(actual.DokTyp == expected.DokTyp, "DokTyp changed");
    for (size_t i = 0; i < expected.RandErw.size(); ++i)
        check(sameBits(actual.RandErw[i], expected.RandErw[i]), "RandErw changed");
    check(actual.NumArt == expected.NumArt, "NumArt changed");
    check(actual.GeordnetArt == expected.GeordnetArt, "GeordnetArt changed");

    check(actual.objects.size() == expected.objects.size(), "object count changed");
    for (qsizetype i = 0; i < expected.objects.size(); ++i) {
        const DocObject& e = expected.objects.at(i);
        const DocObject& a = actual.objects.at(i);
        check(sameBits(a.Sx, e.Sx) && sameBits(a.Sy, e.Sy) && sameBits(a.Kx, e.Kx) && sameBits(a.Ky, e.Ky),
            "object position changed");
        check(a.Cap == (captionsNormalised ? e.Cap : normalisedCaption(e)), "caption changed beyond its trimming");
        check(a.KAusr == e.KAusr && a.TAusr == e.TAusr && a.Ebene == e.Ebene && a.Typ == e.Typ && a.Sline == e.Sline
                && a.Fsize == e.Fsize && a.KAusrAkt == e.KAusrAkt && a.FrageNummer == e.FrageNummer,
            "object number field changed");
        check(a.coverState == CoverState::Covered && a.displayNumber == -1, "run-time state not reset");
    }

    check(actual.picture.size() == expected.picture.size(), "picture size changed");
    check(actual.picture.format() == expected.picture.format(), "picture format changed");
    check(actual.picture == expected.picture, "picture pixels changed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        ZepPeek peek;
        peekTopicFile(buffer, peek);
    }

    TopicDocument read;
    if (readFrom(bytes, read) != ZepReadStatus::Ok)
        return 0;
    check(!read.picture.isNull(), "a topic was read without a picture");

    TopicDocument once;
    check(readFrom(written(read), once) == ZepReadStatus::Ok, "a written topic does not read back");
    compareTopics(read, once, false);

    TopicDocument twice;
    check(readFrom(written(once), twice) == ZepReadStatus::Ok, "a topic written twice does not read back");
    compareTopics(once, twice, true);
    return 0;
}
