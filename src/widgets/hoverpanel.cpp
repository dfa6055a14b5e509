#include "widgets/hoverpanel.h"

#include "common/rounding.h"

#include <QAccessibleWidget>
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

// The mixed colours of Windows' own frames round halves to even.
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

// The text before its last blank. Only a blank counts, not a line break, so a caption
// whose last line is a single word loses it whole; a blank at the very start is no place
// to cut, and the text shortens to nothing.
QString withoutLastWord(const QString& text)
{
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
    return blank >= 1 ? text.left(blank) : QString();
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
        // Blanks after a line break belong to neither line.
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
            // Blanks where a line breaks take no room on the line they end.
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
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

// A 3-D frame `width` pixels thick on the inside of `outer`. The bottom-right colour owns
// both corners where the colours meet, as in the classic Windows frame.
void drawFrame3D(QPainter& painter, const QRect& outer, const QColor& topLeft, const QColor& bottomRight, int width)
{
    QRect r = outer;
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

// Border, bevel and padding beyond the panel's own size change nothing that shows; clamping
// them keeps the rectangle arithmetic clear of overflow.
int clampInset(int value, const QRect& client)
{
    const int limit = std::max(client.width(), client.height());
    return std::clamp(value, -limit, limit);
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

CaptionMeasure captionMeasure(const QFont& font, int width, int textFlags, const QPaintDevice* device)
{
    return [font, width, textFlags, device](const QString& text, int pointSize) {
        QFont sized = font;
        sized.setPointSize(pointSize);
        return captionSize(text, QFontMetrics(sized, device), width, textFlags);
    };
}

FittedCaption fitCaption(
    const QString& caption, int startSize, int minFontSize, const QSize& available, const CaptionMeasure& measure)
{
    int measurements = 0;
    const auto fits = [&](const QString& text, int pointSize) {
        ++measurements;
        const QSize size = measure(text, pointSize);
        return size.width() <= available.width() && size.height() <= available.height();
    };
    // Lowers the size one point at a time until the text fits or the size reaches the minimum.
    const auto shrinkToFit = [&](const QString& text, int& pointSize) {
        pointSize = startSize;
        bool ok = fits(text, pointSize);
        while (!ok && pointSize > minFontSize) {
            --pointSize;
            ok = fits(text, pointSize);
        }
        return ok;
    };

    QString text = caption;
    int pointSize = startSize;
    if (shrinkToFit(text, pointSize))
        return {text, pointSize, measurements};

    // Without a hyphen the second round would measure the same text at the same sizes and
    // end where the first one did.
    if (text.contains(QLatin1Char('-'))) {
        text.replace(QLatin1Char('-'), QLatin1String("- "));
        if (shrinkToFit(text, pointSize))
            return {text, pointSize, measurements};
    }

    QString suffix;
    do {
        text = withoutLastWord(trimBlanks(text));
        suffix = text.isEmpty() ? QStringLiteral("...") : QStringLiteral(" ...");
    } while (!text.isEmpty() && !fits(text + suffix, pointSize));
    return {text + suffix, pointSize, measurements};
}

FittedCaption fitCaption(const QString& caption, const QFont& font, const QSize& available, int textFlags,
    int minFontSize, const QPaintDevice* device)
{
    return fitCaption(caption, startPointSize(font), minFontSize, available,
        captionMeasure(font, available.width(), textFlags, device));
}

// ---------------------------------------------------------------------------------------
// THoverPanel

namespace {

// Left to Qt the panel would be an unnamed filler: it is a button, named by its caption unless
// its owner gives it a name of its own.
class HoverPanelAccessible : public QAccessibleWidget
{
public:
    explicit HoverPanelAccessible(THoverPanel* panel)
        : QAccessibleWidget(panel, QAccessible::Button)
    { }

    QString text(QAccessible::Text t) const override
    {
        const auto* panel = static_cast<const THoverPanel*>(widget());
        if (t != QAccessible::Name || !panel->accessibleName().isEmpty())
            return QAccessibleWidget::text(t);
        // Mnemonic marks go, "&&" stands for "&"; line breaks become spaces.
        QString caption = panel->caption();
        caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
        caption.remove(QLatin1Char('&'));
        caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        caption = caption.simplified();
        return caption.isEmpty() ? panel->toolTip() : caption;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && widget()->isEnabled())
            static_cast<THoverPanel*>(widget())->triggerPressAction();
    }
};

QAccessibleInterface* hoverPanelAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("THoverPanel") && object && object->isWidgetType())
        return new HoverPanelAccessible(static_cast<THoverPanel*>(object));
    return nullptr;
}

} // namespace

