#include "netclassmodel.h"

#include "quiz/normalizetext.h"
#include "results/highscoretext.h"

#include <QColor>
#include <QSet>

#include <algorithm>

namespace {

bool placedRight(int coverState)
{
    return coverState == CoverState::Uncovered || coverState == CoverState::Solved;
}

bool isQuizItem(const TopicDocument& document, const DocObject& object)
{
    if (document.DokTyp == DocType::SingleQuestions)
        return object.Typ == ObjectKind::Answer;
    return object.Typ == ObjectKind::Label || object.Typ == ObjectKind::ClozeGap;
}

// A cell for a spreadsheet: as the export role gives it, on one line, never a formula.
QString field(const QAbstractItemModel& model, int row, int column)
{
    const auto value = [&](int role) {
        return row < 0 ? model.headerData(column, Qt::Horizontal, role) : model.data(model.index(row, column), role);
    };
    const QVariant exported = value(exportRole);
    QString text = plainTextCell(exported.isValid() ? exported.toString() : value(Qt::DisplayRole).toString());
    const QString start = text.trimmed();
    if (!start.isEmpty() && QStringLiteral("=+-@").contains(start.front()))
        text.prepend(u'\'');
    return text;
}

// "04:10" (minutes and seconds, as the quiz shows its clock) as h:mm:ss; other text as it is.
QString clockAsHours(const QString& clock)
{
    const QStringList parts = clock.split(u':');
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = parts.value(0).toInt(&minutesOk);
    const int seconds = parts.value(1).toInt(&secondsOk);
    if (parts.size() != 2 || !minutesOk || !secondsOk || minutes < 0 || seconds < 0 || seconds > 59)
        return clock;
    return QStringLiteral("%1:%2:%3")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QChar(u'0'))
        .arg(seconds, 2, 10, QChar(u'0'));
}

QString decimalComma(double value)
{
    return QString::number(value, 'f', 1).replace(u'.', u',');
}

QString csvField(QString text)
{
    if (text.contains(u';') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        return u'"' + text + u'"';
    }
    return text;
}

} // namespace

NetParticipantTable::NetParticipantTable(const TickSource& tick, QObject* parent)
    : QAbstractTableModel(parent)
    , m_tick(tick)
{ }

void NetParticipantTable::reset(const TopicDocument& published, bool timeLimited)
{
    beginResetModel();
    m_timeLimited = timeLimited;
    m_reader = NetMessageReader(int(published.objects.size()), m_tick);
    m_order.clear();
    m_lastMessage.clear();
    m_targets.clear();
    endResetModel();
    emit targetsChanged(-1);
}

const NetParticipant& NetParticipantTable::participant(const QString& id) const
{
    static const NetParticipant none;
    const auto found = m_reader.participants().constFind(id);
    return found == m_reader.participants().constEnd() ? none : *found;
}

bool NetParticipantTable::lessThan(const QString& a, const QString& b) const
{
    const NetParticipant& x = participant(a);
    const NetParticipant& y = participant(b);
    const int byComputer = QString::compare(x.computer, y.computer, Qt::CaseInsensitive);
    if (byComputer != 0)
        return byComputer < 0;
    if (x.startText != y.startText)
        return x.startText < y.startText;
    return a < b;
}

int NetParticipantTable::rowOf(const QString& id) const
{
    return int(m_order.indexOf(id));
}

NetMessageReader::Outcome NetParticipantTable::read(
    const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text)
{
    const NetMessageReader::Outcome outcome = m_reader.read(sender, computer, userName, text);
    if (outcome.kind == NetMessageReader::Kind::Dropped)
        return outcome;
    const QString& id = outcome.participantId;
    m_lastMessage[id] = m_tick.now();

    if (outcome.kind == NetMessageReader::Kind::Joined && rowOf(id) < 0) {
        const auto at = std::lower_bound(
            m_order.begin(), m_order.end(), id, [this](const QString& a, const QString& b) { return lessThan(a, b); });
        const int row = int(at - m_order.begin());
        beginInsertRows({}, row, row);
        m_order.insert(row, id);
        endInsertRows();
        return outcome;
    }
    if (outcome.action) {
        // The reader has dropped a report older than one it took (datagrams may overtake each
        // other), so this is the target's latest state.
        if (outcome.action->target >= 0) {
            m_targets[id][outcome.action->target] = {outcome.action->coverState, outcome.action->wrongAssignments};
            emit targetsChanged(outcome.action->target);
        }
    }
    rowChanged(id);
    return outcome;
}

