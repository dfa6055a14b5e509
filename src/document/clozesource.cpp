#include "clozesource.h"

#include "common/textutil.h"
#include "document/objectlayout.h"
#include "platform/cp1252.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// The tags of the card's text markup in the order the card tries them. Only the two gap tags
// matter here; the others must be recognised because they end the text run the card takes as the
// gap's word.
constexpr const char* markupTags[] = {"<B>", "</B>", "<I>", "</I>", "<U>", "</U>", "<<", ">>", "<@COL=$$$$$$>",
    "</@COL>", "<@LINIE>", "<@POSX=##%>", "<@REB=##>"};

ClozeProblem problemAt(qsizetype index, const QString& text)
{
    return {0, int(index + 1), text};
}

} // namespace

qsizetype markupTagLengthAt(const QString& text, qsizetype pos, QLatin1StringView* matched)
{
    const QChar first = text.at(pos);
    if (first != u'<' && first != u'>')
        return 0;
    for (const char* tag : markupTags) {
        const QLatin1StringView pattern(tag);
        if (pos + pattern.size() > text.size())
            continue;
        bool fits = true;
        for (qsizetype k = 0; k < pattern.size() && fits; ++k) {
            const char16_t c = text.at(pos + k).unicode();
            const char p = pattern.at(k).toLatin1();
            const char16_t upper = (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
            if (p == '#')
                fits = c >= u'0' && c <= u'9';
            else if (p == '$')
                fits = (c >= u'0' && c <= u'9') || (upper >= u'A' && upper <= u'F');
            else
                fits = upper == char16_t(p);
        }
        if (fits) {
            *matched = pattern;
            return pattern.size();
        }
    }
    return 0;
}

std::optional<ClozeProblem> unstorableTextProblem(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype at = i;
        char32_t code = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (code < 32 && code != u'\t')
            return problemAt(at, QStringLiteral("Steuerzeichen (Code %1) sind nicht erlaubt.").arg(uint(code)));
        if (!cp1252Byte(code)) {
            return problemAt(at,
                QStringLiteral("Das Zeichen \"%1\" (U+%2) kann in einer Themendatei nicht gespeichert werden.")
                    .arg(QString::fromUcs4(&code, 1),
                        QString::number(uint(code), 16).toUpper().rightJustified(4, u'0')));
        }
    }
    return std::nullopt;
}

ClozeLineGaps clozeLineGaps(const QString& line)
{
    ClozeLineGaps result;
    qsizetype gapStart = -1;
    qsizetype openedAt = -1;
    qsizetype pos = 0;
    while (pos < line.size()) {
        QLatin1StringView tag;
        const qsizetype length = markupTagLengthAt(line, pos, &tag);
        if (length == 0) {
            ++pos;
            continue;
        }
        if (tag == QLatin1String("<<")) {
            if (gapStart >= 0) {
                result.problem
                    = problemAt(pos, QStringLiteral("\"<<\" in einer Lücke: jede Lücke wird mit \">>\" geschlossen."));
                break;
            }
            gapStart = pos + length;
            openedAt = pos;
        } else if (tag == QLatin1String(">>")) {
            if (gapStart < 0) {
                result.problem = problemAt(pos, QStringLiteral("\">>\" ohne vorangehendes \"<<\"."));
                break;
            }
            const QString word = windowsTrimmed(line.sliced(gapStart, pos - gapStart));
            if (word.isEmpty()) {
                result.problem = problemAt(openedAt, QStringLiteral("Leere Lücke \"<<>>\"."));
                break;
            }
            result.gaps.append(word);
            gapStart = -1;
        } else if (gapStart >= 0) {
            result.problem = problemAt(
                pos, QStringLiteral("In einer Lücke ist keine Auszeichnung wie \"%1\" erlaubt.").arg(QString(tag)));
            break;
        }
        pos += length;
    }
    if (!result.problem && gapStart >= 0)
        result.problem
            = problemAt(openedAt, QStringLiteral("Die Lücke wird in dieser Zeile nicht mit \">>\" geschlossen."));
    if (result.problem)
        result.gaps.clear();
    return result;
}

