#include "cardcontrols.h"

#include "cardimage.h"
#include "cardview/cardtext.h"
#include "cardview/viewexport.h"
#include "common/pause.h"
#include "ui/cursors.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/hoverpanel.h"
#include "widgets/markerframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

#include <functional>

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

QCursor toolCursor(int tool)
{
    // Cursor numbers of the drawing tools in the program's cursor set.
    static const int numbers[] = {0, 0, 1, 2, 2, 3, 5, 6, 7};
    const int number = tool >= 1 && tool <= 9 ? numbers[tool - 1] : 0;
    return number > 0 ? cursorSet().cursor(number) : QCursor(Qt::ArrowCursor);
}

} // namespace

CardControls::CardControls(CardView& view, CardImage* image, QWidget* cardPanel, QWidget* bar, QObject* parent)
    : QObject(parent)
    , m_view(view)
    , m_image(image)
    , m_cardPanel(cardPanel)
{
    createToolbar(bar);
    createKeywordField(cardPanel);

    m_marker = new MarkerFrame(m_image);
    m_marker->setObjectName(QStringLiteral("MoveAnker"));
    m_marker->setCursor(cursorSet().cursor(4));

    m_image->setImage(&m_view.viewBitmap);
    connect(m_image, &CardImage::mousePressed, this, &CardControls::mousePressed);
    connect(m_image, &CardImage::mouseMoved, this, &CardControls::mouseMoved);
    connect(m_image, &CardImage::mouseReleased, this, &CardControls::mouseReleased);
    updateZoomButtons();
    updateNumberingButtons();
}

void CardControls::createToolbar(QWidget* bar)
{
    auto* layerPanel = new QWidget(bar);
    layerPanel->setObjectName(QStringLiteral("EbenenPan"));
    layerPanel->setGeometry(6, 6, 156, 76);
    const std::pair<const char*, const char*> layerBoxes[]
        = {{"Ebene0Check", " Illustration "}, {"Ebene1Check", " Beschriftung "}, {"Ebene2Check", " Infopunkte "}};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(layerBoxes[i].second), layerPanel);
        box->setObjectName(QString::fromLatin1(layerBoxes[i].first));
        box->setChecked(true);
        box->setGeometry(8, 4 + 22 * i, 140, 20);
        connect(box, &QCheckBox::clicked, this, &CardControls::layerBoxClicked);
        m_layerBoxes[size_t(i)] = box;
    }
    new LayerPanelPress(layerPanel, [this] { coverAll(); });

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
    connect(coverButton, &THoverPanel::clicked, this, &CardControls::coverAll);
    connect(uncoverButton, &THoverPanel::clicked, this, &CardControls::uncoverAll);
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
            [this, mode] { applyNumbering(CardView::Numbering(mode), true); });
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

    const std::tuple<const char*, const char*, const char*, ScrollDirection> scrollButtons[]
        = {{"ScrollLiBtn", "◀", "nach links scrollen", ScrollDirection::Left},
            {"ScrollReBtn", "▶", "nach rechts scrollen", ScrollDirection::Right},
            {"ScrollHoBtn", "▲", "nach oben scrollen", ScrollDirection::Up},
            {"ScrollRuBtn", "▼", "nach unten scrollen", ScrollDirection::Down}};
    std::array<THoverPanel*, 4> scrollRow {};
    for (size_t i = 0; i < scrollRow.size(); ++i) {
        const auto& [name, caption, hint, direction] = scrollButtons[i];
        scrollRow[i] = makeCardButton(bar, name, QString::fromUtf8(caption), QString::fromUtf8(hint));
        connect(scrollRow[i], &THoverPanel::clicked, this, [this, direction = direction] { scroll(direction); });
    }
    // Placed left, up, down, right.
    row({scrollRow[0], scrollRow[2], scrollRow[3], scrollRow[1]});

    auto* erase = makeCardButton(
        bar, "MarkEntfBtn", QStringLiteral("Zeichnungen entfernen"), QStringLiteral("Alle Zeichnungen entfernen"));
    connect(erase, &THoverPanel::clicked, this, &CardControls::removeAllDrawings);
    row({erase});

    auto* exportButton
        = makeCardButton(bar, "ExportBtn", QStringLiteral("Export"), QStringLiteral("Ansicht in Bilddatei speichern"));
    auto* clipboardButton = makeCardButton(
        bar, "ClipbordBtn", QStringLiteral("Kopie"), QStringLiteral("Ansicht in Zwischenablage kopieren"));
    // Printing the view has no action in this edition.
    auto* printButton = makeCardButton(bar, "DruckBtn", QStringLiteral("Druck"), QStringLiteral("Ansicht drucken"));
    connect(exportButton, &THoverPanel::clicked, this, &CardControls::exportView);
    connect(clipboardButton, &THoverPanel::clicked, this, &CardControls::copyViewToClipboard);
    row({exportButton, clipboardButton, printButton});
    auto* worksheetButton
        = makeCardButton(bar, "ABBtn", QStringLiteral("Arbeitsblatt"), QStringLiteral("Arbeitsblatt erstellen"));
    connect(worksheetButton, &THoverPanel::clicked, this, &CardControls::worksheetRequested);
    row({worksheetButton});

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
}

