#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

class QFontMetrics;
class QPaintDevice;

// Inner margins of a hover panel's caption area, in pixels. The owner passes a change
// callback so that every change of a side repaints it.
class TPadding
{
public:
    using ChangeCallback = std::function<void()>;

    TPadding() = default;
    explicit TPadding(ChangeCallback onChange);
    TPadding(int left, int top, int right, int bottom);
    // A copy is a plain value: it carries the four sides but not the owner's callback.
    TPadding(const TPadding& other);
    // Copies the four sides and then notifies this padding's owner once, however many
    // sides changed, so that a panel repaints once for a whole new set of margins.
    TPadding& operator=(const TPadding& other);
    ~TPadding() = default;

    int left() const { return m_left; }
    int top() const { return m_top; }
    int right() const { return m_right; }
    int bottom() const { return m_bottom; }
    void setLeft(int value);
    void setTop(int value);
    void setRight(int value);
    void setBottom(int value);

    void setOnChange(ChangeCallback onChange);

    bool operator==(const TPadding& other) const;

private:
    void setSide(int& side, int value);
    void notify() const;

    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;
    ChangeCallback m_onChange;
};

// Channel by channel a·(1−t) + b·t, rounded to the nearest integer with halves going to
// the even neighbour; the alpha channel is opaque.
QColor mix(const QColor& a, const QColor& b, double t);

// A caption as a hover panel draws it after shrinking and shortening it to its caption area.
struct FittedCaption
{
    QString text;
    int pointSize = 0;
    // Layouts measured to get there: at most one per point size and text, and one per
    // dropped word; each costs as much as drawing the caption.
    int measurements = 0;
};

// The size of a caption text laid out in the caption area at a point size.
using CaptionMeasure = std::function<QSize(const QString& text, int pointSize)>;

// The size of `text` laid out `width` pixels wide with `textFlags` (Qt::AlignmentFlag and
// Qt::TextFlag values; TextWordWrap, TextShowMnemonic and TextExpandTabs are honoured).
// Lines break at line breaks ("\n", "\r\n") and, with word wrap, at blanks only; a word
// wider than `width` overflows, so the size tells whether a caption fits.
QSize captionSize(const QString& text, const QFontMetrics& metrics, int width, int textFlags);

// Measures captions as captionSize() does, in `font` at the requested point size, for
// `device` (the screen when null), which must outlive the returned function.
CaptionMeasure captionMeasure(const QFont& font, int width, int textFlags, const QPaintDevice* device = nullptr);

// Fits `caption` into a box of `available` size as the hover panel lays captions out: first
// the font shrinks one point at a time from `startSize` down to `minFontSize`; then, at the
// starting size again, every hyphen gets a blank after it so that hyphenated words may break
// there, and the shrinking repeats; when it still does not fit, the text is cut at its last
// blank, word by word, and " ..." (or "..." when no word is left) takes the place of the rest.
FittedCaption fitCaption(
    const QString& caption, int startSize, int minFontSize, const QSize& available, const CaptionMeasure& measure);

// The same for `font`, measured for `device` (the screen when null) so that the result
// matches what is drawn there.
FittedCaption fitCaption(const QString& caption, const QFont& font, const QSize& available, int textFlags,
    int minFontSize, const QPaintDevice* device = nullptr);

