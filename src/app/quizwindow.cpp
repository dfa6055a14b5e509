// The quiz in the main window: starting it, the quiz panel with the card and its instruction
// strip, the answer tiles with dragging, judging and feedback, the status panel and its clock,
// and the end with its dialog. The rules live in QuizSession; this file shows what it decides.

#include "mainwindow.h"

#include "app/cardimage.h"
#include "app/cursors.h"
#include "app/desktopservices.h"
#include "app/messages.h"
#include "app/pause.h"
#include "app/randomgenerator.h"
#include "app/sound.h"
#include "app/theme.h"
#include "app/uistyle.h"
#include "cardview/cardtext.h"
#include "quiz/normalizetext.h"
#include "quiz/quizscoring.h"
#include "quiz/ui/labeloptionsdialog.h"
#include "quiz/ui/namedialog.h"
#include "quiz/ui/questionoptionsdialog.h"
#include "quiz/ui/quizenddialog.h"
#include "results/ui/bestlistverzform.h"
#include "results/ui/highscorelists.h"
#include "results/ui/protocolwindow.h"
#include "widgets/hoverpanel.h"
#include "widgets/shadowlabel.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <cmath>

namespace {

const QColor tileColour(255, 243, 144);
const QColor tileFontColour(33, 33, 31);
const QColor rightColour(90, 255, 72);
const QColor wrongColour(255, 80, 70);
const QColor stripBar(225, 225, 217);
const QColor instructionColour(81, 81, 78);
const QColor statusGreen(0, 150, 0);
const QColor statusRed(210, 0, 0);
const QColor statusBlue(0, 51, 153);

// Nearest integer, halves to even, as the quiz layout rounds.
int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

QString instructionText(DocType kind, int queryMode)
{
    if (kind == DocType::SingleQuestions)
        return QStringLiteral("Klicke auf die richtige Antwort!");
    static const char* const labelling[] = {"Ziehe die Beschriftungen an die jeweils richtige Position!",
        "Ziehe die Beschriftung an die richtige Position!",
        "Ziehe die richtige Beschriftung an die markierte Position!"};
    static const char* const cloze[] = {"Ziehe die Lückentexte an die jeweils richtige Position!",
        "Ziehe den Lückentext an die richtige Position!", "Ziehe den richtigen Lückentext an die markierte Position!"};
    const int mode = std::clamp(queryMode, 0, 2);
    return QString::fromUtf8(kind == DocType::ClozeText ? cloze[mode] : labelling[mode]);
}

} // namespace

// The quiz panel: shows the card with its instruction strip as its background; the tiles lie on it.
class QuizPanel : public QWidget
{
public:
    using QWidget::QWidget;

    void setBackground(const QImage& image)
    {
        m_background = image;
        update();
    }
    const QImage& background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
        if (!m_background.isNull())
            painter.drawImage(0, 0, m_background);
    }

private:
    QImage m_background;
};

QWidget* TForm1::createQuizPanel(QWidget* parent)
{
    auto* panel = new QuizPanel(parent);
    panel->setObjectName(QStringLiteral("UebungPan"));
    m_frageZaehlerPan = new QLabel(panel);
    m_frageZaehlerPan->setObjectName(QStringLiteral("UebFrageZaehlerPan"));
    QFont counterFont(QStringLiteral("Arial"));
    counterFont.setPixelSize(15);
    counterFont.setBold(true);
    m_frageZaehlerPan->setFont(counterFont);
    // A white panel, so that the counter reads on any picture.
    setPanelColour(m_frageZaehlerPan, Qt::white);
    setFontColour(m_frageZaehlerPan, tileFontColour);
    m_frageZaehlerPan->setContentsMargins(4, 0, 4, 0);
    m_frageZaehlerPan->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_frageZaehlerPan->resize(420, 22);
    m_frageZaehlerPan->hide();
    m_imgKlickZone = new QWidget(panel);
    m_imgKlickZone->setObjectName(QStringLiteral("UebImgKlickZone"));
    m_imgKlickZone->setCursor(Qt::PointingHandCursor);
    m_imgKlickZone->installEventFilter(this);
    return panel;
}

