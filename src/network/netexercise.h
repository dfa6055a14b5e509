#pragma once

#include "document/topicdocument.h"
#include "network/netmessages.h"
#include "quiz/quizsession.h"
#include "results/highscorefile.h"

#include <QHash>
#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class NetLifeSign;
class NetParticipantTable;
class NetQuestionTable;
class QIODevice;
class TALMailSlot2;

// The classroom network exercise: a teacher's machine publishes one topic with fixed exercise
// options in a shared communication folder; pupils' machines run exactly that quiz and report
// every answer and their result over the message channel to the teacher's machine, which keeps
// the class's high-score list.
//
// The exercise files, all in the communication folder and named with the channel, "-" and a
// fixed name ("ZEP-1-zepnetzuebung.dat" with the default channel):
//   .zep  the published topic            .dat  the settings file (master computer, options)
//   .adr  the master's addresses          .okx  the release marker, written last
//   .hsc  the class's high-score list
enum class NetFile { Topic, Settings, Release, HighScores, Addresses };

// The master renews its sign of life, the release marker's modification time, every
// netLifeSignIntervalMs; a participant takes an exercise whose sign is older than
// netLifeSignLimitSeconds by its own clock as withdrawn (a teacher's program that was killed
// leaves its files behind). School clocks may differ by minutes, hence the wide bound.
inline constexpr int netLifeSignIntervalMs = 60 * 1000;
inline constexpr qint64 netLifeSignLimitSeconds = 15 * 60;

// The path of an exercise file; folder ends with a separator.
QString netExerciseFileName(const QString& folder, const QString& channel, NetFile file);

// The settings file: the texts "zepnetzuebung.dat" and netSettingsKeyList (both skipped by
// readers), the master computer's name, then eight 32-bit integers: the right/wrong feedback
// group (always 0 in this edition, which has no such group), onCorrect, onWrong, textOrder,
// targetOrder, queryMode, timeLimitOn, timeLimitSeconds.
inline constexpr char netSettingsBaseName[] = "zepnetzuebung.dat";
inline constexpr char netSettingsKeyList[]
    = "NetzUebungMaster|RiFaRueckmeldungItemIndex|ZuordnungRichtigItemIndex|ZuordnungFalschItemIndex|"
      "ZuordnungstexteItemIndex|ZuordnungszieleItemIndex|AbfrageModusItemIndex|ZeitLimitIndex|ZeitLimitWert|";

struct NetExerciseSettings
{
    QString master;
    QuizSnapshot options;

    bool operator==(const NetExerciseSettings&) const = default;
};

// False when the device does not take every byte.
bool writeNetSettings(QIODevice& device, const NetExerciseSettings& settings);
// nullopt for a file cut short, a text longer than the file, or an option outside its group
// (a time limit from 0 to 99 min 59 s).
std::optional<NetExerciseSettings> readNetSettings(QIODevice& device);

// The address file: one address per line, as text. The reader takes at most 64 lines of at most
// 64 characters and skips what is no address.
QByteArray netAddressFileText(const QList<QHostAddress>& addresses);
QList<QHostAddress> parseNetAddressFile(const QByteArray& text);
// One address of one of this machine's interfaces that are up.
struct OwnAddress
{
    QString interfaceName;
    QNetworkAddressEntry entry;
};
// Interfaces that virtualisation software makes with the same address on every machine it runs
// on (docker0 172.17.0.1, virbr0 192.168.122.1, vboxnet0 192.168.56.1, ...): such an address says
// nothing about which machine it belongs to, so it is neither published nor chosen.
bool isVirtualBridge(const QString& interfaceName);

// What the master publishes: the one address it is bound to, or (bound to every address) this
// machine's IPv4 addresses that are not loopback nor on a virtual bridge, then 127.0.0.1 last.
QList<QHostAddress> masterAddressesToPublish(const QHostAddress& boundTo, const QList<OwnAddress>& own);
// The one address a participant sends to, from the master's listed addresses, this machine's
// addresses and what the master's name resolves to (empty when it does not). Never an address
// of a virtual bridge of this machine's. First a listed address on one of this machine's own
// networks (the resolved one among them first), which also reaches a master on this machine,
// since it receives on every address; else the resolved address that is listed; else the first
// resolved, else the first listed address other than loopback; loopback (the last one listed)
// only when the list holds nothing else. Null when there is nothing at all.
QHostAddress chooseMasterAddress(
    const QList<QHostAddress>& listed, const QList<OwnAddress>& own, const QList<QHostAddress>& resolved);

// 30 capital letters A to Z from the program's random generator.
QString drawParticipantId();

// After an answer judged on target (-1 none): its state code and wrong assignments, and the
// quiz's figures of this moment.
QStringList actionMessage(const QString& participantId, const QuizSession& quiz, int target);

// The exercise on one machine: the files it publishes or joins, the two channel components
// ("TNMailSlot" for the participant, "MasterMailslot" for the initiator) and the master's reading.
// It shows nothing: the main window turns its results into messages.
class NetExercise : public QObject
{
    Q_OBJECT
public:
    explicit NetExercise(QObject* parent = nullptr);
    ~NetExercise() override;

    QString folder; // the communication folder, ending with a separator
    QString channel = QStringLiteral("ZEP-1");
    QString masterComputer;
    QHostAddress masterAddress;
    QString participantId;

