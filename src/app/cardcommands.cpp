// The learning card in the main window: its image control, the card tool bar (hidden in this
// edition, its commands answering to their keys), layers, numbering, zoom, scrolling and panning,
// and putting the view out into a file or onto the clipboard.

#include "mainwindow.h"

#include "cardview/ui/cardimage.h"
#include "cardview/cardtext.h"
#include "cardview/markup.h"
#include "cardview/viewexport.h"
#include "common/folders.h"
#include "common/pause.h"
#include "quiz/ui/quizpanel.h"
#include "ui/cursors.h"
#include "ui/dialogservice.h"
#include "ui/infoboxform.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/hoverpanel.h"
#include "widgets/markerframe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

namespace {

const QColor keywordColour(0, 88, 255);

THoverPanel* makeCardButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new THoverPanel(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCaption(caption);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    styleToolbarButton(button);
    return button;
}

// Covers every label when the layer panel itself (not one of its boxes) is pressed.
class LayerPanelPress : public QObject
{
public:
    LayerPanelPress(QWidget* panel, std::function<void()> action)
        : QObject(panel)
        , m_action(std::move(action))
    {
        panel->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_action();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

void TForm1::createCardToolbar()
{
    QWidget* bar = m_lernInfoPan;

    m_ebenenPan = new QWidget(bar);
    m_ebenenPan->setObjectName(QStringLiteral("EbenenPan"));
    m_ebenenPan->setGeometry(6, 6, 156, 76);
    const std::pair<const char*, const char*> layerBoxes[]
        = {{"Ebene0Check", " Illustration "}, {"Ebene1Check", " Beschriftung "}, {"Ebene2Check", " Infopunkte "}};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(layerBoxes[i].second), m_ebenenPan);
        box->setObjectName(QString::fromLatin1(layerBoxes[i].first));
        box->setChecked(true);
        box->setGeometry(8, 4 + 22 * i, 140, 20);
        connect(box, &QCheckBox::clicked, this, &TForm1::layerBoxClicked);
        m_layerBoxes[size_t(i)] = box;
    }
    new LayerPanelPress(m_ebenenPan, [this] { coverAll(); });

    int top = 90;
    const auto row = [&top](std::initializer_list<THoverPanel*> buttons) {
        int left = 6;
        const int width = (156 - 4 * (int(buttons.size()) - 1)) / int(buttons.size());
        for (THoverPanel* button : buttons) {
            button->setGeometry(left, top, width, 28);
            left += width + 4;
        }
        top += 32;
    };

    auto* coverButton = makeCardButton(
        bar, "AlleAbdeckenBtn", QStringLiteral("abdecken"), QStringLiteral("Alle Beschriftungen abdecken"));
    auto* uncoverButton = makeCardButton(
        bar, "AlleAufdeckenBtn", QStringLiteral("aufdecken"), QStringLiteral("Alle Beschriftungen aufdecken"));
    connect(coverButton, &THoverPanel::clicked, this, &TForm1::coverAll);
    connect(uncoverButton, &THoverPanel::clicked, this, &TForm1::uncoverAll);
    row({coverButton, uncoverButton});

    const std::tuple<const char*, const char*, const char*> numberingButtons[]
        = {{"NummerModeFragez", "?", "Abdecker mit Fragezeichen"},
            {"NummerModeSort", "1 2 3", "Abdecker geordnet nummerieren"},
            {"NummerModeZufall", "3 1 2", "Abdecker zufällig nummerieren"}};
    for (int mode = 0; mode < 3; ++mode) {
        const auto& [name, caption, hint] = numberingButtons[mode];
        m_numberingButtons[size_t(mode)]
            = makeCardButton(bar, name, QString::fromUtf8(caption), QString::fromUtf8(hint));
        connect(m_numberingButtons[size_t(mode)], &THoverPanel::clicked, this,
            [this, mode] { applyNumbering(mode, true); });
    }
    row({m_numberingButtons[0], m_numberingButtons[1], m_numberingButtons[2]});