void TForm1::createStatusPanel()
{
    QWidget* panel = m_uebInfoPan;
    const auto label = [panel](const char* name, const QString& text, int x, int y, int width, int height = 18) {
        auto* l = new TShadowLabel(text, panel);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, width, height);
        return l;
    };
    QFont bold = font();
    bold.setBold(true);
    m_uebStatLab = label("UebStatLab", QStringLiteral("warte auf Antwort"), 10, 8, 150, 20);
    m_uebStatLab->setFont(bold);
    label("TNameCapLab", QStringLiteral("Teilnehmer:"), 10, 36, 94);
    m_tNameLab = label("TNameLab", QStringLiteral("-"), 106, 36, 78);
    label("RichtigCapLab", QStringLiteral("Richtig:"), 10, 60, 94);
    m_richtigLab = label("RichtigLab", QStringLiteral("0"), 106, 60, 30);
    m_gesAnzLab = label("GesAnzLab", QStringLiteral("von  0"), 136, 60, 50);
    label("FalschCapLab", QStringLiteral("Falsch:"), 10, 80, 94);
    m_falschLab = label("FalschLab", QStringLiteral("0"), 106, 80, 78);
    label("OffenCapLab", QStringLiteral("Offen:"), 10, 100, 94);
    m_offenLab = label("OffenLab", QStringLiteral("0"), 106, 100, 78);
    label("QuoteCapLab", QStringLiteral("Quote:"), 10, 124, 94);
    m_quoteLab = label("QuoteLab", QStringLiteral("0.0 %"), 106, 124, 78);
    label("GesamtleistungCapLab", QStringLiteral("Gesamtleistung:"), 10, 144, 94);
    m_gesamtleistungLab = label("GesamtleistungLab", QStringLiteral("0.0 %"), 106, 144, 78);
    m_uebZeitModeLab = label("UebZeitModeLab", QStringLiteral("Benötigte Zeit:"), 10, 172, 170);
    m_uebZeitLab = label("UebZeitLab", QStringLiteral("00:00"), 10, 190, 170, 30);
    QFont clock = bold;
    clock.setPixelSize(24);
    m_uebZeitLab->setFont(clock);
    for (TShadowLabel* l : {m_richtigLab, m_falschLab, m_quoteLab, m_gesamtleistungLab, m_offenLab, m_tNameLab})
        l->setFont(bold);
    m_richtigLab->setFontColor(statusGreen);
    m_falschLab->setFontColor(statusRed);
    m_uebZeitLab->setFontColor(statusBlue);
    m_uebStatLab->setFontColor(statusBlue);

    m_zeitTimer = new QTimer(this);
    m_zeitTimer->setObjectName(QStringLiteral("ZeitTimer"));
    m_zeitTimer->setInterval(100);
    connect(m_zeitTimer, &QTimer::timeout, this, &TForm1::timerTick);
}

void TForm1::connectQuizDialogs()
{
    connect(m_uebFertigForm, &TUebFertigForm::protocolRequested, this, &TForm1::showProtocolWindow);
    connect(
        m_uebFertigForm, &TUebFertigForm::highScoreListRequested, this, [this] { showHighScoreList(m_netRole > 0); });
    m_uebFertigForm->setHighScoreSaver([this] { return saveHighScoreResult(m_quiz); });
    connect(m_uebFertigForm, &TUebFertigForm::highScoreEntered, this, [this] { m_quiz.resultEntered = true; });
    // A list that cannot be written is usually in a wrong folder: the folder dialog follows.
    connect(m_uebFertigForm, &TUebFertigForm::highScoreEntryFailed, this, &TForm1::showFolderDialog);
}

void TForm1::showHighScoreList(bool network)
{
    if (!m_bestListForm)
        return;
    if (!network && m_netRole == 1) {
        showInfo(HighScoreTexts::notDuringNetExercise);
        return;
    }
    ::showHighScoreList(*m_bestListForm, m_highScoreList, m_document, network);
}

void TForm1::showProtocolWindow()
{
    if (m_uebProtokollForm)
        m_uebProtokollForm->showProtocol();
}

void TForm1::showFolderDialog()
{
    if (m_bestListVerzForm)
        m_bestListVerzForm->exec();
}

void TForm1::clearHighScoreList()
{
    m_highScoreList.clear();
}

QuizSnapshot TForm1::takeQuizOptions() const
{
    return takeOptions(m_quizOptions, m_document.DokTyp);
}