void NetParticipantTable::rowChanged(const QString& id)
{
    if (const int row = rowOf(id); row >= 0)
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole, Qt::BackgroundRole});
}

QList<NetMessageReader::Outcome> NetParticipantTable::takeOverdueResults(quint32 heldMs)
{
    const QList<NetMessageReader::Outcome> taken = m_reader.takeOverdueResults(heldMs);
    for (const NetMessageReader::Outcome& outcome : taken)
        rowChanged(outcome.participantId);
    return taken;
}

void NetParticipantTable::countRefused(const QHostAddress& sender, int count)
{
    m_reader.countRefused(sender, count);
}

void NetParticipantTable::refreshSilence()
{
    if (!m_order.isEmpty())
        emit dataChanged(index(0, Silent), index(int(m_order.size()) - 1, Silent), {Qt::DisplayRole});
}

QString NetParticipantTable::statusText(int endStatus)
{
    switch (endStatus) {
    case 1:
        return QStringLiteral("fertig");
    case 2:
        return QStringLiteral("abgebrochen");
    case 3:
        return QStringLiteral("Zeitlimit");
    default:
        return QStringLiteral("läuft");
    }
}

int NetParticipantTable::pupilCount() const
{
    QSet<std::pair<QString, QString>> pupils;
    for (const NetParticipant& p : m_reader.participants())
        pupils.insert({p.computer.toLower(), p.userName});
    return int(pupils.size());
}

int NetParticipantTable::runningCount() const
{
    const auto& participants = m_reader.participants();
    return int(std::count_if(participants.begin(), participants.end(),
        [](const NetParticipant& p) { return p.unfinished() && p.endStatus == 0; }));
}

QString NetParticipantTable::summary() const
{
    int finished = 0;
    int timedOut = 0;
    double overall = 0;
    for (const QString& id : m_order) {
        const NetParticipant& participant = this->participant(id);
        finished += participant.endStatus == 1;
        timedOut += participant.endStatus == 3;
        overall += participant.overallScore;
    }
    const QString average
        = m_order.isEmpty() ? QStringLiteral("-") : QString::number(overall / double(m_order.size()), 'f', 1) + " %";
    QString text = QStringLiteral("Schüler: %1 (Quizstarts: %2)    fertig: %3    Zeitlimit: %4    Gesamtleistung im "
                                  "Mittel: %5")
                       .arg(pupilCount())
                       .arg(m_order.size())
                       .arg(finished)
                       .arg(timedOut)
                       .arg(average);
    const QHash<QHostAddress, int>& refusals = m_reader.refusals();
    if (refusals.isEmpty())
        return text;
    QList<std::pair<int, QHostAddress>> senders;
    qint64 total = 0;
    for (auto it = refusals.begin(); it != refusals.end(); ++it) {
        senders.append({it.value(), it.key()});
        total += it.value();
    }
    std::sort(senders.begin(), senders.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second.toString() < b.second.toString();
    });
    QStringList most;
    for (qsizetype i = 0; i < senders.size() && i < 3; ++i) {
        const QHostAddress& sender = senders.at(i).second;
        most.append(QStringLiteral("%1: %2")
                        .arg(sender.isNull() ? QStringLiteral("andere") : sender.toString())
                        .arg(senders.at(i).first));
    }
    if (senders.size() > 3)
        most.append(QStringLiteral("…"));
    return text + QStringLiteral("    abgewiesene Meldungen: %1 (%2)").arg(total).arg(most.join(QStringLiteral(", ")));
}

int NetParticipantTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int NetParticipantTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NetParticipantTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_order.size())
        return {};
    const QString& id = m_order.at(index.row());
    const NetParticipant& p = participant(id);
    if (role == Qt::BackgroundRole && index.column() == Status) {
        static const QColor colours[]
            = {QColor(255, 255, 200), QColor(200, 240, 200), QColor(255, 210, 200), QColor(255, 230, 170)};
        return colours[qBound(0, p.endStatus, 3)];
    }
    // A row with notes is marked where the teacher reads its names and its notes.
    if (role == Qt::BackgroundRole && (index.column() == Notes || index.column() == Name)
        && !netParticipantNotes(p).isEmpty())
        return QColor(255, 190, 190);
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Answered && index.column() != Status && index.column() != Notes
            ? int(Qt::AlignRight | Qt::AlignVCenter)
            : int(Qt::AlignLeft | Qt::AlignVCenter);
    // The names are shown whole where a column too narrow for them elides them.
    if (role == Qt::ToolTipRole && (index.column() <= Name || index.column() == Notes))
        return data(index, Qt::DisplayRole);
    if (role == exportRole) {
        switch (index.column()) {
        case Time:
            return clockAsHours(p.clockText);
        case SuccessRate:
            return decimalComma(p.successRate);
        case Overall:
            return decimalComma(p.overallScore);
        case Silent: {
            const auto last = m_lastMessage.constFind(id);
            return last == m_lastMessage.constEnd() ? QString()
                                                    : QString::number(ticksSince(*last, m_tick.now()) / 1000);
        }
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    const bool reported = p.questionCount > 0;
    switch (index.column()) {
    case Computer:
        return p.computer;
    case Address:
        return p.address.isNull() ? QString() : p.address.toString();
    case User:
        return p.userName;
    case Name:
        return p.name;
    case Start:
        return p.startText;
    case Answered:
        return reported ? QStringLiteral("%1 von %2").arg(p.questionCount - p.open).arg(p.questionCount) : QString();
    case Right:
        return p.correct;
    case Wrong:
        return p.wrong;
    case Open:
        return reported ? QVariant(p.open) : QVariant(QString());
    case Time:
        return p.clockText;
    case SuccessRate:
        return QString::number(p.successRate, 'f', 1) + QStringLiteral(" %");
    case Overall:
        return QString::number(p.overallScore, 'f', 1) + QStringLiteral(" %");
    case Grade:
        return p.grade > 0 ? QVariant(p.grade) : QVariant(QString());
    case Status:
        return statusText(p.endStatus);
    case Silent: {
        const auto last = m_lastMessage.constFind(id);
        return last == m_lastMessage.constEnd() ? QString()
                                                : QString::number(ticksSince(*last, m_tick.now()) / 1000) + " s";
    }
    case Notes:
        return netParticipantNotes(p).join(QStringLiteral("; "));
    default:
        return {};
    }
}

QVariant NetParticipantTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == widestCellRole) {
        // What the widest cell of a real class holds (names are elided instead).
        static const char* const widest[] = {"", "255.255.255.255", "", "", "00:00:00", "100 von 100", "1000", "1000",
            "1000", "100:00", "100.0 %", "100.0 %", "6", "abgebrochen", "9999 s", ""};
        return QString::fromUtf8(widest[section]);
    }
    if (role == exportRole) {
        static const char* const exported[] = {"Rechner", "Adresse", "Benutzer", "Name", "Beginn", "Beantwortet",
            "Richtige Antworten", "Falsche Antworten", "Offene Fragen", "", "Quote (%)", "Gesamtleistung (%)", "Note",
            "Status", "Letzte Meldung vor (s)", "Hinweis"};
        if (section == Time)
            return m_timeLimited ? QStringLiteral("Restzeit (h:mm:ss)") : QStringLiteral("Bearbeitungszeit (h:mm:ss)");
        return QString::fromUtf8(exported[section]);
    }
    if (role != Qt::DisplayRole)
        return {};
    static const char* const titles[] = {"Rechner", "Adresse", "Benutzer", "Name", "Beginn", "Beantwortet", "Richtig",
        "Falsch", "Offen", "", "Quote", "Gesamtleistung", "Note", "Status", "Letzte Meldung vor", "Hinweis"};
    if (section == Time)
        return m_timeLimited ? QStringLiteral("Restzeit") : QStringLiteral("Bearbeitungszeit");
    return QString::fromUtf8(titles[section]);
}

