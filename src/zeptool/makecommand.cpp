#include "zeptool/zeptool.h"

#include "common/filemessages.h"
#include "common/textutil.h"
#include "document/clozesource.h"
#include "document/objectlayout.h"
#include "document/pngcodec.h"
#include "document/questionsource.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"
#include "platform/cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

// zeptool make SOURCE -o FILE.zep: a topic from a text file a teacher can write in any editor.
//
// The source is read line by line. "#" starts a comment line; "[Thema]", "[Fragen]",
// "[Lückentext]" and "[Objekte]" start sections. [Thema] holds "Schlüssel = Wert" lines,
// [Fragen] one single question a line ("question // answer"), [Lückentext] the cloze text with
// its gaps "<<word>>", [Objekte] one object a line ("Art X Y [X2 Y2] [Optionen]: Text", lines
// starting with "|" continue the text). The README shows the whole format with an example.
//
// Every problem is reported with its line, and the topic file is written only when there is
// none: a teacher fixes the source and runs the command again, and a good topic file from an
// earlier run stays as it was until then.

namespace {

// Far beyond any topic a teacher writes, and small enough to read into memory at once.
constexpr qint64 maxSourceBytes = 16 * 1024 * 1024;
// A source in the wrong format (a picture, a topic file) would otherwise give a line per line.
constexpr int maxReportedProblems = 30;
// Margins widen the card by multiples of the picture; more than this only makes it tiny.
constexpr double maxMargin = 4.0;
// The plain picture of a topic that names none: the card's own proportions; for single
// questions a taller card. A quiz draws a question's picture lower by the card's distance from
// the top of its image control, and a card that fills the control's height keeps that distance
// at nothing, so the picture stays clear of the answer tiles below it.
constexpr QSize plainPicture(870, 600);
constexpr QSize plainQuestionsPicture(810, 900);

enum class Section { None, Unknown, Topic, Questions, Cloze, Objects };

struct Problem
{
    int line = 0; // 0: the problem belongs to no single line
    QString text;
};

struct SourceLine
{
    int number = 0;
    QString text;
};

struct SourceObject
{
    int line = 0;
    DocObject object;
};

// Keys and words of the source ignore case and may be written with or without umlauts.
QString foldedWord(const QString& word)
{
    QString folded = word.trimmed().toLower();
    folded.replace(u'ä', QLatin1String("ae"));
    folded.replace(u'ö', QLatin1String("oe"));
    folded.replace(u'ü', QLatin1String("ue"));
    folded.replace(u'ß', QLatin1String("ss"));
    return folded;
}

QStringList splitSourceLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A position or margin: "0.25", "0,25" (the German way) or "25%".
std::optional<double> parseFraction(QString token)
{
    double divisor = 1;
    if (token.endsWith(u'%')) {
        token.chop(1);
        divisor = 100;
    }
    token.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(token, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value / divisor;
}

class SourceParser
{
public:
    explicit SourceParser(QString sourceFolder)
        : m_sourceFolder(std::move(sourceFolder))
    { }

    void parse(const QStringList& lines);
    // The topic, or nothing when a problem was found (see problems()).
    std::optional<TopicDocument> build(const std::optional<QString>& titleOverride);

    const QList<Problem>& problems() const { return m_problems; }

private:
    void report(int line, const QString& text) { m_problems.append({line, text}); }
    bool checkCharacters(int line, const QString& text);
    void parseSectionHeader(int line, const QString& name);
    void parseTopicLine(int line, const QString& text);
    void parseQuestionLine(int line, const QString& text);
    void parseObjectLine(int line, const QString& text);
    void parseObjectContinuation(int line, const QString& text);
    QStringList clozeGaps(int line, const QString& text);
    QImage loadPicture(DocType type);

    QString m_sourceFolder;
    QList<Problem> m_problems;
    Section m_section = Section::None;
    QList<Section> m_seenSections;
    QStringList m_seenKeys;

    TopicDocument m_document;
    std::optional<DocType> m_type;
    int m_typeLine = 0;
    QString m_picturePath;
    int m_pictureLine = 0;
    int m_titleLine = 0;
    QStringList m_remarkLines;

    QList<SingleQuestion> m_questions;
    QStringList m_questionLines;
    int m_questionLinesSeen = 0; // refused ones too: their problem is reported already
    int m_questionsHeader = 0;
    QList<SourceLine> m_clozeLines;
    int m_clozeHeader = 0;
    QList<SourceObject> m_objects;
    // What a line starting with "|" continues: the object of the line above, none, or one that
    // was refused (its continuation is skipped: the refusal has been reported already).
    enum class Continuation { None, Object, Refused };
    Continuation m_continuation = Continuation::None;
};

// Everything the topic file stores is Windows-1252 text, and a caption must not hold control
// characters (a character 0 would end it on reading): what the file cannot hold is refused
// here rather than turned into question marks without a word.
bool SourceParser::checkCharacters(int line, const QString& text)
{
    const std::optional<ClozeProblem> problem = unstorableTextProblem(text);
    if (problem)
        report(line, problem->text);
    return !problem;
}

void SourceParser::parse(const QStringList& lines)
{
    for (int index = 0; index < lines.size(); ++index) {
        const int number = index + 1;
        const QString& line = lines.at(index);
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            parseSectionHeader(number, trimmed.sliced(1, trimmed.size() - 2));
            continue;
        }
        switch (m_section) {
        case Section::None:
            // Once is enough: a file that is no source at all would otherwise fill the screen.
            if (!trimmed.isEmpty()) {
                report(number, QStringLiteral("Text vor dem ersten Abschnitt; die Quelle beginnt mit [Thema]."));
                m_section = Section::Unknown;
            }
            break;
        case Section::Unknown:
            break;
        case Section::Topic:
            if (!trimmed.isEmpty())
                parseTopicLine(number, trimmed);
            break;
        case Section::Questions:
            if (!trimmed.isEmpty())
                parseQuestionLine(number, line);
            break;
        case Section::Cloze:
            // Empty lines are part of the text: they separate its paragraphs.
            if (checkCharacters(number, line))
                m_clozeLines.append({number, line});
            break;
        case Section::Objects:
            if (trimmed.startsWith(u'|'))
                parseObjectContinuation(number, trimmed);
            else if (!trimmed.isEmpty())
                parseObjectLine(number, trimmed);
            break;
        }
        if (m_problems.size() > maxReportedProblems)
            return;
    }
}

void SourceParser::parseSectionHeader(int line, const QString& name)
{
    const QString folded = foldedWord(name);
    Section section = Section::None;
    if (folded == QLatin1String("thema"))
        section = Section::Topic;
    else if (folded == QLatin1String("fragen"))
        section = Section::Questions;
    else if (folded == QLatin1String("lueckentext"))
        section = Section::Cloze;
    else if (folded == QLatin1String("objekte"))
        section = Section::Objects;
    if (section == Section::None) {
        report(line,
            QStringLiteral("Unbekannter Abschnitt \"[%1]\"; erlaubt sind [Thema], [Fragen], [Lückentext] und "
                           "[Objekte].")
                .arg(name));
        // The lines up to the next known section are skipped rather than each reported.
        m_section = Section::Unknown;
        m_continuation = Continuation::None;
        return;
    }
    if (m_seenSections.contains(section)) {
        report(line, QStringLiteral("Der Abschnitt \"[%1]\" steht zum zweiten Mal in der Quelle.").arg(name));
    }
    m_seenSections.append(section);
    m_section = section;
    m_continuation = Continuation::None;
    if (section == Section::Questions)
        m_questionsHeader = line;
    else if (section == Section::Cloze)
        m_clozeHeader = line;
}

void SourceParser::parseTopicLine(int line, const QString& text)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        report(line, QStringLiteral("Erwartet wird \"Schlüssel = Wert\", zum Beispiel \"Titel = Meine Fragen\"."));
        return;
    }
    const QString keyText = text.left(equals).trimmed();
    const QString key = foldedWord(keyText);
    const QString value = text.mid(equals + 1).trimmed();
    if (!checkCharacters(line, value))
        return;
    if (key != QLatin1String("bemerkung")) {
        if (m_seenKeys.contains(key)) {
            report(line, QStringLiteral("\"%1\" steht zum zweiten Mal im Abschnitt [Thema].").arg(keyText));
            return;
        }
        m_seenKeys.append(key);
    }

    if (key == QLatin1String("titel")) {
        m_document.titel = value;
        m_titleLine = line;
    } else if (key == QLatin1String("autor")) {
        m_document.autor = value;
    } else if (key == QLatin1String("bemerkung")) {
        // Each further line of the remark is one more "Bemerkung =" line.
        m_remarkLines.append(value);
    } else if (key == QLatin1String("version")) {
        if (value.isEmpty())
            report(line, QStringLiteral("Die Version ist leer."));
        else
            m_document.vers = value;
    } else if (key == QLatin1String("typ")) {
        const QString folded = foldedWord(value);
        m_typeLine = line;
        if (folded == QLatin1String("beschriftung"))
            m_type = DocType::ImageLabelling;
        else if (folded == QLatin1String("lueckentext"))
            m_type = DocType::ClozeText;
        else if (folded == QLatin1String("einzelfragen"))
            m_type = DocType::SingleQuestions;
        else
            report(line,
                QStringLiteral("Unbekannter Typ \"%1\"; erlaubt sind Beschriftung, Lückentext und Einzelfragen.")
                    .arg(value));
    } else if (key == QLatin1String("bild")) {
        if (value.isEmpty())
            report(line, QStringLiteral("Der Name des Bildes fehlt."));
        m_picturePath = value;
        m_pictureLine = line;
    } else if (key == QLatin1String("rand")) {
        const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = parts.size() == 4;
        for (int i = 0; ok && i < 4; ++i) {
            const std::optional<double> margin = parseFraction(parts.at(i));
            ok = margin && *margin >= 0 && *margin <= maxMargin;
            if (ok)
                m_document.RandErw[size_t(i)] = *margin;
        }
        if (!ok)
            report(line,
                QStringLiteral("Rand erwartet vier Zahlen zwischen 0 und %1 (links, oben, rechts, unten), "
                               "zum Beispiel \"Rand = 0 0 0,5 0\".")
                    .arg(maxMargin));
    } else if (key == QLatin1String("nummerierung")) {
        const QString folded = foldedWord(value);
        if (folded == QLatin1String("zahlen"))
            m_document.NumArt = 0;
        else if (folded == QLatin1String("buchstaben"))
            m_document.NumArt = 1;
        else
            report(line, QStringLiteral("Nummerierung ist \"Zahlen\" oder \"Buchstaben\", nicht \"%1\".").arg(value));
    } else if (key == QLatin1String("ordnung")) {
        const QString folded = foldedWord(value);
        if (folded == QLatin1String("position"))
            m_document.GeordnetArt = 0;
        else if (folded == QLatin1String("alphabet"))
            m_document.GeordnetArt = 1;
        else
            report(line, QStringLiteral("Ordnung ist \"Position\" oder \"Alphabet\", nicht \"%1\".").arg(value));
    } else {
        report(line,
            QStringLiteral("Unbekannter Schlüssel \"%1\"; erlaubt sind Titel, Autor, Bemerkung, Typ, Bild, Rand, "
                           "Nummerierung, Ordnung und Version.")
                .arg(keyText));
    }
}