bool TForm1::startQuiz(int requestedMode, int role)
{
    if (m_netRole == 1 && role != 1) {
        showInfo(
            QStringLiteral("Die aktuelle Netzwerk-Übung muss zunächst beendet werden, um eine eigene Übung starten "
                           "zu können."));
        return false;
    }
    if (m_netRole == 2 && role != 2) {
        showInfo(
            QStringLiteral("Auf diesem Rechner wurde eine Netzwerk-Übung initiiert, die zuerst beendet werden muss. "
                           "Daher kann im Moment keine eigene Übung gestartet werden."));
        return false;
    }
    if (!mayLeaveQuiz())
        return false;
    if (role != 1)
        m_quiz.snapshot = takeQuizOptions();

    if (m_quiz.selectQuestions(requestedMode) == 0) {
        showInfo(QuizTexts::nothingSelected);
        updateModeButtons();
        return false;
    }

    m_quiz.participantName.clear();
    if (role == 0 && menuItem(QStringLiteral("OptNameEingabe1"))->isChecked() && m_nameEingabeForm) {
        if (m_nameEingabeForm->exec() != QDialog::Accepted) {
            updateModeButtons();
            return false;
        }
        m_quiz.participantName = m_nameEingabeForm->name();
    }

    selectTool(1);
    m_cardMode = QuizRunning;
    m_cardView.cardMode = QuizRunning;
    m_cardView.askedObject = -1;
    m_quiz.buildQuestionList();

    // The card image stays hidden behind the quiz panel, which shows what it holds.
    m_lernKartPicImg->hide();
    m_startInfoPan->hide();
    m_mainBackImg2->paintNineSlice(ThemeTextures::builtIn().texture1);
    const QRect client = m_lernKartPan->contentsRect();
    m_uebungPan->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    createTiles();
    m_cardView.setZoom(0);

    m_quiz.reset(role);
    m_netRole = role;
    m_quizFinished = false;
    updateModeButtons();
    const QuizPrompt prompt = m_quiz.beginQuiz();
    // The question first, so that the card is drawn with its page and its one asked position.
    presentPrompt(prompt);
    layoutQuizCard();

    m_uebungPan->show();
    m_uebungPan->raise();
    placeLinkZone();
    drawInstructionStrip(true);
    refreshStatus();
    m_zeitTimer->start();
    return true;
}

void TForm1::abortQuiz()
{
    if (!mayLeaveQuiz())
        return;
    leaveQuiz();
}

void TForm1::leaveQuiz()
{
    m_zeitTimer->stop();
    m_quiz.leaveQuiz();
    m_netRole = 0;
    m_quizFinished = true;
    destroyTiles();
    selectTool(1);
    m_cardView.askedObject = -1;
    markObject(-1, -1);
    m_frageZaehlerPan->hide();
    m_cardView.setZoom(0);
    m_cardView.cardMode = LearningCard;
    applyNumbering(m_numberingMode, false);
    m_startInfoPan->show();
    showCardView();
}

void TForm1::createTiles()
{
    destroyTiles();
    const QList<QuestionPair>& list = m_quiz.questionList;
    const bool single = m_document.DokTyp == DocType::SingleQuestions;
    m_tiles.resize(list.size());
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        auto* tile = new THoverPanel(m_uebungPan);
        tile->setObjectName(QStringLiteral("UebElemPan") + QString::number(i));
        tile->setProperty("tag", list.at(i).textObject);
        tile->resize(150, 46);
        tile->setBevelOuter(THoverPanel::Bevel::Raised);
        tile->setBevelWidth(1);
        tile->setBorderWidth(1);
        tile->setBorderColor(Qt::black);
        tile->setHoverActive(false);
        tile->setNormColor(tileColour);
        QFont tileFont(QStringLiteral("Arial"));
        tileFont.setPixelSize(pointsToPixels(11));
        tileFont.setBold(true);
        tile->setFont(tileFont);
        tile->setNormFontColor(tileFontColour);
        tile->setFontAutoSize(true);
        tile->setMinFontSize(8);
        tile->setWordWrap(true);
        tile->setAlignment(Qt::AlignCenter);
        tile->setPadding(TPadding(2, 0, 2, 0));
        QString caption = normalizeText(m_document.objects.at(list.at(i).textObject).Cap);
        caption.replace(QStringLiteral(" | "), QStringLiteral("\r\n"));
        tile->setCaption(caption);
        tile->setCursor(single ? QCursor(Qt::PointingHandCursor) : cursorSet().cursor(4));
        connect(tile, &THoverPanel::mouseDown, this,
            [this, tile](Qt::MouseButton button, QPoint pos) { grabTile(tile, button, pos); });
        connect(tile, &THoverPanel::mouseMove, this, [this, tile](Qt::MouseButtons buttons, QPoint pos) {
            if (buttons & Qt::LeftButton)
                dragTile(tile, pos);
        });
        connect(tile, &THoverPanel::mouseUp, this, [this, tile](Qt::MouseButton, QPoint) { releaseTile(tile); });
        m_tiles[i] = tile;
        if (single)
            tile->move(m_uebungPan->width() - 150, m_uebungPan->height() - 46);
        tile->show();
    }
    if (!single)
        layoutTiles();
    else
        m_quizPictureWidth = m_uebungPan->width() - 155;
}

