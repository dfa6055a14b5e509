#include "uistyle.h"

#include "common/theme.h"
#include "widgets/bitbtn.h"
#include "widgets/hoverpanel.h"

#include <QDialog>
#include <QEvent>
#include <QPainter>

TextureImage::TextureImage(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (parent)
        parent->installEventFilter(this);
}

void TextureImage::paintNineSlice(const QImage& texture)
{
    m_texture = texture;
    fillParent();
    update();
}

void TextureImage::fillParent()
{
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    lower();
}

bool TextureImage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !m_texture.isNull())
        fillParent();
    return QWidget::eventFilter(watched, event);
}

void TextureImage::paintEvent(QPaintEvent*)
{
    if (m_texture.isNull())
        return;
    QPainter painter(this);
    drawNineSlice(painter, rect(), m_texture);
}

TexturedDialogFrame setUpTexturedDialog(QDialog* dialog, const char* name, const QString& title, QSize size)
{
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(title);
    dialog->setModal(true);
    dialog->setFixedSize(size);
    setPanelColour(dialog, theme().background);
    TexturedDialogFrame frame;
    frame.panel = new QWidget(dialog);
    frame.panel->setObjectName(QStringLiteral("Panel1"));
    frame.panel->setGeometry(dialog->rect());
    setPanelColour(frame.panel, theme().accent);
    frame.backImage = new TextureImage(frame.panel);
    return frame;
}

TBitBtn2* addDialogButton(QWidget* parent, const QString& text, const char* name, const QRect& geometry)
{
    auto* button = new TBitBtn2(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    return button;
}

void styleDialogButtons(QWidget* window)
{
    for (TBitBtn2* button : window->findChildren<TBitBtn2*>()) {
        button->setColor(QColor(205, 208, 226));
        button->setCursor(Qt::ArrowCursor);
    }
}

void styleToolbarButton(THoverPanel* button)
{
    button->setHoverActive(true);
    button->setBorderColor(QColor(162, 162, 154));
    button->setBorderWidth(1);
    button->setNormColor(QColor(236, 236, 232));
    button->setCheckColor(Qt::white);
    button->setHoverColor(QColor(254, 254, 248));
    button->setNormFontColor(QColor(81, 81, 78));
    button->setCheckFontColor(Qt::black);
    // The caption takes the state colours only when the state changes; start in the rest colour.
    button->setFontColor(button->checked() ? button->checkFontColor() : button->normFontColor());
    button->setCheckFontBold(false);
    // The pressed state shows as the plain two-line mark, not the orange tab style.
    button->setXpCheck(false);
}

void setPanelColour(QWidget* panel, const QColor& colour)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
}

void setFontColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}
