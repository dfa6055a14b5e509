#pragma once

#include "document/topicdocument.h"

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QPainter;

enum class ScrollDirection { Left, Right, Up, Down };

// One numberable object in numbering order, with the quiz's mark (-1 when the list is built).
struct NumberingEntry
{
    int mark = -1;
    int object = -1;
};

// Rectangles and points of logical pixels in the device pixels of a bitmap with devicePixelRatio
// ratio: corners are rounded, so that neighbouring rectangles meet without gap or overlap.
QRect toDevicePixels(const QRect& logical, double ratio);
QPoint toDevicePixels(const QPoint& logical, double ratio);
// The smallest rectangle of logical pixels that covers device pixels.
QRect toLogicalPixels(const QRect& device, double ratio);
// An opaque copy of sourceRect (device pixels) to targetPos in target; parts outside either
// bitmap are left out.
void copyDevicePixels(const QImage& source, const QRect& sourceRect, QImage& target, const QPoint& targetPos);

// Asked at every paint of a bitmap drawn for one device pixel ratio: true once when the screen
// it is shown on has another (the window moved to another screen, or the desktop's scale
// changed), so that the bitmap is drawn again once.
class PixelRatioWatch
{
public:
    bool changed(double bitmapRatio, double screenRatio)
    {
        const bool other = !qFuzzyCompare(bitmapRatio, screenRatio);
        const bool isNew = other && !m_reported;
        m_reported = other;
        return isNew;
    }

private:
    bool m_reported = false;
};

// The frame a worksheet draws around an answer box for handwriting: wider than the box on the
// side away from its point (placement as KAusrAkt), a little larger all round, and kept inside
// the picture's margin of target.
QRect worksheetAnswerFrame(const QRect& box, int placement, QSize target);

// The learning card: the open topic's picture enlarged by its margins with every object drawn
// on it, kept in bitmaps the card view owns, and the part of it that is shown. It is no widget:
// the window shows viewBitmap, exports and zeptool save it, the worksheet draws through it.
//
// Card fractions: x and y as parts (0..1) of the card's width and height. Sizes marked "× s" in
// the drawing rules are multiplied by cardScale, which follows the view width and the zoom.
class CardView
{
public:
    static constexpr std::array<double, 5> zoomFactors {1.0, 1.25, 1.5, 1.75, 2.0};
    // The card's background where the view is larger than the card.
    static inline const QColor controlColour {174, 194, 212};

    // The document is not owned; it must outlive the card view.
    explicit CardView(TopicDocument& document);

    TopicDocument& document() const { return m_document; }

    // The image control the view is shown in: viewBitmap is at most this size.
    QSize controlSize {870, 600};
    // Device pixels per logical pixel of the screen the card is shown on (2 at 200 % scaling).
    // The bitmaps have that many pixels to each logical pixel and carry the ratio, so that
    // texts, discs and lines are drawn at the screen's pixels; every position and size on the
    // card stays in logical pixels. Takes effect at the next redrawCard().
    double devicePixelRatio = 1.0;
    // A bitmap's size in logical pixels.
    static QSize logicalSize(const QImage& bitmap);
    // What the view shows, one pixel to each logical pixel: saved views, the clipboard and
    // zeptool keep the card's logical size whatever the screen.
    QImage viewAtLogicalSize() const;
    // Top-left corner of viewBitmap inside the image control (it is centred there).
    QPoint bitmapOrigin() const;
    // Folder of the quiz pictures (euromuenzen/), with a trailing separator.
    QString pictureFolder;

    // What the card is used for; the numbers are the program's own modes.
    enum class Mode { LearningCard = 2, Quiz = 3 };
    // View state.
    Mode cardMode = Mode::LearningCard;
    int zoomIndex = 0;
    double zoomFactor = 1.0;
    std::array<double, 4> viewWindow {0, 0, 1, 1}; // left, top, right, bottom
    QPoint viewportOrigin;
    double viewAspect = 1.0;
    double cardScale = 1.0;
    std::array<bool, 3> layers {true, true, true}; // " Illustration ", " Beschriftung ", " Infopunkte "
    // How the covers are numbered; the values are those of the menu's and the tool bar's order.
    enum class Numbering { QuestionMarks = 0, Ordered = 1, Random = 2 };
    Numbering numberingMode = Numbering::Ordered;
    // Whether a draw of every object on the bare card erases each object's box from the draw
    // before (which takes away whatever an earlier object drew there) or draws the objects
    // afresh, so that the same objects always give the same card, however they were drawn
    // before. The topic editor draws afresh, and only such a card can be drawn in part
    // (redrawChangedObject).
    bool drawsAfresh = false;
    // Quiz state the drawing needs: the object asked for when the quiz shows one marked
    // position (-1 for none).
    int askedObject = -1;

    // The card's bitmaps, 32-bit ARGB at devicePixelRatio.
    QImage sceneBitmap; // the whole card at the current zoom, objects and committed drawings
    QImage backgroundBitmap; // the card picture before any object was drawn
    QImage objectsBitmap; // sceneBitmap right after all objects were drawn
    QImage cleanViewBitmap; // the visible window of objectsBitmap
    QImage viewBitmap; // what the user sees and draws on