void SourceParser::parseQuestionLine(int line, const QString& text)
{
    ++m_questionLinesSeen;
    if (!checkCharacters(line, text))
        return;
    const SingleQuestion question = splitQuestionLine(text);
    const QString problem = questionProblem(question);
    if (!problem.isEmpty()) {
        report(line, problem);
        return;
    }
    m_questions.append(question);
    m_questionLines.append(windowsTrimmed(text));
}

// The gaps of one line of the cloze text, as the card finds them.
QStringList SourceParser::clozeGaps(int line, const QString& text)
{
    const ClozeLineGaps gaps = clozeLineGaps(text);
    if (gaps.problem)
        report(line, gaps.problem->text);
    return gaps.gaps;
}

void SourceParser::parseObjectLine(int line, const QString& text)
{
    // Until the object is taken, its continuation lines belong to a refused one.
    m_continuation = Continuation::Refused;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0) {
        report(
            line, QStringLiteral("Der Doppelpunkt vor dem Text fehlt, zum Beispiel \"Beschriftung 40% 30%: Rhein\"."));
        return;
    }
    const QStringList head = text.left(colon).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString caption = windowsTrimmed(text.mid(colon + 1));
    if (head.isEmpty()) {
        report(line, QStringLiteral("Die Art des Objekts fehlt vor dem Doppelpunkt."));
        return;
    }

    qint32 type;
    const QString kind = foldedWord(head.first());
    if (kind == QLatin1String("beschriftung")) {
        type = ObjectKind::Label;
    } else if (kind == QLatin1String("text")) {
        type = ObjectKind::FixedText;
    } else if (kind == QLatin1String("info")) {
        type = ObjectKind::InfoPoint;
    } else if (kind == QLatin1String("link")) {
        type = ObjectKind::WebLink;
    } else if (kind == QLatin1String("dokument")) {
        type = ObjectKind::DocumentLink;
    } else {
        report(line,
            QStringLiteral("Unbekannte Art \"%1\"; erlaubt sind Beschriftung, Text, Info, Link und Dokument.")
                .arg(head.first()));
        return;
    }

    QList<double> numbers;
    qsizetype next = 1;
    for (; next < head.size() && numbers.size() < 4; ++next) {
        const std::optional<double> value = parseFraction(head.at(next));
        if (!value)
            break;
        if (*value < 0 || *value > 1) {
            report(line,
                QStringLiteral("Die Position \"%1\" liegt nicht auf der Karte: erlaubt sind 0 bis 1 oder 0% bis "
                               "100%.")
                    .arg(head.at(next)));
            return;
        }
        numbers.append(*value);
    }
    if (numbers.size() != 2 && numbers.size() != 4) {
        report(line, QStringLiteral("Erwartet werden zwei Zahlen (x y) oder vier (x y des Punkts, x y des Textes)."));
        return;
    }
    const QPointF point(numbers.at(0), numbers.at(1));
    DocObject object = numbers.size() == 4 ? placedObject(type, point, QPointF(numbers.at(2), numbers.at(3)))
                                           : placedObject(type, point);

    for (; next < head.size(); ++next) {
        const QString option = foldedWord(head.at(next));
        static const QStringList placements {QStringLiteral("automatisch"), QStringLiteral("rechts"),
            QStringLiteral("oben"), QStringLiteral("links"), QStringLiteral("unten")};
        static const QStringList alignments {
            QStringLiteral("linksbuendig"), QStringLiteral("zentriert"), QStringLiteral("rechtsbuendig")};
        bool ok = true;
        if (placements.contains(option)) {
            object.KAusr = qint32(placements.indexOf(option));
        } else if (alignments.contains(option)) {
            object.TAusr = qint32(alignments.indexOf(option));
        } else if (option == QLatin1String("linie")) {
            object.Sline = 1;
        } else if (option == QLatin1String("ohnelinie")) {
            object.Sline = 0;
        } else if (option.startsWith(QLatin1String("groesse="))) {
            const int size = option.mid(8).toInt(&ok);
            ok = ok && size >= -5 && size <= 20;
            object.Fsize = size;
            if (!ok) {
                report(line, QStringLiteral("Größe erwartet eine ganze Zahl von -5 bis 20."));
                return;
            }
        } else if (option.startsWith(QLatin1String("ebene="))) {
            const int layer = option.mid(6).toInt(&ok);
            ok = ok && layer >= 0 && layer <= 2;
            object.Ebene = layer;
            if (!ok) {
                report(line, QStringLiteral("Ebene erwartet 0 (Illustration), 1 (Beschriftung) oder 2 (Infopunkte)."));
                return;
            }
        } else {
            report(line,
                QStringLiteral("Unbekannte Angabe \"%1\"; erlaubt sind automatisch, rechts, oben, links, unten, "
                               "linksbündig, zentriert, rechtsbündig, Linie, ohneLinie, Größe=N und Ebene=N.")
                    .arg(head.at(next)));
            return;
        }
    }

    if (caption.isEmpty()) {
        report(line, QStringLiteral("Der Text nach dem Doppelpunkt fehlt."));
        return;
    }
    if (!checkCharacters(line, caption))
        return;
    object.Cap = caption;
    m_objects.append({line, object});
    m_continuation = Continuation::Object;
}

