#include "widgets/shadowlabel.h"

#include <QPainter>

namespace {

// How far the shadow lies right of and below the caption, in pixels.
constexpr int shadowOffset = 1;

} // namespace

TShadowLabel::TShadowLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

TShadowLabel::TShadowLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

TShadowLabel::~TShadowLabel() = default;

void TShadowLabel::setShadowColor(const QColor& color)
{
    if (color == m_shadowColor)
        return;
    m_shadowColor = color;
    update();
}

QColor TShadowLabel::fontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TShadowLabel::setFontColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

QSize TShadowLabel::sizeHint() const
{
    return QLabel::sizeHint() + QSize(shadowOffset, shadowOffset);
}

QSize TShadowLabel::minimumSizeHint() const
{
    return QLabel::minimumSizeHint() + QSize(shadowOffset, shadowOffset);
}

void TShadowLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    // The shadow takes its pixel at the right and bottom, so the caption keeps its place
    // and alignment within the rest.
    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m - shadowOffset, -m - shadowOffset);
    int flags = static_cast<int>(alignment());
    if (wordWrap())
        flags |= Qt::TextWordWrap;

    painter.setFont(font());
    painter.setPen(m_shadowColor);
    painter.drawText(area.translated(shadowOffset, shadowOffset), flags, text());
    painter.setPen(isEnabled() ? fontColor() : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, text());
}
