#include "cardview.h"

#include "cardview/cardtext.h"
#include "cardview/markup.h"
#include "common/filemessages.h"
#include "common/randomgenerator.h"
#include "common/rounding.h"
#include "document/cardgeometry.h"
#include "document/questiontags.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

const QColor coverFill(202, 228, 255);
const QColor coverOutline(70, 125, 187);
const QColor infoFill(0, 95, 253);
const QColor linkFill(164, 53, 47);
const QColor documentFill(41, 152, 74);
const QColor navigatorFill(0, 0, 255);
const QColor quizButtonFill(192, 192, 192);
const QColor targetFill(236, 236, 232);
const QColor inactiveTargetFill(208, 208, 208);
const QColor inactiveTargetOutline(176, 176, 176);
const QColor tickColour(0, 196, 0);
const QColor crossColour(220, 0, 0);
const QColor solutionColour(255, 0, 0);

// The card rounds halves away from zero: every box, disc and line of every topic was laid out
// so, and the worksheet's overlay lines up with its sheet by the same pixels.
int rounded(double value)
{
    return roundHalfAwayFromZero(value);
}

// Disc outlines are the fill darkened: 70 % of it mixed with 30 % black.
QColor discOutline(const QColor& fill)
{
    return QColor(rounded(fill.red() * 0.7), rounded(fill.green() * 0.7), rounded(fill.blue() * 0.7));
}

// An object's text and leader line: cloze gaps in blue, everything else in black.
QColor textColourOf(const DocObject& object)
{
    return object.Typ == ObjectKind::ClozeGap ? QColor(0, 0, 255) : QColor(Qt::black);
}

bool isPageObject(qint32 kind)
{
    return kind >= ObjectKind::Answer && kind <= ObjectKind::PageText;
}

bool isButtonKind(qint32 kind)
{
    return kind == ObjectKind::InfoPoint || kind == ObjectKind::WebLink || kind == ObjectKind::DocumentLink
        || (kind >= ObjectKind::PagePrevious && kind <= ObjectKind::PageRandom);
}

// Kinds the card knows how to draw; others run through placement only.
bool isKnownKind(qint32 kind)
{
    return (kind >= ObjectKind::Label && kind <= ObjectKind::DocumentLink)
        || (kind >= ObjectKind::Answer && kind <= ObjectKind::PageText);
}

} // namespace

