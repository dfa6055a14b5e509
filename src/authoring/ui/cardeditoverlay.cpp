#include "cardeditoverlay.h"

#include "cardview/cardview.h"
#include "document/cardgeometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// How far from an object's point a press still takes the point, in control pixels.
constexpr int pointReach = 6;

bool hasBox(const DocObject& object)
{
    return object.boxRect[2] > object.boxRect[0] && object.boxRect[3] > object.boxRect[1];
}

} // namespace

CardEditOverlay::CardEditOverlay(TopicEditor& editor, const CardView& view, QWidget* cardImage)
    : QWidget(cardImage)
    , m_editor(editor)
    , m_view(view)
{
    setObjectName(QStringLiteral("KartenEditor"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setGeometry(cardImage->rect());
    cardImage->installEventFilter(this);
    // What changes the list moves the selection with it; the card's redraw repaints the handles.
    connect(&editor, &TopicEditor::objectRemoved, this, [this](int index) {
        if (m_selected == index)
            select(-1);
        else if (m_selected > index)
            select(m_selected - 1);
    });
    connect(&editor, &TopicEditor::objectInserted, this, [this](int index) {
        if (m_selected >= index)
            select(m_selected + 1);
    });
    connect(&editor, &TopicEditor::objectReordered, this, [this](int from, int to) {
        if (m_selected == from)
            select(to);
        else if (from < m_selected && m_selected <= to)
            select(m_selected - 1);
        else if (to <= m_selected && m_selected < from)
            select(m_selected + 1);
    });
    connect(&editor, &TopicEditor::documentReset, this, [this] { select(-1); });
}

void CardEditOverlay::setSelectedObject(int index)
{
    if (index < 0 || index >= m_editor.document().objects.size())
        index = -1;
    if (index == m_selected)
        return;
    m_selected = index;
    update();
}

void CardEditOverlay::select(int index)
{
    // What the card chose is told; what was chosen elsewhere (setSelectedObject) is not echoed.
    const int before = m_selected;
    setSelectedObject(index);
    if (m_selected != before)
        emit selectionChanged(m_selected);
}

QRect CardEditOverlay::boxOnScreen(int index) const
{
    const DocObject& object = m_editor.document().objects.at(index);
    if (!hasBox(object))
        return {};
    const QPoint topLeft = m_view.cardToView(object.boxRect[0], object.boxRect[1]);
    const QPoint bottomRight = m_view.cardToView(object.boxRect[2], object.boxRect[3]);
    return QRect(topLeft, bottomRight - QPoint(1, 1));
}

QPoint CardEditOverlay::pointOnScreen(int index) const
{
    const DocObject& object = m_editor.document().objects.at(index);
    return m_view.cardToView(object.Sx, object.Sy);
}

QPointF CardEditOverlay::anchorOf(int index, ObjectPart part) const
{
    const DocObject& object = m_editor.document().objects.at(index);
    return part == ObjectPart::Point ? QPointF(object.Sx, object.Sy) : QPointF(object.Kx, object.Ky);
}

QPointF CardEditOverlay::cardPixel() const
{
    const TopicDocument& document = m_editor.document();
    const QSize card = cardFrame(document.picture.size(), document.RandErw).size;
    return QPointF(1.0 / card.width(), 1.0 / card.height());
}

CardEditOverlay::Hit CardEditOverlay::hitAt(QPoint position) const
{
    const auto nearPoint = [&](int index) { return (pointOnScreen(index) - position).manhattanLength() <= pointReach; };
    const QList<DocObject>& objects = m_editor.document().objects;
    if (m_selected >= 0 && m_selected < objects.size() && nearPoint(m_selected))
        return {m_selected, ObjectPart::Point};
    // Later objects are drawn over earlier ones, so they are found first.
    for (int i = int(objects.size()) - 1; i >= 0; --i) {
        if (boxOnScreen(i).contains(position))
            return {i, ObjectPart::Box};
    }
    for (int i = int(objects.size()) - 1; i >= 0; --i) {
        if (objects.at(i).Sline != 0 && nearPoint(i))
            return {i, ObjectPart::Point};
    }
    return {};
}

bool CardEditOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void CardEditOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QList<DocObject>& objects = m_editor.document().objects;
    // Every object's box faintly, so that the teacher sees what can be taken.
    painter.setPen(QPen(QColor(0, 90, 200, 110), 1, Qt::DotLine));
    for (int i = 0; i < objects.size(); ++i) {
        const QRect box = boxOnScreen(i);
        if (!box.isEmpty())
            painter.drawRect(box);
    }
    if (m_selected < 0 || m_selected >= objects.size())
        return;
    const bool locked = isLockedObject(objects.at(m_selected));
    const QColor colour = locked ? QColor(120, 120, 120) : QColor(0, 90, 200);
    const QRect box = boxOnScreen(m_selected);
    painter.setPen(QPen(colour, 1, Qt::DashLine));
    if (!box.isEmpty())
        painter.drawRect(box.adjusted(-2, -2, 2, 2));
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::white);
    if (!box.isEmpty()) {
        for (const QPoint corner : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()})
            painter.drawRect(QRect(corner - QPoint(3, 3), QSize(6, 6)));
    }
    painter.setBrush(colour);
    painter.drawEllipse(pointOnScreen(m_selected), 4, 4);
}