THoverPanel::THoverPanel(QWidget* parent)
    : QWidget(parent)
    , m_normColor(palette().color(QPalette::Button))
    , m_color(m_normColor)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(hoverPanelAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
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
    m_normFontColor = color;
    applyBackground();
}

void THoverPanel::setCheckFontColor(const QColor& color)
{
    m_checkFontColor = color;
    applyBackground();
}

void THoverPanel::setCheckFontBold(bool bold)
{
    m_checkFontBold = bold;
}

void THoverPanel::setHoverActive(bool active)
{
    m_hoverActive = active;
    applyBackground();
}

void THoverPanel::setXpCheck(bool xpStyle)
{
    m_xpCheck = xpStyle;
}

void THoverPanel::setChecked(bool checked)
{
    if (checked != m_checked) {
        m_checked = checked;
        m_fontColor = checked ? m_checkFontColor : m_normFontColor;
        if (m_checkFontBold) {
            QFont boldOrNot = font();
            boldOrNot.setBold(checked);
            setFont(boldOrNot);
        }
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
    // The bitmap replaces the background pixel for pixel; transparency would let whatever lay
    // below show through instead.
    const QImage opaque = bitmap.hasAlphaChannel() ? bitmap.convertToFormat(QImage::Format_RGB32) : bitmap;
    if (opaque == m_bitmap)
        return;
    m_bitmap = opaque;
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
    if (accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
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
    m_focused = hasFocus();
    update();
}

void THoverPanel::setFocusFrame(bool shown)
{
    if (m_focusFrame == shown)
        return;
    m_focusFrame = shown;
    update();
}

void THoverPanel::setKeyHint(const QString& hint)
{
    if (m_keyHint == hint)
        return;
    m_keyHint = hint;
    update();
}

void THoverPanel::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void THoverPanel::setFontColor(const QColor& color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    update();
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

QRect THoverPanel::innerRect() const
{
    const QRect client = rect();
    const int bw = clampInset(m_borderWidth, client);
    QRect r = client.adjusted(bw, bw, -bw, -bw);
    if (m_bevelOuter == Bevel::Raised && m_bevelWidth > 0) {
        const int bevel = clampInset(m_bevelWidth, client);
        r.adjust(bevel, bevel, -bevel, -bevel);
    }
    return r;
}

QRect THoverPanel::captionRect() const
{
    const QRect client = rect();
    return innerRect().adjusted(clampInset(m_padding.left(), client), clampInset(m_padding.top(), client),
        -clampInset(m_padding.right(), client), -clampInset(m_padding.bottom(), client));
}

FittedCaption THoverPanel::fittedCaption(const QPaintDevice* device) const
{
    const QString text = drawableCaption(m_caption);
    const QRect area = captionRect();
    if (!m_fontAutoSize || text.isEmpty() || area.isEmpty())
        return {text, startPointSize(font()), 0};
    return fitCaption(text, font(), area.size(), textFlags(), m_minFontSize, device ? device : this);
}

const FittedCaption& THoverPanel::paintedCaption(const QPaintDevice* device)
{
    FitKey key {m_caption, font(), captionRect().size(), textFlags(), m_minFontSize, m_fontAutoSize,
        device->logicalDpiX(), device->logicalDpiY()};
    // A fresh panel's key holds no resolution, so its first paint always fits.
    if (key != m_fitKey) {
        m_fit = fittedCaption(device);
        m_fitKey = std::move(key);
    }
    return m_fit;
}

QSize THoverPanel::sizeHint() const
{
    const int frame = m_borderWidth + (m_bevelOuter == Bevel::Raised ? m_bevelWidth : 0);
    const QFontMetrics metrics(font(), this);
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
    const int frame = m_borderWidth + (m_bevelOuter == Bevel::Raised ? m_bevelWidth : 0);
    return QSize(2 * frame + m_padding.left() + m_padding.right(), 2 * frame + m_padding.top() + m_padding.bottom());
}

void THoverPanel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRect client = rect();
    const int bw = clampInset(m_borderWidth, client);

    const int outlines = std::min(bw, (std::min(client.width(), client.height()) + 1) / 2);
    for (int i = 0; i < outlines; ++i)
        drawOutline(painter, client.adjusted(i, i, -i, -i), m_borderColor);
    if (m_bevelOuter == Bevel::Raised && m_bevelWidth > 0) {
        drawFrame3D(painter, client.adjusted(bw, bw, -bw, -bw), mix(Qt::white, m_color, 0.2),
            mix(Qt::black, m_color, 0.75), clampInset(m_bevelWidth, client));
    }
    const QRect inner = innerRect();

    // A bitmap that covers the whole inside is the background itself; filling first would
    // only make the quiz panel flicker on every card redraw.
    const bool bitmapCovers
        = !m_bitmap.isNull() && m_bitmap.width() >= inner.width() && m_bitmap.height() >= inner.height();
    if (!bitmapCovers && inner.isValid())
        painter.fillRect(inner, m_color);
    if (!m_bitmap.isNull() && inner.isValid()) {
        // The bitmap is made for the whole panel, so its border part stays under the border.
        const QRect source = QRect(QPoint(bw, bw), inner.size()).intersected(m_bitmap.rect());
        if (!source.isEmpty())
            painter.drawImage(inner.topLeft(), m_bitmap, source);
    }

    QRect area = captionRect();
    const FittedCaption& caption = paintedCaption(painter.device());
    if (!caption.text.isEmpty() && !area.isEmpty()) {
        const int flags = textFlags();
        QFont captionFont = font();
        if (m_fontAutoSize)
            captionFont.setPointSize(caption.pointSize);
        painter.setFont(captionFont);
        const CaptionLayout layout(caption.text, painter.fontMetrics(), area.width(), flags);
        const int room = std::max(0, area.height() - layout.size().height());
        if (m_textLayout == TextLayout::Bottom)
            area.translate(0, room);
        else if (m_textLayout == TextLayout::Center)
            area.translate(0, room / 2);

        painter.save();
        painter.setClipRect(area);
        painter.setPen(m_fontColor);
        layout.draw(painter, area);
        painter.restore();
    }

    // The mark runs along the top inside the border, over bevel, bitmap and padding alike.
    const int markWidth = client.width() - 2 * bw;
    if (m_checked && markWidth > 0) {
        if (m_xpCheck) {
            painter.fillRect(QRect(bw, bw, markWidth, 1), QColor(230, 139, 44));
            painter.fillRect(QRect(bw, bw + 1, markWidth, 2), QColor(255, 199, 60));
        } else {
            painter.fillRect(QRect(bw, bw, markWidth, 2), mix(m_normColor, Qt::white, 0.5));
        }
    }

    if (!m_keyHint.isEmpty() && inner.isValid()) {
        QFont hintFont = font();
        hintFont.setBold(false);
        hintFont.setPixelSize(qBound(8, inner.height() / 4, 11));
        painter.setFont(hintFont);
        painter.setPen(m_fontColor);
        painter.drawText(inner.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, m_keyHint);
    }

    if (m_focused && (m_tabStop || m_focusFrame) && isEnabled()) {
        QPen pen(m_fontColor);
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

void THoverPanel::triggerPressAction()
{
    if (m_pressAction)
        m_pressAction();
    else
        emit clicked();
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
    m_focused = true;
    update();
    QWidget::focusInEvent(event);
}

void THoverPanel::focusOutEvent(QFocusEvent* event)
{
    m_focused = false;
    update();
    QWidget::focusOutEvent(event);
}