    const std::tuple<const char*, const char*, int> zoomButtons[]
        = {{"ZoomPan0", "100%", 0}, {"ZoomPan2", "150%", 2}, {"ZoomPan4", "200%", 4}};
    for (int i = 0; i < 3; ++i) {
        const auto& [name, caption, index] = zoomButtons[i];
        m_zoomButtons[size_t(i)] = makeCardButton(
            bar, name, QString::fromLatin1(caption), QStringLiteral("Zoomstufe ") + QString::fromLatin1(caption));
        connect(m_zoomButtons[size_t(i)], &THoverPanel::clicked, this, [this, index = index] { setZoom(index); });
    }
    row({m_zoomButtons[0], m_zoomButtons[1], m_zoomButtons[2]});

    auto* left = makeCardButton(bar, "ScrollLiBtn", QStringLiteral("◀"), QStringLiteral("nach links scrollen"));
    auto* right = makeCardButton(bar, "ScrollReBtn", QStringLiteral("▶"), QStringLiteral("nach rechts scrollen"));
    auto* up = makeCardButton(bar, "ScrollHoBtn", QStringLiteral("▲"), QStringLiteral("nach oben scrollen"));
    auto* down = makeCardButton(bar, "ScrollRuBtn", QStringLiteral("▼"), QStringLiteral("nach unten scrollen"));
    connect(left, &THoverPanel::clicked, this, &TForm1::scrollCardLeft);
    connect(right, &THoverPanel::clicked, this, &TForm1::scrollCardRight);
    connect(up, &THoverPanel::clicked, this, &TForm1::scrollCardUp);
    connect(down, &THoverPanel::clicked, this, &TForm1::scrollCardDown);
    row({left, up, down, right});

    auto* erase = makeCardButton(
        bar, "MarkEntfBtn", QStringLiteral("Zeichnungen entfernen"), QStringLiteral("Alle Zeichnungen entfernen"));
    connect(erase, &THoverPanel::clicked, this, &TForm1::removeAllDrawings);
    row({erase});

    auto* exportButton
        = makeCardButton(bar, "ExportBtn", QStringLiteral("Export"), QStringLiteral("Ansicht in Bilddatei speichern"));
    auto* clipboardButton = makeCardButton(
        bar, "ClipbordBtn", QStringLiteral("Kopie"), QStringLiteral("Ansicht in Zwischenablage kopieren"));
    // Printing the view has no action in this edition.
    auto* printButton = makeCardButton(bar, "DruckBtn", QStringLiteral("Druck"), QStringLiteral("Ansicht drucken"));
    connect(exportButton, &THoverPanel::clicked, this, &TForm1::exportView);
    connect(clipboardButton, &THoverPanel::clicked, this, &TForm1::copyViewToClipboard);
    row({exportButton, clipboardButton, printButton});

    const std::pair<const char*, const char*> toolButtons[]
        = {{"ZeigerBtn", "Zeiger zum Auf- und Abdecken von Beschriftungen"}, {"HandBtn", "Bildausschnitt verschieben"},
            {"StiftBtn", "roter Stift, deckend"}, {"MarkerBtn", "gelber Marker, teiltransparent"},
            {"Marker2Btn", "grüner Marker, teiltransparent"}, {"RadierBtn", "Radierwerkzeug"},
            {"HaekchenBtn", "grünes Häkchen"}, {"KreuzBtn", "rotes Kreuz"},
            {"TexteingabeBtn", "blauer Text für Schlagwörter"}};
    static const char* const toolCaptions[] = {"Zeiger", "Hand", "Stift", "Gelb", "Grün", "Radierer", "✔", "✘", "Text"};
    for (int tool = 1; tool <= 9; ++tool) {
        THoverPanel* button = makeCardButton(bar, toolButtons[tool - 1].first,
            QString::fromUtf8(toolCaptions[tool - 1]), QString::fromUtf8(toolButtons[tool - 1].second));
        m_toolButtons[size_t(tool - 1)] = button;
        connect(button, &THoverPanel::clicked, this, [this, tool] {
            // The text tool starts with an empty field unless one is being typed.
            if (tool == 9 && !m_keywordField->isVisible())
                m_keywordField->clear();
            selectTool(tool);
        });
    }
    row({m_toolButtons[0], m_toolButtons[1], m_toolButtons[2]});
    row({m_toolButtons[3], m_toolButtons[4], m_toolButtons[5]});
    row({m_toolButtons[6], m_toolButtons[7], m_toolButtons[8]});

