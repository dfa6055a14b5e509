#include "widgets/hoverpanel.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>
#include <utility>

// ---------------------------------------------------------------------------------------
// TPadding

TPadding::TPadding(ChangeCallback onChange)
    : m_onChange(std::move(onChange))
{ }

TPadding::TPadding(int left, int top, int right, int bottom)
    : m_left(left)
    , m_top(top)
    , m_right(right)
    , m_bottom(bottom)
{ }

TPadding::TPadding(const TPadding& other)
    : m_left(other.m_left)
    , m_top(other.m_top)
    , m_right(other.m_right)
    , m_bottom(other.m_bottom)
{ }

TPadding& TPadding::operator=(const TPadding& other)
{
    m_left = other.m_left;
    m_top = other.m_top;
    m_right = other.m_right;
    m_bottom = other.m_bottom;
    notify();
    return *this;
}

void TPadding::setLeft(int value)
{
    setSide(m_left, value);
}

void TPadding::setTop(int value)
{
    setSide(m_top, value);
}

void TPadding::setRight(int value)
{
    setSide(m_right, value);
}

void TPadding::setBottom(int value)
{
    setSide(m_bottom, value);
}

void TPadding::setOnChange(ChangeCallback onChange)
{
    m_onChange = std::move(onChange);
}

bool TPadding::operator==(const TPadding& other) const
{
    return m_left == other.m_left && m_top == other.m_top && m_right == other.m_right && m_bottom == other.m_bottom;
}

void TPadding::setSide(int& side, int value)
{
    if (side == value)
        return;
    side = value;
    notify();
}

void TPadding::notify() const
{
    if (m_onChange)
        m_onChange();
}

// ---------------------------------------------------------------------------------------
// Colour mixing and caption fitting

namespace {

int roundHalfToEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(whole);
}

int mixChannel(int a, int b, double t)
{
    return std::clamp(roundHalfToEven(a * (1.0 - t) + b * t), 0, 255);
}

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

// Trims like the rest of the program trims user texts: blanks and control characters.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Words end at blanks and also at line breaks, since the captions of answer tiles put
// their parts on separate lines.
bool isWordBreak(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QLatin1Char('\t');
}

QString withoutLastWord(const QString& text)
{
    for (qsizetype i = text.size() - 1; i >= 1; --i) {
        if (isWordBreak(text.at(i)))
            return text.left(i);
    }
    return QString();
}

int startPointSize(const QFont& font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    return std::max(1, QFontInfo(font).pointSize());
}

// Lines of a caption as the panel lays them out: like the classic Windows text output,
// lines break at line breaks and, with word wrap, at blanks only; hyphens do not break
// (fitCaption makes them breakable on purpose), and a word wider than the box overflows it.
class CaptionLayout
{
public:
    CaptionLayout(const QString& text, const QFontMetrics& metrics, int width, int flags)
        : m_metrics(metrics)
        , m_lineFlags((flags & (Qt::AlignHorizontal_Mask | Qt::TextShowMnemonic | Qt::TextExpandTabs)) | Qt::AlignTop)
    {
        QString normalized = text;
        normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        const QStringList paragraphs = normalized.split(QLatin1Char('\n'));
        for (const QString& paragraph : paragraphs) {
            if (flags & Qt::TextWordWrap)
                wrap(paragraph, width);
            else
                addLine(paragraph);
        }
    }

    QSize size() const
    {
        if (m_lines.isEmpty())
            return QSize(0, 0);
        const int height = m_lines.size() * m_metrics.height() + (m_lines.size() - 1) * m_metrics.leading();
        return QSize(m_width, height);
    }

    // Draws the lines from the top of `box`, each aligned within the box's width.
    void draw(QPainter& painter, const QRect& box) const
    {
        int y = box.top();
        for (const QString& line : m_lines) {
            painter.drawText(
                QRect(box.left(), y, box.width(), m_metrics.height()), m_lineFlags | Qt::TextDontClip, line);
            y += m_metrics.lineSpacing();
        }
    }

private:
    int lineWidth(const QString& line) const
    {
        const int flags = (m_lineFlags & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
        return m_metrics.boundingRect(QRect(0, 0, 0, 0), flags, line).width();
    }

    void addLine(const QString& line)
    {
        m_lines.append(line);
        m_width = std::max(m_width, lineWidth(line));
    }

    void wrap(const QString& paragraph, int width)
    {
        const QStringList words = paragraph.split(QLatin1Char(' '));
        QString line = words.constFirst();
        // Blanks where a line breaks belong to neither line.
        bool afterBreak = false;
        for (qsizetype i = 1; i < words.size(); ++i) {
            const QString& word = words.at(i);
            if (afterBreak) {
                if (!word.isEmpty()) {
                    line = word;
                    afterBreak = false;
                }
                continue;
            }
            const QString longer = line + QLatin1Char(' ') + word;
            if (lineWidth(longer) <= width || trimBlanks(line).isEmpty()) {
                line = longer;
                continue;
            }
            addLine(line);
            line = word;
            afterBreak = word.isEmpty();
        }
        if (!afterBreak)
            addLine(line);
    }

    QFontMetrics m_metrics;
    int m_lineFlags;
    QStringList m_lines;
    int m_width = 0;
};

class CaptionMeasure
{
public:
    CaptionMeasure(const QFont& font, const QSize& available, int flags, const QPaintDevice* device)
        : m_font(font)
        , m_available(available)
        , m_flags(flags)
        , m_device(device)
    { }