    QString fileName(NetFile file) const { return netExerciseFileName(folder, channel, file); }

    TALMailSlot2* participantSlot() const { return m_participantSlot; }
    TALMailSlot2* masterSlot() const { return m_masterSlot; }

    // Test seams: the address the master's channel binds, and the name lookup.
    void setBindAddress(const QHostAddress& address);
    void setResolver(std::function<QList<QHostAddress>(const QString&)> resolver);

    // Initiation, after the options are chosen: deletes the class's old list, then writes the
    // topic, the settings and the addresses, each under a temporary name renamed into place, and
    // the release marker last. failedPath names the file that could not be written.
    enum class PublishResult { Published, TopicUnwritable, SettingsUnwritable, ReleaseUnwritable };
    PublishResult publish(const TopicDocument& document, const QuizSnapshot& options, const QString& computer,
        QString* failedPath = nullptr);
    // Opens the master's channel on the exercise's channel and starts renewing the sign of life
    // (on a thread of its own, whatever the window does); false when its port is taken.
    bool openMaster();
    // Test seam: how often the sign of life is renewed.
    void setLifeSignInterval(int milliseconds) { m_lifeSignIntervalMs = milliseconds; }
    // The end on the initiating machine: the channel closed, results still held for their
    // TN-FERTIG taken, the exercise files (not the list) deleted.
    void withdraw();
    // The document as published; object indexes in TN-AKTION refer to it.
    const TopicDocument& publishedDocument() const { return m_published; }
    const NetMessageReader& reader() const;
    // The class as the master's messages show it: the participants and the questions.
    NetParticipantTable* participantTable() const { return m_participants; }
    NetQuestionTable* questionTable() const { return m_questions; }

    // Joining, in the window's order: the release marker, the settings and the topic exist; the
    // window reads the topic; the settings give the master computer and the options; then enter()
    // draws a new participant identifier, finds the master's address, reopens the participant's
    // channel and sends TN-INIT with startTime.
    // Released: the release marker, the settings and the topic exist, and the marker's sign of
    // life is at most netLifeSignLimitSeconds old at now.
    bool released(const QDateTime& now = QDateTime::currentDateTime()) const;
    bool readSettings(QuizSnapshot& options);
    void enter(double startTime);

    // The participant's reports to the master.
    void sendAction(const QuizSession& quiz, int target);
    // TN-FERTIG, then for a finished or timed-out quiz after 50 ms TN-BESTLIST.
    void sendFinish(const QuizSession& quiz, const QString& computer);

    // Results the master received that are not in the class's list yet. A new one is written as
    // soon as the messages that came with it are shown; an append that fails (the file held by
    // another program, a full disk, a server gone) keeps them here, in order, and they are tried
    // again every retryIntervalMs and with every new result, so that none is lost. Each attempt
    // is one, never a wait. writeWaitingResults tries at once and says whether all are written; the window asks
    // the teacher about what still waits at the end of the exercise and at exit.
    static constexpr int retryIntervalMs = 1000;
    // Results still held for their pupil's TN-FERTIG, taken now (before the exercise's reading
    // ends: at a new initiation and at exit).
    void takeHeldResults() { takeOverdueResults(0); }
    const QList<HighScoreEntry>& waitingResults() const { return m_waiting; }
    // The class's list the results go to: that of the exercise published last.
    QString resultListPath() const { return m_listPath; }
    bool writeWaitingResults();
    // The waiting results given up (saved elsewhere or let go by the teacher); what could not be
    // saved elsewhere either is given back, to wait before any newer result.
    QList<HighScoreEntry> takeWaitingResults();
    void keepWaitingResults(const QList<HighScoreEntry>& results);

    // Both channels closed (at exit).
    void closeChannels();
    // Deletes the topic, settings, address and release files of the configured channel.
    void deleteExerciseFiles();

signals:
    // The master read a message of a known participant. For a result, resultAppended follows once
    // the list was tried (appended false when it could not be written now: the result waits).
    void participantChanged(const QString& participantId);
    void resultAppended(const HighScoreEntry& entry, bool appended);
    // The number of results waiting for the class's list changed.
    void waitingResultsChanged(int count);

private:
    void masterMessage(
        const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text);
    void takeResult(const NetMessageReader::Outcome& outcome);
    void takeOverdueResults(quint32 heldMs = NetMessageReader::resultHoldMs);
    void send(const QStringList& lines);

    TALMailSlot2* m_participantSlot;
    TALMailSlot2* m_masterSlot;
    QHostAddress m_bindAddress = QHostAddress::AnyIPv4;
    std::function<QList<QHostAddress>(const QString&)> m_resolver;
    TopicDocument m_published;
    NetParticipantTable* m_participants;
    NetQuestionTable* m_questions;
    std::unique_ptr<NetLifeSign> m_lifeSign;
    int m_lifeSignIntervalMs = netLifeSignIntervalMs;
    QString m_listPath; // the class's list of the exercise published last
    QList<HighScoreEntry> m_waiting;
    int m_reportedWaiting = 0;
    qsizetype m_unreported = 0; // the newest waiting results, not yet tried nor announced
    QTimer m_writeDue; // writes new results after the hand-over in progress
    QTimer m_retryTimer;
    QTimer m_holdTimer; // takes results held for their TN-FERTIG too long
};