void SourceParser::parseObjectContinuation(int line, const QString& text)
{
    if (m_continuation == Continuation::Refused)
        return;
    if (m_continuation == Continuation::None) {
        report(line, QStringLiteral("Eine Zeile mit \"|\" setzt den Text des Objekts davor fort; hier steht keines."));
        return;
    }
    QString rest = text.mid(1);
    if (rest.startsWith(u' '))
        rest.remove(0, 1);
    if (!checkCharacters(line, rest))
        return;
    m_objects.last().object.Cap += QStringLiteral("\r\n") + rest;
}

QImage SourceParser::loadPicture(DocType type)
{
    if (m_picturePath.isEmpty()) {
        QImage plain(type == DocType::SingleQuestions ? plainQuestionsPicture : plainPicture, QImage::Format_ARGB32);
        plain.fill(Qt::white);
        return plain;
    }
    // Written on Windows or here: either separator names a folder.
    const QString relative = QString(m_picturePath).replace(u'\\', u'/');
    const QString path = QDir(m_sourceFolder).filePath(relative);
    if (!QFileInfo(path).isFile()) {
        report(m_pictureLine, QStringLiteral("Das Bild \"%1\" wurde nicht gefunden.").arg(path));
        return {};
    }
    const QString tooLarge = QStringLiteral("Das Bild \"%1\" ist zu groß: höchstens %2 Millionen Bildpunkte.")
                                 .arg(path)
                                 .arg(maxPngPixels / 1'000'000);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(m_pictureLine, QStringLiteral("Das Bild \"%1\" kann nicht geöffnet werden.").arg(path));
        return {};
    }
    QImage picture;
    if (file.peek(8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        // The program's own PNG reader, the one that reads the picture back from the topic; it
        // refuses an oversized picture before taking any memory for it. The size in the header
        // tells which of its refusals this was.
        const QByteArray head = file.peek(24);
        const auto headerValue = [&head](int at) {
            return quint32(quint8(head.at(at))) << 24 | quint32(quint8(head.at(at + 1))) << 16
                | quint32(quint8(head.at(at + 2))) << 8 | quint32(quint8(head.at(at + 3)));
        };
        if (head.size() == 24 && head.mid(12, 4) == "IHDR"
            && qint64(headerValue(16)) * qint64(headerValue(20)) > maxPngPixels) {
            report(m_pictureLine, tooLarge);
            return {};
        }
        if (!readPng(file, picture)) {
            report(m_pictureLine, QStringLiteral("Das PNG-Bild \"%1\" kann nicht gelesen werden.").arg(path));
            return {};
        }
        return picture;
    }
    // JPEG, BMP and the other formats of Qt's readers: the size is checked before any pixel
    // memory is taken, as the topic reader would refuse the picture anyway.
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPngPixels) {
        report(m_pictureLine, tooLarge);
        return {};
    }
    reader.setAllocationLimit(int(maxPngPixels * 4 / (1024 * 1024)) + 1);
    if (!reader.read(&picture) || picture.isNull()) {
        report(m_pictureLine,
            QStringLiteral("Das Bild \"%1\" kann nicht gelesen werden (erlaubt sind PNG, JPEG und BMP).").arg(path));
        return {};
    }
    if (qint64(picture.width()) * picture.height() > maxPngPixels) {
        report(m_pictureLine, tooLarge);
        return {};
    }
    return picture.convertToFormat(QImage::Format_ARGB32);
}