void TForm1::destroyTiles()
{
    for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
        if (tile) {
            tile->hide();
            tile->deleteLater();
        }
    }
    m_tiles.clear();
    m_solutionTile = nullptr;
    m_dragTile = nullptr;
}

void TForm1::layoutTiles()
{
    const int panelWidth = m_uebungPan->width();
    const int panelHeight = m_uebungPan->height();
    m_quizPictureWidth = panelWidth - 155;
    if (m_document.DokTyp == DocType::SingleQuestions) {
        const QPoint anchor = m_cardView.cardToView(0.1, 0.58);
        const int x0 = anchor.x() + 4;
        const int y0 = anchor.y() + 45;
        QList<THoverPanel*> visible;
        for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
            if (tile && !tile->isHidden())
                visible.append(tile);
        }
        const int cellWidth = m_tiles.isEmpty() || !m_tiles.first() ? 170 : m_tiles.first()->width() + 20;
        const int cellHeight = m_tiles.isEmpty() || !m_tiles.first() ? 66 : m_tiles.first()->height() + 20;
        const int k = int(qMin<qsizetype>(visible.size(), 6));
        std::array<bool, 7> used {};
        int next = 1;
        for (int i = 0; i < k; ++i) {
            int slot;
            if (m_quiz.snapshot.textOrder == 1) {
                do
                    slot = randomInt(k) + 1;
                while (used[size_t(slot)]);
            } else {
                slot = next++;
            }
            used[size_t(slot)] = true;
            visible.at(i)->move(x0 + ((slot - 1) % 3) * cellWidth, y0 + ((slot - 1) / 3) * cellHeight);
            visible.at(i)->raise();
        }
        m_frageZaehlerPan->move(x0, roundHalfEven(y0 * 0.3) - 20);
        m_frageZaehlerPan->show();
        m_frageZaehlerPan->raise();
        return;
    }

    bool first = true;
    int base = 0;
    int top = 0;
    int left = panelWidth;
    int column = 0;
    for (qsizetype i = m_tiles.size() - 1; i >= 0; --i) {
        THoverPanel* tile = m_tiles.at(i);
        // Tiles count as shown before their panel is: what matters is whether they were hidden.
        if (!tile || tile->isHidden())
            continue;
        if (first) {
            base = m_quiz.snapshot.queryMode == 1 ? (panelHeight - tile->height()) / 2 : panelHeight - tile->height();
            top = base;
            left = panelWidth - tile->width();
            column = 0;
            first = false;
        }
        tile->move(left, top);
        top -= tile->height() + 2;
        if (top < 35) {
            ++column;
            top = base - 7 * column;
            left -= 12;
        }
    }
    m_quizPictureWidth = left - 5;
}

void TForm1::layoutQuizCard()
{
    const QRect client = m_lernKartPan->contentsRect();
    m_uebungPan->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    layoutTiles();
    m_lernKartPicImg->setGeometry(9, 8, qMax(1, m_quizPictureWidth), qMax(1, client.height() - 16));
    redrawCard();
    if (m_document.DokTyp == DocType::SingleQuestions)
        layoutTiles(); // the grid hangs from a point of the card drawn just now
    drawInstructionStrip(true);
}