    createKeywordField();
    createMarkers();

    m_cardView.refreshView = [this] { m_lernKartPicImg->update(); };
    m_cardView.viewComposed = [this] { markObject(m_cardView.markedObject, m_cardView.markedPart); };
    m_cardView.reportError = [](const QString& text) { showError(text); };
    m_lernKartPicImg->setImage(&m_cardView.viewBitmap);
    connect(m_lernKartPicImg, &CardImage::mousePressed, this, &TForm1::cardMousePressed);
    connect(m_lernKartPicImg, &CardImage::mouseMoved, this, &TForm1::cardMouseMoved);
    connect(m_lernKartPicImg, &CardImage::mouseReleased, this, &TForm1::cardMouseReleased);
    updateZoomControls();
    updateNumberingControls();
}

void TForm1::redrawCard()
{
    m_cardView.controlSize = m_lernKartPicImg->size();
    m_cardView.pictureFolder = folders().programFolder + QStringLiteral("euromuenzen") + QDir::separator();
    m_cardView.cardMode = m_cardMode;
    m_cardView.redrawCard();
    // During a quiz the panel shows the card through its strip, rebuilt once per redraw.
    if (m_cardMode == QuizRunning)
        m_quizPanel->drawInstructionStrip(true);
}

void TForm1::layerBoxClicked()
{
    for (QCheckBox* box : m_layerBoxes)
        box->clearFocus();
    static const char* const items[] = {"EbeneIllustration1", "EbeneBeschriftung1", "EbeneInfopunkte1"};
    for (int i = 0; i < 3; ++i) {
        m_cardView.layers[size_t(i)] = m_layerBoxes[size_t(i)]->isChecked();
        if (QAction* item = menuItem(QString::fromLatin1(items[i])))
            item->setChecked(m_layerBoxes[size_t(i)]->isChecked());
    }
    redrawCard();
}

void TForm1::layerItemToggled()
{
    // Each menu item toggles its box, which then acts as if clicked.
    static const char* const items[] = {"EbeneIllustration1", "EbeneBeschriftung1", "EbeneInfopunkte1"};
    for (int i = 0; i < 3; ++i) {
        if (QAction* item = menuItem(QString::fromLatin1(items[i])); item && sender() == item)
            m_layerBoxes[size_t(i)]->setChecked(!m_layerBoxes[size_t(i)]->isChecked());
    }
    layerBoxClicked();
}

void TForm1::coverAll()
{
    m_cardView.coverAll();
}

void TForm1::uncoverAll()
{
    m_cardView.uncoverAll();
}

void TForm1::applyNumbering(int mode, bool redraw)
{
    m_numberingMode = mode;
    m_cardView.applyNumbering(mode);
    updateNumberingControls();
    if (redraw)
        m_cardView.drawAllObjects(false, true, true);
}

void TForm1::updateNumberingControls()
{
    static const char* const items[] = {"NummerierungFragezeichen1", "NummerierungGeordnet1", "NummerierungZufaellig1"};
    for (int mode = 0; mode < 3; ++mode) {
        if (m_numberingButtons[size_t(mode)])
            m_numberingButtons[size_t(mode)]->setChecked(mode == m_numberingMode);
        if (QAction* item = menuItem(QString::fromLatin1(items[mode])))
            item->setChecked(mode == m_numberingMode);
    }
}

void TForm1::setZoom(int index)
{
    if (!m_cardView.setZoom(index))
        return;
    updateZoomControls();
}

void TForm1::zoomIn()
{
    if (m_cardView.zoomIn())
        updateZoomControls();
}

void TForm1::zoomOut()
{
    if (m_cardView.zoomOut())
        updateZoomControls();
}

void TForm1::updateZoomControls()
{
    static const char* const items[] = {"Zoomstufe100", "Zoomstufe150", "Zoomstufe200"};
    for (int i = 0; i < 3; ++i) {
        const bool current = m_cardView.zoomIndex == 2 * i;
        if (m_zoomButtons[size_t(i)])
            m_zoomButtons[size_t(i)]->setChecked(current);
        if (QAction* item = menuItem(QString::fromLatin1(items[i])))
            item->setChecked(current);
    }
}

void TForm1::scrollCardLeft()
{
    m_cardView.scrollBy(ScrollDirection::Left);
}

void TForm1::scrollCardRight()
{
    m_cardView.scrollBy(ScrollDirection::Right);
}

void TForm1::scrollCardUp()
{
    m_cardView.scrollBy(ScrollDirection::Up);
}

void TForm1::scrollCardDown()
{
    m_cardView.scrollBy(ScrollDirection::Down);
}

void TForm1::removeAllDrawings()
{
    m_cardView.removeAllDrawings();
}

void TForm1::exportView()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Ansicht in Bilddatei speichern");
    request.defaultSuffix = QStringLiteral("png");
    request.filter = QStringLiteral("Alle Dateien (*.*)|*.*|PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp");
    const QString path = dialogService().saveFileName(this, request);
    if (path.isEmpty())
        return;
    QString message;
    bool saved;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        saved = saveViewImage(m_cardView.viewBitmap, path, &message);
        QApplication::restoreOverrideCursor();
    }
    if (!saved)
        showError(message);
}