std::optional<TopicDocument> SourceParser::build(const std::optional<QString>& titleOverride)
{
    if (!m_seenSections.contains(Section::Topic))
        report(0, QStringLiteral("Der Abschnitt [Thema] fehlt; die Quelle beginnt mit [Thema]."));

    // Without "Typ" the sections tell what the topic is.
    const DocType type = m_type.value_or(m_seenSections.contains(Section::Questions) ? DocType::SingleQuestions
            : m_seenSections.contains(Section::Cloze)                                ? DocType::ClozeText
                                                                                     : DocType::ImageLabelling);
    if (m_seenSections.contains(Section::Questions) && type != DocType::SingleQuestions)
        report(m_questionsHeader, QStringLiteral("Der Abschnitt [Fragen] gehört zu \"Typ = Einzelfragen\"."));
    if (m_seenSections.contains(Section::Cloze) && type != DocType::ClozeText)
        report(m_clozeHeader, QStringLiteral("Der Abschnitt [Lückentext] gehört zu \"Typ = Lückentext\"."));
    if (type == DocType::SingleQuestions && m_questionLinesSeen == 0)
        report(m_questionsHeader ? m_questionsHeader : m_typeLine,
            QStringLiteral("Ein Thema mit Einzelfragen braucht im Abschnitt [Fragen] mindestens eine Zeile "
                           "\"Frage // Antwort\"."));

    const QString title = titleOverride.value_or(m_document.titel);
    if (titleOverride)
        checkCharacters(0, title);
    // The quiz draws its random selection from the question pages; any other topic would start
    // a quiz without a single question.
    if (title.contains(QStringLiteral("zufällig"), Qt::CaseInsensitive) && type != DocType::SingleQuestions)
        report(titleOverride ? 0 : m_titleLine,
            QStringLiteral("Ein Titel mit \"zufällig\" wählt zufällige Einzelfragen aus; dieses Thema hat keine."));

    // Cloze gaps: one object per gap, in the order of the text.
    QStringList gaps;
    QStringList clozeLines;
    const qsizetype problemsBefore = m_problems.size();
    for (const SourceLine& line : std::as_const(m_clozeLines)) {
        gaps += clozeGaps(line.number, line.text);
        clozeLines.append(line.text);
    }
    if (type == DocType::ClozeText && gaps.isEmpty() && m_problems.size() == problemsBefore)
        report(m_clozeHeader ? m_clozeHeader : m_typeLine, noGapText());

    for (const SourceObject& object : std::as_const(m_objects)) {
        if (type == DocType::SingleQuestions && object.object.Typ == ObjectKind::Label)
            report(object.line,
                QStringLiteral("Ein Thema mit Einzelfragen fragt nur seine Fragen ab; Beschriftungen gehören "
                               "zu \"Typ = Beschriftung\" oder \"Typ = Lückentext\"."));
    }

    const QImage picture = loadPicture(type);
    if (!m_problems.isEmpty())
        return std::nullopt;

    TopicDocument document = m_document;
    document.titel = title;
    document.bemerkung = m_remarkLines.join(QStringLiteral("\r\n"));
    document.DokTyp = type;
    document.picture = picture;
    document.fragentext = m_questionLines.join(QStringLiteral("\r\n"));
    document.AnzFrageNummern = 0;
    for (const SourceObject& object : std::as_const(m_objects))
        document.objects.append(object.object);
    // The cloze-text editor puts its text into a topic the same way.
    putClozeText(document, storedClozeText(clozeLines), gaps);
    // The pages and their buttons go before every other object, as the editor puts them.
    if (type == DocType::SingleQuestions)
        putQuestions(document, m_questions, m_questionLines);
    return document;
}