    bool fits(const QString& text, int pointSize)
    {
        m_font.setPointSize(pointSize);
        const QSize size = captionSize(text, QFontMetrics(m_font, m_device), m_available.width(), m_flags);
        return size.width() <= m_available.width() && size.height() <= m_available.height();
    }

    // Lowers the size one point at a time until the text fits or the size reaches `minimum`.
    bool shrinkToFit(const QString& text, int& pointSize, int minimum)
    {
        bool ok = fits(text, pointSize);
        while (!ok && pointSize > minimum) {
            --pointSize;
            ok = fits(text, pointSize);
        }
        return ok;
    }

private:
    QFont m_font;
    QSize m_available;
    int m_flags;
    const QPaintDevice* m_device;
};

// Captions keep the CR LF line breaks of the stored texts; the text layout wants "\n".
QString drawableCaption(const QString& caption)
{
    QString text = caption;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A one-pixel outline on the outermost pixels of `r`.
void drawOutline(QPainter& painter, const QRect& r, const QColor& color)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

// A 3-D frame `width` pixels thick on the inside of `r`, which shrinks by the frame. The
// bottom-right colour owns both corners where the colours meet, as in the classic
// Windows frame.
void drawFrame3D(QPainter& painter, QRect& r, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

} // namespace

QSize captionSize(const QString& text, const QFontMetrics& metrics, int width, int textFlags)
{
    return CaptionLayout(text, metrics, width, textFlags).size();
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    const QColor ra = a.toRgb();
    const QColor rb = b.toRgb();
    return QColor(
        mixChannel(ra.red(), rb.red(), t), mixChannel(ra.green(), rb.green(), t), mixChannel(ra.blue(), rb.blue(), t));
}

FittedCaption fitCaption(const QString& caption, const QFont& font, const QSize& available, int textFlags,
    int minFontSize, const QPaintDevice* device)
{
    CaptionMeasure measure(font, available, textFlags, device);
    const int startSize = startPointSize(font);

    QString text = caption;
    int pointSize = startSize;
    if (measure.shrinkToFit(text, pointSize, minFontSize))
        return {text, pointSize};

    text.replace(QLatin1Char('-'), QLatin1String("- "));
    pointSize = startSize;
    if (measure.shrinkToFit(text, pointSize, minFontSize))
        return {text, pointSize};

    QString suffix;
    do {
        text = withoutLastWord(trimBlanks(text));
        suffix = text.isEmpty() ? QStringLiteral("...") : QStringLiteral(" ...");
    } while (!text.isEmpty() && !measure.fits(text + suffix, pointSize));
    return {text + suffix, pointSize};
}

// ---------------------------------------------------------------------------------------
// THoverPanel

THoverPanel::THoverPanel(QWidget* parent)
    : QWidget(parent)
    , m_normColor(palette().color(QPalette::Button))
    , m_color(m_normColor)
{
    m_padding.setOnChange([this] {
        update();
        updateGeometry();
    });
    setFont(QFont(QStringLiteral("Arial"), 8));
    setFocusPolicy(Qt::NoFocus);
}

THoverPanel::~THoverPanel() = default;

void THoverPanel::setNormColor(const QColor& color)
{
    m_normColor = color;
    applyBackground();
}

void THoverPanel::setHoverColor(const QColor& color)
{
    m_hoverColor = color;
    applyBackground();
}

void THoverPanel::setCheckColor(const QColor& color)
{
    m_checkColor = color;
    applyBackground();
}

void THoverPanel::setNormFontColor(const QColor& color)
{
    if (color != m_normFontColor && !m_checked)
        update();
    m_normFontColor = color;
    applyBackground();
}

void THoverPanel::setCheckFontColor(const QColor& color)
{
    if (color != m_checkFontColor && m_checked)
        update();
    m_checkFontColor = color;
    applyBackground();
}

void THoverPanel::setCheckFontBold(bool bold)
{
    if (bold != m_checkFontBold && m_checked)
        update();
    m_checkFontBold = bold;
}

void THoverPanel::setHoverActive(bool active)
{
    m_hoverActive = active;
    applyBackground();
}

void THoverPanel::setXpCheck(bool xpStyle)
{
    if (xpStyle != m_xpCheck && m_checked)
        update();
    m_xpCheck = xpStyle;
}

void THoverPanel::setChecked(bool checked)
{
    if (checked != m_checked) {
        m_checked = checked;
        update();
    }
    applyBackground();
}

void THoverPanel::setWordWrap(bool wrap)
{
    if (wrap == m_wordWrap)
        return;
    m_wordWrap = wrap;
    update();
}

void THoverPanel::setFontAutoSize(bool autoSize)
{
    if (autoSize == m_fontAutoSize)
        return;
    m_fontAutoSize = autoSize;
    update();
}

void THoverPanel::setMinFontSize(int points)
{
    points = std::max(1, points);
    if (points == m_minFontSize)
        return;
    m_minFontSize = points;
    update();
}

void THoverPanel::setTextLayout(TextLayout layout)
{
    if (layout == m_textLayout)
        return;
    m_textLayout = layout;
    update();
}

void THoverPanel::setBorderColor(const QColor& color)
{
    if (color == m_borderColor)
        return;
    m_borderColor = color;
    update();
}

void THoverPanel::setBitmap(const QImage& bitmap)
{
    if (bitmap == m_bitmap)
        return;
    m_bitmap = bitmap;
    update();
}

void THoverPanel::setPadding(const TPadding& padding)
{
    m_padding = padding;
}

void THoverPanel::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
    updateGeometry();
}

void THoverPanel::setAlignment(Qt::Alignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    update();
}

void THoverPanel::setBorderWidth(int width)
{
    width = std::max(0, width);
    if (width == m_borderWidth)
        return;
    m_borderWidth = width;
    update();
    updateGeometry();
}

void THoverPanel::setBevelOuter(Bevel bevel)
{
    if (bevel == m_bevelOuter)
        return;
    m_bevelOuter = bevel;
    update();
    updateGeometry();
}

void THoverPanel::setBevelWidth(int width)
{
    width = std::max(0, width);
    if (width == m_bevelWidth)
        return;
    m_bevelWidth = width;
    update();
    updateGeometry();
}

void THoverPanel::setTabStop(bool tabStop)
{
    m_tabStop = tabStop;
    setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
    m_focused = tabStop && hasFocus();
    update();
}

void THoverPanel::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QColor THoverPanel::fontColor() const
{
    return m_checked ? m_checkFontColor : m_normFontColor;
}

void THoverPanel::applyBackground()
{
    if (m_hoverActive && m_hovering)
        setColor(m_hoverColor);
    else
        setColor(m_checked ? m_checkColor : m_normColor);
}

int THoverPanel::textFlags() const
{
    int flags = Qt::AlignTop | Qt::TextExpandTabs | Qt::TextShowMnemonic;
    if (m_alignment & Qt::AlignRight)
        flags |= Qt::AlignRight;
    else if (m_alignment & Qt::AlignLeft)
        flags |= Qt::AlignLeft;
    else
        flags |= Qt::AlignHCenter;
    if (m_wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

QFont THoverPanel::captionFont() const
{
    QFont captionFont = font();
    if (m_checked && m_checkFontBold)
        captionFont.setBold(true);
    return captionFont;
}

QSize THoverPanel::sizeHint() const
{
    const int frame = m_borderWidth + (m_bevelOuter == Bevel::None ? 0 : m_bevelWidth);
    const QFontMetrics metrics(captionFont(), this);
    const QString text = drawableCaption(m_caption);
    const QSize textSize
        = text.isEmpty() ? QSize(0, metrics.height()) : captionSize(text, metrics, 0, textFlags() & ~Qt::TextWordWrap);
    // A little air around the caption, as the flat buttons of the top bar have.
    const int airX = 12;
    const int airY = 8;
    return QSize(textSize.width() + 2 * frame + m_padding.left() + m_padding.right() + airX,
        textSize.height() + 2 * frame + m_padding.top() + m_padding.bottom() + airY);
}

QSize THoverPanel::minimumSizeHint() const
{
    const int frame = m_borderWidth + (m_bevelOuter == Bevel::None ? 0 : m_bevelWidth);
    return QSize(2 * frame + m_padding.left() + m_padding.right(), 2 * frame + m_padding.top() + m_padding.bottom());
}

void THoverPanel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRect client = rect();
    const int bw = m_borderWidth;

    for (int i = 0; i < bw; ++i)
        drawOutline(painter, client.adjusted(i, i, -i, -i), m_borderColor);
    QRect r = client.adjusted(bw, bw, -bw, -bw);

    if (m_bevelOuter != Bevel::None && m_bevelWidth > 0) {
        const QColor light = mix(Qt::white, m_color, 0.2);
        const QColor shade = mix(Qt::black, m_color, 0.75);
        if (m_bevelOuter == Bevel::Raised)
            drawFrame3D(painter, r, light, shade, m_bevelWidth);
        else
            drawFrame3D(painter, r, shade, light, m_bevelWidth);
    }

    // A bitmap that covers the whole inside is the background itself; filling first would
    // only make the quiz panel flicker on every card redraw.
    const bool bitmapCovers = !m_bitmap.isNull() && m_bitmap.width() >= r.width() && m_bitmap.height() >= r.height();
    if (!bitmapCovers && r.isValid())
        painter.fillRect(r, m_color);
    if (!m_bitmap.isNull() && r.isValid()) {
        // The bitmap is made for the whole panel, so its border part stays under the border.
        const QRect source = QRect(QPoint(bw, bw), r.size()).intersected(m_bitmap.rect());
        if (!source.isEmpty())
            painter.drawImage(r.topLeft(), m_bitmap, source);
    }

    r.adjust(m_padding.left(), m_padding.top(), -m_padding.right(), -m_padding.bottom());
    const QString text = drawableCaption(m_caption);
    if (!text.isEmpty() && r.width() > 0 && r.height() > 0) {
        const int flags = textFlags();
        QFont font = captionFont();
        QString shown = text;
        if (m_fontAutoSize) {
            const FittedCaption fitted = fitCaption(text, font, r.size(), flags, m_minFontSize, painter.device());
            shown = fitted.text;
            font.setPointSize(fitted.pointSize);
        }
        painter.setFont(font);
        const CaptionLayout layout(shown, painter.fontMetrics(), r.width(), flags);
        const int room = std::max(0, r.height() - layout.size().height());
        if (m_textLayout == TextLayout::Bottom)
            r.translate(0, room);
        else if (m_textLayout == TextLayout::Center)
            r.translate(0, room / 2);

        painter.save();
        painter.setClipRect(r);
        painter.setPen(isEnabled() ? fontColor() : mix(fontColor(), m_color, 0.6));
        layout.draw(painter, r);
        painter.restore();
    }

    if (m_checked) {
        const int lineWidth = client.width() - 2 * bw;
        if (m_xpCheck) {
            painter.fillRect(QRect(bw, bw, lineWidth, 1), QColor(230, 139, 44));
            painter.fillRect(QRect(bw, bw + 1, lineWidth, 2), QColor(255, 199, 60));
        } else {
            painter.fillRect(QRect(bw, bw, lineWidth, 2), mix(m_normColor, Qt::white, 0.5));
        }
    }

    if (m_focused && m_tabStop && isEnabled()) {
        QPen pen(fontColor());
        pen.setWidth(1);
        pen.setDashPattern({1.0, 1.0});
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(2, 2, -3, -3));
    }
}

void THoverPanel::enterEvent(QEnterEvent* event)
{
    if (m_hoverActive) {
        m_hovering = true;
        setColor(m_hoverColor);
    }
    emit mouseEntered();
    event->accept();
}

void THoverPanel::leaveEvent(QEvent* event)
{
    m_hovering = false;
    setColor(m_checked ? m_checkColor : m_normColor);
    emit mouseLeft();
    event->accept();
}

void THoverPanel::mousePressEvent(QMouseEvent* event)
{
    // Handlers may end the panel's life (a judged answer tile), so nothing of it is touched
    // after a signal once it is gone.
    const QPointer<THoverPanel> alive(this);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        if (m_tabStop)
            setFocus(Qt::MouseFocusReason);
        m_leftPressed = true;
        emit pressed();
        if (!alive)
            return;
    }
    emit mouseDown(event->button(), pos);
}

void THoverPanel::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMove(event->buttons(), event->position().toPoint());
}

void THoverPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointer<THoverPanel> alive(this);
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const bool wasPressed = std::exchange(m_leftPressed, false);
        if (wasPressed && rect().contains(pos)) {
            emit clicked();
            if (!alive)
                return;
        }
    }
    emit mouseUp(event->button(), pos);
}

void THoverPanel::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    const bool clickKey = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (m_tabStop && hasFocus() && held == Qt::NoModifier && clickKey) {
        emit clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void THoverPanel::focusInEvent(QFocusEvent* event)
{
    m_focused = m_tabStop;
    update();
    QWidget::focusInEvent(event);
}

void THoverPanel::focusOutEvent(QFocusEvent* event)
{
    m_focused = false;
    update();
    QWidget::focusOutEvent(event);
}
