// Writes the seed corpora of the fuzz targets into FOLDER/fuzz_document, FOLDER/fuzz_commatext,
// FOLDER/fuzz_registry, FOLDER/fuzz_highscore, FOLDER/fuzz_mailslot and FOLDER/fuzz_netmessages:
// topic files of every kind
// as the program writes them, variants put together by hand (optional keys left out, another
// format version, pictures of every PNG colour type, bit depth and interlacing, cut-off files),
// comma texts of every shape a caption takes, registry stores as the program, regedit (UTF-16,
// REGEDIT4) and hand editing leave them, high-score lists whole, cut off, damaged and with other
// key lists, message datagrams as the network exercise sends them, with other line ends, cut
// short and foreign, and sequences of the exercise's messages from joining to the result.
//
//   make_corpus FOLDER

#include "document/binaryio.h"
#include "document/commatext.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"
#include "network/mailslot.h"
#include "network/netmessages.h"
#include "platform/cp1252.h"
#include "platform/registry.h"
#include "results/highscorefile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

QImage gradientPicture(int width, int height, bool withAlpha)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = withAlpha ? (x * 255) / qMax(1, width - 1) : 255;
            picture.setPixel(x, y, qRgba((x * 40) % 256, (y * 60) % 256, ((x + y) * 25) % 256, alpha));
        }
    }
    return picture;
}

DocObject object(double sx, double sy, double kx, double ky, const QString& caption, qint32 typ, qint32 page = -1)
{
    DocObject o;
    o.Sx = sx;
    o.Sy = sy;
    o.Kx = kx;
    o.Ky = ky;
    o.Cap = caption;
    o.KAusr = 1;
    o.Ebene = 1;
    o.Typ = typ;
    o.Sline = 1;
    o.FrageNummer = page;
    return o;
}

TopicDocument labellingTopic()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("Das Herz – „Kammern“ und Vorhöfe");
    doc.autor = QStringLiteral("Jürgen Öztürk");
    doc.bemerkung = QStringLiteral("Für die 7. Klasse.\r\nPreis: 5 €");
    doc.RandErw = {0.1, 0.05, 0.2, 0};
    doc.NumArt = 1;
    doc.picture = gradientPicture(12, 9, false);
    doc.objects = {
        object(0.2, 0.3, 0.05, 0.1, QStringLiteral("Linke Kammer"), ObjectKind::Label),
        object(0.6, 0.3, 0.9, 0.1, QStringLiteral("Aorta, \"Hauptschlagader\""), ObjectKind::Label),
        object(0.5, 0.9, 0.5, 0.95, QStringLiteral("Zeile 1\r\nZeile 2\r\n\r\nZeile 4"), ObjectKind::FixedText),
        object(0.1, 0.8, 0.1, 0.8, QStringLiteral("<b>Info</b> zum <i>Herz</i>"), ObjectKind::InfoPoint),
        object(0.9, 0.8, 0.9, 0.8, QStringLiteral("http://www.example.org/herz.html"), ObjectKind::WebLink),
        object(0.9, 0.9, 0.9, 0.9, QStringLiteral("..\\Kreislauf\\Lunge.zep"), ObjectKind::DocumentLink),
    };
    doc.objects[1].KAusr = 0;
    doc.objects[1].KAusrAkt = 3;
    doc.objects[2].TAusr = 1;
    doc.objects[2].Fsize = 3;
    return doc;
}

TopicDocument clozeTopic()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("Flüsse Europas");
    doc.DokTyp = DocType::ClozeText;
    doc.GeordnetArt = 1;
    doc.lueckentext = QStringLiteral("Der <Rhein> mündet in die <Nordsee>,\r\ndie <Donau> ins Schwarze Meer.");
    doc.picture = gradientPicture(16, 4, true);
    const char* gaps[] = {"Rhein", "Nordsee", "Donau"};
    double x = 0.1;
    for (const char* gap : gaps) {
        DocObject o = object(x, 0.2, x, 0.2, QString::fromLatin1(gap), ObjectKind::ClozeGap);
        o.KAusr = 2;
        o.Sline = 0;
        doc.objects.append(o);
        x += 0.3;
    }
    return doc;
}