void CardControls::setInteractive(bool interactive)
{
    m_interactive = interactive;
}

bool CardControls::layerShown(int layer) const
{
    return layer >= 0 && layer < 3 && m_layerBoxes[size_t(layer)]->isChecked();
}

void CardControls::layerBoxClicked()
{
    for (QCheckBox* box : m_layerBoxes)
        box->clearFocus();
    for (size_t i = 0; i < m_layerBoxes.size(); ++i)
        m_view.layers[i] = m_layerBoxes[i]->isChecked();
    emit layersChanged();
}

void CardControls::toggleLayer(int layer)
{
    // A menu item toggles its box, which then acts as if clicked.
    if (layer < 0 || layer >= 3)
        return;
    QCheckBox* box = m_layerBoxes[size_t(layer)];
    box->setChecked(!box->isChecked());
    layerBoxClicked();
}

void CardControls::coverAll()
{
    m_view.coverAll();
}

void CardControls::uncoverAll()
{
    m_view.uncoverAll();
}

void CardControls::applyNumbering(CardView::Numbering mode, bool redraw)
{
    m_numberingMode = mode;
    m_view.applyNumbering(mode);
    updateNumberingButtons();
    if (redraw)
        m_view.drawAllObjects(CardView::DrawFlag::CopyToView | CardView::DrawFlag::Refresh);
}

void CardControls::updateNumberingButtons()
{
    for (int mode = 0; mode < 3; ++mode)
        m_numberingButtons[size_t(mode)]->setChecked(CardView::Numbering(mode) == m_numberingMode);
    emit numberingChanged(int(m_numberingMode));
}

void CardControls::setZoom(int index)
{
    if (m_interactive && m_view.setZoom(index))
        updateZoomButtons();
}

void CardControls::zoomIn()
{
    if (m_interactive && m_view.zoomIn())
        updateZoomButtons();
}

void CardControls::zoomOut()
{
    if (m_interactive && m_view.zoomOut())
        updateZoomButtons();
}

void CardControls::updateZoomButtons()
{
    for (int i = 0; i < 3; ++i)
        m_zoomButtons[size_t(i)]->setChecked(m_view.zoomIndex == 2 * i);
    emit zoomChanged(m_view.zoomIndex);
}

void CardControls::scroll(ScrollDirection direction)
{
    m_view.scrollBy(direction);
}

void CardControls::removeAllDrawings()
{
    m_view.removeAllDrawings();
}

void CardControls::exportView()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Ansicht in Bilddatei speichern");
    request.defaultSuffix = QStringLiteral("png");
    request.filter = QStringLiteral("Alle Dateien (*.*)|*.*|PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp");
    const QString path = dialogService().saveFileName(m_image->window(), request);
    if (path.isEmpty())
        return;
    QString message;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = saveViewImage(m_view.viewAtLogicalSize(), path, &message);
    QApplication::restoreOverrideCursor();
    if (!saved)
        showError(message);
}

void CardControls::copyViewToClipboard()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QGuiApplication::clipboard()->setImage(m_view.viewAtLogicalSize());
    pauseMs(100, true);
    QApplication::restoreOverrideCursor();
}

void CardControls::selectTool(int tool)
{
    m_view.currentTool = CardView::Tool(tool);
    for (int i = 1; i <= 9; ++i)
        m_toolButtons[size_t(i - 1)]->setChecked(i == tool);
    if (tool != 9)
        m_keywordField->hide();
    emit toolChanged(tool);
}

QRect CardControls::showMarker(int index, int part)
{
    m_view.markedObject = index;
    m_view.markedPart = CardView::MarkedPart(part);
    const QRect bounds = m_view.markerRect();
    m_marker->setGeometry(bounds);
    m_marker->show();
    m_marker->raise();
    return bounds;
}

void CardControls::hideMarker()
{
    m_view.markedObject = -1;
    m_view.markedPart = CardView::MarkedPart::None;
    m_marker->hide();
}

void CardControls::pointerClick(int index)
{
    if (index < 0)
        return;
    const TopicDocument& document = m_view.document();
    switch (document.objects.at(index).Typ) {
    case ObjectKind::Label:
    case ObjectKind::ClozeGap:
    case ObjectKind::Answer:
        m_view.toggleCover(index);
        break;
    case ObjectKind::InfoPoint:
        emit infoPointChosen(index);
        break;
    case ObjectKind::WebLink:
        emit webLinkChosen(index);
        break;
    case ObjectKind::DocumentLink:
        emit documentLinkChosen(index);
        break;
    case ObjectKind::PagePrevious:
    case ObjectKind::PageNext:
    case ObjectKind::PageFirst:
    case ObjectKind::PageLast:
    case ObjectKind::PageRandom:
        if (document.AnzFrageNummern > 0)
            m_view.showPage(m_view.pageAfterNavigator(document.objects.at(index).Typ));
        break;
    default:
        break;
    }
}

