#include "zepformat.h"

#include "common/filemessages.h"
#include "document/binaryio.h"
#include "document/commatext.h"
#include "document/pngcodec.h"

#include <QIODevice>

namespace {

// A record without its caption: four reals and seven or eight ints.
constexpr qint64 smallestRecordBytes = 4 * 8 + 4 + 7 * 4;

bool hasKey(const QString& keyList, const char* key)
{
    // Keys are found by plain substring search, as every reader of the format does.
    return keyList.contains(QLatin1String(key));
}

bool magicMatches(const QString& magic)
{
    return magic.left(4) == QLatin1String(zepMagic).left(4);
}

} // namespace

ZepReadStatus readTopicFile(QIODevice& device, TopicDocument& doc)
{
    BinaryReader in(device);
    const QString magic = in.readString();
    if (!in.ok())
        return ZepReadStatus::ReadError;
    if (!magicMatches(magic))
        return ZepReadStatus::BadMagic;

    TopicDocument read;
    const QString keys = in.readString();
    read.vers = in.readString();
    read.titel = in.readString();
    read.autor = in.readString();
    read.bemerkung = in.readString();
    if (hasKey(keys, "HD-lueckentext"))
        read.lueckentext = in.readString();
    if (hasKey(keys, "HD-fragentext"))
        read.fragentext = in.readString();
    if (hasKey(keys, "HD-AnzFrageNummern"))
        read.AnzFrageNummern = in.readInt32();
    if (hasKey(keys, "HD-DokTyp"))
        read.DokTyp = DocType(in.readInt32());
    if (hasKey(keys, "HD-RandErw")) {
        for (double& margin : read.RandErw)
            margin = in.readDouble();
    }
    if (hasKey(keys, "HD-NumArt"))
        read.NumArt = in.readInt32();
    if (hasKey(keys, "HD-GeordnetArt"))
        read.GeordnetArt = in.readInt32();

    const bool withPage = hasKey(keys, "OB-FrageNummer");
    const qint32 count = in.readInt32();
    if (!in.ok())
        return ZepReadStatus::ReadError;
    // The count is only a claim: reserve no more than the rest of the file can hold.
    if (count > 0 && !device.isSequential())
        read.objects.reserve(qMin<qint64>(count, (device.size() - device.pos()) / smallestRecordBytes + 1));
    for (qint32 i = 0; i < count && in.ok(); ++i) {
        DocObject object;
        object.Sx = in.readDouble();
        object.Sy = in.readDouble();
        object.Kx = in.readDouble();
        object.Ky = in.readDouble();
        object.Cap = fromCommaText(in.readString());
        object.KAusr = in.readInt32();
        object.TAusr = in.readInt32();
        object.Ebene = in.readInt32();
        object.Typ = in.readInt32();
        object.Sline = in.readInt32();
        object.Fsize = in.readInt32();
        object.KAusrAkt = in.readInt32();
        object.FrageNummer = withPage ? in.readInt32() : -1;
        // Older single-question topics carry a generated "Frage Nr. n" caption the program
        // draws itself now.
        if (object.Typ == ObjectKind::QuestionText && object.Cap.contains(QLatin1String("Frage Nr.")))
            object.Cap.clear();
        object.resetRunTimeState();
        read.objects.append(object);
    }
    if (!in.ok())
        return ZepReadStatus::ReadError;

    if (!readPng(device, read.picture))
        return ZepReadStatus::ReadError;

    doc.vers = read.vers;
    doc.titel = read.titel;
    doc.autor = read.autor;
    doc.bemerkung = read.bemerkung;
    doc.lueckentext = read.lueckentext;
    doc.fragentext = read.fragentext;
    doc.AnzFrageNummern = read.AnzFrageNummern;
    doc.DokTyp = read.DokTyp;
    doc.RandErw = read.RandErw;
    doc.NumArt = read.NumArt;
    doc.GeordnetArt = read.GeordnetArt;
    doc.objects = std::move(read.objects);
    doc.picture = std::move(read.picture);
    return ZepReadStatus::Ok;
}

QStringList zepReadFailureTexts(ZepReadStatus status, const QString& path)
{
    if (status == ZepReadStatus::Ok)
        return {};
    QStringList texts;
    if (status == ZepReadStatus::BadMagic)
        texts.append(QStringLiteral("Ungültiges Dateiformat."));
    texts.append(fileUnreadableText(path));
    return texts;
}

bool peekTopicFile(QIODevice& device, ZepPeek& peek)
{
    BinaryReader in(device);
    const QString magic = in.readString();
    if (!in.ok() || !magicMatches(magic))
        return false;
    in.readString(); // the key list names only fields after the title
    const QString vers = in.readString();
    const QString titel = in.readString();
    if (!in.ok())
        return false;
    peek.vers = vers;
    peek.titel = titel;
    return true;
}

bool writeTopicFile(QIODevice& device, const TopicDocument& doc)
{
    BinaryWriter out(device);
    out.writeString(QString::fromLatin1(zepMagic));
    out.writeString(QString::fromLatin1(zepKeyList));
    for (const QString* text : {&doc.vers, &doc.titel, &doc.autor, &doc.bemerkung, &doc.lueckentext, &doc.fragentext})
        out.writeString(*text);
    out.writeInt32(doc.AnzFrageNummern);
    out.writeInt32(qint32(doc.DokTyp));
    for (double margin : doc.RandErw)
        out.writeDouble(margin);
    out.writeInt32(doc.NumArt);
    out.writeInt32(doc.GeordnetArt);
    out.writeInt32(qint32(doc.objects.size()));
    for (const DocObject& object : doc.objects) {
        out.writeDouble(object.Sx);
        out.writeDouble(object.Sy);
        out.writeDouble(object.Kx);
        out.writeDouble(object.Ky);
        out.writeString(toCommaText(object.Cap));
        for (qint32 value : {object.KAusr, object.TAusr, object.Ebene, object.Typ, object.Sline, object.Fsize,
                 object.KAusrAkt, object.FrageNummer})
            out.writeInt32(value);
    }
    if (!out.ok())
        return false;
    // Every topic file ends with a picture; a document without one gets a white pixel.
    QImage picture = doc.picture;
    if (picture.isNull()) {
        picture = QImage(1, 1, QImage::Format_ARGB32);
        picture.fill(Qt::white);
    }
    return writePng(device, picture, 5);
}
