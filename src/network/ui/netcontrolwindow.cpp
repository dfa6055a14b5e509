#include "netcontrolwindow.h"

#include "common/theme.h"
#include "network/netclassmodel.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A text column (names, captions) is this wide at first; longer texts are elided and shown
// whole in their tooltip.
constexpr int textColumnWidth = 120;

// The widths are set once, from the headers and the widest cell each column holds in a real
// class: they never depend on measuring the rows, which a flood of participants with long names
// would make take minutes. The teacher may drag them.
QTableView* makeView(QAbstractItemModel& model, const char* name, std::initializer_list<int> textColumns)
{
    auto* view = new QTableView;
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(&model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setTextElideMode(Qt::ElideRight);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    QHeaderView* header = view->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    const QFontMetrics metrics(view->font());
    for (int column = 0; column < model.columnCount(); ++column) {
        const QString widest = model.headerData(column, Qt::Horizontal, widestCellRole).toString();
        // A cell's text keeps a few pixels of margin on either side, as the view draws it.
        int fit = qMax(header->sectionSizeHint(column), metrics.horizontalAdvance(widest) + 12);
        if (std::find(textColumns.begin(), textColumns.end(), column) != textColumns.end())
            fit = qMax(fit, textColumnWidth);
        header->resizeSection(column, fit);
    }
    return view;
}

TBitBtn2* makeButton(const QString& text, const char* name)
{
    auto* button = new TBitBtn2(text);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumSize(130, 30);
    return button;
}

} // namespace

NetControlWindow::NetControlWindow(NetParticipantTable& participants, NetQuestionTable& questions, QWidget* parent)
    : QDialog(parent)
    , m_participants(participants)
    , m_questions(questions)
    , m_pages(new QTabWidget(this))
    , m_participantView(makeView(participants, "TeilnehmerGrid",
          {NetParticipantTable::Computer, NetParticipantTable::User, NetParticipantTable::Name}))
    , m_questionView(makeView(questions, "FragenGrid", {NetQuestionTable::Caption}))
    , m_summary(new QLabel(this))
    , m_notice(new QLabel(this))
    , m_clock(new QTimer(this))
    , m_summaryDue(new QTimer(this))
{
    setObjectName(QStringLiteral("KontrollanzeigeForm"));
    // The notes are sentences: room for the common ones, the tooltip for the rest.
    m_participantView->horizontalHeader()->resizeSection(NetParticipantTable::Notes, 2 * textColumnWidth);
    setWindowTitle(QStringLiteral("Kontrollanzeige Netzwerk-Übung"));
    setModal(false);
    resize(1000, 520);
    setPanelColour(this, theme().accent);

    auto* participantPage = new QWidget;
    auto* participantColumn = new QVBoxLayout(participantPage);
    participantColumn->addWidget(m_participantView);
    m_notice->setObjectName(QStringLiteral("HinweisLab"));
    m_notice->setWordWrap(true);
    m_notice->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_notice->hide();
    participantColumn->addWidget(m_notice);
    m_summary->setObjectName(QStringLiteral("ZusammenfassungLab"));
    m_summary->setWordWrap(true);
    participantColumn->addWidget(m_summary);
    m_pages->addTab(participantPage, QStringLiteral("&Teilnehmer"));
    m_pages->addTab(m_questionView, QStringLiteral("&Fragen"));
    m_pages->setObjectName(QStringLiteral("KontrollPages"));

    TBitBtn2* csv = makeButton(QStringLiteral("Als &CSV speichern..."), "CsvBtn");
    TBitBtn2* text = makeButton(QStringLiteral("Als Te&xt speichern..."), "TextBtn");
    TBitBtn2* list = makeButton(QStringLiteral("Beste&nliste"), "BestListBtn");
    TBitBtn2* end = makeButton(QStringLiteral("Übung &beenden"), "UebungBeendenBtn");
    m_endButton = end;
    connect(end, &TBitBtn2::clicked, this, &NetControlWindow::endRequested);
    TBitBtn2* close = makeButton(QStringLiteral("Schließen"), "SchliessenBtn");
    connect(csv, &TBitBtn2::clicked, this, [this] { askAndExport(true); });
    connect(text, &TBitBtn2::clicked, this, [this] { askAndExport(false); });
    connect(list, &TBitBtn2::clicked, this, &NetControlWindow::highScoreListRequested);
    connect(close, &TBitBtn2::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    for (TBitBtn2* button : {csv, text, list})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(end);
    buttons->addWidget(close);

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_pages, 1);
    column->addLayout(buttons);

    // The seconds since each participant's last message keep counting between messages.
    connect(m_clock, &QTimer::timeout, this, [this] {
        m_participants.refreshSilence();
        refreshSummary();
    });
    // Once per pass of the event loop, not per message: a hand-over brings hundreds at once.
    m_summaryDue->setSingleShot(true);
    m_summaryDue->setInterval(0);
    connect(m_summaryDue, &QTimer::timeout, this, &NetControlWindow::refreshSummary);
    connect(&m_participants, &QAbstractItemModel::dataChanged, m_summaryDue, qOverload<>(&QTimer::start));
    connect(&m_participants, &QAbstractItemModel::rowsInserted, m_summaryDue, qOverload<>(&QTimer::start));
    connect(&m_participants, &QAbstractItemModel::modelReset, m_summaryDue, qOverload<>(&QTimer::start));
    m_clock->start(1000);
    refreshSummary();
}

QString NetControlWindow::summaryText() const
{
    return m_summary->text();
}

void NetControlWindow::setNotice(const QString& text)
{
    m_notice->setText(text);
    m_notice->setVisible(!text.isEmpty());
}

void NetControlWindow::setExerciseRunning(bool running)
{
    m_endButton->setEnabled(running);
}

void NetControlWindow::refreshSummary()
{
    const QString text = m_participants.summary();
    if (m_summary->text() != text)
        m_summary->setText(text);
}

void NetControlWindow::showEvent(QShowEvent* event)
{
    styleDialogButtons(this);
    QDialog::showEvent(event);
}

void NetControlWindow::askAndExport(bool csv)
{
    const bool questionsShown = m_pages->currentIndex() == 1;
    FileDialogRequest request;
    request.title = (questionsShown ? QStringLiteral("Fragen") : QStringLiteral("Teilnehmer"))
        + (csv ? QStringLiteral(" als CSV speichern") : QStringLiteral(" als Text speichern"));
    request.fileName = questionsShown ? QStringLiteral("fragen") : QStringLiteral("teilnehmer");
    request.defaultSuffix = csv ? QStringLiteral("csv") : QStringLiteral("txt");
    request.filter = csv ? QStringLiteral("CSV-Datei (*.csv)|*.csv|Alle Dateien (*.*)|*.*")
                         : QStringLiteral("Textdatei (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    const QString path = dialogService().saveFileName(this, request);
    if (!path.isEmpty())
        exportPage(path, csv);
}

bool NetControlWindow::exportPage(const QString& path, bool csv)
{
    const QAbstractItemModel& model
        = m_pages->currentIndex() == 1 ? static_cast<const QAbstractItemModel&>(m_questions) : m_participants;
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.write(csv ? tableAsCsv(model) : tableAsTabText(model)) >= 0 && file.commit();
    if (!written)
        showFileUnwritable(path);
    return written;
}
