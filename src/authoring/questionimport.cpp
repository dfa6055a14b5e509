#include "questionimport.h"

#include "common/textutil.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <algorithm>

namespace {

// Rows looked at for the separator: enough to see past a title row or an odd question.
constexpr int separatorProbeRows = 20;

struct Record
{
    int line = 0;
    QStringList cells;
    bool unclosedQuote = false;
};

// Splits text into rows of cells as CSV quotes them: a cell that begins with a quote runs to the
// next single quote, a doubled quote inside stands for one, and separators and line breaks inside
// belong to the cell. Text after a closing quote still belongs to the cell, as spreadsheets read
// it. Stops after maxRecords rows (a row without text counts too, so that a file of empty lines
// ends as soon as a full one).
QList<Record> splitRecords(const QString& text, QChar separator, int maxRecords, bool* stopped)
{
    QList<Record> records;
    Record record;
    QString cell;
    int line = 1;
    record.line = line;
    bool quoted = false;
    bool cellStart = true;
    bool pending = false; // the current row holds something (a cell or a separator)
    *stopped = false;
    const auto endRow = [&] {
        record.cells.append(cell);
        records.append(record);
        record = Record();
        record.line = line;
        cell.clear();
        cellStart = true;
        pending = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"') {
                    cell += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                    ++i;
                cell += u'\n';
                ++line;
            } else {
                cell += c;
            }
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            ++line;
            endRow();
            if (records.size() >= maxRecords) {
                *stopped = i + 1 < text.size();
                return records;
            }
            continue;
        }
        pending = true;
        if (c == separator) {
            record.cells.append(cell);
            cell.clear();
            cellStart = true;
        } else if (c == u'"' && cellStart) {
            quoted = true;
            cellStart = false;
        } else {
            cell += c;
            cellStart = false;
        }
    }
    if (quoted) {
        record.unclosedQuote = true;
        pending = true;
    }
    if (pending || !cell.isEmpty())
        endRow();
    return records;
}

// The separator that divides the first rows best: the one that gives most rows two cells or
// more, then the one that gives most rows the same number of cells. Commas occur in questions (in
// lists, in German decimals) and a spreadsheet quotes a cell only for its own separator, so one
// count alone can mislead: "1,5 + 1,5?;3" has more commas than semicolons. On a tie tab wins over
// semicolon, semicolon over comma, as they are rarer in text.
QChar detectSeparator(const QString& text)
{
    QChar best = u';';
    std::pair<int, int> bestScore {0, 0};
    for (const QChar separator : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        bool stopped = false;
        QMap<qsizetype, int> counts;
        int divided = 0;
        for (const Record& record : splitRecords(text, separator, separatorProbeRows, &stopped)) {
            if (record.cells.size() == 1 && record.cells.first().trimmed().isEmpty())
                continue;
            divided += record.cells.size() >= 2 ? 1 : 0;
            ++counts[record.cells.size()];
        }
        int same = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.key() >= 2)
                same = std::max(same, it.value());
        }
        const std::pair<int, int> score {divided, same};
        if (score > bestScore) {
            best = separator;
            bestScore = score;
        }
    }
    return best;
}

bool isHeader(const QStringList& cells)
{
    return cells.size() >= 2 && windowsTrimmed(cells.at(0)).compare(u"Frage", Qt::CaseInsensitive) == 0
        && windowsTrimmed(cells.at(1)).compare(u"Antwort", Qt::CaseInsensitive) == 0;
}

QString rowProblem(const Record& record, SingleQuestion* question)
{
    if (record.unclosedQuote)
        return QStringLiteral("Ein Anführungszeichen wird bis zum Ende nicht geschlossen.");
    question->question = windowsTrimmed(record.cells.value(0));
    question->answer = windowsTrimmed(record.cells.value(1));
    if (question->question.isEmpty())
        return QStringLiteral("Die Frage fehlt.");
    if (question->answer.isEmpty())
        return QStringLiteral("Die Antwort fehlt.");
    const QString questionCell = questionCellProblem(question->question);
    if (!questionCell.isEmpty())
        return QStringLiteral("Frage: ") + questionCell;
    const QString answerCell = questionCellProblem(question->answer);
    if (!answerCell.isEmpty())
        return QStringLiteral("Antwort: ") + answerCell;
    return questionProblem(*question);
}

QuestionRows parseRows(const QString& text, QChar separator)
{
    QuestionRows rows;
    bool stopped = false;
    // One more than is taken, so a text of exactly that many rows is not reported as cut.
    const QList<Record> records = splitRecords(text, separator, maxImportedRows + 1, &stopped);
    int taken = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record& record = records.at(i);
        const bool empty = !record.unclosedQuote
            && std::all_of(record.cells.cbegin(), record.cells.cend(),
                [](const QString& cell) { return windowsTrimmed(cell).isEmpty(); });
        if (empty || (taken == 0 && rows.refused.isEmpty() && isHeader(record.cells)))
            continue;
        if (taken == maxImportedRows) {
            stopped = true;
            break;
        }
        ++taken;
        SingleQuestion question;
        const QString problem = rowProblem(record, &question);
        if (problem.isEmpty())
            rows.questions.append(question);
        else
            rows.refused.append({record.line, problem});
    }
    if (stopped)
        rows.error = QStringLiteral("Es werden höchstens %1 Zeilen gelesen; der Rest wurde nicht eingefügt.")
                         .arg(maxImportedRows);
    return rows;
}

} // namespace

QuestionRows parsePastedQuestions(const QString& text)
{
    return parseRows(text, u'\t');
}

QuestionRows parseQuestionFile(const QByteArray& bytes)
{
    const QString text = decodeSource(bytes);
    return parseRows(text, detectSeparator(text));
}

QuestionRows readQuestionFile(const QString& path)
{
    QuestionRows rows;
    const QString tooLarge
        = QStringLiteral("Die Datei \"%1\" ist größer als %2 KB; eine Fragenliste ist eine kleine Textdatei.")
              .arg(path)
              .arg(maxQuestionFileBytes / 1024);
    const QFileInfo info(path);
    if (!info.isFile()) {
        rows.error = QStringLiteral("Die Datei \"%1\" wurde nicht gefunden.").arg(path);
        return rows;
    }
    if (info.size() > maxQuestionFileBytes) {
        rows.error = tooLarge;
        return rows;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        rows.error = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden.").arg(path);
        return rows;
    }
    // The file may have grown since it was looked at: never more than the bound is read.
    const QByteArray bytes = file.read(maxQuestionFileBytes + 1);
    if (bytes.size() > maxQuestionFileBytes) {
        rows.error = tooLarge;
        return rows;
    }
    return parseQuestionFile(bytes);
}