void CardControls::mousePressed(Qt::MouseButton button, QPoint position)
{
    if (!m_interactive)
        return;
    using Tool = CardView::Tool;
    const Tool tool = m_view.currentTool;
    if ((button == Qt::LeftButton && tool == Tool::Pointer) || button == Qt::MiddleButton) {
        pointerClick(m_view.hitTest(position.x(), position.y()));
        return;
    }
    // The right button pans the card; so does the left one with the hand tool.
    if (button == Qt::RightButton || (button == Qt::LeftButton && tool == Tool::Hand)) {
        m_view.commitDrawings();
        m_panButton = button;
        m_panLast = position;
        const QCursor grab = cursorSet().cursor(8);
        m_image->setCursor(grab);
        QApplication::setOverrideCursor(grab);
        return;
    }
    if (button == Qt::LeftButton && tool >= Tool::RedPen) {
        m_view.movePenToLastPoint();
        drawToolAt(true, position);
    }
}

void CardControls::drawToolAt(bool leftButtonDown, QPoint position)
{
    if (m_view.currentTool != CardView::Tool::Keyword) {
        m_view.drawToolAt(leftButtonDown, position.x(), position.y());
        return;
    }
    m_view.lastPoint = position - m_view.bitmapOrigin();
    if (!leftButtonDown)
        return;
    placeKeywordField(m_image->mapTo(m_cardPanel, position));
    m_keywordField->show();
    m_keywordField->raise();
    m_keywordField->setFocus();
}

void CardControls::mouseMoved(Qt::MouseButtons buttons, QPoint position)
{
    if (m_panButton != Qt::NoButton) {
        if (!(buttons & m_panButton)) {
            endPan();
            return;
        }
        const QPoint step = m_panLast - position;
        m_panLast = position;
        m_view.panBy(step.x(), step.y());
        return;
    }
    if (!m_interactive)
        return;
    using Tool = CardView::Tool;
    const Tool tool = m_view.currentTool;
    if (tool == Tool::Pointer) {
        m_image->setCursor(m_view.hitTest(position.x(), position.y()) >= 0 ? QCursor(Qt::PointingHandCursor)
                                                                           : QCursor(Qt::ArrowCursor));
        return;
    }
    if (tool < Tool::RedPen)
        return;
    m_image->setCursor(toolCursor(int(tool)));
    // Until the mouse has been over the card, a held button draws nothing.
    const bool held = (buttons & Qt::LeftButton) && m_view.lastPoint != QPoint(-1, -1);
    m_view.movePenToLastPoint();
    drawToolAt(held, position);
}

void CardControls::mouseReleased(Qt::MouseButton button, QPoint position)
{
    if (button == m_panButton) {
        const QPoint step = m_panLast - position;
        m_view.panBy(step.x(), step.y());
        endPan();
        return;
    }
    // One press stamps one glyph.
    m_view.glyphStamped = false;
    mouseMoved(QGuiApplication::mouseButtons() & ~button, position);
}

void CardControls::endPan()
{
    m_panButton = Qt::NoButton;
    m_image->unsetCursor();
    QApplication::restoreOverrideCursor();
}

void CardControls::createKeywordField(QWidget* cardPanel)
{
    m_keywordField = new QLineEdit(cardPanel);
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

void CardControls::placeKeywordField(QPoint bottomLeft)
{
    const QFontMetrics metrics(m_keywordField->font());
    const int width = qMin(
        metrics.horizontalAdvance(m_keywordField->text()) + 35, CardView::logicalSize(m_view.viewBitmap).width());
    const int height = metrics.height();
    m_keywordField->resize(width, height);
    const QRect control = m_image->geometry();
    const QPoint corner = m_view.bitmapOrigin();
    // The field's lower-left corner goes to the point, kept inside the picture.
    int left = qMin(bottomLeft.x(), control.left() + control.width() - corner.x() - width);
    left = qMax(left, control.left() + corner.x());
    int bottom = qMin(bottomLeft.y(), control.top() + control.height() - corner.y());
    bottom = qMax(bottom, control.top() + height + corner.y());
    m_keywordField->move(left, bottom - height);
}

bool CardControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_keywordField && event->type() == QEvent::KeyPress
        && keywordFieldKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool CardControls::keywordFieldKey(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const QString text = m_keywordField->text();
        const QPoint topLeft = m_keywordField->pos() - m_image->pos() - m_view.bitmapOrigin();
        m_keywordField->hide();
        m_view.drawKeyword(text, m_keywordField->font(), keywordColour, topLeft);
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
