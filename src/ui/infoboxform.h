#pragma once

#include "common/richtext.h"

#include <QDialog>
#include <QImage>
#include <QStringList>

class QLabel;
class QScrollArea;
class TBitBtn2;
class TextureImage;

// The info text window: shows the drawn text of an info point beside the card without
// blocking it, scrolls by keys, wheel and dragging with the hand, and prints, saves and
// copies the text as plain rich text.
class TInfoboxForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInfoboxForm(QWidget* parent = nullptr);

    // The raw lines with markup (the hidden memo).
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList& lines);

    // The drawn text shown in the scroll box; its width should be textWidth().
    void setTextImage(const QImage& image);
    QImage textImage() const { return m_textImage; }
    // Width available for the drawn text: the scroll box less room for its scroll bar.
    int textWidth() const;

    // Refills the rich text from the lines and shows the window without blocking.
    void showText();

    // Makes the window as high as its drawn text needs, at most maxHeight, with the text
    // scrolled to its top.
    void fitToText(int maxHeight);

    // The lines as plain rich text, as printed, saved and copied.
    const RichTextDocument& richText() const { return m_richEdit; }
    QScrollArea* scrollBox() const { return m_scrollBox; }
    QLabel* textImageLabel() const { return m_textImg; }

    // The buttons' actions.
    void printText();
    void saveText();
    void copyText();

    // Lines drawn plainly, for callers without a marked-up rendering of their own.
    static QImage renderPlainLines(const QStringList& lines, int width, const QColor& background);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillRichText();
    void layoutForHeight(int height);
    void scrollTo(int value);

    QStringList m_lines;
    QImage m_textImage;
    RichTextDocument m_richEdit;
    QWidget* m_panel = nullptr;
    TextureImage* m_backImg = nullptr;
    QScrollArea* m_scrollBox = nullptr;
    QLabel* m_textImg = nullptr;
    TBitBtn2* m_druckBtn = nullptr;
    TBitBtn2* m_expBtn = nullptr;
    TBitBtn2* m_clipBtn = nullptr;
    TBitBtn2* m_closeBtn = nullptr;
    // Dragging the text with the hand: the point of the text that stays under the mouse.
    bool m_dragging = false;
    int m_dragTextY = 0;
};