    // Called when viewBitmap changed and the image control should repaint.
    std::function<void()> refreshView;
    // Called after every composition of the view (the quiz marker follows it).
    std::function<void()> viewComposed;
    // Called during a quiz after object index was drawn and copied into the view, so that the
    // quiz panel's copy of the card takes that box over. A whole-card redraw does not call it
    // per object: whoever redraws the card rebuilds the copy once.
    std::function<void(int index)> quizObjectDrawn;
    // Called with the program's message when a quiz picture cannot be read.
    std::function<void(const QString&)> reportError;

    // Rebuilds every bitmap: after loading, on a change of zoom, layers or control size.
    void redrawCard();
    // Draws the picture with its white margins, fitted into the available size at factor,
    // into target (which it sizes). Returns the visible fractions (0, 0, right, bottom).
    std::array<double, 4> buildExtendedPicture(
        QImage& target, int availableWidth, int availableHeight, double factor) const;
    // Where buildExtendedPicture would draw: the size of its target and the visible part of the
    // extended picture, without drawing anything.
    struct ExtendedPictureGeometry
    {
        QSize size;
        std::array<double, 4> visible; // fractions (0, 0, right, bottom)
        QRectF pictureRect; // the picture inside the target
    };
    ExtendedPictureGeometry extendedPictureGeometry(int availableWidth, int availableHeight, double factor) const;
    // How drawObject draws. Without either worksheet flag it draws the object as the card shows
    // it; the worksheet asks for the frames to write in, the answers in red, or both.
    enum class DrawFlag {
        WorksheetFrame = 0x1, // a frame for handwriting around the answer's box
        WorksheetAnswer = 0x2, // the answer in red (without the frame: the overlay)
        LeaderLine = 0x4, // the line from the designated point to the anchor
        CopyToView = 0x8, // the box goes into the view bitmaps as well
        Refresh = 0x10, // the image control repaints afterwards
    };
    Q_DECLARE_FLAGS(DrawFlags, DrawFlag)

    // Where object index goes on a target of targetSize (logical pixels) and what it shows
    // there, worked out without drawing or changing anything.
    struct ObjectLayout
    {
        bool drawable = false; // false: on a layer or page not drawn now; nothing else is set
        bool shown = false; // drawn and hit; false: the box keeps no size
        int placement = 1; // the box beside its anchor: 1 right, 2 above, 3 left, 4 below
        QPoint point; // the designated point, where the leader line starts
        QPoint anchor;
        QRect box;
        QString text; // the text as drawn (a question without its picture tag)
        QString pictureName; // a question's picture
        QFont font;
        int characterHeight = 0;
        int textFlags = 0;
        int textWidth = 0;
        int textHeight = 0;
        int textOffset = 0; // of the text inside the box
    };
    ObjectLayout layoutObject(int index, QSize targetSize) const;

    // Draws object index onto target (the scene, or a worksheet's picture), after erasing its
    // previous box when drawing for the card, and keeps where its box went (storeLayout).
    void drawObject(QImage& target, int index, DrawFlags flags);
    // Draws object index again on the card and shows it in the view: a click on a cover, a quiz
    // marking a target right or wrong.
    void redrawObject(int index);
    void drawAllObjects(DrawFlags flags);
    void redrawObjects();
    // An object the teacher drags: the card without it is drawn once, and each step of the move
    // draws it over that copy, so that a step costs one object, not the whole card. While it
    // moves it lies over the others; ending the move draws every object in its order again.
    // The card after one object changed (moved, edited, added, removed): the picture
    // redrawObjects would draw, but only the part the object reached before and reaches now is
    // drawn again, with every object reaching into it, in its order. Anything else that changed
    // since the last draw needs redrawObjects or redrawCard. Only a card that draws afresh (see
    // drawsAfresh) is drawn in part; any other is drawn whole.
    void redrawChangedObject(int index);
    void redrawInsertedObject(int index);
    void redrawRemovedObject(int index);
    void beginMovingObject(int index);
    void redrawMovingObject();
    void endMovingObject();
    int movingObject() const { return m_movingObject; }
    bool isLayerVisible(int index) const;
    int autoPlacement(int index) const;
    // A 36-point disc filling rect, with text centred in the painter's current font.
    static void drawDisc(
        QPainter& painter, const QRect& rect, const QColor& outline, const QString& text, const QColor& fill);
    void copyBoxToViews(int index);
    // The box of object index in viewBitmap pixels, clipped to the view; empty for an object
    // without a box or outside the view.
    QRect viewBoxOf(int index) const;

    // The cover label of object index: "?" or its number in digits or letters.
    QString coverLabelText(int index) const;

    // The numberable objects (labels and cloze gaps; answers of single questions) in numbering
    // order: as they come (question marks), ordered by position or caption, or at random. Sets
    // each object's displayNumber; drawing is left to the caller.
    void applyNumbering(Numbering mode);
    QList<NumberingEntry> numberingList;