void TForm1::copyViewToClipboard()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::clipboard()->setImage(m_cardView.viewBitmap);
    pauseMs(100, true);
    QApplication::restoreOverrideCursor();
}

void TForm1::selectTool(int tool)
{
    m_cardView.currentTool = tool;
    static const char* const items[] = {"WerkZeiger1", "WerkVerschiebehand1", "WerkRoterStiftdeckend1",
        "WerkGelberMarkerteiltransparent1", "WerkGruenerMarkerteiltransparent1", "WerkRadierwerkzeug1",
        "WerkGruenesHaekchen1", "WerkRotesKreuz1", "WerkSchlagwoertereinsetzen1"};
    for (int i = 1; i <= 9; ++i) {
        if (THoverPanel* button = m_toolButtons[size_t(i - 1)])
            button->setChecked(i == tool);
        if (QAction* item = menuItem(QString::fromLatin1(items[i - 1])))
            item->setChecked(i == tool);
    }
    if (tool != 9 && m_keywordField)
        m_keywordField->hide();
}

QCursor TForm1::toolCursor(int tool) const
{
    // Cursor numbers of the drawing tools in the program's cursor set.
    static const int numbers[] = {0, 0, 1, 2, 2, 3, 5, 6, 7};
    const int number = tool >= 1 && tool <= 9 ? numbers[tool - 1] : 0;
    return number > 0 ? cursorSet().cursor(number) : QCursor(Qt::ArrowCursor);
}