// The program's flat owner-drawn button: the buttons of the main window's top bar, the
// previous and next topic arrows, the quiz panel and the answer tiles of a quiz. Its
// background follows the pointer (HoverColor), its checked state (CheckColor) or rests
// (NormColor); the caption can shrink and shorten itself until it fits.
class THoverPanel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor normColor READ normColor WRITE setNormColor)
    Q_PROPERTY(QColor hoverColor READ hoverColor WRITE setHoverColor)
    Q_PROPERTY(QColor checkColor READ checkColor WRITE setCheckColor)
    Q_PROPERTY(QColor normFontColor READ normFontColor WRITE setNormFontColor)
    Q_PROPERTY(QColor checkFontColor READ checkFontColor WRITE setCheckFontColor)
    Q_PROPERTY(QColor fontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(bool checkFontBold READ checkFontBold WRITE setCheckFontBold)
    Q_PROPERTY(bool hoverActive READ hoverActive WRITE setHoverActive)
    Q_PROPERTY(bool xpCheck READ xpCheck WRITE setXpCheck)
    Q_PROPERTY(bool checked READ checked WRITE setChecked)
    Q_PROPERTY(bool wordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool fontAutoSize READ fontAutoSize WRITE setFontAutoSize)
    Q_PROPERTY(int minFontSize READ minFontSize WRITE setMinFontSize)
    Q_PROPERTY(TextLayout textLayout READ textLayout WRITE setTextLayout)
    Q_PROPERTY(QColor borderColor READ borderColor WRITE setBorderColor)
    Q_PROPERTY(QImage bitmap READ bitmap WRITE setBitmap)
    Q_PROPERTY(TPadding padding READ padding WRITE setPadding)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(int borderWidth READ borderWidth WRITE setBorderWidth)
    Q_PROPERTY(Bevel bevelOuter READ bevelOuter WRITE setBevelOuter)
    Q_PROPERTY(int bevelWidth READ bevelWidth WRITE setBevelWidth)
    Q_PROPERTY(bool tabStop READ tabStop WRITE setTabStop)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(int tag READ tag WRITE setTag)

public:
    enum class TextLayout { Top, Center, Bottom };
    Q_ENUM(TextLayout)
    enum class Bevel { None, Lowered, Raised };
    Q_ENUM(Bevel)

    explicit THoverPanel(QWidget* parent = nullptr);
    ~THoverPanel() override;

    // The background colour setters re-apply the background rule, so that a change shows at
    // once; so do the two caption colours, whose own effect waits for the next change of the
    // checked state.
    QColor normColor() const { return m_normColor; }
    void setNormColor(const QColor& color);
    QColor hoverColor() const { return m_hoverColor; }
    void setHoverColor(const QColor& color);
    QColor checkColor() const { return m_checkColor; }
    void setCheckColor(const QColor& color);
    QColor normFontColor() const { return m_normFontColor; }
    void setNormFontColor(const QColor& color);
    QColor checkFontColor() const { return m_checkFontColor; }
    void setCheckFontColor(const QColor& color);
    bool checkFontBold() const { return m_checkFontBold; }
    void setCheckFontBold(bool bold);
    bool hoverActive() const { return m_hoverActive; }
    void setHoverActive(bool active);
    bool xpCheck() const { return m_xpCheck; }
    void setXpCheck(bool xpStyle);
    bool checked() const { return m_checked; }
    // A change of state sets the caption colour to checkFontColor() or normFontColor() and,
    // with checkFontBold(), makes the font bold or not. The background rule is re-applied even
    // when the state does not change, which callers use to return from a temporary colour set
    // with setColor().
    void setChecked(bool checked);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool wrap);
    bool fontAutoSize() const { return m_fontAutoSize; }
    void setFontAutoSize(bool autoSize);
    int minFontSize() const { return m_minFontSize; }
    void setMinFontSize(int points);
    TextLayout textLayout() const { return m_textLayout; }
    void setTextLayout(TextLayout layout);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& color);
    QImage bitmap() const { return m_bitmap; }
    void setBitmap(const QImage& bitmap);
    // The panel's own padding; changing one of its sides repaints the panel.
    TPadding& padding() { return m_padding; }
    const TPadding& padding() const { return m_padding; }
    void setPadding(const TPadding& padding);

    // The caption may hold line breaks ("\r\n", "\n") and "&" before an underlined letter.
    // Its font is the widget's font(), "Arial" unless set otherwise.
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Only the horizontal part counts; the vertical placement is textLayout().
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    // Only a raised outer bevel is drawn; the others leave the inside to the background.
    int borderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);
    Bevel bevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(Bevel bevel);
    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    // A tab stop takes the keyboard focus by Tab and by a left click, shows a focus
    // rectangle and clicks on Enter and Space.
    bool tabStop() const { return m_tabStop; }
    void setTabStop(bool tabStop);

    // What a screen reader's press action does: clicked() unless the owner gives it a job of its
    // own (a quiz tile is pressed as Enter presses it, not clicked).
    void setPressAction(std::function<void()> action) { m_pressAction = std::move(action); }
    void triggerPressAction();

    // The keyboard's cues on an answer tile: the focus rectangle while the panel has the focus,
    // without making it a tab stop (a click still takes no focus and Enter no click), and a key
    // name drawn small in the top left corner. Both off by default, so that a pointer user's
    // screen stays as it is.
    bool focusFrame() const { return m_focusFrame; }
    void setFocusFrame(bool shown);
    QString keyHint() const { return m_keyHint; }
    void setKeyHint(const QString& hint);

    // The background drawn now. The hover, check and rest rules set it; callers may set it
    // for a moment (the green or red flash of an answer tile) and restore it with
    // setChecked(checked()).
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The caption colour drawn now; setChecked() replaces it when the state changes.
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);

    // The caption area: the panel inside its border, raised bevel and padding.
    QRect captionRect() const;
    // The caption as paint draws it into captionRect(), shrunk and shortened when
    // fontAutoSize() is set, measured for `device` (this panel when null). Fits anew on
    // every call; painting keeps the last fit for as long as its inputs stay the same.
    FittedCaption fittedCaption(const QPaintDevice* device = nullptr) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Left button released inside after it went down inside, or Enter or Space on a
    // focused tab stop.
    void clicked();
    // Left button went down; for buttons that act at once.
    void pressed();
    // Any button, in widget coordinates. A handler may delete the panel with deleteLater().
    void mouseDown(Qt::MouseButton button, QPoint pos);
    void mouseMove(Qt::MouseButtons buttons, QPoint pos);
    void mouseUp(Qt::MouseButton button, QPoint pos);
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyBackground();
    int textFlags() const;
    QRect innerRect() const;
    const FittedCaption& paintedCaption(const QPaintDevice* device);

    // Everything a fit depends on, so that repaints for hover and check colours reuse it.
    struct FitKey
    {
        QString caption;
        QFont font;
        QSize area;
        int flags = 0;
        int minFontSize = 0;
        bool autoSize = false;
        int dpiX = 0;
        int dpiY = 0;
        bool operator==(const FitKey& other) const = default;
    };

    QColor m_normColor;
    QColor m_hoverColor {255, 255, 0};
    QColor m_checkColor {Qt::white};
    QColor m_normFontColor {Qt::black};
    QColor m_checkFontColor {Qt::black};
    QColor m_fontColor {Qt::black};
    bool m_checkFontBold = false;
    bool m_hoverActive = true;
    bool m_xpCheck = true;
    bool m_checked = false;
    bool m_wordWrap = false;
    bool m_fontAutoSize = false;
    int m_minFontSize = 7;
    TextLayout m_textLayout = TextLayout::Center;
    QColor m_borderColor {Qt::black};
    QImage m_bitmap;
    TPadding m_padding;

    QString m_caption;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    int m_borderWidth = 1;
    Bevel m_bevelOuter = Bevel::None;
    int m_bevelWidth = 1;
    bool m_tabStop = false;
    std::function<void()> m_pressAction;
    bool m_focusFrame = false;
    QString m_keyHint;
    QColor m_color;
    int m_tag = 0;

    FitKey m_fitKey;
    FittedCaption m_fit;

    bool m_hovering = false;
    bool m_focused = false;
    bool m_leftPressed = false;
};