QRect toDevicePixels(const QRect& logical, double ratio)
{
    if (ratio == 1.0)
        return logical;
    const QPoint topLeft(rounded(logical.left() * ratio), rounded(logical.top() * ratio));
    const QPoint end(
        rounded((logical.left() + logical.width()) * ratio), rounded((logical.top() + logical.height()) * ratio));
    return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

QPoint toDevicePixels(const QPoint& logical, double ratio)
{
    if (ratio == 1.0)
        return logical;
    return QPoint(rounded(logical.x() * ratio), rounded(logical.y() * ratio));
}

QRect toLogicalPixels(const QRect& device, double ratio)
{
    if (ratio == 1.0)
        return device;
    const int left = int(std::floor(device.left() / ratio));
    const int top = int(std::floor(device.top() / ratio));
    const int right = int(std::ceil((device.left() + device.width()) / ratio));
    const int bottom = int(std::ceil((device.top() + device.height()) / ratio));
    return QRect(left, top, right - left, bottom - top);
}

void copyDevicePixels(const QImage& source, const QRect& sourceRect, QImage& target, const QPoint& targetPos)
{
    QRect from = sourceRect.intersected(source.rect());
    if (from.isEmpty())
        return;
    QPoint to = targetPos + (from.topLeft() - sourceRect.topLeft());
    const QRect into = QRect(to, from.size()).intersected(target.rect());
    if (into.isEmpty())
        return;
    from = QRect(from.topLeft() + (into.topLeft() - to), into.size());
    to = into.topLeft();
    const int bytes = from.width() * 4;
    for (int y = 0; y < from.height(); ++y) {
        const uchar* src = source.constScanLine(from.top() + y) + from.left() * 4;
        uchar* dst = target.scanLine(to.y() + y) + to.x() * 4;
        std::memcpy(dst, src, size_t(bytes));
    }
}

CardView::CardView(TopicDocument& document)
    : m_document(document)
{ }

QSize CardView::logicalSize(const QImage& bitmap)
{
    const qreal ratio = bitmap.devicePixelRatio();
    if (ratio == 1.0)
        return bitmap.size();
    // Sizes are positive: adding a half and cutting off rounds, and it costs less than lround
    // in the pointer's paths, which ask for the size at every step.
    return QSize(int(bitmap.width() / ratio + 0.5), int(bitmap.height() / ratio + 0.5));
}

QImage CardView::newBitmap(QSize size) const
{
    QImage bitmap(toDevicePixels(QRect(QPoint(), size), devicePixelRatio).size(), QImage::Format_ARGB32);
    bitmap.setDevicePixelRatio(devicePixelRatio);
    return bitmap;
}

void CardView::copyBox(const QImage& from, const QRect& box, QImage& to, QPoint shift) const
{
    // Above one device pixel per logical pixel a line of one logical pixel is wider than one
    // device pixel and lies across the box's edge: the pixels around it go with the box.
    const int around = devicePixelRatio == 1.0 ? 0 : int(std::ceil(devicePixelRatio / 2));
    const QRect device = toDevicePixels(box, devicePixelRatio).adjusted(-around, -around, around, around);
    copyDevicePixels(from, device, to, device.topLeft() - toDevicePixels(shift, devicePixelRatio));
}

QImage CardView::viewAtLogicalSize() const
{
    if (viewBitmap.devicePixelRatio() == 1.0)
        return viewBitmap;
    QImage logical = viewBitmap.scaled(logicalSize(viewBitmap), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    logical.setDevicePixelRatio(1.0);
    return logical;
}

QPoint CardView::bitmapOrigin() const
{
    // The image control centres its bitmap.
    return originFor(logicalSize(viewBitmap));
}

QPoint CardView::originFor(QSize view) const
{
    return QPoint(
        qMax(0, (controlSize.width() - view.width()) / 2), qMax(0, (controlSize.height() - view.height()) / 2));
}

QPoint CardView::scenePoint(double cardX, double cardY) const
{
    const QSize scene = logicalSize(sceneBitmap);
    return QPoint(rounded(cardX * scene.width()), rounded(cardY * scene.height()));
}

CardView::ExtendedPictureGeometry CardView::extendedPictureGeometry(
    int availableWidth, int availableHeight, double factor) const
{
    availableWidth = qMax(1, availableWidth);
    availableHeight = qMax(1, availableHeight);
    const CardFrame card = cardFrame(m_document.picture.size(), m_document.RandErw);
    const int width = card.size.width();
    const int height = card.size.height();

    int fittedWidth;
    int fittedHeight;
    if (double(height) / availableHeight > double(width) / availableWidth) {
        fittedHeight = availableHeight;
        fittedWidth = qMax(1, rounded(double(availableHeight) * width / height));
    } else {
        fittedWidth = availableWidth;
        fittedHeight = qMax(1, rounded(double(availableWidth) * height / width));
    }
    const int targetWidth = qMax(1, qMin(rounded(fittedWidth * factor), availableWidth));
    const int targetHeight = qMax(1, qMin(rounded(fittedHeight * factor), availableHeight));
    const double visibleWidth = qMin(width / factor * targetWidth / fittedWidth, double(width));
    const double visibleHeight = qMin(height / factor * targetHeight / fittedHeight, double(height));

    // The white margins and the picture are stretched together, as one extended picture would be,
    // without building that picture: only its visible part is drawn.
    const double scaleX = targetWidth / visibleWidth;
    const double scaleY = targetHeight / visibleHeight;
    const QRectF pictureRect(card.pictureOffset.x() * scaleX, card.pictureOffset.y() * scaleY,
        card.pictureSize.width() * scaleX, card.pictureSize.height() * scaleY);
    return {QSize(targetWidth, targetHeight), {0, 0, visibleWidth / width, visibleHeight / height}, pictureRect};
}

std::array<double, 4> CardView::buildExtendedPicture(
    QImage& target, int availableWidth, int availableHeight, double factor) const
{
    const ExtendedPictureGeometry geometry = extendedPictureGeometry(availableWidth, availableHeight, factor);
    // At a device pixel ratio above 1 the picture goes from its own pixels to the device's in
    // one smooth step.
    target = newBitmap(geometry.size);
    target.fill(Qt::white);
    if (!m_document.picture.isNull()) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(geometry.pictureRect, m_document.picture);
    }
    return geometry.visible;
}

void CardView::redrawCard()
{
    // Everything is drawn afresh: a move under way starts over from the new card.
    m_movingObject = -1;
    m_sceneWithoutMoving = QImage();
    // Only the fitted picture's size and visible part matter here; the scene is drawn once below.
    const ExtendedPictureGeometry fitted
        = extendedPictureGeometry(controlSize.width(), controlSize.height(), zoomFactor);
    const std::array<double, 4>& visible = fitted.visible;
    const double w = visible[2] - visible[0];
    const double h = visible[3] - visible[1];
    viewAspect = double(fitted.size.width()) / fitted.size.height();

    const double centreX = (viewWindow[0] + viewWindow[2]) / 2;
    const double centreY = (viewWindow[1] + viewWindow[3]) / 2;
    viewWindow[0] = std::clamp(centreX - w / 2, 0.0, qMax(0.0, 1 - w));
    viewWindow[1] = std::clamp(centreY - h / 2, 0.0, qMax(0.0, 1 - h));
    viewWindow[2] = viewWindow[0] + w;
    viewWindow[3] = viewWindow[1] + h;

    // The old bitmaps go first, so that the new ones do not add to them at the peak.
    viewBitmap = QImage();
    cleanViewBitmap = QImage();
    backgroundBitmap = QImage();
    objectsBitmap = QImage();
    buildExtendedPicture(
        sceneBitmap, rounded(zoomFactor * fitted.size.width()), rounded(zoomFactor * fitted.size.height()), 1.0);
    // Only the size counts: composeView fills the view.
    viewBitmap = newBitmap(fitted.size);
    cardScale = fitted.size.width() * zoomFactor / 870.0;

    const bool quiz = cardMode == Mode::Quiz;
    if (!layers[0] && !quiz)
        sceneBitmap.fill(Qt::white);

    if (!m_document.lueckentext.isEmpty())
        drawClozeText(sceneBitmap, cardScale, m_document, layers[0] || quiz);
    if (!quiz) {
        for (DocObject& object : m_document.objects) {
            if (object.Typ == ObjectKind::Answer)
                object.coverState = CoverState::Covered;
        }
    }
    int& page = m_document.currentQuestionNumber;
    if (m_document.AnzFrageNummern <= 0)
        page = -1;
    else if (page < 1 || page > m_document.AnzFrageNummern)
        page = 1;

    // The bitmaps share their pixels until one of them is drawn on (QImage copies on write), so
    // a card whose objects leave parts of it unchanged, or a card without objects, costs less.
    backgroundBitmap = sceneBitmap;
    drawOnCleanCard();
    objectsBitmap = sceneBitmap;
    composeView();
}

bool CardView::isLayerVisible(int index) const
{
    if (cardMode == Mode::Quiz)
        return true;
    if (index < 0 || index >= m_document.objects.size())
        return false;
    const qint32 layer = m_document.objects.at(index).Ebene;
    return layer >= 0 && layer <= 2 && layers[size_t(layer)];
}

int CardView::autoPlacement(int index) const
{
    const DocObject& o = m_document.objects.at(index);
    const double dx = o.Kx - o.Sx;
    const double dy = (o.Ky - o.Sy) / (viewAspect > 0 ? viewAspect : 1.0);
    if (std::abs(dy) > std::abs(dx))
        return dy < 0 ? 2 : 4;
    return dx >= 0 ? 1 : 3;
}

QString CardView::coverLabelText(int index) const
{
    const DocObject& o = m_document.objects.at(index);
    return coverNumberText(o.displayNumber, m_document.NumArt);
}

void CardView::drawDisc(
    QPainter& painter, const QRect& rect, const QColor& outline, const QString& text, const QColor& fill)
{
    // Corners as Windows gives them: right and bottom lie just outside the rectangle.
    const double left = rect.left();
    const double top = rect.top();
    const double right = rect.left() + rect.width();
    const double bottom = rect.top() + rect.height();
    const double cx = (left + right - 1) / 2;
    const double cy = (top + bottom - 1) / 2;
    const double rx = cx - left;
    const double ry = cy - top;
    QPolygonF polygon;
    polygon.reserve(37);
    for (int k = 0; k < 36; ++k) {
        const double angle = 2 * M_PI * k / 36;
        polygon << QPointF(cx + rx * std::cos(angle), cy + ry * std::sin(angle));
    }
    polygon << polygon.first();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(polygon);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(outline, 1));
    painter.drawPolyline(polygon);
    painter.restore();

    if (text.isEmpty())
        return;
    const QFontMetrics metrics(painter.font());
    const int x = rounded((left + right) / 2);
    const int y = rounded((top + bottom - metrics.height()) / 2);
    const int width = metrics.horizontalAdvance(text);
    painter.drawText(
        QRect(x - width / 2, y, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

QRect CardView::boxPixels(const DocObject& object) const
{
    const QSize scene = logicalSize(sceneBitmap);
    const int width = scene.width();
    const int height = scene.height();
    const int left = rounded(object.boxRect[0] * width);
    const int top = rounded(object.boxRect[1] * height);
    return QRect(
        QPoint(left, top), QPoint(rounded(object.boxRect[2] * width) - 1, rounded(object.boxRect[3] * height) - 1));
}

void CardView::copyBoxToViews(int index)
{
    if (index < 0 || index >= m_document.objects.size())
        return;
    const DocObject& o = m_document.objects.at(index);
    if (o.boxRect[0] == -1)
        return;
    const QRect box = boxPixels(o);
    copyBox(sceneBitmap, box, objectsBitmap);
    copyBox(sceneBitmap, box, cleanViewBitmap, viewportOrigin);
    copyBox(sceneBitmap, box, viewBitmap, viewportOrigin);
}

QRect CardView::viewBoxOf(int index) const
{
    if (index < 0 || index >= m_document.objects.size())
        return {};
    const DocObject& o = m_document.objects.at(index);
    if (o.boxRect[0] == -1)
        return {};
    // The pixels that copyBox takes around the box at a device pixel ratio above one.
    const int around = devicePixelRatio == 1.0 ? 0 : 1;
    return boxPixels(o)
        .adjusted(-around, -around, around, around)
        .translated(-viewportOrigin)
        .intersected(QRect(QPoint(), logicalSize(viewBitmap)));
}

QRect worksheetAnswerFrame(const QRect& box, int placement, QSize target)
{
    const int d = rounded(0.18 * box.width());
    QRect frame = box;
    if (placement == 1)
        frame.setRight(frame.right() + 2 * d);
    else if (placement == 3)
        frame.setLeft(frame.left() - 2 * d);
    else
        frame.adjust(-d, 0, d, 0);
    const int growX = rounded(0.01 * target.width());
    const int growY = rounded(0.1 * box.height());
    frame.adjust(-growX, -growY, growX, growY);
    const QRect limits(QPoint(rounded(0.005 * target.width()), rounded(0.005 * target.height())),
        QPoint(rounded(0.995 * target.width()), rounded(0.995 * target.height())));
    return frame.intersected(limits);
}

CardView::ObjectLayout CardView::layoutObject(int index, QSize targetSize) const
{
    ObjectLayout layout;
    if (index < 0 || index >= m_document.objects.size() || !isLayerVisible(index))
        return layout;
    const DocObject& o = m_document.objects.at(index);
    layout.drawable = true;

    const double s = cardScale;
    const auto scaled = [s](double size) { return rounded(size * s); };
    const bool quiz = cardMode == Mode::Quiz;
    const bool onPage = o.FrageNummer == m_document.currentQuestionNumber;

    // Placements come from files: anything but 1..4 is worked out, so that a damaged value
    // cannot put the box somewhere no rule describes.
    const auto isPlacement = [](qint32 value) { return value >= 1 && value <= 4; };
    layout.placement = isPlacement(o.KAusrAkt) ? o.KAusrAkt : isPlacement(o.KAusr) ? o.KAusr : autoPlacement(index);

    // Box size and the text's offset in it.
    layout.text = o.Cap;
    layout.characterHeight = scaled(o.Fsize * 2 + 22);
    layout.textFlags = cardTextFlags(o.TAusr, false);
    layout.shown = isKnownKind(o.Typ);
    if ((o.Typ == ObjectKind::Answer || o.Typ == ObjectKind::PageText) && (!onPage || quiz))
        layout.shown = false;
    if (o.Typ == ObjectKind::QuestionText && !onPage)
        layout.shown = false;
    int w = 0;
    int h = 0;
    if (!layout.shown) {
        // Neither drawn nor hit: the box keeps no size.
    } else if (isButtonKind(o.Typ)) {
        w = h = scaled(30);
    } else {
        if (o.Typ == ObjectKind::QuestionText) {
            const ImageTagCut cut
                = cutImageTag(expandQuestionTags(layout.text) + QStringLiteral("\r\n\r\n\r\n\r\n\r\n\r\n"));
            layout.text = cut.text;
            layout.pictureName = cut.name;
            layout.characterHeight = scaled(21);
            layout.textFlags = cardTextFlags(o.TAusr, true);
        }
        layout.font = cardFont(layout.characterHeight);
        const int wrapWidth = targetSize.width() - 2 * scenePoint(o.Kx, o.Ky).x();
        const QRect measured = measureCardText(layout.font, layout.text, layout.textFlags, wrapWidth);
        layout.textWidth = measured.width();
        layout.textHeight = measured.height();
        if (o.coverState == CoverState::Open) {
            w = h = scaled(30);
        } else if (o.coverState == CoverState::Solved || o.coverState == CoverState::Crossed) {
            w = 34;
            h = 38;
        } else {
            w = qMax(layout.textWidth, scaled(30));
            h = layout.textHeight + 4;
            if (o.Typ != ObjectKind::ClozeGap && !layout.text.isEmpty()) {
                if (layout.placement == 3)
                    layout.textOffset = w - layout.textWidth;
                else if (layout.placement == 2 || layout.placement == 4)
                    layout.textOffset = (w - layout.textWidth) / 2;
            }
        }
        if ((o.Typ == ObjectKind::Label || o.Typ == ObjectKind::FixedText) && layout.text.isEmpty())
            w = h = 0;
    }

    // Box position from the anchor.
    layout.point = scenePoint(o.Sx, o.Sy);
    layout.anchor = scenePoint(o.Kx, o.Ky);
    const QPoint anchor = layout.anchor;
    QPoint topLeft;
    switch (layout.placement) {
    case 2:
        topLeft = QPoint(anchor.x() - rounded(w / 2.0), anchor.y() - h - scaled(2));
        break;
    case 3:
        topLeft = QPoint(anchor.x() - w - scaled(7), anchor.y() - rounded(h / 2.0));
        break;
    case 4:
        topLeft = QPoint(anchor.x() - rounded(w / 2.0), anchor.y() + scaled(2));
        break;
    default:
        topLeft = QPoint(anchor.x() + scaled(7), anchor.y() - rounded(h / 2.0));
        break;
    }
    if (o.Typ == ObjectKind::QuestionText)
        topLeft = QPoint(3 + cardToView(0.1, 0).x() - bitmapOrigin().x(), anchor.y() - rounded(h / 2.0));
    layout.box = QRect(topLeft, QSize(w, h));
    return layout;
}

void CardView::storeLayout(int index, const ObjectLayout& layout)
{
    DocObject& o = m_document.objects[index];
    o.KAusrAkt = layout.placement;
    const QRect& box = layout.box;
    const QSize scene = logicalSize(sceneBitmap);
    const double sceneWidth = qMax(1, scene.width());
    const double sceneHeight = qMax(1, scene.height());
    o.boxRect = {box.left() / sceneWidth, box.top() / sceneHeight, (box.left() + box.width()) / sceneWidth,
        (box.top() + box.height()) / sceneHeight};
    o.boxPixelLeft = box.left();
    o.boxPixelTop = box.top();
    o.boxWidth = (rounded(box.width() / 2.0) + rounded(7 * cardScale)) / sceneWidth;
    o.boxHeight = (rounded(box.height() / 2.0) + rounded(2 * cardScale)) / sceneHeight;
}

void CardView::paintObject(QPainter& painter, int index, const ObjectLayout& layout, DrawFlags flags, QSize targetSize)
{
    const DocObject& o = m_document.objects.at(index);
    if (!layout.shown)
        return;
    const bool quiz = cardMode == Mode::Quiz;
    const bool onPage = o.FrageNummer == m_document.currentQuestionNumber;
    const bool forCard = !(flags & (DrawFlag::WorksheetFrame | DrawFlag::WorksheetAnswer));
    const QColor textColour = textColourOf(o);
    const QRect& box = layout.box;

    const bool worksheetKind
        = o.Typ == ObjectKind::Label || o.Typ == ObjectKind::ClozeGap || o.Typ == ObjectKind::Answer;
    if (worksheetKind && (flags & DrawFlag::WorksheetFrame)) {
        const QRect frame = worksheetAnswerFrame(box, layout.placement, targetSize);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(1, 1, -2, -2));
    }
    if (worksheetKind && (flags & DrawFlag::WorksheetAnswer)) {
        painter.setFont(cardFont(layout.characterHeight));
        painter.setPen(solutionColour);
        drawCardText(painter, box.translated(layout.textOffset, 2), layout.text, cardTextFlags(o.TAusr, false));
    }

    bool drawText = o.Typ == ObjectKind::FixedText;
    if (forCard) {
        const bool uncovered = o.coverState == CoverState::Uncovered;
        drawText = drawText || ((o.Typ == ObjectKind::Label || o.Typ == ObjectKind::ClozeGap) && uncovered)
            || (o.Typ == ObjectKind::Answer && onPage && uncovered && !quiz)
            || (o.Typ == ObjectKind::QuestionText && onPage) || (o.Typ == ObjectKind::PageText && onPage && !quiz);
    }
    if (drawText && !isButtonKind(o.Typ)) {
        painter.setFont(layout.font);
        painter.setPen(textColour);
        drawCardText(painter, box.translated(layout.textOffset, 2), layout.text, layout.textFlags);
        if (quiz && o.Typ == ObjectKind::QuestionText && !layout.pictureName.isEmpty())
            drawQuestionPicture(painter, layout.pictureName);
    }

    if (forCard)
        drawDecoration(painter, index, box, layout.textWidth, layout.textHeight, layout.textOffset);
}

bool CardView::erasesPreviousBox(const DocObject& o, bool forCard) const
{
    if (m_cleanCard)
        return false;
    const bool onPage = o.FrageNummer == m_document.currentQuestionNumber;
    const bool singleQuestions = m_document.DokTyp == DocType::SingleQuestions;
    return forCard && o.boxRect[0] != -1 && !(isPageObject(o.Typ) && !onPage)
        && !(singleQuestions && cardMode == Mode::Quiz);
}

QRect CardView::reachOf(int index, const ObjectLayout& layout, bool erases, bool leaderLine) const
{
    // Text may lean a little past its measured box; ticks and crosses are glyphs of a fixed size
    // centred near the box's corner. The margin takes in whatever is drawn beside the box.
    const auto state = m_document.objects.at(index).coverState;
    const int around = state == CoverState::Solved || state == CoverState::Crossed ? 48 : 4;
    const int margin = qMax(around, rounded(around * cardScale));
    QRect reach = layout.box.adjusted(-margin, -margin, margin, margin);
    if (leaderLine)
        reach |= QRect(layout.point, layout.anchor).normalized().adjusted(-2, -2, 2, 2);
    // The copy of an erased box takes the device pixels around it as well.
    if (erases)
        reach |= boxPixels(m_document.objects.at(index)).adjusted(-2, -2, 2, 2);
    return reach;
}

void CardView::drawObject(QImage& target, int index, DrawFlags flags)
{
    if (index < 0 || index >= m_document.objects.size() || target.isNull())
        return;
    const DocObject& o = m_document.objects.at(index);
    const bool quiz = cardMode == Mode::Quiz;
    const bool forCard = !(flags & (DrawFlag::WorksheetFrame | DrawFlag::WorksheetAnswer));
    if ((!forCard || quiz) && o.Ebene == 2)
        return;
    const QSize targetSize = logicalSize(target);
    const ObjectLayout layout = layoutObject(index, targetSize);
    if (!layout.drawable)
        return;

    QPainter painter(&target);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const bool leaderLine = o.Sline == 1 && (flags & DrawFlag::LeaderLine)
        && !((flags & DrawFlag::WorksheetAnswer) && !(flags & DrawFlag::WorksheetFrame));
    const bool erases = erasesPreviousBox(o, forCard);
    if (&target == &sceneBitmap && index < int(m_reach.size()))
        m_reach[size_t(index)] = reachOf(index, layout, erases, leaderLine);

    // Erase the box of the previous state.
    if (erases) {
        const QRect old = boxPixels(o);
        copyBox(backgroundBitmap, old, target);
        if (quiz && &target == &sceneBitmap) {
            copyBox(sceneBitmap, old, objectsBitmap);
            copyBox(sceneBitmap, old, cleanViewBitmap, viewportOrigin);
            copyBox(sceneBitmap, old, viewBitmap, viewportOrigin);
        }
    }

    // Leader line from the designated point to the anchor; the overlay has none.
    if (leaderLine) {
        painter.save();
        // At a fractional pixel ratio an aliased line of one logical pixel alternates between one
        // and two device pixels and looks dotted; smoothed, it keeps an even weight. At whole
        // ratios the line stays as sharp as it always was.
        const double ratio = target.devicePixelRatio();
        painter.setRenderHint(QPainter::Antialiasing, ratio != std::floor(ratio));
        painter.setPen(QPen(textColourOf(o), 1));
        painter.drawLine(layout.point, layout.anchor);
        painter.restore();
    }

    storeLayout(index, layout);
    paintObject(painter, index, layout, flags, targetSize);
    painter.end();

    if (flags & DrawFlag::CopyToView)
        copyBoxToViews(index);
    if ((flags & DrawFlag::Refresh) && refreshView)
        refreshView();
    if ((flags & DrawFlag::CopyToView) && quiz && quizObjectDrawn)
        quizObjectDrawn(index);
}

void CardView::drawQuestionPicture(QPainter& painter, const QString& name)
{
    // Windows-made topics may name the picture with either separator.
    const QString path = pictureFolder + QString(name).replace(u'\\', u'/');
    QImage picture(path);
    if (picture.isNull()) {
        if (reportError && m_failedPicture != path)
            reportError(pictureNotFoundText(path));
        m_failedPicture = path;
        return;
    }
    // The point is a point of the image control; the bitmap lies centred in it. On a bitmap with
    // more device pixels than logical ones the picture is enlarged smoothly from its own pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(cardToView(0.1, 0.35) + QPoint(6, 0) - bitmapOrigin(), picture);
}

void CardView::drawDecoration(
    QPainter& painter, int index, const QRect& box, int textWidth, int textHeight, int textOffset)
{
    const DocObject& o = m_document.objects.at(index);
    const double s = cardScale;
    const auto scaled = [s](double size) { return rounded(size * s); };
    const bool quiz = cardMode == Mode::Quiz;
    const bool onPage = o.FrageNummer == m_document.currentQuestionNumber;

    if (o.Typ == ObjectKind::InfoPoint || o.Typ == ObjectKind::WebLink || o.Typ == ObjectKind::DocumentLink) {
        static const QString captions[] = {QStringLiteral("Info"), QStringLiteral("Link"), QStringLiteral("Dok.")};
        static const QColor fills[] = {infoFill, linkFill, documentFill};
        const int kind = o.Typ == ObjectKind::InfoPoint ? 0 : o.Typ == ObjectKind::WebLink ? 1 : 2;
        const QColor fill = quiz ? quizButtonFill : fills[kind];
        painter.setFont(cardFont(scaled(12), true));
        painter.setPen(Qt::white);
        drawDisc(painter, box, discOutline(fill), captions[kind], fill);
        return;
    }
    if (o.Typ == ObjectKind::ClozeGap && o.coverState != CoverState::Covered) {
        const int width = qMax(textWidth, scaled(30));
        const int height = textHeight + 4;
        QPoint topLeft;
        switch (o.KAusrAkt) {
        case 2:
            topLeft = scenePoint(o.Kx, o.Ky) + QPoint(-rounded(width / 2.0), -height - scaled(2));
            break;
        case 3:
            topLeft = scenePoint(o.Kx, o.Ky) + QPoint(-width - scaled(7), -rounded(height / 2.0));
            break;
        case 4:
            topLeft = scenePoint(o.Kx, o.Ky) + QPoint(-rounded(width / 2.0), scaled(2));
            break;
        default:
            topLeft = scenePoint(o.Kx, o.Ky) + QPoint(scaled(7), -rounded(height / 2.0));
            break;
        }
        topLeft += QPoint(textOffset, 2);
        const int y = topLeft.y() + height - 4;
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(topLeft.x(), y, topLeft.x() + width - 1, y);
        return;
    }
    if (o.Typ >= ObjectKind::PagePrevious && o.Typ <= ObjectKind::PageRandom) {
        if (quiz)
            return;
        static const QString symbols[] = {
            QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("|<"), QStringLiteral(">|"), QStringLiteral("?")};
        painter.setFont(cardFont(scaled(16), true));
        painter.setPen(Qt::white);
        drawDisc(painter, box, discOutline(navigatorFill), symbols[o.Typ - ObjectKind::PagePrevious], navigatorFill);
        return;
    }

    const bool coveredLabel = o.coverState == CoverState::Covered
        && (o.Typ == ObjectKind::Label || o.Typ == ObjectKind::ClozeGap
            || (o.Typ == ObjectKind::Answer && onPage && !quiz));
    if (coveredLabel) {
        painter.setPen(QPen(coverOutline, 1));
        painter.setBrush(coverFill);
        if (box.width() > 0 && box.height() > 0)
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setBrush(Qt::NoBrush);
        if (box.height() >= 1) {
            // The question mark shrinks until it fits a low box.
            int height = scaled(22);
            QFont font = cardFont(height);
            while (height > 1 && QFontMetrics(font).height() > box.height())
                font = cardFont(--height);
            const QFontMetrics metrics(font);
            const QString mark = QStringLiteral("?");
            const int width = metrics.horizontalAdvance(mark);
            const int x = rounded((box.left() + box.left() + box.width()) / 2.0);
            const int y = rounded((box.top() + box.top() + box.height() - metrics.height()) / 2.0);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QRect(x - width / 2, y, width, metrics.height()),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, mark);
        }
        if (o.displayNumber >= 1) {
            const int diameter = qMax(1, scaled(30));
            const QPoint centre(box.left() + box.width() / 2, box.top() + box.height() / 2);
            const QRect disc
                = QRect(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter).intersected(box);
            if (!disc.isEmpty()) {
                painter.setFont(cardFont(rounded(20 * s * disc.height() / diameter), true));
                painter.setPen(QColor(255, 0, 0));
                drawDisc(painter, disc, coverOutline, coverLabelText(index), Qt::white);
            }
        }
        return;
    }

    switch (o.coverState) {
    case CoverState::Solved:
        drawGlyph(painter, box.left() + 17, tickColour, 32, 252, box.top() + 22);
        break;
    case CoverState::Crossed:
        drawGlyph(painter, box.left() + 17, crossColour, 32, 251, box.top() + 20);
        break;
    case CoverState::Open:
        if (m_document.DokTyp == DocType::SingleQuestions) {
            if (cardMode != Mode::LearningCard)
                break;
        } else if (askedObject >= 0 && askedObject != index) {
            drawDisc(painter, box, inactiveTargetOutline, QString(), inactiveTargetFill);
            break;
        }
        painter.setFont(cardFont(scaled(20), true));
        painter.setPen(QColor(255, 0, 0));
        drawDisc(painter, box, Qt::black, coverLabelText(index), targetFill);
        break;
    default:
        break;
    }
}

void CardView::redrawObject(int index)
{
    drawObject(sceneBitmap, index, DrawFlag::CopyToView | DrawFlag::Refresh);
}

void CardView::drawAllObjects(DrawFlags flags)
{
    // Every object is drawn into the scene: what each reaches is known afresh.
    m_reach.assign(size_t(m_document.objects.size()), QRect());
    // Refreshed once for the whole card, not per object.
    for (int i = 0; i < m_document.objects.size(); ++i)
        drawObject(sceneBitmap, i, flags & ~DrawFlags(DrawFlag::Refresh));
    if ((flags & DrawFlag::Refresh) && refreshView)
        refreshView();
}

void CardView::drawOnCleanCard(int leaveOut)
{
    m_cleanCard = drawsAfresh;
    if (leaveOut < 0) {
        drawAllObjects(DrawFlag::LeaderLine);
    } else {
        for (int i = 0; i < m_document.objects.size(); ++i) {
            if (i != leaveOut)
                drawObject(sceneBitmap, i, DrawFlag::LeaderLine);
        }
    }
    m_cleanCard = false;
}

void CardView::redrawObjects()
{
    sceneBitmap = backgroundBitmap;
    drawOnCleanCard();
    objectsBitmap = sceneBitmap;
    composeView();
}

bool CardView::canRedrawPart(qsizetype knownObjects) const
{
    return drawsAfresh && cardMode == Mode::LearningCard && m_movingObject < 0 && !backgroundBitmap.isNull()
        && backgroundBitmap.size() == sceneBitmap.size() && qsizetype(m_reach.size()) == knownObjects;
}

void CardView::redrawPart(QRect area, int changed)
{
    area &= QRect(QPoint(0, 0), logicalSize(sceneBitmap));
    if (!area.isEmpty()) {
        // The objects are drawn in their order on a clean copy of the card, exactly as
        // redrawObjects draws them, but only those reaching into the area; only the area is
        // taken from it. A device pixel on the area's edge may lie half outside it.
        const QRect near = area.adjusted(-1, -1, 1, 1);
        QImage scene = sceneBitmap;
        sceneBitmap = backgroundBitmap;
        m_cleanCard = true;
        for (int i = 0; i < m_document.objects.size(); ++i) {
            if (i == changed || m_reach[size_t(i)].intersects(near))
                drawObject(sceneBitmap, i, DrawFlag::LeaderLine);
        }
        m_cleanCard = false;
        const QRect device = toDevicePixels(area, devicePixelRatio);
        copyDevicePixels(sceneBitmap, device, scene, device.topLeft());
        sceneBitmap = scene;
    }
    objectsBitmap = sceneBitmap;
    composeView();
}

void CardView::redrawChangedObject(int index)
{
    if (index < 0 || index >= m_document.objects.size() || !canRedrawPart(m_document.objects.size())) {
        redrawObjects();
        return;
    }
    QRect area = m_reach[size_t(index)];
    const ObjectLayout layout = layoutObject(index, logicalSize(sceneBitmap));
    if (layout.drawable)
        area |= reachOf(index, layout, false, m_document.objects.at(index).Sline == 1);
    redrawPart(area, index);
}

void CardView::redrawInsertedObject(int index)
{
    // The list changed under a move: its index may name another object now.
    m_movingObject = -1;
    m_sceneWithoutMoving = QImage();
    if (index < 0 || index >= m_document.objects.size() || !canRedrawPart(m_document.objects.size() - 1)) {
        redrawObjects();
        return;
    }
    m_reach.insert(m_reach.begin() + index, QRect());
    redrawChangedObject(index);
}

void CardView::redrawRemovedObject(int index)
{
    // The list changed under a move: its index may name another object now.
    m_movingObject = -1;
    m_sceneWithoutMoving = QImage();
    if (index < 0 || index > m_document.objects.size() || !canRedrawPart(m_document.objects.size() + 1)) {
        redrawObjects();
        return;
    }
    const QRect area = m_reach[size_t(index)];
    m_reach.erase(m_reach.begin() + index);
    redrawPart(area, -1);
}

void CardView::beginMovingObject(int index)
{
    if (index < 0 || index >= m_document.objects.size() || backgroundBitmap.isNull())
        return;
    m_movingObject = index;
    sceneBitmap = backgroundBitmap;
    drawOnCleanCard(index);
    m_sceneWithoutMoving = sceneBitmap;
    redrawMovingObject();
}

void CardView::redrawMovingObject()
{
    if (m_movingObject < 0 || m_movingObject >= m_document.objects.size()) {
        endMovingObject();
        return;
    }
    sceneBitmap = m_sceneWithoutMoving;
    // The copy holds no trace of the object, so there is no old box to erase (erasing would take
    // away whatever else lies there).
    m_document.objects[m_movingObject].boxRect[0] = -1;
    drawObject(sceneBitmap, m_movingObject, DrawFlag::LeaderLine);
    objectsBitmap = sceneBitmap;
    composeView();
}

void CardView::endMovingObject()
{
    const int moved = m_movingObject;
    m_movingObject = -1;
    m_sceneWithoutMoving = QImage();
    // The card without the object plus the object on top differs from the card in order only
    // where the object lies now.
    if (moved >= 0)
        redrawChangedObject(moved);
}

bool CardView::setZoom(int index)
{
    // Only the five levels exist; a step past either end stays at the end.
    index = std::clamp(index, 0, int(zoomFactors.size()) - 1);
    if (index == zoomIndex)
        return false;
    zoomIndex = index;
    zoomFactor = zoomFactors[size_t(index)];
    if (cardMode == Mode::LearningCard)
        redrawCard();
    return true;
}

bool CardView::zoomIn()
{
    return zoomIndex <= 3 && setZoom(zoomIndex + 2);
}

bool CardView::zoomOut()
{
    return zoomIndex >= 1 && setZoom(zoomIndex - 2);
}

void CardView::keepWindowInside()
{
    auto& [left, top, right, bottom] = viewWindow;
    if (right > 1) {
        left -= right - 1;
        right = 1;
    }
    if (bottom > 1) {
        top -= bottom - 1;
        bottom = 1;
    }
    if (left < 0) {
        right -= left;
        left = 0;
    }
    if (top < 0) {
        bottom -= top;
        top = 0;
    }
    for (double& edge : viewWindow)
        edge = std::clamp(edge, 0.0, 1.0);
}

void CardView::scrollBy(ScrollDirection direction)
{
    commitDrawings();
    const double stepX = 0.1 * (viewWindow[2] - viewWindow[0]);
    const double stepY = 0.1 * (viewWindow[3] - viewWindow[1]);
    double dx = 0;
    double dy = 0;
    switch (direction) {
    case ScrollDirection::Left:
        dx = -stepX;
        break;
    case ScrollDirection::Right:
        dx = stepX;
        break;
    case ScrollDirection::Up:
        dy = -stepY;
        break;
    case ScrollDirection::Down:
        dy = stepY;
        break;
    }
    viewWindow[0] += dx;
    viewWindow[2] += dx;
    viewWindow[1] += dy;
    viewWindow[3] += dy;
    keepWindowInside();
    composeView();
}

void CardView::panBy(int dx, int dy)
{
    const QSize scene = logicalSize(sceneBitmap);
    const double fx = double(dx) / qMax(1, scene.width());
    const double fy = double(dy) / qMax(1, scene.height());
    viewWindow[0] += fx;
    viewWindow[2] += fx;
    viewWindow[1] += fy;
    viewWindow[3] += fy;
    keepWindowInside();
    composeView();
}

void CardView::commitDrawings()
{
    copyDevicePixels(viewBitmap, viewBitmap.rect(), sceneBitmap, toDevicePixels(viewportOrigin, devicePixelRatio));
}

void CardView::removeAllDrawings()
{
    sceneBitmap = objectsBitmap;
    composeView();
}

void CardView::composeView()
{
    const QSize scene = logicalSize(sceneBitmap);
    viewportOrigin = QPoint(rounded(scene.width() * viewWindow[0]), rounded(scene.height() * viewWindow[1]));
    const QSize viewSize = viewBitmap.isNull() ? controlSize.expandedTo(QSize(1, 1)) : logicalSize(viewBitmap);
    if (viewportOrigin.isNull() && scene == viewSize && logicalSize(objectsBitmap) == viewSize) {
        // The view shows the whole scene, as it does without zoom: it shares the scene's pixels
        // until a tool draws on it.
        viewBitmap = sceneBitmap;
        cleanViewBitmap = objectsBitmap;
    } else {
        // A view that shared the scene's pixels gets its own, without copying what is filled anyway.
        const auto fresh = [&](const QImage& bitmap) {
            return bitmap.isNull() || logicalSize(bitmap) != viewSize || bitmap.devicePixelRatio() != devicePixelRatio
                || !bitmap.isDetached();
        };
        const QPoint origin = toDevicePixels(viewportOrigin, devicePixelRatio);
        if (fresh(viewBitmap))
            viewBitmap = newBitmap(viewSize);
        viewBitmap.fill(controlColour);
        copyDevicePixels(sceneBitmap, QRect(origin, viewBitmap.size()), viewBitmap, QPoint(0, 0));
        if (fresh(cleanViewBitmap))
            cleanViewBitmap = newBitmap(viewSize);
        cleanViewBitmap.fill(controlColour);
        copyDevicePixels(objectsBitmap, QRect(origin, cleanViewBitmap.size()), cleanViewBitmap, QPoint(0, 0));
    }
    if (refreshView)
        refreshView();
    if (viewComposed)
        viewComposed();
}

QPointF CardView::viewToCard(double x, double y) const
{
    const QSize view = logicalSize(viewBitmap);
    const QPoint origin = originFor(view);
    const double fx = (x - origin.x()) / qMax(1, view.width());
    const double fy = (y - origin.y()) / qMax(1, view.height());
    const double cardX = viewWindow[0] + (viewWindow[2] - viewWindow[0]) * fx;
    const double cardY = viewWindow[1] + (viewWindow[3] - viewWindow[1]) * fy;
    return QPointF(std::clamp(cardX, 0.0, 1.0), std::clamp(cardY, 0.0, 1.0));
}

QPoint CardView::cardToView(double cardX, double cardY) const
{
    const QSize view = logicalSize(viewBitmap);
    const QPoint origin = originFor(view);
    const double width = viewWindow[2] - viewWindow[0];
    const double height = viewWindow[3] - viewWindow[1];
    const int x = width > 0 ? rounded(view.width() * (cardX - viewWindow[0]) / width) : 0;
    const int y = height > 0 ? rounded(view.height() * (cardY - viewWindow[1]) / height) : 0;
    return QPoint(x, y) + origin;
}

void CardView::applyNumbering(Numbering mode)
{
    numberingMode = mode;
    numberingList.clear();
    const bool singleQuestions = m_document.DokTyp == DocType::SingleQuestions;
    QList<int> indexes;
    for (int i = 0; i < m_document.objects.size(); ++i) {
        const qint32 kind = m_document.objects.at(i).Typ;
        const bool numberable = singleQuestions ? kind == ObjectKind::Answer
                                                : (kind == ObjectKind::Label || kind == ObjectKind::ClozeGap);
        if (numberable)
            indexes.append(i);
    }
    if (mode == Numbering::Ordered) {
        sortOrdered(indexes, m_document);
    } else if (mode == Numbering::Random) {
        const int count = int(indexes.size());
        for (int i = 0; i < count; ++i)
            indexes.swapItemsAt(i, randomInt(count));
    }
    for (int i = 0; i < indexes.size(); ++i) {
        numberingList.append({-1, indexes.at(i)});
        DocObject& object = m_document.objects[indexes.at(i)];
        if (object.Typ == ObjectKind::Label || object.Typ == ObjectKind::ClozeGap)
            object.displayNumber = mode == Numbering::QuestionMarks ? 0 : i + 1;
        else
            object.displayNumber = 0;
    }
}

int CardView::hitTest(double x, double y) const
{
    const QPointF card = viewToCard(x, y);
    const int page = m_document.currentQuestionNumber;
    for (int i = 0; i < m_document.objects.size(); ++i) {
        const DocObject& o = m_document.objects.at(i);
        const bool clickable = o.Typ == ObjectKind::Label || o.Typ == ObjectKind::InfoPoint
            || o.Typ == ObjectKind::ClozeGap || o.Typ == ObjectKind::WebLink || o.Typ == ObjectKind::DocumentLink
            || (o.Typ >= ObjectKind::PagePrevious && o.Typ <= ObjectKind::PageRandom)
            || (o.Typ == ObjectKind::Answer && o.FrageNummer == page);
        if (!clickable || o.boxRect[0] == -1 || !isLayerVisible(i))
            continue;
        if (o.boxRect[0] <= card.x() && card.x() < o.boxRect[2] && o.boxRect[1] <= card.y() && card.y() < o.boxRect[3])
            return i;
    }
    return -1;
}

void CardView::toggleCover(int index)
{
    if (index < 0 || index >= m_document.objects.size())
        return;
    DocObject& o = m_document.objects[index];
    o.coverState = o.coverState == CoverState::Covered ? CoverState::Uncovered : CoverState::Covered;
    redrawObject(index);
}

void CardView::coverAll()
{
    for (DocObject& object : m_document.objects)
        object.coverState = CoverState::Covered;
    drawAllObjects(DrawFlag::CopyToView | DrawFlag::Refresh);
}

void CardView::uncoverAll()
{
    for (DocObject& object : m_document.objects)
        object.coverState = CoverState::Uncovered;
    drawAllObjects(DrawFlag::CopyToView | DrawFlag::Refresh);
}

int CardView::pageAfterNavigator(qint32 kind) const
{
    const int pages = m_document.AnzFrageNummern;
    const int current = m_document.currentQuestionNumber;
    if (pages <= 0)
        return current;
    switch (kind) {
    case ObjectKind::PagePrevious:
        return qMax(current - 1, 1);
    case ObjectKind::PageNext:
        return qMin(current + 1, pages);
    case ObjectKind::PageFirst:
        return 1;
    case ObjectKind::PageLast:
        return pages;
    case ObjectKind::PageRandom: {
        if (pages == 1)
            return 1;
        int page;
        do
            page = randomInt(pages) + 1;
        while (page == current);
        return page;
    }
    default:
        return current;
    }
}

void CardView::showPage(int page)
{
    m_document.currentQuestionNumber = page;
    redrawObjects();
}

QRect CardView::markerRect() const
{
    if (markedObject < 0 || markedPart == MarkedPart::None || cardMode != Mode::Quiz
        || markedObject >= m_document.objects.size())
        return {};
    const DocObject& o = m_document.objects.at(markedObject);
    if (markedPart == MarkedPart::Point || markedPart == MarkedPart::Anchor) {
        const QPoint p = markedPart == MarkedPart::Point ? cardToView(o.Sx, o.Sy) : cardToView(o.Kx, o.Ky);
        return QRect(p.x() - 6, p.y() - 6, 13, 13);
    }
    const QPoint topLeft = cardToView(o.boxRect[0], o.boxRect[1]);
    const QPoint bottomRight = cardToView(o.boxRect[2], o.boxRect[3]);
    return QRect(
        topLeft.x() - 4, topLeft.y() - 4, bottomRight.x() - topLeft.x() + 8, bottomRight.y() - topLeft.y() + 8);
}

void CardView::drawToolAt(bool leftButtonDown, int x, int y)
{
    const QPoint point = QPoint(x, y) - bitmapOrigin();
    lastPoint = point;
    if (!leftButtonDown || viewBitmap.isNull())
        return;
    const QPoint from = m_penPosition == QPoint(-1, -1) ? point : m_penPosition;
    switch (currentTool) {
    case Tool::RedPen:
    case Tool::YellowMarker:
    case Tool::GreenMarker: {
        QPainter painter(&viewBitmap);
        if (currentTool == Tool::RedPen) {
            painter.setPen(QPen(QColor(255, 0, 0), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        } else {
            // The markers keep what is dark dark: the colour only takes away from light pixels.
            painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            painter.setPen(QPen(currentTool == Tool::YellowMarker ? QColor(255, 255, 0) : QColor(0, 255, 0), 25,
                Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        }
        painter.drawLine(from, point);
        m_penPosition = point;
        break;
    }
    case Tool::Eraser:
        copyBox(cleanViewBitmap, QRect(point - QPoint(16, 16), QSize(32, 32)), viewBitmap);
        break;
    case Tool::Tick:
    case Tool::Cross: {
        if (glyphStamped)
            return;
        QPainter painter(&viewBitmap);
        if (currentTool == Tool::Tick)
            drawGlyph(painter, point.x() + 5, QColor(0, 196, 0), 32, 252, point.y() + 1);
        else
            drawGlyph(painter, point.x() + 1, QColor(220, 0, 0), 32, 251, point.y());
        glyphStamped = true;
        break;
    }
    default:
        return;
    }
    if (refreshView)
        refreshView();
}

void CardView::drawKeyword(const QString& text, const QFont& font, const QColor& colour, const QPoint& topLeft)
{
    QPainter painter(&viewBitmap);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QRect(topLeft, QSize(1, 1)), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    painter.end();
    if (refreshView)
        refreshView();
}
