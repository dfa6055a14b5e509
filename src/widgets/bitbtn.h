#pragma once

#include <QColor>
#include <QPushButton>

// The program's push button for dialogs: a caption with an optional glyph (the button's
// icon) on a face of a settable colour. The face is painted here rather than by the
// style, because the dialogs give their buttons the colour of their theme and styles
// differ in whether they honour a palette's button colour.
class TBitBtn2 : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    explicit TBitBtn2(QWidget* parent = nullptr);
    explicit TBitBtn2(const QString& text, QWidget* parent = nullptr);
    TBitBtn2(const QIcon& glyph, const QString& text, QWidget* parent = nullptr);
    ~TBitBtn2() override;

    // The face colour; until one is set, the palette's button colour.
    QColor color() const;
    void setColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void init();

    QColor m_color;
};