void CardEditOverlay::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPoint position = event->position().toPoint();
    const Hit hit = hitAt(position);
    if (hit.index < 0) {
        // An empty spot of the card: a new label points there.
        const int added = m_editor.addLabel(m_view.viewToCard(position.x(), position.y()));
        select(added);
        return;
    }
    select(hit.index);
    if (!m_editor.beginDrag(hit.index, hit.part))
        return; // locked: selected, never moved
    m_dragging = true;
    m_grabOffset = anchorOf(hit.index, hit.part) - m_view.viewToCard(position.x(), position.y());
}

void CardEditOverlay::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !m_editor.isDragging())
        return;
    const QPoint position = event->position().toPoint();
    const QPointF card = m_view.viewToCard(position.x(), position.y()) + m_grabOffset;
    m_editor.dragTo(QPointF(std::clamp(card.x(), 0.0, 1.0), std::clamp(card.y(), 0.0, 1.0)));
}

void CardEditOverlay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    if (m_editor.isDragging())
        m_editor.endDrag();
    emit dragEnded();
}

void CardEditOverlay::keyPressEvent(QKeyEvent* event)
{
    const int count = int(m_editor.document().objects.size());
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (count == 0)
            return;
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        select(m_selected < 0 ? (back ? count - 1 : 0) : (m_selected + (back ? count - 1 : 1)) % count);
        return;
    }
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        if (m_selected < 0)
            return;
        const double steps = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
        const QPointF pixel = cardPixel() * steps;
        QPointF delta;
        if (event->key() == Qt::Key_Left)
            delta.setX(-pixel.x());
        else if (event->key() == Qt::Key_Right)
            delta.setX(pixel.x());
        else if (event->key() == Qt::Key_Up)
            delta.setY(-pixel.y());
        else
            delta.setY(pixel.y());
        m_editor.nudgeObject(m_selected, ObjectPart::Box, delta);
        return;
    }
    case Qt::Key_Delete:
        if (m_selected >= 0)
            m_editor.removeObject(m_selected);
        return;
    case Qt::Key_D:
        if (control && m_selected >= 0) {
            const int copy = m_editor.duplicateObject(m_selected);
            if (copy >= 0)
                select(copy);
            return;
        }
        break;
    case Qt::Key_Escape:
        if (m_dragging && m_editor.isDragging()) {
            m_dragging = false;
            m_editor.cancelDrag();
            emit dragEnded();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

bool CardEditOverlay::focusNextPrevChild(bool)
{
    // Tab walks the objects on the card, not the window's controls.
    return false;
}