void TForm1::drawInstructionStrip(bool repaint)
{
    auto* panel = static_cast<QuizPanel*>(m_uebungPan);
    QImage strip(panel->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    strip.fill(m_lernKartPicImg->palette().color(QPalette::Window));
    QPainter painter(&strip);
    painter.fillRect(QRect(m_quizPictureWidth, 0, 3, strip.height()), stripBar);
    painter.fillRect(QRect(m_quizPictureWidth + 3, 0, strip.width(), strip.height()), Qt::white);
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(instructionColour);
    painter.drawText(QRect(QPoint(m_quizPictureWidth + 11, 6), QPoint(strip.width() - 1, strip.height() - 1)),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, instructionText(m_document.DokTyp, m_quiz.snapshot.queryMode));
    // The card, where its image control lies under the panel.
    const QPoint imageAt = m_lernKartPicImg->pos() - m_uebungPan->pos() + m_cardView.bitmapOrigin();
    painter.drawImage(imageAt, m_cardView.viewBitmap);
    painter.end();
    panel->setBackground(strip);
    if (repaint)
        panel->repaint();
}

void TForm1::placeLinkZone()
{
    const QSize size = m_lernKartPicImg->size();
    m_imgKlickZone->setGeometry(roundHalfEven(0.62 * size.width()), roundHalfEven(0.105 * size.height()),
        roundHalfEven(0.32 * size.width()), roundHalfEven(0.105 * size.height()));
    m_imgKlickZone->raise();
}

void TForm1::presentPrompt(const QuizPrompt& prompt)
{
    m_cardView.askedObject = -1;
    switch (prompt.kind) {
    case PromptKind::Text:
        for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
            if (tile)
                tile->setVisible(tile->property("tag").toInt() == prompt.textObject);
        }
        layoutTiles();
        break;
    case PromptKind::Position:
        m_cardView.askedObject = prompt.targetObject;
        break;
    case PromptKind::Question: {
        m_solutionTile = nullptr;
        for (qsizetype i = 0; i < m_tiles.size(); ++i) {
            THoverPanel* tile = m_tiles.at(i);
            if (!tile)
                continue;
            tile->setVisible(prompt.choices.contains(int(i)));
            if (i == prompt.solution)
                m_solutionTile = tile;
        }
        m_frageZaehlerPan->setText(prompt.counterText);
        m_frageZaehlerPan->adjustSize();
        m_document.currentQuestionNumber = prompt.questionNumber;
        layoutTiles();
        break;
    }
    case PromptKind::None:
        break;
    }
}

void TForm1::hideAllTiles()
{
    for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
        if (tile)
            tile->hide();
    }
}

void TForm1::grabTile(THoverPanel* tile, Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || m_cardMode != QuizRunning || !m_quiz.isRunning())
        return;
    tile->raise();
    m_dragTile = tile;
    m_dragOrigin = tile->pos();
    m_dragPoint = tile->pos() + pos;
    if (!m_judging)
        m_quiz.grabTile();
}

void TForm1::dragTile(THoverPanel* tile, QPoint pos)
{
    if (m_document.DokTyp == DocType::SingleQuestions || tile != m_dragTile || !m_quiz.isRunning())
        return;
    const QPoint point = tile->pos() + pos;
    if (point != m_dragPoint) {
        QRect moved = tile->geometry().translated(point - m_dragPoint);
        const QRect area = m_uebungPan->rect();
        QPoint shift;
        if (moved.right() > area.right())
            shift.rx() = area.right() - moved.right();
        if (moved.bottom() > area.bottom())
            shift.ry() = area.bottom() - moved.bottom();
        moved.translate(shift);
        QPoint second;
        if (moved.left() < area.left())
            second.rx() = area.left() - moved.left();
        if (moved.top() < area.top())
            second.ry() = area.top() - moved.top();
        moved.translate(second);
        tile->move(moved.topLeft());
        m_dragPoint = point + shift + second;
    }
    // The answer being judged owns the marker; this tile's target is found once it is done.
    if (m_judging)
        return;
    markObject(m_quiz.dragOver(tileCardRect(tile)), 2);
}

QRectF TForm1::tileCardRect(const THoverPanel* tile) const
{
    // Panel pixels are taken as pixels of the card's image control, which lies at the same place.
    const QRect rect = tile->geometry().translated(m_uebungPan->pos() - m_lernKartPicImg->pos());
    const QPointF topLeft = m_cardView.viewToCard(rect.left(), rect.top());
    const QPointF bottomRight = m_cardView.viewToCard(rect.left() + rect.width(), rect.top() + rect.height());
    return QRectF(topLeft, bottomRight);
}