QString noGapText()
{
    return QStringLiteral("Der Lückentext enthält keine Lücke; eine Lücke steht so im Text: <<Wort>>.");
}

QString storedClozeText(const QStringList& lines)
{
    qsizetype first = 0;
    qsizetype last = lines.size();
    while (first < last && lines.at(first).trimmed().isEmpty())
        ++first;
    while (last > first && lines.at(last - 1).trimmed().isEmpty())
        --last;
    return lines.mid(first, last - first).join(QStringLiteral("\r\n"));
}

ClozeText checkClozeText(const QString& text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineBreak);
    ClozeText checked;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        std::optional<ClozeProblem> problem = unstorableTextProblem(line);
        if (!problem) {
            ClozeLineGaps gaps = clozeLineGaps(line);
            problem = gaps.problem;
            checked.gaps += gaps.gaps;
        }
        if (problem) {
            problem->line = int(i + 1);
            checked.problems.append(*problem);
        }
    }
    checked.stored = storedClozeText(lines);
    if (checked.problems.isEmpty() && checked.gaps.isEmpty() && !checked.stored.isEmpty())
        checked.problems.append({0, 0, noGapText()});
    return checked;
}

void putClozeText(TopicDocument& document, const QString& stored, const QStringList& gaps)
{
    QList<DocObject>& objects = document.objects;
    qsizetype place = -1;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        if (objects.at(i).Typ == ObjectKind::ClozeGap) {
            place = i;
            break;
        }
    }
    if (place < 0) {
        place = 0;
        for (qsizetype i = 0; i < objects.size(); ++i) {
            if (objects.at(i).Typ >= ObjectKind::Answer && objects.at(i).Typ <= ObjectKind::PageText)
                place = i + 1;
        }
    }
    objects.removeIf([](const DocObject& object) { return object.Typ == ObjectKind::ClozeGap; });
    for (qsizetype k = 0; k < gaps.size(); ++k)
        objects.insert(place + k, clozeGapObject(gaps.at(k)));
    document.lueckentext = stored;
}

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-';
}

ClozeLineEdit makeGap(const QString& line, qsizetype start, qsizetype end)
{
    const QString gap = QStringLiteral("<<") + line.sliced(start, end - start) + QStringLiteral(">>");
    const qsizetype after = start + gap.size();
    return {line.left(start) + gap + line.mid(end), after, after};
}

} // namespace

ClozeLineEdit toggleClozeGap(const QString& line, qsizetype start, qsizetype end)
{
    start = std::clamp<qsizetype>(std::min(start, end), 0, line.size());
    end = std::clamp<qsizetype>(std::max(start, end), start, line.size());

    // The gaps of the line as the card finds them: "<<" up to the next ">>".
    qsizetype open = -1;
    for (qsizetype pos = 0; pos < line.size();) {
        QLatin1StringView tag;
        const qsizetype length = markupTagLengthAt(line, pos, &tag);
        if (length == 0) {
            ++pos;
            continue;
        }
        if (tag == QLatin1String("<<")) {
            open = pos;
        } else if (tag == QLatin1String(">>") && open >= 0) {
            const qsizetype close = pos + length;
            if (start >= open && end <= close) {
                const QString inner = line.sliced(open + 2, pos - open - 2);
                const QString word = windowsTrimmed(inner);
                const qsizetype wordStart = open + inner.indexOf(word);
                return {line.left(open) + inner + line.mid(close), wordStart, wordStart + word.size()};
            }
            open = -1;
        }
        pos += length;
    }

    if (start < end) {
        while (start < end && line.at(start).unicode() <= 32)
            ++start;
        while (end > start && line.at(end - 1).unicode() <= 32)
            --end;
        if (start < end)
            return makeGap(line, start, end);
    }
    qsizetype wordStart = start;
    qsizetype wordEnd = start;
    while (wordStart > 0 && isWordCharacter(line.at(wordStart - 1)))
        --wordStart;
    while (wordEnd < line.size() && isWordCharacter(line.at(wordEnd)))
        ++wordEnd;
    if (wordStart < wordEnd)
        return makeGap(line, wordStart, wordEnd);
    return {line.left(start) + QStringLiteral("<<>>") + line.mid(start), start + 2, start + 2};
}