TopicDocument singleQuestionsTopic()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("Flaggen der Eurozone zufällig");
    doc.DokTyp = DocType::SingleQuestions;
    doc.fragentext = QStringLiteral("<@flaggenfrage>//Malta\r\nHauptstadt von Estland?//Tallinn\r\nOhne Antwort\r\n");
    doc.AnzFrageNummern = 3;
    doc.picture = gradientPicture(5, 5, false);
    const char* questions[][2]
        = {{"<@flaggenfrage>", "Malta"}, {"Hauptstadt von Estland?", "Tallinn"}, {"Ohne Antwort", "---"}};
    qint32 page = 1;
    for (const auto& question : questions) {
        doc.objects.append(object(0.1, 0.175, 0.1, 0.175, QStringLiteral("Frage:"), ObjectKind::QuestionText, page));
        doc.objects.append(
            object(0.1, 0.4, 0.1, 0.4, QString::fromLatin1(question[0]), ObjectKind::QuestionText, page));
        doc.objects.last().Fsize = 5;
        doc.objects.append(object(0.1, 0.6, 0.1, 0.6, QStringLiteral("Antwort:"), ObjectKind::PageText, page));
        doc.objects.append(object(0.225, 0.6, 0.225, 0.6, QString::fromLatin1(question[1]), ObjectKind::Answer, page));
        ++page;
    }
    const qint32 buttons[] = {ObjectKind::PageFirst, ObjectKind::PagePrevious, ObjectKind::PageNext,
        ObjectKind::PageLast, ObjectKind::PageRandom};
    double x = 0.1;
    for (qint32 kind : buttons) {
        doc.objects.append(object(x, 0.775, x, 0.775, QString(), kind));
        doc.objects.last().Ebene = 2;
        x += 0.06;
    }
    // Older files carry a generated page caption that the reader drops.
    doc.objects.append(object(0.5, 0.1, 0.5, 0.1, QStringLiteral("Frage Nr. 1"), ObjectKind::QuestionText, 1));
    return doc;
}

QByteArray topicBytes(const TopicDocument& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeTopicFile(buffer, doc))
        return {};
    return bytes;
}

void appendToBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

// A 6 x 5 picture in the given PNG colour type and bit depth, written by libpng itself so that
// the seeds hold the layouts the program never writes.
QByteArray pngOfType(int colorType, int bitDepth, bool interlaced, bool transparency)
{
    constexpr int width = 6;
    constexpr int height = 5;
    const int channels = colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
        : colorType == PNG_COLOR_TYPE_RGB                       ? 3
        : colorType == PNG_COLOR_TYPE_RGBA                      ? 4
                                                                : 1;
    const int maxValue = (1 << bitDepth) - 1;
    const size_t rowBytes = (size_t(width) * size_t(channels) * size_t(bitDepth) + 7) / 8;
    // Everything with a destructor exists before setjmp, so that libpng's longjmp skips none.
    std::vector<png_byte> pixels(rowBytes * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = png_byte((i * 73 + size_t(channels) * 19) & 0xff);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = pixels.data() + size_t(y) * rowBytes;
    std::vector<png_color> palette(size_t(maxValue + 1));
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {png_byte(i * 37), png_byte(255 - i * 11), png_byte(i * 5)};
    png_byte alphas[] = {0, 128, 255};

    QByteArray png;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(writer);
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        return {};
    }
    png_set_write_fn(writer, &png, appendToBytes, nullptr);
    png_set_IHDR(writer, info, width, height, bitDepth, colorType,
        interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(writer, info, palette.data(), int(palette.size()));
        if (transparency)
            png_set_tRNS(writer, info, alphas, maxValue >= 2 ? 3 : 2, nullptr);
    } else if (transparency && (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_RGB)) {
        png_color_16 key {};
        key.gray = png_uint_16(maxValue / 2);
        key.red = key.green = key.blue = png_uint_16(maxValue / 3);
        png_set_tRNS(writer, info, nullptr, 0, &key);
    }
    png_write_info(writer, info);
    if (interlaced)
        png_set_interlace_handling(writer);
    png_write_image(writer, rows.data());
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return png;
}