    // Zoom and view window. setZoom returns false when the index did not change; it redraws
    // the card on the learning card.
    bool setZoom(int index);
    bool zoomIn();
    bool zoomOut();
    void scrollBy(ScrollDirection direction);
    // Moves the view window by pixels of sceneBitmap (a pan step). Drawings are committed once,
    // by the caller, when the pan starts.
    void panBy(int dx, int dy);
    void commitDrawings();
    void removeAllDrawings();
    void composeView();

    // The first object in list order whose box holds the control pixel (x, y), on a visible layer
    // and of a clickable kind; -1 for none. Boxes hold their left and top edge, not the right
    // and bottom one.
    int hitTest(double x, double y) const;
    // Covers an uncovered label and uncovers a covered one, redrawing only its box.
    void toggleCover(int index);
    void coverAll();
    void uncoverAll();
    // The question-page navigator (object kinds 12..16): the page it leads to from the current
    // one; the random page differs from the current one whenever there are two or more.
    int pageAfterNavigator(qint32 kind) const;
    // Shows page and redraws the objects.
    void showPage(int page);

    // The quiz's marker: an object's point, anchor or box, in pixels of the image control; null
    // when nothing is marked or no quiz runs. The values are the quiz panel's part numbers.
    enum class MarkedPart { None = -1, Point = 0, Anchor = 1, Box = 2 };
    int markedObject = -1;
    MarkedPart markedPart = MarkedPart::None;
    QRect markerRect() const;

    // Drawing tools on the view, numbered as the tool bar's buttons and the "Werkzeug" menu's
    // items; the keyword's field belongs to the window.
    enum class Tool { Pointer = 1, Hand, RedPen, YellowMarker, GreenMarker, Eraser, Tick, Cross, Keyword };
    Tool currentTool = Tool::Pointer;
    // The last mouse point in viewBitmap pixels; (-1, -1) until the mouse was over the card.
    QPoint lastPoint {-1, -1};
    bool glyphStamped = false;
    // The pen goes to the last point before a move draws, so a stroke starts where the mouse was.
    void movePenToLastPoint() { m_penPosition = lastPoint; }
    // After a topic is loaded: no last point, so that the first stroke starts where it is made.
    void forgetLastPoint() { lastPoint = m_penPosition = QPoint(-1, -1); }
    // Draws with the current tool at the control pixel (x, y) when the left button is down.
    void drawToolAt(bool leftButtonDown, int x, int y);
    // Writes a keyword onto the view with its top-left corner at a viewBitmap pixel.
    void drawKeyword(const QString& text, const QFont& font, const QColor& colour, const QPoint& topLeft);

    // Pixels of the image control and card fractions.
    QPointF viewToCard(double x, double y) const;
    QPoint cardToView(double cardX, double cardY) const;

    // Scene pixel of a card point.
    QPoint scenePoint(double cardX, double cardY) const;

private:
    void keepWindowInside();
    QRect boxPixels(const DocObject& object) const;
    // Whether a draw for the card first erases the object's previous box.
    bool erasesPreviousBox(const DocObject& o, bool forCard) const;
    // The part of the scene a draw of object index with layout touches (logical pixels).
    QRect reachOf(int index, const ObjectLayout& layout, bool erases, bool leaderLine) const;
    // Draws the objects (all but leaveOut) on a scene that holds only the card's background.
    void drawOnCleanCard(int leaveOut = -1);
    // Whether the scene is drawn with every one of knownObjects objects in its known reach.
    bool canRedrawPart(qsizetype knownObjects) const;
    // Draws area of the scene again from the card's background, with every object reaching into
    // it and the object changed, and shows the result.
    void redrawPart(QRect area, int changed);
    // The one step in which drawing changes the document: the placement worked out for a
    // damaged or automatic one (KAusrAkt) and where the box went (boxRect and the sizes the
    // placement rules use), for hit tests, drop targets and the worksheet.
    void storeLayout(int index, const ObjectLayout& layout);
    void paintObject(QPainter& painter, int index, const ObjectLayout& layout, DrawFlags flags, QSize targetSize);
    // Top-left corner of a view of logical size view inside the image control.
    QPoint originFor(QSize view) const;
    // A new bitmap of logical size at the card's device pixel ratio.
    QImage newBitmap(QSize size) const;
    // Copies box (logical pixels of the scene) from one scene-sized bitmap into to, shifted by
    // shift (the view's origin for the view bitmaps).
    void copyBox(const QImage& from, const QRect& box, QImage& to, QPoint shift = {}) const;
    void drawDecoration(QPainter& painter, int index, const QRect& box, int textWidth, int textHeight, int textOffset);
    void drawQuestionPicture(QPainter& painter, const QString& name);

    TopicDocument& m_document;
    QString m_failedPicture; // a missing quiz picture is reported once, not at every redraw
    QPoint m_penPosition {-1, -1};
    int m_movingObject = -1;
    QImage m_sceneWithoutMoving;
    // Per object, the part of the scene its last draw there touched.
    std::vector<QRect> m_reach;
    // The scene being drawn holds only the background (and drawsAfresh is set).
    bool m_cleanCard = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CardView::DrawFlags)