void TForm1::releaseTile(THoverPanel* tile)
{
    if (!tile || tile->isHidden() || m_cardMode != QuizRunning || !m_quiz.isRunning())
        return;
    if (m_judging) {
        // Judged in turn once the answer in progress is finished.
        m_pendingReleases.append(tile);
        return;
    }
    judgeTile(tile);
    // Tiles released while that answer's feedback ran come next, in the order they were let go.
    // A tile placed meanwhile is gone, and one released twice is judged once.
    while (!m_pendingReleases.isEmpty() && m_quiz.isRunning()) {
        const QPointer<THoverPanel> next = m_pendingReleases.takeFirst();
        if (!next || next->isHidden() || m_pendingReleases.contains(next))
            continue;
        if (m_document.DokTyp == DocType::SingleQuestions)
            m_quiz.grabTile();
        else
            markObject(m_quiz.dragOver(tileCardRect(next)), 2);
        judgeTile(next);
    }
    m_pendingReleases.clear();
}

void TForm1::judgeTile(THoverPanel* tile)
{
    const QPointer<THoverPanel> guard(tile);
    const int textObject = tile->property("tag").toInt();
    const JudgeResult result = m_quiz.judgeAnswer(textObject);
    if (!result.judged)
        return;
    m_judging = true;
    const bool single = m_document.DokTyp == DocType::SingleQuestions;
    const QColor own = tile->normColor();
    if (result.right) {
        showStatusWord(true);
        tile->setNormColor(rightColour);
        tile->repaint();
        soundPlayer().playRight(true);
        pauseMs(300, false);
        if (single) {
            pauseMs(700, false);
            hideAllTiles();
        }
        if (guard)
            guard->setNormColor(own);
        if (result.tile == TileFate::Destroyed && guard) {
            m_tiles.replace(m_tiles.indexOf(guard), nullptr);
            guard->hide();
            guard->deleteLater();
        }
        if (result.redrawTarget)
            m_cardView.drawObject(m_cardView.sceneBitmap, result.target, 0, true, true, false);
    } else {
        showStatusWord(false);
        tile->setNormColor(wrongColour);
        tile->repaint();
        m_uebungPan->repaint();
        soundPlayer().playWrong(true);
        if (result.blinkSolution && m_solutionTile) {
            const QColor solutionOwn = m_solutionTile->normColor();
            for (int i = 0; i < 3 && m_solutionTile; ++i) {
                m_solutionTile->setNormColor(rightColour);
                m_solutionTile->repaint();
                pauseMs(150, false);
                if (!m_solutionTile)
                    break;
                m_solutionTile->setNormColor(solutionOwn);
                m_solutionTile->repaint();
                pauseMs(150, false);
            }
        }
        if (result.tile == TileFate::GlidesBack && guard) {
            glideBack(guard);
        } else if (result.tile == TileFate::Hidden && guard) {
            pauseMs(100, false);
            if (guard)
                guard->hide();
        }
        if (result.redrawTarget)
            m_cardView.drawObject(m_cardView.sceneBitmap, result.target, 0, true, true, false);
        if (single) {
            pauseMs(800, false);
            hideAllTiles();
        }
        if (guard)
            guard->setNormColor(own);
    }
    refreshStatus();
    QCoreApplication::processEvents();
    markObject(-1, -1);
    m_judging = false;

    if (result.quizOver) {
        endQuiz();
        return;
    }
    if (result.askNext) {
        const QuizPrompt prompt = m_quiz.nextQuestion();
        presentPrompt(prompt);
        m_cardView.redrawObjects();
        drawInstructionStrip(true);
    }
}

void TForm1::glideBack(THoverPanel* tile)
{
    const QPointer<THoverPanel> guard(tile);
    const QPoint start = tile->pos();
    const QPoint delta = m_dragOrigin - start;
    const double distance = std::hypot(double(delta.x()), double(delta.y()));
    const int steps = roundHalfEven(distance * 0.5);
    if (steps < 1)
        return;
    const TickSource& tick = systemTick();
    const quint32 began = tick.now();
    for (int i = 1; i <= steps && guard; ++i) {
        guard->move(
            start + QPoint(roundHalfEven(double(delta.x()) * i / steps), roundHalfEven(double(delta.y()) * i / steps)));
        m_uebungPan->repaint();
        // About 1 ms per step, without letting other input in; the wrap of the tick cannot stall it.
        while (ticksSince(began, tick.now()) < quint32(i))
            ;
    }
}

