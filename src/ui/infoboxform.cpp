#include "infoboxform.h"

#include "common/folders.h"
#include "common/textutil.h"
#include "common/theme.h"
#include "ui/cursors.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/richtextoutput.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextDocument>
#include <QWheelEvent>

namespace {

constexpr int clientWidth = 467;
constexpr int clientHeight = 331;
constexpr int scrollIncrement = 24;
constexpr int infoPointSize = 11;

} // namespace

TInfoboxForm::TInfoboxForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("InfoboxForm"));
    setWindowTitle(QStringLiteral("Information"));
    setModal(false);
    setFixedSize(clientWidth, clientHeight);
    setPanelColour(this, theme().background);

    auto* panel = new QWidget(this);
    m_panel = panel;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(rect());
    setPanelColour(panel, theme().panel);
    m_backImg = new TextureImage(panel);
    m_backImg->setObjectName(QStringLiteral("BackImg"));

    m_scrollBox = new QScrollArea(panel);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setGeometry(10, 10, clientWidth - 20, clientHeight - 58);
    m_scrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scrollBox->setFrameShape(QFrame::Box);
    m_scrollBox->verticalScrollBar()->setSingleStep(scrollIncrement);
    setPanelColour(m_scrollBox->viewport(), Qt::white);
    m_textImg = new QLabel;
    m_textImg->setObjectName(QStringLiteral("TextImg"));
    m_textImg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPanelColour(m_textImg, Qt::white);
    m_scrollBox->setWidget(m_textImg);
    m_textImg->installEventFilter(this);

    const int buttonTop = clientHeight - 38;
    m_druckBtn = new TBitBtn2(QStringLiteral("Drucken..."), panel);
    m_druckBtn->setObjectName(QStringLiteral("DruckBtn"));
    m_expBtn = new TBitBtn2(QStringLiteral("Speichern..."), panel);
    m_expBtn->setObjectName(QStringLiteral("ExpBtn"));
    m_clipBtn = new TBitBtn2(QStringLiteral("In Zwischenablage"), panel);
    m_clipBtn->setObjectName(QStringLiteral("ClipBtn"));
    m_closeBtn = new TBitBtn2(QStringLiteral("Schließen"), panel);
    m_closeBtn->setObjectName(QStringLiteral("CloseBtn"));
    int left = 10;
    for (TBitBtn2* button : {m_druckBtn, m_expBtn, m_clipBtn, m_closeBtn}) {
        button->setGeometry(left, buttonTop, 104, 28);
        button->setAutoDefault(false);
        left += 112;
    }
    connect(m_druckBtn, &QPushButton::clicked, this, &TInfoboxForm::printText);
    connect(m_expBtn, &QPushButton::clicked, this, &TInfoboxForm::saveText);
    connect(m_clipBtn, &QPushButton::clicked, this, &TInfoboxForm::copyText);
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::close);

    m_richEdit.setDefaultPointSize(infoPointSize);
}

void TInfoboxForm::layoutForHeight(int height)
{
    setFixedSize(clientWidth, height);
    m_panel->setGeometry(rect());
    m_scrollBox->setGeometry(10, 10, clientWidth - 20, height - 58);
    for (TBitBtn2* button : {m_druckBtn, m_expBtn, m_clipBtn, m_closeBtn})
        button->move(button->x(), height - 38);
    if (isVisible())
        m_backImg->paintNineSlice(ThemeTextures::builtIn().texture1);
}

void TInfoboxForm::fitToText(int maxHeight)
{
    // The scroll box grows with the text; the frame and the buttons keep their room.
    const int chrome = height() - m_scrollBox->height();
    const int wanted = chrome + m_textImg->height() + 34;
    layoutForHeight(qBound(chrome + 40, wanted, maxHeight));
    m_scrollBox->verticalScrollBar()->setValue(0);
}

void TInfoboxForm::setLines(const QStringList& lines)
{
    m_lines = lines;
}

void TInfoboxForm::setTextImage(const QImage& image)
{
    m_textImage = image;
    m_textImg->setPixmap(QPixmap::fromImage(image));
    m_textImg->resize(image.size());
}

int TInfoboxForm::textWidth() const
{
    return m_scrollBox->width() - 30;
}

void TInfoboxForm::showText()
{
    fillRichText();
    show();
    raise();
}

void TInfoboxForm::fillRichText()
{
    // The drawn text keeps its markup; the rich text is plain.
    m_richEdit.clear();
    for (const QString& line : std::as_const(m_lines))
        m_richEdit.addParagraph(stripEmphasisTags(line), RichTextFormat {false, false, false, infoPointSize});
}

void TInfoboxForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture1);
    styleDialogButtons(this);
    m_closeBtn->setFocus();
}

void TInfoboxForm::hideEvent(QHideEvent* event)
{
    scrollTo(0);
    QDialog::hideEvent(event);
}

void TInfoboxForm::scrollTo(int value)
{
    m_scrollBox->verticalScrollBar()->setValue(value);
}

void TInfoboxForm::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* bar = m_scrollBox->verticalScrollBar();
    if (event->key() == Qt::Key_PageUp) {
        bar->setValue(bar->value() - bar->singleStep());
        return event->accept();
    }
    if (event->key() == Qt::Key_PageDown) {
        bar->setValue(bar->value() + bar->singleStep());
        return event->accept();
    }
    QDialog::keyPressEvent(event);
}

bool TInfoboxForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_textImg)
        return QDialog::eventFilter(watched, event);

    QScrollBar* bar = m_scrollBox->verticalScrollBar();
    switch (event->type()) {
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        // One increment per wheel line; a zero delta counts as a step down.
        const int lines = QApplication::wheelScrollLines();
        const int direction = wheel->angleDelta().y() > 0 ? -1 : 1;
        bar->setValue(bar->value() + direction * lines * bar->singleStep());
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        m_dragging = true;
        m_dragTextY = int(mouse->position().y());
        m_textImg->setCursor(cursorSet().cursor(HandCursor));
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_dragging)
            break;
        // Positions are taken on the text itself, so the remembered point is a point of the text.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int wanted = int(mouse->position().y()) - m_dragTextY;
        const int before = bar->value();
        bar->setValue(before - wanted);
        const int moved = before - bar->value();
        // Where the scroll range clipped the move, the text no longer follows the mouse
        // exactly: shift the remembered point by what was not scrolled.
        m_dragTextY += wanted - moved;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_dragging)
            break;
        m_dragging = false;
        m_textImg->unsetCursor();
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TInfoboxForm::printText()
{
    QPrinter printer;
    printer.setDocName(QStringLiteral("Infotext"));
    if (!dialogService().confirmPrint(this, printer))
        return;
    QTextDocument document;
    document.setHtml(m_richEdit.toHtml());
    document.print(&printer);
}

void TInfoboxForm::saveText()
{
    saveRichTextWithDialog(this, m_richEdit, QStringLiteral("Infotext in Datei speichern"));
}

void TInfoboxForm::copyText()
{
    copyRichTextToClipboard(m_richEdit);
}

QImage TInfoboxForm::renderPlainLines(const QStringList& lines, int width, const QColor& background)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(18);
    const QFontMetrics metrics(font);
    const int textWidth = qMax(1, width - 16);
    const QString text = stripEmphasisTags(lines.join(QLatin1Char('\n')));
    const QRect bounds = metrics.boundingRect(QRect(0, 0, textWidth, 100000), Qt::TextWordWrap, text);
    QImage image(qMax(1, width), bounds.height() + 16, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(8, 8, textWidth, bounds.height()), Qt::TextWordWrap, text);
    return image;
}
