#pragma once

#include <QColor>
#include <QLabel>

// A label whose caption carries a drop shadow one pixel to the right and one down, so that
// it stays legible on the textured status panels. The caption is drawn as plain text, "&"
// included. Like every label it paints no background of its own.
class TShadowLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor)
    Q_PROPERTY(QColor fontColor READ fontColor WRITE setFontColor)

public:
    explicit TShadowLabel(QWidget* parent = nullptr);
    explicit TShadowLabel(const QString& text, QWidget* parent = nullptr);
    ~TShadowLabel() override;

    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor& color);
    // The caption colour (the palette's window text).
    QColor fontColor() const;
    void setFontColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_shadowColor {160, 160, 160};
};
