#pragma once

#include "authoring/topiceditor.h"

#include <QPointF>
#include <QWidget>

class CardView;

// The topic editor's hand on the card: a transparent layer over the card's image control that
// takes the pointer and the keys while the editor is open, so that no click uncovers, follows a
// link or opens an info point. A click on an empty spot adds a label there; a click on an object's
// box or point selects it; dragging moves what was taken (one undo entry per drag); the arrow
// keys move the selection by one card pixel (ten with Shift), Delete removes it, Ctrl+D
// duplicates it and Tab walks the objects in file order. Every change goes through the editor.
class CardEditOverlay : public QWidget
{
    Q_OBJECT
public:
    // editor and view outlive the layer; cardImage is the control it covers and follows.
    CardEditOverlay(TopicEditor& editor, const CardView& view, QWidget* cardImage);

    int selectedObject() const { return m_selected; }
    // -1 or an index outside the list selects nothing.
    void setSelectedObject(int index);

    // Where a press at position (control pixels) would take hold: the selected object's point
    // first, then boxes and points from the top of the list down. index -1 for an empty spot.
    struct Hit
    {
        int index = -1;
        ObjectPart part = ObjectPart::Box;
    };
    Hit hitAt(QPoint position) const;

signals:
    void selectionChanged(int index);
    // A drag by the pointer ended, kept or taken back.
    void dragEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QRect boxOnScreen(int index) const;
    QPoint pointOnScreen(int index) const;
    QPointF anchorOf(int index, ObjectPart part) const;
    // One card pixel as a fraction of the card's width and height.
    QPointF cardPixel() const;
    void select(int index);

    TopicEditor& m_editor;
    const CardView& m_view;
    int m_selected = -1;
    // The press that took hold of an object: what is dragged, and the offset from the pointer to
    // the part's anchor, so that the object does not jump under the pointer.
    bool m_dragging = false;
    QPointF m_grabOffset;
};
