#include "widgets/bitbtn.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

TBitBtn2::TBitBtn2(QWidget* parent)
    : QPushButton(parent)
{
    init();
}

TBitBtn2::TBitBtn2(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    init();
}

TBitBtn2::TBitBtn2(const QIcon& glyph, const QString& text, QWidget* parent)
    : QPushButton(glyph, text, parent)
{
    init();
}

TBitBtn2::~TBitBtn2() = default;

void TBitBtn2::init()
{
    // Repainted on entering and leaving, so that the face can light up under the pointer.
    setAttribute(Qt::WA_Hover);
}

QColor TBitBtn2::color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Button);
}

void TBitBtn2::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    // The palette follows as well, so that anything the style still draws (the label's
    // disabled shade, a focus frame) matches the face.
    QPalette pal = palette();
    pal.setColor(QPalette::Button, color);
    setPalette(pal);
    update();
}

void TBitBtn2::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    const bool sunken = isDown() || isChecked();
    const bool hot = underMouse() && isEnabled() && !sunken;
    QColor face = color();
    if (sunken)
        face = face.darker(112);
    else if (hot)
        face = face.lighter(106);
    if (!isEnabled())
        face = face.lighter(104);

    // A gently shaded face with a darker rim: flat enough for the textured dialogs, yet
    // plainly a button.
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(bounds, 2.5, 2.5);
    QLinearGradient gradient(bounds.topLeft(), bounds.bottomLeft());
    gradient.setColorAt(0.0, sunken ? face : face.lighter(108));
    gradient.setColorAt(1.0, sunken ? face.lighter(104) : face.darker(106));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(gradient);
    const bool emphasised = isDefault() || hasFocus();
    QPen rim(isEnabled() ? face.darker(emphasised ? 190 : 150) : face.darker(125));
    rim.setWidthF(1.0);
    painter.setPen(rim);
    painter.drawPath(outline);
    if (!sunken) {
        // A light line under the top edge gives the face its slight lift.
        painter.setPen(QPen(face.lighter(118), 1.0));
        painter.drawLine(
            QPointF(bounds.left() + 2.5, bounds.top() + 1.0), QPointF(bounds.right() - 2.5, bounds.top() + 1.0));
    }
    painter.setRenderHint(QPainter::Antialiasing, false);

    if (hasFocus()) {
        QPen focusPen(face.darker(190));
        focusPen.setDashPattern({1.0, 1.0});
        painter.setPen(focusPen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }

    option.palette.setColor(QPalette::Button, face);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}
