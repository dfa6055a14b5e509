#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QDialog;
class TBitBtn2;
class THoverPanel;

// A background picture that fills its parent and is painted as a nine-slice of a texture;
// it follows every size change of the parent and stays behind its siblings. The pieces are
// painted straight onto the window: a window-sized picture kept only for this would cost
// megabytes for a background that is quick to draw.
class TextureImage : public QWidget
{
    Q_OBJECT
public:
    explicit TextureImage(QWidget* parent);

    // Aligns the picture to fill its parent and paints texture into it (nine pieces, 30-pixel border).
    void paintNineSlice(const QImage& texture);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fillParent();

    QImage m_texture;
};

// Every program bitmap button on the window: colour RGB(205, 208, 226), normal cursor.
void styleDialogButtons(QWidget* window);

// The look of the flat buttons of the top bar: light warm grey, white when pressed,
// brighter under the pointer.
void styleToolbarButton(THoverPanel* button);

// The frame of the program's small fixed-size dialogs: the dialog gets its object name, title and
// client size and the theme's background; a panel "Panel1" covers it in the accent colour with a
// texture picture behind the controls. Controls go onto panel; the dialog paints backImage from
// its texture when shown. Both belong to the dialog.
struct TexturedDialogFrame
{
    QWidget* panel = nullptr;
    TextureImage* backImage = nullptr;
};
TexturedDialogFrame setUpTexturedDialog(QDialog* dialog, const char* name, const QString& title, QSize size);

// A bitmap button named name with text, placed at geometry on parent.
TBitBtn2* addDialogButton(QWidget* parent, const QString& text, const char* name, const QRect& geometry);

// A plain panel filled with colour.
void setPanelColour(QWidget* panel, const QColor& colour);
void setFontColour(QWidget* widget, const QColor& colour);