// A topic file put together field by field, for layouts the program's writer never produces.
class HandMade
{
public:
    HandMade()
        : m_buffer(&m_bytes)
        , m_out(m_buffer)
    {
        m_buffer.open(QIODevice::WriteOnly);
    }
    HandMade& text(const char* latin1)
    {
        m_out.writeString(QString::fromLatin1(latin1));
        return *this;
    }
    HandMade& number(qint32 value)
    {
        m_out.writeInt32(value);
        return *this;
    }
    HandMade& real(double value)
    {
        m_out.writeDouble(value);
        return *this;
    }
    HandMade& record(const char* commaText, qint32 typ, bool withPage)
    {
        real(0.25).real(0.5).real(0.75).real(-0.125).text(commaText);
        for (qint32 value : {1, 0, 1, typ, 1, 0, 0})
            number(value);
        if (withPage)
            number(2);
        return *this;
    }
    HandMade& raw(const QByteArray& bytes)
    {
        m_out.writeBytes(bytes);
        return *this;
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    BinaryWriter m_out;
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_corpus: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeDocumentSeeds(const QDir& folder)
{
    bool ok = true;
    auto seed = [&](const char* name, const QByteArray& bytes) {
        ok = !bytes.isEmpty() && writeFile(folder.filePath(QString::fromLatin1(name)), bytes) && ok;
    };

    TopicDocument start;
    start.picture = gradientPicture(1, 1, false);
    seed("start.zep", topicBytes(start));
    seed("labelling.zep", topicBytes(labellingTopic()));
    seed("cloze.zep", topicBytes(clozeTopic()));
    const QByteArray questions = topicBytes(singleQuestionsTopic());
    seed("questions.zep", questions);
    seed("questions-cut-in-picture.zep", questions.left(questions.size() - 20));
    seed("questions-trailing-bytes.zep", questions + QByteArray("nach IEND"));

    const QByteArray png = pngOfType(PNG_COLOR_TYPE_RGB, 8, false, false);
    QByteArray keysWithoutPage(zepKeyList);
    keysWithoutPage.replace("|OB-FrageNummer|", "|");
    seed("no-page-key.zep",
        HandMade()
            .text(zepMagic)
            .text(keysWithoutPage.constData())
            .text("1.00")
            .text("Ohne Seiten")
            .text("")
            .text("")
            .text("Der <Rhein>")
            .text("")
            .number(0)
            .number(1)
            .real(0)
            .real(0.5)
            .real(0)
            .real(0)
            .number(0)
            .number(0)
            .number(2)
            .record("Rhein", ObjectKind::ClozeGap, false)
            .record("\"zwei Zeilen\",\"mit \"\"Zitat\"\"\"", ObjectKind::Label, false)
            .raw(png)
            .bytes());
    seed("no-header-keys-version-2.zep",
        HandMade()
            .text("ALF-2.00")
            .text("|HD-vers|HD-titel|OB-Cap|OB-FrageNummer|")
            .text("0.9")
            .text("Alt")
            .text("A")
            .text("B")
            .number(2)
            .record("\"Frage Nr. 3\"", ObjectKind::QuestionText, true)
            .record("x,,y", ObjectKind::Label, true)
            .raw(png)
            .bytes());

    struct PngVariant
    {
        const char* name;
        int colorType;
        int bitDepth;
        bool interlaced;
        bool transparency;
    };
    const PngVariant variants[] = {
        {"grey1", PNG_COLOR_TYPE_GRAY, 1, false, false},
        {"grey2-interlaced", PNG_COLOR_TYPE_GRAY, 2, true, false},
        {"grey4-key", PNG_COLOR_TYPE_GRAY, 4, false, true},
        {"grey8", PNG_COLOR_TYPE_GRAY, 8, false, false},
        {"grey16-key-interlaced", PNG_COLOR_TYPE_GRAY, 16, true, true},
        {"grey-alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
        {"grey-alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, true, false},
        {"rgb8-key", PNG_COLOR_TYPE_RGB, 8, false, true},
        {"rgb16-interlaced", PNG_COLOR_TYPE_RGB, 16, true, false},
        {"rgba8-interlaced", PNG_COLOR_TYPE_RGBA, 8, true, false},
        {"rgba16", PNG_COLOR_TYPE_RGBA, 16, false, false},
        {"palette1", PNG_COLOR_TYPE_PALETTE, 1, false, false},
        {"palette2-trns", PNG_COLOR_TYPE_PALETTE, 2, false, true},
        {"palette4-interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, false},
        {"palette8-trns", PNG_COLOR_TYPE_PALETTE, 8, false, true},
    };
    for (const PngVariant& variant : variants) {
        const QByteArray bytes
            = HandMade()
                  .text(zepMagic)
                  .text(zepKeyList)
                  .text("1.00")
                  .text(variant.name)
                  .text("")
                  .text("")
                  .text("")
                  .text("")
                  .number(0)
                  .number(0)
                  .real(0)
                  .real(0)
                  .real(0)
                  .real(0)
                  .number(0)
                  .number(0)
                  .number(1)
                  .record("a", ObjectKind::Label, true)
                  .raw(pngOfType(variant.colorType, variant.bitDepth, variant.interlaced, variant.transparency))
                  .bytes();
        seed((QByteArray("png-") + variant.name + ".zep").constData(), bytes);
    }
    return ok;
}

bool writeCommaTextSeeds(const QDir& folder)
{
    const QString captions[] = {
        QString(),
        QStringLiteral("Leber"),
        QStringLiteral("a, b"),
        QStringLiteral("x\r\ny"),
        QStringLiteral("Er sagte \"ja\"\r\n\r\nund ging."),
        QStringLiteral("\r\n"),
        QStringLiteral("  eingerückt\ttab\r\nEnde  "),
        QStringLiteral("Größe – „Maße“ € ‚x‘ …"),
        QStringLiteral("lone\rcr\nlf"),
    };
    bool ok = true;
    int index = 0;
    for (const QString& caption : captions) {
        const QString name = QStringLiteral("caption-%1.txt").arg(index++);
        ok = writeFile(folder.filePath(name), toCp1252(toCommaText(caption))) && ok;
    }
    const char* raw[] = {"\"unclosed, quote", " ,,, ", "\"\"\"\"",
        "a\x01,\x1f"
        "b",
        "\"x\" y,\"z\"\"\""};
    for (const char* text : raw) {
        const QString name = QStringLiteral("raw-%1.txt").arg(index++);
        ok = writeFile(folder.filePath(name), QByteArray(text)) && ok;
    }
    return ok;
}

bool writeRegistrySeeds(const QDir& folder)
{
    auto value = [](const char* name, RegistryValueType type, quint32 dword, const QString& text, const char* raw) {
        RegistryValue v;
        v.name = QString::fromUtf8(name);
        v.type = type;
        v.dword = dword;
        v.text = text;
        v.raw = QString::fromLatin1(raw);
        return v;
    };
    const QList<RegistryKeyData> keys = {
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere"),
            {value("Opt-Sound", RegistryValueType::DWord, 1, {}, ""),
                value("UebOpt-ZeitLimit", RegistryValueType::DWord, 0xFFFFFFFF, {}, ""),
                value("NetzKomOrdner", RegistryValueType::String, 0, QStringLiteral("/home/anna/kom/"), ""),
                value("Name \"mit\" \\", RegistryValueType::String, 0, QStringLiteral("C:\\Programme\\x\\"), ""),
                value("Größe", RegistryValueType::String, 0, QStringLiteral("Zeile 1\r\nZeile 2\t€"), ""),
                value("", RegistryValueType::String, 0, QStringLiteral("Standard"), ""),
                value("Liste", RegistryValueType::Other, 0, {}, "hex(7):61,00,00,00,00,00")}},
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\Andere"),
            {value("Q", RegistryValueType::Other, 0, {}, "hex(b):01,00,00,00,00,00,00,00"),
                value("Bin", RegistryValueType::Other, 0, {}, "hex:01,ff")}},
    };
    const QByteArray program = serializeRegistryText(keys);

    // regedit on Windows: UTF-16LE with BOM and CR LF.
    const QString crLf = QString::fromUtf8(program).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QByteArray utf16("\xFF\xFE");
    for (QChar c : crLf) {
        utf16.append(char(c.unicode() & 0xFF));
        utf16.append(char(c.unicode() >> 8));
    }

    const QByteArray handMade[][2] = {
        {"regedit4.reg",
            "REGEDIT4\r\n\r\n[HKCU\\Software\\Kestrova\\Tallowmere]\r\n\"A\"=\"a\"\r\n"
            "\"Pfad\"=hex(2):25,54,45,4d,50,25,5c,fc,00\r\n"},
        {"cp1252.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n"
            "\"Gr\xF6\xDF"
            "e\"=\"\x80 5\"\r\n"},
        {"continued.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\x]\n"
            "\"A\"=hex(1):48,00,61,00,\\\n  6c,00,6c,00,\\\n  6f,00,00,00\n"
            "\"B\"=hex:01,\\\n[HKEY_CURRENT_USER\\y]\n@=dword:0000abcd\n"},
        {"damaged.reg",
            "; Kommentar\n\"X\"=\"vor dem Schl\xC3\xBCssel\"\n[HKEY_CURRENT_USER\\x]\n\"A=dword:1\n"
            "\"B\"=dword:123456789\n\"C\"=\"offen\n\"D\"=-\n[-HKEY_CURRENT_USER\\x]\n\"E\"=\"e\"\n"
            "[HKEY_CURRENT_USER\\X]\n\"a\"=\"zweimal\"\n\"F\"=hex(zz):00\n[kaputt\n\"G\"=\"g\"\n"},
    };

    bool ok = writeFile(folder.filePath(QStringLiteral("program.reg")), program);
    ok = writeFile(folder.filePath(QStringLiteral("regedit-utf16.reg")), utf16) && ok;
    ok = writeFile(folder.filePath(QStringLiteral("utf8-bom.reg")), "\xEF\xBB\xBF" + program) && ok;
    for (const auto& [name, bytes] : handMade)
        ok = writeFile(folder.filePath(QString::fromLatin1(name)), bytes) && ok;
    return ok;
}

bool writeHighScoreSeeds(const QDir& folder)
{
    HighScoreList list;
    const char* names[] = {"Anna", "  ", "Jürgen Öztürk", "(kein Name)", ""};
    for (int i = 0; i < 5; ++i) {
        HighScoreEntry entry;
        entry.Name = QString::fromUtf8(names[i]);
        entry.Rechner = QStringLiteral("PC-%1").arg(i);
        entry.Beginn = 45000.25 + i;
        entry.Dauer = i == 4 ? -1500 : i * 59999;
        entry.Leistung = i % 2 ? 0.8 : 1.0 / (i + 1);
        list.append(entry);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeHighScoreList(buffer, list);
    const QByteArray whole = buffer.data();

    // A list under another key list, field by field as an older or newer writer may leave it.
    QByteArray keysWithoutDauer;
    {
        QBuffer out(&keysWithoutDauer);
        out.open(QIODevice::WriteOnly);
        BinaryWriter writer(out);
        writer.writeString(QString::fromLatin1(highScoreMagic));
        writer.writeString(QStringLiteral("|HSC-Name|HSC-Rechner|HSC-Beginn|HSC-Leistung|HSC-Klasse|"));
        for (int i = 0; i < 3; ++i) {
            writer.writeString(QStringLiteral("Ole %1").arg(i));
            writer.writeString(QStringLiteral("PC"));
            writer.writeDouble(45000 + i);
            writer.writeDouble(0.5);
        }
    }
    QByteArray damaged = whole;
    damaged.append("\xfb\xff\xff\xffRest", 8);

    bool ok = writeFile(folder.filePath(QStringLiteral("list.hsc")), whole);
    ok = writeFile(folder.filePath(QStringLiteral("cut-in-entry.hsc")), whole.left(whole.size() - 5)) && ok;
    ok = writeFile(folder.filePath(QStringLiteral("cut-in-header.hsc")), whole.left(20)) && ok;
    ok = writeFile(folder.filePath(QStringLiteral("without-dauer.hsc")), keysWithoutDauer) && ok;
    ok = writeFile(folder.filePath(QStringLiteral("damaged.hsc")), damaged) && ok;
    QByteArray foreign = whole;
    foreign[11] = '2';
    ok = writeFile(folder.filePath(QStringLiteral("foreign-magic.hsc")), foreign) && ok;
    return ok;
}

bool writeMailslotSeeds(const QDir& folder)
{
    const QString user = QStringLiteral("Jürgen");
    const QString computer = QStringLiteral("PC-07");
    const QByteArray seeds[][2] = {
        {"no-payload.dat", buildMailslotDatagram(user, computer, {})},
        {"finished.dat",
            buildMailslotDatagram(user, computer,
                {QStringLiteral("TN-FERTIG"), QStringLiteral("QWERTZUIOPASDFGHJKLYXCVBNMQWER"), QStringLiteral("1")})},
        {"empty-lines.dat", buildMailslotDatagram({}, {}, {{}, QStringLiteral("Größe – 5 €"), {}})},
        {"lf-only.dat", "Message\nanna\nPC07\nA\nB\n"},
        {"cr-only.dat", "Message\ranna\rPC07\rA"},
        {"cut-short.dat", "Message\r\nanna"},
        {"foreign.dat", "M-SEARCH * HTTP/1.1\r\n\r\n"},
    };
    bool ok = true;
    for (const auto& [name, bytes] : seeds)
        ok = writeFile(folder.filePath(QString::fromLatin1(name)), bytes) && ok;
    return ok;
}

// Sequences of the exercise's messages as fuzz_netmessages reads them: a sender byte, the text,
// a zero byte.
bool writeNetMessageSeeds(const QDir& folder)
{
    const QString id = QStringLiteral("QWERTZUIOPASDFGHJKLYXCVBNMQWER");
    const auto text = [](char sender, const QStringList& lines) {
        return QByteArray(1, sender) + toCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")) + '\0';
    };
    const QStringList action = {QStringLiteral("TN-AKTION"), id, "2", "-2", "1", "0", "10:15:00", "10", "3", "1", "6",
        "01:05", "75.0", "30.0", "5"};
    const QByteArray join = text('\1', initMessage(id, QStringLiteral("Jürgen"), 46000.5));
    const QByteArray whole = join + text('\1', action) + text('\1', finishMessage(id, 1, QStringLiteral("01:10")))
        + text('\1', bestListMessage(id, QString(), QStringLiteral("PC-07"), 46000.5, 65000, 0.3));
    const QByteArray seeds[][2] = {
        {"join.msg", join},
        {"whole-quiz.msg", whole},
        {"time-out-twice.msg",
            whole + text('\1', finishMessage(id, 3, QStringLiteral("00:00")))
                + text('\1', bestListMessage(id, QString(), QStringLiteral("PC-07"), 46000.5, 65000, 0.3))},
        {"other-sender.msg", join + text('\2', action)},
    };
    bool ok = true;
    for (const auto& [name, bytes] : seeds)
        ok = writeFile(folder.filePath(QString::fromLatin1(name)), bytes) && ok;
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus FOLDER\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString documents = QStringLiteral("fuzz_document");
    const QString commaTexts = QStringLiteral("fuzz_commatext");
    const QString registryStores = QStringLiteral("fuzz_registry");
    const QString highScoreLists = QStringLiteral("fuzz_highscore");
    const QString datagrams = QStringLiteral("fuzz_mailslot");
    const QString messages = QStringLiteral("fuzz_netmessages");
    if (!root.mkpath(documents) || !root.mkpath(commaTexts) || !root.mkpath(registryStores)
        || !root.mkpath(highScoreLists) || !root.mkpath(datagrams) || !root.mkpath(messages)) {
        std::fprintf(stderr, "make_corpus: cannot create the folders below %s\n", argv[1]);
        return 1;
    }
    const bool ok = writeDocumentSeeds(QDir(root.filePath(documents)))
        && writeCommaTextSeeds(QDir(root.filePath(commaTexts)))
        && writeRegistrySeeds(QDir(root.filePath(registryStores)))
        && writeHighScoreSeeds(QDir(root.filePath(highScoreLists)))
        && writeMailslotSeeds(QDir(root.filePath(datagrams))) && writeNetMessageSeeds(QDir(root.filePath(messages)));
    return ok ? 0 : 1;
}