struct MakeArguments
{
    QString source;
    QString output;
    std::optional<QString> title;
};

std::optional<MakeArguments> parseArguments(const QStringList& arguments)
{
    MakeArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("-o") || argument == QLatin1String("--titel")) {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            const QString& value = arguments.at(++i);
            if (argument == QLatin1String("-o")) {
                if (value.isEmpty() || !parsed.output.isEmpty())
                    return std::nullopt;
                parsed.output = value;
            } else {
                if (parsed.title)
                    return std::nullopt;
                parsed.title = value;
            }
        } else if (argument.startsWith(u'-') || !parsed.source.isEmpty()) {
            return std::nullopt;
        } else {
            parsed.source = argument;
        }
    }
    if (parsed.source.isEmpty() || parsed.output.isEmpty())
        return std::nullopt;
    return parsed;
}

} // namespace

int runMakeCommand(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    const std::optional<MakeArguments> parsed = parseArguments(arguments);
    if (!parsed)
        return ZeptoolBadUsage;
    // The topic menu lists only "*.zep": a topic by any other name would never be offered.
    if (!parsed->output.endsWith(QLatin1String(".zep"), Qt::CaseInsensitive)) {
        writeConsoleText(
            err, QStringLiteral("Der Name der Themendatei muss auf \".zep\" enden: \"%1\".\n").arg(parsed->output));
        return ZeptoolFailed;
    }
    const QFileInfo sourceInfo(parsed->source);
    if (!sourceInfo.isFile()) {
        writeConsoleText(err, fileMissingText(parsed->source) + u'\n');
        return ZeptoolFailed;
    }
    // A slip of the keyboard must not replace the teacher's source by the topic made from it.
    const QFileInfo outputInfo(parsed->output);
    if (outputInfo.exists() && outputInfo.canonicalFilePath() == sourceInfo.canonicalFilePath()) {
        writeConsoleText(
            err, QStringLiteral("Quelle und Themendatei sind dieselbe Datei: \"%1\".\n").arg(parsed->output));
        return ZeptoolFailed;
    }
    if (sourceInfo.size() > maxSourceBytes) {
        writeConsoleText(err,
            QStringLiteral("Die Quelle \"%1\" ist größer als %2 MB; eine Themenquelle ist eine kleine Textdatei.\n")
                .arg(parsed->source)
                .arg(maxSourceBytes / (1024 * 1024)));
        return ZeptoolFailed;
    }
    QFile sourceFile(parsed->source);
    if (!sourceFile.open(QIODevice::ReadOnly)) {
        writeConsoleText(err, fileUnreadableText(parsed->source) + u'\n');
        return ZeptoolFailed;
    }
    const QByteArray bytes = sourceFile.read(maxSourceBytes + 1);
    sourceFile.close();

    SourceParser parser(sourceInfo.absolutePath());
    parser.parse(splitSourceLines(decodeSource(bytes)));
    const std::optional<TopicDocument> document = parser.build(parsed->title);
    if (!document) {
        QString report;
        // In the order of the source; problems of the whole source come last.
        QList<Problem> problems = parser.problems();
        std::stable_sort(problems.begin(), problems.end(), [](const Problem& a, const Problem& b) {
            const auto key = [](int line) { return line > 0 ? line : std::numeric_limits<int>::max(); };
            return key(a.line) < key(b.line);
        });
        for (qsizetype i = 0; i < problems.size() && i < maxReportedProblems; ++i) {
            const Problem& problem = problems.at(i);
            report += problem.line > 0
                ? QStringLiteral("%1, Zeile %2: %3\n").arg(parsed->source).arg(problem.line).arg(problem.text)
                : QStringLiteral("%1: %2\n").arg(parsed->source, problem.text);
        }
        if (problems.size() > maxReportedProblems)
            report += QStringLiteral("... und weitere Fehler.\n");
        report += QStringLiteral("Die Themendatei \"%1\" wurde nicht geschrieben.\n").arg(parsed->output);
        writeConsoleText(err, report);
        return ZeptoolFailed;
    }

    // The new topic replaces an old one in one step, or not at all.
    QSaveFile file(parsed->output);
    if (!file.open(QIODevice::WriteOnly) || !writeTopicFile(file, *document) || !file.commit()) {
        writeConsoleText(err, fileUnwritableText(parsed->output) + u'\n');
        return ZeptoolFailed;
    }

    qsizetype quizItems = 0;
    for (const DocObject& object : document->objects) {
        const bool item = document->DokTyp == DocType::SingleQuestions
            ? object.Typ == ObjectKind::Answer
            : object.Typ == ObjectKind::Label || object.Typ == ObjectKind::ClozeGap;
        quizItems += item ? 1 : 0;
    }
    static const QString typeNames[]
        = {QStringLiteral("Beschriftung"), QStringLiteral("Lückentext"), QStringLiteral("Einzelfragen")};
    writeConsoleText(out,
        QStringLiteral("%1: \"%2\", %3, %4 Fragen, %5 Objekte\n")
            .arg(parsed->output, document->titel, typeNames[int(document->DokTyp)])
            .arg(quizItems)
            .arg(document->objects.size()));
    return ZeptoolOk;
}