NetQuestionTable::NetQuestionTable(const NetParticipantTable& participants, QObject* parent)
    : QAbstractTableModel(parent)
    , m_participants(participants)
{
    connect(&participants, &NetParticipantTable::targetsChanged, this, &NetQuestionTable::recount);
    connect(&participants, &QAbstractItemModel::rowsInserted, this, [this] { recount(); });
}

void NetQuestionTable::reset(const TopicDocument& published)
{
    beginResetModel();
    m_rows.clear();
    for (int i = 0; i < published.objects.size(); ++i) {
        const DocObject& object = published.objects.at(i);
        if (isQuizItem(published, object))
            m_rows.append({i, tileCaption(object.Cap)});
    }
    endResetModel();
    recount();
}

void NetQuestionTable::recount(int object)
{
    QList<Row> rows = m_rows;
    const int participants = m_participants.rowCount();
    for (Row& row : rows) {
        if (object >= 0 && row.object != object)
            continue;
        row.rightAtOnce = row.rightAfterMistakes = row.mistakes = 0;
        for (const auto& targets : m_participants.targetStates()) {
            const auto state = targets.constFind(row.object);
            if (state == targets.constEnd())
                continue;
            row.mistakes += state->wrongAssignments;
            if (placedRight(state->coverState))
                ++(state->wrongAssignments == 0 ? row.rightAtOnce : row.rightAfterMistakes);
        }
        row.notYet = participants - row.rightAtOnce - row.rightAfterMistakes;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.mistakes != b.mistakes ? a.mistakes > b.mistakes : a.object < b.object;
    });
    const bool reordered = !std::equal(rows.begin(), rows.end(), m_rows.begin(), m_rows.end(),
        [](const Row& a, const Row& b) { return a.object == b.object; });
    if (reordered) {
        // A question that moves takes the teacher's selection with it (persistent indexes follow
        // their question, not the row number).
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        QModelIndexList from;
        QModelIndexList to;
        for (const QModelIndex& old : persistentIndexList()) {
            const int moved = m_rows.at(old.row()).object;
            const auto at = std::find_if(rows.begin(), rows.end(), [moved](const Row& r) { return r.object == moved; });
            from.append(old);
            to.append(index(int(at - rows.begin()), old.column()));
        }
        m_rows = rows;
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        return;
    }
    // Only what changed is reported, so that a view keeps its selection and scroll position.
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i) == m_rows.at(i))
            continue;
        m_rows[i] = rows.at(i);
        emit dataChanged(index(i, 0), index(i, ColumnCount - 1), {Qt::DisplayRole});
    }
}

int NetQuestionTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int NetQuestionTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant NetQuestionTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& row = m_rows.at(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() == Caption ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                         : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == Caption)
        return row.caption;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Caption:
        return row.caption;
    case RightAtOnce:
        return row.rightAtOnce;
    case RightAfterMistakes:
        return row.rightAfterMistakes;
    case NotYet:
        return row.notYet;
    case Mistakes:
        return row.mistakes;
    default:
        return {};
    }
}

QVariant NetQuestionTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == widestCellRole)
        return section == Caption ? QString() : QStringLiteral("1000");
    if (role != Qt::DisplayRole)
        return {};
    static const char* const titles[]
        = {"Frage / Beschriftung", "sofort richtig", "richtig nach Fehlern", "noch nicht richtig", "Fehlversuche"};
    return QString::fromUtf8(titles[section]);
}

QByteArray tableAsCsv(const QAbstractItemModel& model)
{
    QString text;
    for (int row = -1; row < model.rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < model.columnCount(); ++column)
            fields.append(csvField(field(model, row, column)));
        text += fields.join(u';') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray tableAsTabText(const QAbstractItemModel& model)
{
    QString text;
    for (int row = -1; row < model.rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < model.columnCount(); ++column)
            fields.append(field(model, row, column));
        text += fields.join(u'\t') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}
