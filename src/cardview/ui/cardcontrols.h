#pragma once

#include "cardview/cardview.h"

#include <QObject>
#include <QPoint>

#include <array>

class CardImage;
class QCheckBox;
class QCursor;
class QKeyEvent;
class QLineEdit;
class QWidget;
class THoverPanel;

// The learning card's controls: the tool bar beside the card (layers, covers, numbering, zoom,
// scrolling, the drawing tools, export and copy), what the pointer does on the card (uncovering,
// panning, drawing), the field in which a keyword is typed onto the card, and the quiz's target
// marker over the picture. It acts on the card view; what lies outside the card (menus, info
// points, links, the quiz) it reports through its signals.
class CardControls : public QObject
{
    Q_OBJECT
public:
    // Builds the tool bar on bar, the keyword field on cardPanel (the panel holding the image
    // control) and the marker on image.
    CardControls(CardView& view, CardImage* image, QWidget* cardPanel, QWidget* bar, QObject* parent = nullptr);

    // The pointer, the drawing tools and the zoom act only while the learning card is shown:
    // during a quiz the card's view is the quiz's background and where its targets lie, and a
    // zoom would move them under the tiles.
    void setInteractive(bool interactive);

    CardView::Numbering numberingMode() const { return m_numberingMode; }
    bool layerShown(int layer) const;
    QLineEdit* keywordField() const { return m_keywordField; }
    QWidget* marker() const { return m_marker; }

    // The marker on the view's marked object and part, or hidden; returns its box, empty when hidden.
    QRect showMarker(int index, int part);
    void hideMarker();

public slots:
    void toggleLayer(int layer);
    void coverAll();
    void uncoverAll();
    void applyNumbering(CardView::Numbering mode, bool redraw);
    void setZoom(int index);
    void zoomIn();
    void zoomOut();
    void scroll(ScrollDirection direction);
    void selectTool(int tool);
    void removeAllDrawings();
    void exportView();
    void copyViewToClipboard();

signals:
    // The controls changed a state that menu items mirror.
    void toolChanged(int tool);
    void zoomChanged(int zoomIndex);
    void numberingChanged(int mode);
    // A layer was switched on or off; the card must be redrawn.
    void layersChanged();
    // The pointer chose an object whose action lies outside the card.
    void infoPointChosen(int index);
    void webLinkChosen(int index);
    void documentLinkChosen(int index);
    // "Arbeitsblatt": the worksheet window for the card's topic.
    void worksheetRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createToolbar(QWidget* bar);
    void createKeywordField(QWidget* cardPanel);
    void layerBoxClicked();
    void updateZoomButtons();
    void updateNumberingButtons();
    void mousePressed(Qt::MouseButton button, QPoint position);
    void mouseMoved(Qt::MouseButtons buttons, QPoint position);
    void mouseReleased(Qt::MouseButton button, QPoint position);
    void endPan();
    void drawToolAt(bool leftButtonDown, QPoint position);
    void pointerClick(int index);
    void placeKeywordField(QPoint bottomLeft);
    bool keywordFieldKey(QKeyEvent* event);

    CardView& m_view;
    CardImage* m_image;
    QWidget* m_cardPanel;
    bool m_interactive = true;
    CardView::Numbering m_numberingMode = CardView::Numbering::Ordered;
    Qt::MouseButton m_panButton = Qt::NoButton;
    QPoint m_panLast;

    std::array<QCheckBox*, 3> m_layerBoxes {};
    std::array<THoverPanel*, 3> m_numberingButtons {};
    std::array<THoverPanel*, 3> m_zoomButtons {};
    std::array<THoverPanel*, 9> m_toolButtons {};
    QLineEdit* m_keywordField = nullptr;
    QWidget* m_marker = nullptr;
};