void TForm1::pointerClick(int index)
{
    if (index < 0)
        return;
    switch (m_document.objects.at(index).Typ) {
    case ObjectKind::Label:
    case ObjectKind::ClozeGap:
    case ObjectKind::Answer:
        m_cardView.toggleCover(index);
        break;
    case ObjectKind::InfoPoint:
        showInfoPoint(index);
        break;
    case ObjectKind::WebLink:
        followWebLink(index);
        break;
    case ObjectKind::DocumentLink:
        followDocumentLink(index);
        break;
    case ObjectKind::PagePrevious:
    case ObjectKind::PageNext:
    case ObjectKind::PageFirst:
    case ObjectKind::PageLast:
    case ObjectKind::PageRandom:
        if (m_document.AnzFrageNummern > 0)
            m_cardView.showPage(m_cardView.pageAfterNavigator(m_document.objects.at(index).Typ));
        break;
    default:
        break;
    }
}

void TForm1::markObject(int index, int part)
{
    if (index < 0 || part < 0 || m_cardMode != QuizRunning) {
        m_cardView.markedObject = -1;
        m_cardView.markedPart = -1;
        m_moveAnker->hide();
        m_quizPanel->showMarker({});
        return;
    }
    m_cardView.markedObject = index;
    m_cardView.markedPart = part;
    const QRect bounds = m_cardView.markerRect();
    m_moveAnker->setGeometry(bounds);
    m_moveAnker->show();
    m_moveAnker->raise();
    m_quizPanel->showMarker(bounds);
}

void TForm1::cardMousePressed(Qt::MouseButton button, QPoint position)
{
    if (m_cardMode != LearningCard)
        return;
    const int tool = m_cardView.currentTool;
    if ((button == Qt::LeftButton && tool == 1) || button == Qt::MiddleButton) {
        pointerClick(m_cardView.hitTest(position.x(), position.y()));
        return;
    }
    // The right button pans the card; so does the left one with the hand tool.
    if (button == Qt::RightButton || (button == Qt::LeftButton && tool == 2)) {
        m_cardView.commitDrawings();
        m_panButton = button;
        m_panLast = position;
        const QCursor grab = cursorSet().cursor(8);
        m_lernKartPicImg->setCursor(grab);
        QApplication::setOverrideCursor(grab);
        return;
    }
    if (button == Qt::LeftButton && tool >= 3) {
        m_cardView.movePenToLastPoint();
        drawToolAt(true, position);
    }
}

void TForm1::drawToolAt(bool leftButtonDown, QPoint position)
{
    if (m_cardView.currentTool != 9) {
        m_cardView.drawToolAt(leftButtonDown, position.x(), position.y());
        return;
    }
    m_cardView.lastPoint = position - m_cardView.bitmapOrigin();
    if (!leftButtonDown)
        return;
    placeKeywordField(m_lernKartPicImg->mapTo(m_lernKartPan, position));
    m_keywordField->show();
    m_keywordField->raise();
    m_keywordField->setFocus();
}

void TForm1::cardMouseMoved(Qt::MouseButtons buttons, QPoint position)
{
    if (m_panButton != Qt::NoButton) {
        if (!(buttons & m_panButton)) {
            endPan();
            return;
        }
        const QPoint step = m_panLast - position;
        m_panLast = position;
        m_cardView.panBy(step.x(), step.y());
        return;
    }
    if (m_cardMode != LearningCard)
        return;
    const int tool = m_cardView.currentTool;
    if (tool == 1) {
        m_lernKartPicImg->setCursor(m_cardView.hitTest(position.x(), position.y()) >= 0
                ? QCursor(Qt::PointingHandCursor)
                : QCursor(Qt::ArrowCursor));
        return;
    }
    if (tool < 3)
        return;
    m_lernKartPicImg->setCursor(toolCursor(tool));
    // Until the mouse has been over the card, a held button draws nothing.
    const bool held = (buttons & Qt::LeftButton) && m_cardView.lastPoint != QPoint(-1, -1);
    m_cardView.movePenToLastPoint();
    drawToolAt(held, position);
}

