#pragma once

#include "network/netexercise.h"
#include "platform/tick.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

// The teacher's live view of a network exercise, free of widgets: one row per participant and
// one per question of the published topic, kept up to date from the messages the master reads.
// The control display shows the two tables; the exports write them.

// What one participant did with one target: its state and wrong assignments as last reported.
struct NetTargetState
{
    int coverState = 0;
    int wrongAssignments = 0;
};

// The header role that gives, per column, the text of the widest cell a real class shows there
// (empty for the name columns, whose long texts are elided): the control display sets its column
// widths from it once, never by measuring the rows.
inline constexpr int widestCellRole = Qt::UserRole + 1;

// The cell or header as the exports write it for a spreadsheet, where it differs from the shown
// text: times as h:mm:ss, rates as numbers with a decimal comma under a header that names the unit,
// headers no spreadsheet reads as a value ("Falsch" would be the truth value FALSCH).
inline constexpr int exportRole = Qt::UserRole + 2;

// The participants' page: one row per participant identifier, sorted by computer name, then by
// start time, then by identifier. Rows are inserted where they belong, so that a view keeps its
// scroll position and selection.
class NetParticipantTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        Computer,
        Address,
        User,
        Name,
        Start,
        Answered,
        Right,
        Wrong,
        Open,
        Time,
        SuccessRate,
        Overall,
        Grade,
        Status,
        Silent,
        Notes,
        ColumnCount
    };

    explicit NetParticipantTable(const TickSource& tick = systemTick(), QObject* parent = nullptr);

    // Starts afresh for a newly published document; with a time limit the time column shows the
    // time left, without one the time taken.
    void reset(const TopicDocument& published, bool timeLimited = false);
    // One message as the master's channel delivered it; returns what the reader made of it.
    NetMessageReader::Outcome read(
        const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text);
    // The results held for their TN-FERTIG too long, taken now.
    QList<NetMessageReader::Outcome> takeOverdueResults(quint32 heldMs = NetMessageReader::resultHoldMs);
    // Datagrams the channel refused before they were read. Refusals change no row: the summary,
    // which the control display refreshes every second, counts them.
    void countRefused(const QHostAddress& sender, int count);
    // The seconds since each participant's last message, refreshed once a second by the window.
    void refreshSilence();

    const NetMessageReader& reader() const { return m_reader; }
    QString participantAt(int row) const { return m_order.value(row); }
    // "läuft", "fertig", "abgebrochen", "Zeitlimit".
    static QString statusText(int endStatus);
    // Pupils: participants told apart by computer and user, since a repeat starts a new
    // participant. Running: participants whose quiz has not ended yet.
    int pupilCount() const;
    int runningCount() const;
    // The summary line: participants, finished, the class's average overall performance, and the
    // messages refused, with the addresses that sent the most.
    QString summary() const;
    // Each participant's last reported state per target object.
    const QHash<QString, QHash<int, NetTargetState>>& targetStates() const { return m_targets; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A participant's state of the target object changed (-1: of any): the questions' page counts
    // that row again.
    void targetsChanged(int object);

private:
    const NetParticipant& participant(const QString& id) const;
    bool lessThan(const QString& a, const QString& b) const;
    int rowOf(const QString& id) const;
    void rowChanged(const QString& id);

    const TickSource& m_tick;
    bool m_timeLimited = false;
    NetMessageReader m_reader;
    QList<QString> m_order;
    QHash<QString, quint32> m_lastMessage;
    QHash<QString, QHash<int, NetTargetState>> m_targets;
};

// The questions' page: one row per quiz item of the published topic with how many participants
// placed it right at once, right after mistakes, and not yet; sorted by most mistakes. Rows are
// counted afresh on every change and only changed cells are reported.
class NetQuestionTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Caption, RightAtOnce, RightAfterMistakes, NotYet, Mistakes, ColumnCount };

    explicit NetQuestionTable(const NetParticipantTable& participants, QObject* parent = nullptr);

    void reset(const TopicDocument& published);
    // Counts the row of object again, or every row for -1, and sorts.
    void recount(int object = -1);

    int objectAt(int row) const { return m_rows.value(row).object; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Row
    {
        int object = -1;
        QString caption;
        int rightAtOnce = 0;
        int rightAfterMistakes = 0;
        int notYet = 0;
        int mistakes = 0;
        bool operator==(const Row&) const = default;
    };

    const NetParticipantTable& m_participants;
    QList<Row> m_rows;
};

// A table as text for a spreadsheet: CSV with semicolons, fields quoted where needed, CR LF line
// ends, UTF-8 with a byte-order mark (as German LibreOffice and Excel open it without asking);
// or tab-separated text in UTF-8. The header row comes first. Cells are written as exportRole
// gives them; control characters become spaces, and a cell that would start a formula (=, +, -,
// @) gets a leading apostrophe, so that a pupil's name is never evaluated.
QByteArray tableAsCsv(const QAbstractItemModel& model);
QByteArray tableAsTabText(const QAbstractItemModel& model);