void TForm1::showStatusWord(bool right)
{
    m_uebStatLab->setText(right ? QStringLiteral("Richtig") : QStringLiteral("Falsch"));
    m_uebStatLab->setFontColor(right ? m_richtigLab->fontColor() : m_falschLab->fontColor());
    m_uebStatLab->repaint();
}

void TForm1::refreshStatus()
{
    m_quiz.refreshStatus();
    const QuizStatusTexts texts = m_quiz.statusTexts();
    m_uebStatLab->setText(texts.statusWord);
    m_uebStatLab->setFontColor(m_uebZeitLab->fontColor());
    m_gesAnzLab->setText(texts.totalText);
    m_tNameLab->setText(texts.nameText);
    m_richtigLab->setText(texts.rightText);
    m_falschLab->setText(texts.wrongText);
    m_quoteLab->setText(texts.rateText);
    m_gesamtleistungLab->setText(texts.scoreText);
    m_offenLab->setText(texts.openText);
    m_uebZeitModeLab->setText(texts.timeModeText);
    if (m_uebZeitLab->text() != texts.clockText)
        m_uebZeitLab->setText(texts.clockText);
    m_uebInfoPan->repaint();
}

void TForm1::timerTick()
{
    m_zeitTimer->stop();
    if (m_cardMode != QuizRunning || !m_quiz.isRunning())
        return;
    const TickResult result = m_quiz.timerTick();
    if (result.clockChanged)
        m_uebZeitLab->setText(m_quiz.currentClockText());
    if (result.timeUp) {
        markObject(-1, -1);
        showInfo(QuizTexts::timeUp);
        endQuiz();
        return;
    }
    m_zeitTimer->start();
}

void TForm1::endQuiz()
{
    m_zeitTimer->stop();
    m_quiz.endQuiz(ProtocolContext::fromSystem());
    m_quizFinished = true;
    refreshStatus();
    if (!m_uebFertigForm)
        return;

    QuizEndFigures figures;
    figures.correct = m_richtigLab->text();
    figures.questionCount = m_gesAnzLab->text();
    figures.wrong = m_falschLab->text();
    figures.successRate = m_quoteLab->text();
    figures.open = QString::number(m_quiz.openCount);
    figures.time = m_uebZeitLab->text();
    figures.timeLimit = m_quiz.snapshot.timeLimitOn != 0;
    figures.overallScore = m_gesamtleistungLab->text();
    figures.rating = ratingText(m_quiz.grade);
    figures.grade = m_quiz.grade;
    figures.score = m_quiz.overallScore;
    m_uebFertigForm->showFigures(figures);
    m_uebFertigForm->prepareRepeat(m_netRole, m_quiz.wrongCount);
    quizProtocolReady();
    m_uebFertigForm->prepareHighScore(
        menuItem(QStringLiteral("ErgebBestListEintragen1"))->isChecked(), m_netRole, m_quiz.selectionMode);
    m_quiz.resultEntered = m_uebFertigForm->resultEntered();

    // The dialog comes back when a repeat cannot start.
    for (;;) {
        if (m_uebFertigForm->exec() != TUebFertigForm::Repeat) {
            m_netRole = 0;
            leaveQuiz();
            return;
        }
        if (startQuiz(m_uebFertigForm->repeatMode(), m_netRole))
            return;
    }
}

void TForm1::quizProtocolReady()
{
    if (!m_uebProtokollForm)
        return;
    m_uebProtokollForm->setProtocol(m_quiz.protocolText());
    if (menuItem(QStringLiteral("AutoProtSpeichern1"))->isChecked())
        m_uebProtokollForm->autoSaveProtocol();
}

void TForm1::showExerciseOptions()
{
    if (m_cardMode == QuizRunning) {
        showInfo(QStringLiteral("Die Übungsoptionen können nicht während der Übung geändert werden."));
        return;
    }
    if (!m_uebOptForm || !m_uebOptFragenForm)
        return; // the dialogs come with createDialogs()
    int result;
    if (m_document.DokTyp == DocType::SingleQuestions) {
        m_uebOptFragenForm->setOptions(m_quizOptions);
        result = m_uebOptFragenForm->exec();
        m_uebOptFragenForm->applyTo(m_quizOptions);
    } else {
        m_uebOptForm->setOptions(m_quizOptions);
        result = m_uebOptForm->exec();
        m_uebOptForm->applyTo(m_quizOptions);
    }
    if (result == QDialog::Accepted)
        startQuiz(0, 0);
}