void TForm1::cardMouseReleased(Qt::MouseButton button, QPoint position)
{
    if (button == m_panButton) {
        const QPoint step = m_panLast - position;
        m_cardView.panBy(step.x(), step.y());
        endPan();
        return;
    }
    // One press stamps one glyph.
    m_cardView.glyphStamped = false;
    cardMouseMoved(QGuiApplication::mouseButtons() & ~button, position);
}

void TForm1::endPan()
{
    m_panButton = Qt::NoButton;
    m_lernKartPicImg->unsetCursor();
    QApplication::restoreOverrideCursor();
}

void TForm1::showInfoPoint(int index)
{
    if (index < 0 || index >= m_document.objects.size() || !m_infoboxForm)
        return;
    // The info text keeps its markup in the hidden memo, one entry per line.
    QString text = m_document.objects.at(index).Cap;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split(u'\n');
    TInfoboxForm* window = m_infoboxForm;
    window->setLines(lines);
    const QColor background = window->scrollBox()->viewport()->palette().color(QPalette::Window);
    window->setTextImage(renderLinesToBitmap(lines, window->textWidth(), 14, background));
    window->fitToText(566);
    window->showText();
    // Beside the card, at the main window's top right; placed once shown, when its frame is known.
    const QRect main = frameGeometry();
    window->move(main.right() - 6 - window->frameGeometry().width() + 1, main.top() + 6);
}

void TForm1::createMarkers()
{
    m_moveAnker = new MarkerFrame(m_lernKartPicImg);
    m_moveAnker->setObjectName(QStringLiteral("MoveAnker"));
    m_moveAnker->setCursor(cursorSet().cursor(4));
}

void TForm1::createKeywordField()
{
    m_keywordField = new QLineEdit(m_lernKartPan);
    m_keywordField->setObjectName(QStringLiteral("TexteingabeEdit"));
    m_keywordField->setFrame(false);
    m_keywordField->setFont(cardFont(24));
    m_keywordField->setToolTip(QStringLiteral("Text übernehmen mit Enter, abbrechen mit ESC"));
    QPalette palette = m_keywordField->palette();
    palette.setColor(QPalette::Base, QColor(240, 240, 240));
    palette.setColor(QPalette::Text, keywordColour);
    m_keywordField->setPalette(palette);
    m_keywordField->setTextMargins(0, 0, 0, 0);
    m_keywordField->setContentsMargins(0, 0, 0, 0);
    m_keywordField->hide();
    m_keywordField->installEventFilter(this);
    connect(m_keywordField, &QLineEdit::textChanged, this,
        [this] { placeKeywordField(QPoint(m_keywordField->x(), m_keywordField->y() + m_keywordField->height())); });
}

void TForm1::placeKeywordField(QPoint bottomLeft)
{
    const QFontMetrics metrics(m_keywordField->font());
    const int width = qMin(metrics.horizontalAdvance(m_keywordField->text()) + 35, m_cardView.viewBitmap.width());
    const int height = metrics.height();
    m_keywordField->resize(width, height);
    const QRect control = m_lernKartPicImg->geometry();
    const QPoint corner = m_cardView.bitmapOrigin();
    // The field's lower-left corner goes to the point, kept inside the picture.
    int left = qMin(bottomLeft.x(), control.left() + control.width() - corner.x() - width);
    left = qMax(left, control.left() + corner.x());
    int bottom = qMin(bottomLeft.y(), control.top() + control.height() - corner.y());
    bottom = qMax(bottom, control.top() + height + corner.y());
    m_keywordField->move(left, bottom - height);
}

bool TForm1::keywordFieldKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QString text = m_keywordField->text();
        const QPoint topLeft = m_keywordField->pos() - m_lernKartPicImg->pos() - m_cardView.bitmapOrigin();
        m_keywordField->hide();
        m_cardView.drawKeyword(text, m_keywordField->font(), keywordColour, topLeft);
        m_keywordField->clear();
        return true;
    }
    case Qt::Key_Escape:
        m_keywordField->clear();
        m_keywordField->hide();
        return true;
    default:
        return false;
    }
}
