#include "worksheet/metafiledevice.h"

#include "platform/cp1252.h"

#include <QFontMetricsF>
#include <QGradient>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSysInfo>
#include <QTextItem>
#include <QTransform>

#include <uemf.h>
#include <uemf_endian.h>
#include <uwmf.h>
#include <uwmf_endian.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// What the engine records: shapes, text and pictures in the device's logical units, with the
// painter's world transform already applied. The writers turn the same list into either format.

struct PenSpec
{
    bool visible = false;
    QRgb color = 0;
    int width = 1;
    bool blended = false; // translucent, laid onto white
    bool operator==(const PenSpec&) const = default;
};

struct BrushSpec
{
    bool visible = false;
    QRgb color = 0;
    bool blended = false;
    bool operator==(const BrushSpec&) const = default;
};

struct FontSpec
{
    QString family;
    int height = -12; // negative: the em height, as LOGFONT counts it
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int escapement = 0; // tenths of a degree, counter-clockwise as seen on the page
    bool operator==(const FontSpec&) const = default;
};

enum class FillRule { Alternate, Winding };

struct Box
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct ShapeItem
{
    enum class Kind { Polyline, Polygons, Rectangle };
    Kind kind = Kind::Polyline;
    QList<QPolygon> polygons; // a polyline is the first one
    Box box; // the rectangle
    PenSpec pen;
    BrushSpec brush;
    FillRule rule = FillRule::Alternate;
};

struct TextRun
{
    QPoint origin; // on the baseline, at the left end
    QString text;
    QList<int> advances; // one per UTF-16 unit; the second half of a surrogate pair has 0
    FontSpec font;
    QRgb color = 0;
    Box bounds;
    bool blended = false;
};

struct PictureItem
{
    Box target;
    QImage image; // Format_BGR888, the byte order of a 24-bit DIB
    bool blended = false;
};

using Item = std::variant<ShapeItem, TextRun, PictureItem>;

// Far beyond any page and far within 32 bits, so that sums of coordinates cannot overflow.
constexpr double coordinateLimit = 1 << 27;

int toUnit(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::lround(std::clamp(value, -coordinateLimit, coordinateLimit)));
}

QPoint toUnits(const QPointF& point)
{
    return {toUnit(point.x()), toUnit(point.y())};
}

QPolygon toUnits(const QPolygonF& polygon)
{
    QPolygon result;
    result.reserve(polygon.size());
    for (const QPointF& point : polygon)
        result.append(toUnits(point));
    return result;
}

Box boxOf(const QRectF& rect)
{
    const QRectF r = rect.normalized();
    return {toUnit(r.left()), toUnit(r.top()), toUnit(r.right()), toUnit(r.bottom())};
}

Box boxOf(const QPolygon& polygon)
{
    const QRect r = polygon.boundingRect();
    return {r.left(), r.top(), r.right(), r.bottom()};
}

// A gradient has no single colour; its first stop stands for it.
QColor colorOf(const QBrush& brush)
{
    if (const QGradient* gradient = brush.gradient(); gradient && !gradient->stops().isEmpty())
        return gradient->stops().constFirst().second;
    return brush.color();
}

// Metafile bitmaps have no transparency: a picture that has some, or is drawn translucent, is
// laid onto white, as it would show on the page's paper.
bool hasTranslucentPixels(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(row[x]) != 255)
                return true;
        }
    }
    return false;
}

QImage toDibImage(const QImage& image, qreal opacity)
{
    if (!image.hasAlphaChannel() && opacity >= 1)
        return image.convertToFormat(QImage::Format_BGR888);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.setOpacity(opacity);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.convertToFormat(QImage::Format_BGR888);
}

} // namespace

// ---------------------------------------------------------------------------------------------

class MetafilePaintEngine : public QPaintEngine
{
public:
    // The engine does all of it itself (transforms included), so QPainter hands every call over
    // unchanged instead of emulating features through a raster fallback.
    MetafilePaintEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    { }

    bool begin(QPaintDevice* device) override
    {
        m_device = device;
        m_pen = QPen();
        m_brush = QBrush();
        m_transform = QTransform();
        m_ink.clear();
        return true;
    }

    bool end() override { return true; }

    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& newState) override
    {
        const DirtyFlags flags = newState.state();
        if (flags & DirtyPen)
            m_pen = newState.pen();
        if (flags & DirtyBrush)
            m_brush = newState.brush();
        if (flags & DirtyTransform)
            m_transform = newState.transform();
        if (flags & DirtyOpacity)
            m_opacity = std::clamp(newState.opacity(), qreal(0), qreal(1));
    }

    using QPaintEngine::drawLines;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;

    void drawLines(const QLineF* lines, int lineCount) override
    {
        const PenSpec pen = penSpec();
        if (!pen.visible)
            return;
        for (int i = 0; i < lineCount; ++i) {
            ShapeItem shape;
            shape.kind = ShapeItem::Kind::Polyline;
            shape.polygons.append(
                QPolygon {toUnits(m_transform.map(lines[i].p1())), toUnits(m_transform.map(lines[i].p2()))});
            shape.pen = pen;
            add(std::move(shape));
        }
    }

    void drawRects(const QRectF* rects, int rectCount) override
    {
        if (m_transform.type() > QTransform::TxScale) {
            for (int i = 0; i < rectCount; ++i) {
                const QPolygonF corners(rects[i]);
                drawPolygon(corners.constData(), 4, OddEvenMode);
            }
            return;
        }
        const PenSpec pen = penSpec();
        const BrushSpec brush = brushSpec();
        if (!pen.visible && !brush.visible)
            return;
        for (int i = 0; i < rectCount; ++i) {
            ShapeItem shape;
            shape.kind = ShapeItem::Kind::Rectangle;
            shape.box = boxOf(m_transform.mapRect(rects[i]));
            shape.pen = pen;
            shape.brush = brush;
            add(std::move(shape));
        }
    }

    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override
    {
        if (pointCount < 2)
            return;
        const QPolygon polygon = toUnits(m_transform.map(QPolygonF(QList<QPointF>(points, points + pointCount))));
        const PenSpec pen = penSpec();
        ShapeItem shape;
        shape.pen = pen;
        shape.polygons.append(polygon);
        if (mode == PolylineMode) {
            if (!pen.visible)
                return;
            shape.kind = ShapeItem::Kind::Polyline;
        } else {
            shape.kind = ShapeItem::Kind::Polygons;
            shape.brush = brushSpec();
            shape.rule = mode == WindingMode ? FillRule::Winding : FillRule::Alternate;
            if (!pen.visible && !shape.brush.visible)
                return;
        }
        add(std::move(shape));
    }

    // Curves arrive flattened to polygons. A fill goes out as one polygon set (holes stay holes);
    // open subpaths get their outline as separate polylines, since a polygon would close them.
    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> subpaths = path.toSubpathPolygons(m_transform);
        const PenSpec pen = penSpec();
        const BrushSpec brush = brushSpec();
        bool allClosed = true;
        for (const QPolygonF& subpath : subpaths)
            allClosed = allClosed && subpath.isClosed();
        if (brush.visible) {
            ShapeItem fill;
            fill.kind = ShapeItem::Kind::Polygons;
            for (const QPolygonF& subpath : subpaths) {
                if (subpath.size() >= 3)
                    fill.polygons.append(toUnits(subpath));
            }
            fill.brush = brush;
            fill.pen = allClosed ? pen : PenSpec {};
            fill.rule = path.fillRule() == Qt::WindingFill ? FillRule::Winding : FillRule::Alternate;
            if (!fill.polygons.isEmpty())
                add(std::move(fill));
            if (allClosed)
                return;
        }
        if (!pen.visible)
            return;
        for (const QPolygonF& subpath : subpaths) {
            if (subpath.size() < 2)
                continue;
            ShapeItem line;
            line.kind = ShapeItem::Kind::Polyline;
            line.polygons.append(toUnits(subpath));
            line.pen = pen;
            add(std::move(line));
        }
    }

    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override
    {
        drawImage(rect, pixmap.toImage(), source, Qt::AutoColor);
    }

    // A rotated picture is stretched into the bounding box of its turned target: bitmaps in
    // either format are upright.
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source, Qt::ImageConversionFlags) override
    {
        const QRect part = source.toAlignedRect() & image.rect();
        if (part.isEmpty() || rect.isEmpty())
            return;
        PictureItem picture;
        picture.target = boxOf(m_transform.mapRect(rect));
        const QImage shown = part == image.rect() ? image : image.copy(part);
        picture.image = toDibImage(shown, m_opacity);
        picture.blended = m_opacity < 1 || hasTranslucentPixels(shown);
        if (picture.image.isNull())
            return;
        add(std::move(picture));
    }

    void drawTextItem(const QPointF& origin, const QTextItem& textItem) override
    {
        const QString text = textItem.text();
        if (text.isEmpty() || !m_device)
            return;
        const QFont font = textItem.font();
        const QFontMetricsF metrics(font, m_device);
        const qreal scaleX = std::hypot(m_transform.m11(), m_transform.m12());
        const qreal scaleY = std::hypot(m_transform.m21(), m_transform.m22());
        const qreal pixelSize
            = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * m_device->logicalDpiY() / 72.0;

        TextRun run;
        run.text = text;
        run.origin = toUnits(m_transform.map(origin));
        run.color = onPaper(colorOf(m_pen.brush()));
        run.blended = isBlended(colorOf(m_pen.brush()));
        run.font.family = font.family();
        run.font.height = -std::max(1, toUnit(pixelSize * scaleY));
        run.font.weight = std::clamp(int(font.weight()), 1, 1000);
        run.font.italic = font.style() != QFont::StyleNormal;
        // Qt draws underline and strike-out as lines of their own (through this engine): a font
        // record that asked for them too would have every reader draw them twice.
        run.font.underline = false;
        run.font.strikeOut = false;
        // y runs downwards on the page: a clockwise turn in Qt is a negative escapement.
        run.font.escapement = toUnit(-std::atan2(m_transform.m12(), m_transform.m11()) * 1800.0 / std::numbers::pi);

        // The real advance of every character: readers place each one where this program's
        // layout put it, whichever font they substitute. The advance of the prefix up to each
        // character keeps kerning and lets the roundings not add up; very long runs take the
        // single characters' advances instead, as measuring every prefix would take long.
        run.advances.fill(0, text.size());
        const bool measurePrefixes = text.size() <= 2000;
        qreal end = 0;
        int previousEnd = 0;
        for (qsizetype i = 0; i < text.size();) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const qsizetype next = i + (pair ? 2 : 1);
            if (measurePrefixes)
                end = metrics.horizontalAdvance(text.left(next)) * scaleX;
            else
                end += metrics.horizontalAdvance(text.mid(i, next - i)) * scaleX;
            const int roundedEnd = toUnit(end);
            run.advances[i] = roundedEnd - previousEnd;
            previousEnd = roundedEnd;
            i = next;
        }
        const QRectF logicalBounds(
            origin.x(), origin.y() - metrics.ascent(), metrics.horizontalAdvance(text), metrics.height());
        run.bounds = boxOf(m_transform.mapRect(logicalBounds));
        add(std::move(run));
    }

    const std::vector<Item>& items() const { return m_items; }

private:
    // A blended colour or picture is right only where the page below is still white paper:
    // what the engine drew is kept as boxes (a line's or an outline's own stroke, a fill's
    // area), and blending over any of them is a mistake of the drawing code. Debug builds stop
    // there; others say so once.
    void add(Item&& item)
    {
        QList<QRect> boxes;
        bool blended = false;
        std::visit(
            [&](const auto& drawn) {
                using Drawn = std::decay_t<decltype(drawn)>;
                if constexpr (std::is_same_v<Drawn, ShapeItem>) {
                    blended = (drawn.pen.visible && drawn.pen.blended) || (drawn.brush.visible && drawn.brush.blended);
                    strokeBoxes(drawn, boxes);
                } else if constexpr (std::is_same_v<Drawn, TextRun>) {
                    blended = drawn.blended;
                    boxes.append(toRect(drawn.bounds));
                } else {
                    blended = drawn.blended;
                    boxes.append(toRect(drawn.target));
                }
            },
            item);
        if (blended && overlapsInk(boxes)) {
            Q_ASSERT_X(false, "MetafilePaintEngine", "translucent drawing over something else than white paper");
            if (!m_warnedBlending)
                qWarning("Metafile: a translucent colour or picture lies over other drawing; it is blended as on "
                         "white paper and covers what is below.");
            m_warnedBlending = true;
        }
        m_ink.append(boxes);
        m_items.emplace_back(std::move(item));
    }

    static QRect toRect(const Box& box) { return QRect(QPoint(box.left, box.top), QPoint(box.right, box.bottom)); }

    static void strokeBoxes(const ShapeItem& shape, QList<QRect>& boxes)
    {
        const int half = shape.pen.visible ? (shape.pen.width + 1) / 2 : 0;
        if (shape.brush.visible) {
            boxes.append(shape.kind == ShapeItem::Kind::Rectangle ? toRect(shape.box) : boundingRect(shape.polygons));
            return;
        }
        QList<QPolygon> outlines = shape.polygons;
        if (shape.kind == ShapeItem::Kind::Rectangle) {
            const QRect r = toRect(shape.box);
            outlines = {QPolygon({r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), r.topLeft()})};
        }
        for (const QPolygon& outline : outlines) {
            for (qsizetype i = 0; i + 1 < outline.size(); ++i)
                boxes.append(QRect(outline.at(i), outline.at(i + 1)).normalized().adjusted(-half, -half, half, half));
        }
    }

    static QRect boundingRect(const QList<QPolygon>& polygons)
    {
        QRect all;
        for (const QPolygon& polygon : polygons)
            all |= polygon.boundingRect();
        return all;
    }

    bool overlapsInk(const QList<QRect>& boxes) const
    {
        for (const QRect& box : boxes) {
            for (const QRect& below : m_ink) {
                if (box.intersects(below))
                    return true;
            }
        }
        return false;
    }

    PenSpec penSpec() const
    {
        PenSpec spec;
        const QColor color = colorOf(m_pen.brush());
        if (m_pen.style() == Qt::NoPen || m_pen.brush().style() == Qt::NoBrush || color.alpha() == 0 || m_opacity <= 0)
            return spec;
        spec.visible = true;
        spec.color = onPaper(color);
        spec.blended = isBlended(color);
        // A cosmetic pen's width is in device units already; zero means the thinnest line.
        const qreal width
            = m_pen.isCosmetic() ? m_pen.widthF() : m_pen.widthF() * std::sqrt(std::abs(m_transform.determinant()));
        spec.width = std::max(1, toUnit(width));
        return spec;
    }

    BrushSpec brushSpec() const
    {
        BrushSpec spec;
        const QColor color = colorOf(m_brush);
        if (m_brush.style() == Qt::NoBrush || color.alpha() == 0 || m_opacity <= 0)
            return spec;
        spec.visible = true;
        spec.color = onPaper(color);
        spec.blended = isBlended(color);
        return spec;
    }

    // Metafile colours have no alpha: a translucent colour (its own alpha, times the painter's
    // opacity) becomes the opaque colour it gives on white paper. Over something else than white
    // it covers what lies below; the worksheet draws translucent only on the white page.
    bool isBlended(const QColor& color) const { return color.alphaF() * m_opacity < 1; }

    QRgb onPaper(const QColor& color) const
    {
        const qreal a = color.alphaF() * m_opacity;
        const auto mix = [a](int channel) { return qRound(channel * a + 255 * (1 - a)); };
        return qRgb(mix(color.red()), mix(color.green()), mix(color.blue()));
    }

    QPaintDevice* m_device = nullptr;
    QList<QRect> m_ink;
    bool m_warnedBlending = false;
    qreal m_opacity = 1;
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    std::vector<Item> m_items;
};

namespace {

// ---------------------------------------------------------------------------------------------
// Writing: libUEMF builds every record (malloc'd, freed here); the writer collects them in one
// buffer, keeps the object table small and fills in the header's totals at the end.

struct FreeDeleter
{
    void operator()(void* p) const { std::free(p); }
};

// A handle to select: a slot of the object table this file made, or an EMF stock object.
struct Handle
{
    quint32 id = 0;
    bool owned = false;
};

// The metafile's object table. A new object always takes the lowest free slot: WMF readers
// number the objects that way, and EMF does not mind.
class ObjectTable
{
public:
    explicit ObjectTable(quint32 first)
        : m_first(first)
    { }

    quint32 take()
    {
        auto free = std::find(m_used.begin(), m_used.end(), false);
        const auto index = quint32(free - m_used.begin());
        if (free == m_used.end())
            m_used.push_back(true);
        else
            *free = true;
        m_peak = std::max(m_peak, index + 1);
        return m_first + index;
    }

    void release(quint32 id)
    {
        const quint32 index = id - m_first;
        if (index < m_used.size())
            m_used[index] = false;
    }

    // How many slots the file needs at most at once.
    quint32 peak() const { return m_peak; }

private:
    quint32 m_first;
    std::vector<bool> m_used;
    quint32 m_peak = 0;
};

// A 24-bit bottom-up DIB as both formats carry it.
struct Dib
{
    std::unique_ptr<U_BITMAPINFO, FreeDeleter> info;
    QByteArray pixels;
};

Dib makeDib(const QImage& image, double pixelsPerMetreX, double pixelsPerMetreY)
{
    Dib dib;
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = qsizetype(width) * 3;
    const qsizetype stride = (rowBytes + 3) & ~qsizetype(3);
    dib.pixels = QByteArray(stride * height, '\0');
    for (int y = 0; y < height; ++y)
        std::memcpy(dib.pixels.data() + stride * (height - 1 - y), image.constScanLine(y), size_t(rowBytes));
    const U_BITMAPINFOHEADER header = bitmapinfoheader_set(width, height, 1, U_BCBM_COLOR24, U_BI_RGB,
        uint32_t(dib.pixels.size()), toUnit(pixelsPerMetreX), toUnit(pixelsPerMetreY), 0, 0);
    dib.info.reset(bitmapinfo_set(header, nullptr));
    return dib;
}

U_COLORREF colorRef(QRgb color)
{
    return colorref3_set(uint8_t(qRed(color)), uint8_t(qGreen(color)), uint8_t(qBlue(color)));
}

class MetafileWriter
{
public:
    virtual ~MetafileWriter() = default;

    QByteArray write(const std::vector<Item>& items)
    {
        if (!writeStart())
            return {};
        for (const Item& item : items) {
            const bool ok = std::visit([this](const auto& it) { return writeItem(it); }, item);
            if (!ok)
                return {};
        }
        // The objects still selected go last; EMF first selects stock objects in their place.
        if (!releaseSelections())
            return {};
        for (Selected* current : {&m_pen, &m_brush, &m_font}) {
            if (current->handle.owned && !removeObject(current->handle))
                return {};
        }
        if (!writeEnd())
            return {};
        if (QSysInfo::ByteOrder == QSysInfo::BigEndian)
            toLittleEndian();
        return m_out;
    }

protected:
    explicit MetafileWriter(quint32 firstHandle)
        : m_table(firstHandle)
    { }

    virtual quint32 recordSize(const char* record) const = 0;
    virtual bool writeStart() = 0;
    virtual bool writeEnd() = 0;
    virtual std::optional<Handle> createPen(const PenSpec& pen) = 0;
    virtual std::optional<Handle> createBrush(const BrushSpec& brush) = 0;
    virtual std::optional<Handle> createFont(const FontSpec& font) = 0;
    virtual bool selectObject(Handle handle) = 0;
    virtual bool deleteObject(quint32 id) = 0;
    virtual bool releaseSelections() { return true; }
    virtual bool setTextColor(QRgb color) = 0;
    virtual bool setFillRule(FillRule rule) = 0;
    virtual bool polyline(const QPolygon& points) = 0;
    virtual bool polygons(const QList<QPolygon>& polygons) = 0;
    virtual bool rectangle(const Box& box) = 0;
    virtual bool text(const TextRun& run) = 0;
    virtual bool picture(const PictureItem& picture) = 0;
    virtual void toLittleEndian() = 0;

    // Takes over a record from libUEMF; false when it could not build one.
    bool add(char* record)
    {
        const std::unique_ptr<char, FreeDeleter> owner(record);
        if (!record)
            return false;
        const quint32 size = recordSize(record);
        m_out.append(record, qsizetype(size));
        ++m_records;
        m_largest = std::max(m_largest, size);
        return true;
    }

    bool removeObject(Handle handle)
    {
        if (!deleteObject(handle.id))
            return false;
        m_table.release(handle.id);
        return true;
    }

    bool holdsOwned(bool pen, bool brush, bool font) const
    {
        return (pen && m_pen.handle.owned) || (brush && m_brush.handle.owned) || (font && m_font.handle.owned);
    }

    QByteArray m_out;
    quint32 m_records = 0;
    quint32 m_largest = 0;
    ObjectTable m_table;

private:
    struct Selected
    {
        Handle handle;
    };

    // A new object is made and selected before the one it replaces is deleted: an object must
    // not be deleted while it is selected.
    template<typename Spec, typename Create>
    bool use(std::optional<Spec>& current, Selected& selected, const Spec& wanted, Create create)
    {
        if (current && *current == wanted)
            return true;
        const std::optional<Handle> made = create(wanted);
        if (!made || !selectObject(*made))
            return false;
        if (selected.handle.owned && !removeObject(selected.handle))
            return false;
        selected.handle = *made;
        current = wanted;
        return true;
    }

    bool usePen(const PenSpec& pen)
    {
        return use(m_penSpec, m_pen, pen, [this](const PenSpec& p) { return createPen(p); });
    }
    bool useBrush(const BrushSpec& brush)
    {
        return use(m_brushSpec, m_brush, brush, [this](const BrushSpec& b) { return createBrush(b); });
    }
    bool useFont(const FontSpec& font)
    {
        return use(m_fontSpec, m_font, font, [this](const FontSpec& f) { return createFont(f); });
    }

    bool writeItem(const ShapeItem& shape)
    {
        if (!usePen(shape.pen))
            return false;
        switch (shape.kind) {
        case ShapeItem::Kind::Polyline:
            return polyline(shape.polygons.constFirst());
        case ShapeItem::Kind::Rectangle:
            return useBrush(shape.brush) && rectangle(shape.box);
        case ShapeItem::Kind::Polygons:
            if (!useBrush(shape.brush))
                return false;
            if (m_rule != shape.rule) {
                if (!setFillRule(shape.rule))
                    return false;
                m_rule = shape.rule;
            }
            return polygons(shape.polygons);
        }
        return false;
    }

    bool writeItem(const TextRun& run)
    {
        if (!useFont(run.font))
            return false;
        if (m_textColor != run.color) {
            if (!setTextColor(run.color))
                return false;
            m_textColor = run.color;
        }
        return text(run);
    }

    bool writeItem(const PictureItem& item) { return picture(item); }

    std::optional<PenSpec> m_penSpec;
    std::optional<BrushSpec> m_brushSpec;
    std::optional<FontSpec> m_fontSpec;
    Selected m_pen;
    Selected m_brush;
    Selected m_font;
    std::optional<QRgb> m_textColor;
    FillRule m_rule = FillRule::Alternate; // both formats start with ALTERNATE
};

// --- EMF --------------------------------------------------------------------------------------
// The reference device is chosen so that one device unit is about one logical unit: the window
// (logical units) maps onto a viewport that covers the frame, and readers size the picture from
// the frame in 0.01 mm.
class EmfWriter final : public MetafileWriter
{
public:
    EmfWriter(QSize logical, QSizeF millimetres)
        : MetafileWriter(1) // slot 0 of an EMF object table stands for the metafile itself
        , m_logical(logical)
        , m_millimetres(millimetres)
    {
        m_referenceMm = sizel_set(std::max(1, toUnit(millimetres.width())), std::max(1, toUnit(millimetres.height())));
        const double unitsPerMmX = logical.width() / millimetres.width();
        const double unitsPerMmY = logical.height() / millimetres.height();
        m_referencePixels = sizel_set(
            std::max(1, toUnit(m_referenceMm.cx * unitsPerMmX)), std::max(1, toUnit(m_referenceMm.cy * unitsPerMmY)));
        m_viewport = sizel_set(std::max(1, toUnit(millimetres.width() * m_referencePixels.cx / m_referenceMm.cx)),
            std::max(1, toUnit(millimetres.height() * m_referencePixels.cy / m_referenceMm.cy)));
        m_deviceScaleX = double(m_viewport.cx) / logical.width();
        m_deviceScaleY = double(m_viewport.cy) / logical.height();
    }

protected:
    quint32 recordSize(const char* record) const override { return reinterpret_cast<const U_EMR*>(record)->nSize; }

    bool writeStart() override
    {
        const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(m_viewport.cx - 1, m_viewport.cy - 1));
        const U_RECTL frame = rectl_set(
            point32_set(0, 0), point32_set(toUnit(m_millimetres.width() * 100), toUnit(m_millimetres.height() * 100)));
        if (!add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, m_referencePixels, m_referenceMm, 0)))
            return false;
        // libUEMF derives the micrometres from the whole millimetres; the exact size is better.
        const U_SIZEL micrometres
            = sizel_set(toUnit(m_millimetres.width() * 1000), toUnit(m_millimetres.height() * 1000));
        std::memcpy(m_out.data() + offsetof(U_EMRHEADER, szlMicrometers), &micrometres, sizeof micrometres);
        return add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC)) && add(U_EMRSETWINDOWORGEX_set(point32_set(0, 0)))
            && add(U_EMRSETWINDOWEXTEX_set(sizel_set(m_logical.width(), m_logical.height())))
            && add(U_EMRSETVIEWPORTORGEX_set(point32_set(0, 0))) && add(U_EMRSETVIEWPORTEXTEX_set(m_viewport))
            && add(U_EMRSETBKMODE_set(U_TRANSPARENT)) && add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT))
            && add(U_EMRSETSTRETCHBLTMODE_set(U_COLORONCOLOR));
    }

    bool writeEnd() override
    {
        EMFTRACK track {};
        track.used = size_t(m_out.size());
        if (!add(U_EMREOF_set(0, nullptr, &track)))
            return false;
        const auto put
            = [this](size_t offset, quint32 value) { std::memcpy(m_out.data() + offset, &value, sizeof value); };
        put(offsetof(U_EMRHEADER, nBytes), quint32(m_out.size()));
        put(offsetof(U_EMRHEADER, nRecords), m_records);
        put(offsetof(U_EMRHEADER, nHandles), m_table.peak() + 1);
        return true;
    }

    std::optional<Handle> createPen(const PenSpec& pen) override
    {
        if (!pen.visible)
            return Handle {U_NULL_PEN, false};
        const quint32 slot = m_table.take();
        U_POINT width;
        width.x = pen.width;
        width.y = 0;
        if (!add(U_EMRCREATEPEN_set(slot, logpen_set(U_PS_SOLID, width, colorRef(pen.color)))))
            return std::nullopt;
        return Handle {slot, true};
    }

    std::optional<Handle> createBrush(const BrushSpec& brush) override
    {
        if (!brush.visible)
            return Handle {U_NULL_BRUSH, false};
        const quint32 slot = m_table.take();
        if (!add(U_EMRCREATEBRUSHINDIRECT_set(slot, logbrush_set(U_BS_SOLID, colorRef(brush.color), 0))))
            return std::nullopt;
        return Handle {slot, true};
    }

    std::optional<Handle> createFont(const FontSpec& font) override
    {
        // The face name field holds 32 UTF-16 units with the terminator.
        uint16_t face[U_LF_FACESIZE] = {};
        const QString family = font.family.left(U_LF_FACESIZE - 1);
        std::copy(family.utf16(), family.utf16() + family.size(), face);
        const U_LOGFONT logFont = logfont_set(font.height, 0, font.escapement, font.escapement, font.weight,
            font.italic, font.underline, font.strikeOut, U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
            U_DEFAULT_QUALITY, U_DEFAULT_PITCH, face);
        const quint32 slot = m_table.take();
        if (!add(U_EMREXTCREATEFONTINDIRECTW_set(slot, reinterpret_cast<const char*>(&logFont), nullptr)))
            return std::nullopt;
        return Handle {slot, true};
    }

    bool selectObject(Handle handle) override { return add(U_EMRSELECTOBJECT_set(handle.id)); }
    bool deleteObject(quint32 id) override { return add(U_EMRDELETEOBJECT_set(id)); }

    bool releaseSelections() override
    {
        return (!holdsOwned(true, false, false) || selectObject({U_BLACK_PEN, false}))
            && (!holdsOwned(false, true, false) || selectObject({U_WHITE_BRUSH, false}))
            && (!holdsOwned(false, false, true) || selectObject({U_DEVICE_DEFAULT_FONT, false}));
    }

    bool setTextColor(QRgb color) override { return add(U_EMRSETTEXTCOLOR_set(colorRef(color))); }

    bool setFillRule(FillRule rule) override
    {
        return add(U_EMRSETPOLYFILLMODE_set(rule == FillRule::Winding ? U_WINDING : U_ALTERNATE));
    }

    bool polyline(const QPolygon& points) override
    {
        const std::vector<U_POINTL> list = pointList(points);
        return add(U_EMRPOLYLINE_set(deviceBounds(boxOf(points)), uint32_t(list.size()), list.data()));
    }

    bool polygons(const QList<QPolygon>& polygons) override
    {
        std::vector<U_POINTL> list;
        std::vector<uint32_t> counts;
        QPolygon all;
        for (const QPolygon& polygon : polygons) {
            const std::vector<U_POINTL> part = pointList(polygon);
            list.insert(list.end(), part.begin(), part.end());
            counts.push_back(uint32_t(part.size()));
            all += polygon;
        }
        const U_RECTL bounds = deviceBounds(boxOf(all));
        if (counts.size() == 1)
            return add(U_EMRPOLYGON_set(bounds, uint32_t(list.size()), list.data()));
        return add(
            U_EMRPOLYPOLYGON_set(bounds, uint32_t(counts.size()), counts.data(), uint32_t(list.size()), list.data()));
    }

    bool rectangle(const Box& box) override
    {
        return add(U_EMRRECTANGLE_set(rectl_set(point32_set(box.left, box.top), point32_set(box.right, box.bottom))));
    }

    bool text(const TextRun& run) override
    {
        std::vector<uint32_t> advances(run.advances.begin(), run.advances.end());
        // The reference rectangle is in logical units, the record's bounds in device units.
        const U_RECTL rect
            = rectl_set(point32_set(run.bounds.left, run.bounds.top), point32_set(run.bounds.right, run.bounds.bottom));
        const std::unique_ptr<char, FreeDeleter> emrText(emrtext_set(point32_set(run.origin.x(), run.origin.y()),
            uint32_t(run.text.size()), 2, const_cast<ushort*>(run.text.utf16()), U_ETO_NONE, rect, advances.data()));
        if (!emrText)
            return false;
        // In the compatible graphics mode the scales say how many 0.01 mm one logical unit is.
        const float scaleX = float(m_millimetres.width() * 100 / m_logical.width());
        const float scaleY = float(m_millimetres.height() * 100 / m_logical.height());
        return add(U_EMREXTTEXTOUTW_set(
            deviceBounds(run.bounds), U_GM_COMPATIBLE, scaleX, scaleY, reinterpret_cast<PU_EMRTEXT>(emrText.get())));
    }

    bool picture(const PictureItem& item) override
    {
        const Box& t = item.target;
        const double unitsPerMetre = m_logical.width() / m_millimetres.width() * 1000;
        Dib dib = makeDib(item.image, item.image.width() * unitsPerMetre / std::max(1, t.right - t.left),
            item.image.height() * unitsPerMetre / std::max(1, t.bottom - t.top));
        if (!dib.info)
            return false;
        return add(U_EMRSTRETCHDIBITS_set(deviceBounds(t), point32_set(t.left, t.top),
            point32_set(t.right - t.left, t.bottom - t.top), point32_set(0, 0),
            point32_set(item.image.width(), item.image.height()), U_DIB_RGB_COLORS, U_SRCCOPY, dib.info.get(),
            uint32_t(dib.pixels.size()), dib.pixels.data()));
    }

    void toLittleEndian() override { U_emf_endian(m_out.data(), size_t(m_out.size()), 1); }

private:
    static std::vector<U_POINTL> pointList(const QPolygon& points)
    {
        std::vector<U_POINTL> list;
        list.reserve(size_t(points.size()));
        for (const QPoint& p : points)
            list.push_back(point32_set(p.x(), p.y()));
        return list;
    }

    U_RECTL deviceBounds(const Box& box) const
    {
        return rectl_set(
            point32_set(toUnit(std::floor(box.left * m_deviceScaleX)), toUnit(std::floor(box.top * m_deviceScaleY))),
            point32_set(toUnit(std::ceil(box.right * m_deviceScaleX)), toUnit(std::ceil(box.bottom * m_deviceScaleY))));
    }

    QSize m_logical;
    QSizeF m_millimetres;
    U_SIZEL m_referenceMm {};
    U_SIZEL m_referencePixels {};
    U_SIZEL m_viewport {};
    double m_deviceScaleX = 1;
    double m_deviceScaleY = 1;
};

// --- WMF --------------------------------------------------------------------------------------
// A placeable WMF: its header gives the bounding box in logical units and how many of them make
// an inch, which sets the printed size. Every coordinate is 16 bits wide.
class WmfWriter final : public MetafileWriter
{
public:
    WmfWriter(QSize logical, int unitsPerInch)
        : MetafileWriter(0)
        , m_logical(logical)
        , m_unitsPerInch(unitsPerInch)
    { }

protected:
    quint32 recordSize(const char* record) const override
    {
        quint32 words = 0;
        std::memcpy(&words, record, sizeof words);
        return words * 2;
    }

    bool writeStart() override
    {
        U_PAIRF inches {
            float(double(m_logical.width()) / m_unitsPerInch), float(double(m_logical.height()) / m_unitsPerInch)};
        const std::unique_ptr<char, FreeDeleter> header(U_WMRHEADER_set(&inches, uint32_t(m_unitsPerInch)));
        if (!header)
            return false;
        // The bounding box is exactly the logical page, whatever rounding the inches went through.
        const int16_t right = int16_t(m_logical.width());
        const int16_t bottom = int16_t(m_logical.height());
        std::memcpy(header.get() + placeableRight, &right, 2);
        std::memcpy(header.get() + placeableBottom, &bottom, 2);
        int16_t checksum = 0;
        for (int i = 0; i < 10; ++i) {
            int16_t word = 0;
            std::memcpy(&word, header.get() + 2 * i, 2);
            checksum = int16_t(checksum ^ word);
        }
        std::memcpy(header.get() + placeableChecksum, &checksum, 2);
        // The header is not a record: it is not counted.
        m_out.append(header.get(), U_SIZE_WMRPLACEABLE + U_SIZE_WMRHEADER);
        return add(U_WMRSETWINDOWORG_set(point16_set(0, 0)))
            && add(U_WMRSETWINDOWEXT_set(point16_set(int16_t(m_logical.width()), int16_t(m_logical.height()))))
            && add(U_WMRSETBKMODE_set(U_TRANSPARENT)) && add(U_WMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT))
            && add(U_WMRSETSTRETCHBLTMODE_set(U_COLORONCOLOR));
    }

    bool writeEnd() override
    {
        if (!add(U_WMREOF_set()))
            return false;
        // The metafile proper starts after the placeable header; its size is in 16-bit words.
        char* header = m_out.data() + U_SIZE_WMRPLACEABLE;
        const quint32 words = quint32(m_out.size() - U_SIZE_WMRPLACEABLE) / 2;
        const quint16 objects = quint16(std::min<quint32>(m_table.peak(), UINT16_MAX));
        const quint32 largest = m_largest / 2;
        std::memcpy(header + offsetof(U_WMRHEADER, Sizew), &words, 4);
        std::memcpy(header + offsetof(U_WMRHEADER, nObjects), &objects, 2);
        std::memcpy(header + offsetof(U_WMRHEADER, maxSize), &largest, 4);
        return true;
    }

    std::optional<Handle> createPen(const PenSpec& pen) override
    {
        const quint32 slot = m_table.take();
        const U_PEN logPen = U_PEN_set(
            pen.visible ? U_PS_SOLID : U_PS_NULL, uint16_t(std::clamp(pen.width, 1, 32767)), colorRef(pen.color));
        if (!add(U_WMRCREATEPENINDIRECT_set(logPen)))
            return std::nullopt;
        return Handle {slot, true};
    }

    std::optional<Handle> createBrush(const BrushSpec& brush) override
    {
        const quint32 slot = m_table.take();
        const U_WLOGBRUSH logBrush = U_WLOGBRUSH_set(brush.visible ? U_BS_SOLID : U_BS_NULL, colorRef(brush.color), 0);
        if (!add(U_WMRCREATEBRUSHINDIRECT_set(logBrush)))
            return std::nullopt;
        return Handle {slot, true};
    }

    std::optional<Handle> createFont(const FontSpec& font) override
    {
        // 32 bytes with the terminator; libUEMF copies up to the first zero byte.
        QByteArray face = toCp1252(font.family).left(31);
        face.replace('\0', ' ');
        const std::unique_ptr<U_FONT, FreeDeleter> logFont(U_FONT_set(int16_t(std::clamp(font.height, -32767, 32767)),
            0, int16_t(font.escapement), int16_t(font.escapement), int16_t(font.weight), font.italic, font.underline,
            font.strikeOut, U_ANSI_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
            U_DEFAULT_PITCH, face.data()));
        if (!logFont)
            return std::nullopt;
        const quint32 slot = m_table.take();
        if (!add(U_WMRCREATEFONTINDIRECT_set(logFont.get())))
            return std::nullopt;
        return Handle {slot, true};
    }

    bool selectObject(Handle handle) override { return add(U_WMRSELECTOBJECT_set(uint16_t(handle.id))); }
    bool deleteObject(quint32 id) override { return add(U_WMRDELETEOBJECT_set(uint16_t(id))); }

    bool setTextColor(QRgb color) override { return add(U_WMRSETTEXTCOLOR_set(colorRef(color))); }

    bool setFillRule(FillRule rule) override
    {
        return add(U_WMRSETPOLYFILLMODE_set(rule == FillRule::Winding ? U_WINDING : U_ALTERNATE));
    }

    // A record counts its points in 16 bits: long lines go out in pieces that share their ends.
    bool polyline(const QPolygon& points) override
    {
        const qsizetype piece = maxPoints;
        for (qsizetype start = 0; start + 1 < points.size(); start += piece - 1) {
            const std::vector<U_POINT16> list = pointList(points.mid(start, piece));
            if (!add(U_WMRPOLYLINE_set(uint16_t(list.size()), list.data())))
                return false;
        }
        return true;
    }

    bool polygons(const QList<QPolygon>& polygons) override
    {
        std::vector<U_POINT16> list;
        std::vector<uint16_t> counts;
        for (const QPolygon& polygon : polygons.first(std::min<qsizetype>(polygons.size(), maxPoints))) {
            const std::vector<U_POINT16> part = pointList(thinned(polygon));
            list.insert(list.end(), part.begin(), part.end());
            counts.push_back(uint16_t(part.size()));
        }
        if (counts.size() == 1)
            return add(U_WMRPOLYGON_set(counts.front(), list.data()));
        return add(U_WMRPOLYPOLYGON_set(uint16_t(counts.size()), counts.data(), list.data()));
    }

    bool rectangle(const Box& box) override
    {
        return add(U_WMRRECTANGLE_set(U_RECT16_set(point16(box.left, box.top), point16(box.right, box.bottom))));
    }

    // Windows-1252, one byte and one advance per character (a character beyond the code page
    // becomes '?', still with its real advance). Long runs are cut into records that each start
    // where the previous one ended.
    bool text(const TextRun& run) override
    {
        QByteArray bytes;
        std::vector<int16_t> advances;
        for (qsizetype i = 0; i < run.text.size();) {
            const bool pair
                = run.text.at(i).isHighSurrogate() && i + 1 < run.text.size() && run.text.at(i + 1).isLowSurrogate();
            const qsizetype length = pair ? 2 : 1;
            QByteArray byte = toCp1252(run.text.mid(i, length));
            // libUEMF measures the string up to its first zero byte.
            if (byte.isEmpty() || byte.at(0) == '\0')
                byte = " ";
            bytes.append(byte.at(0));
            int advance = run.advances.at(i) + (pair ? run.advances.at(i + 1) : 0);
            advances.push_back(int16_t(std::clamp(advance, -32767, 32767)));
            i += length;
        }
        QPoint position = run.origin;
        for (qsizetype start = 0; start < bytes.size(); start += maxTextBytes) {
            const qsizetype length = std::min<qsizetype>(maxTextBytes, bytes.size() - start);
            QByteArray piece = bytes.mid(start, length); // zero-terminated by QByteArray
            if (!add(U_WMREXTTEXTOUT_set(point16(position.x(), position.y()), int16_t(length), 0, piece.constData(),
                    advances.data() + start, U_RECT16 {})))
                return false;
            for (qsizetype i = start; i < start + length; ++i)
                position.rx() += advances[size_t(i)];
        }
        return true;
    }

    bool picture(const PictureItem& item) override
    {
        QImage image = item.image;
        if (image.width() > 32767 || image.height() > 32767)
            image = image.scaled(32767, 32767, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const Box& t = item.target;
        const double unitsPerMetre = m_unitsPerInch / 0.0254;
        Dib dib = makeDib(image, image.width() * unitsPerMetre / std::max(1, t.right - t.left),
            image.height() * unitsPerMetre / std::max(1, t.bottom - t.top));
        if (!dib.info)
            return false;
        return add(U_WMRSTRETCHDIB_set(point16(t.left, t.top), point16(t.right - t.left, t.bottom - t.top),
            point16(0, 0), point16(image.width(), image.height()), U_DIB_RGB_COLORS, U_SRCCOPY, dib.info.get(),
            uint32_t(dib.pixels.size()), dib.pixels.constData()));
    }

    void toLittleEndian() override { U_wmf_endian(m_out.data(), size_t(m_out.size()), 1, 0); }

private:
    static constexpr qsizetype maxPoints = 16000;
    static constexpr qsizetype maxTextBytes = 8000;
    // Offsets in the placeable header (META_PLACEABLE)
    static constexpr int placeableRight = 10;
    static constexpr int placeableBottom = 12;
    static constexpr int placeableChecksum = 20;

    static U_POINT16 point16(int x, int y)
    {
        return point16_set(int16_t(std::clamp(x, -32768, 32767)), int16_t(std::clamp(y, -32768, 32767)));
    }

    static std::vector<U_POINT16> pointList(const QPolygon& points)
    {
        std::vector<U_POINT16> list;
        list.reserve(size_t(points.size()));
        for (const QPoint& p : points)
            list.push_back(point16(p.x(), p.y()));
        return list;
    }

    // A polygon with more points than a record can count keeps every n-th of them.
    static QPolygon thinned(const QPolygon& polygon)
    {
        if (polygon.size() <= maxPoints)
            return polygon;
        const qsizetype step = (polygon.size() + maxPoints - 1) / maxPoints;
        QPolygon result;
        for (qsizetype i = 0; i < polygon.size(); i += step)
            result.append(polygon.at(i));
        return result;
    }

    QSize m_logical;
    int m_unitsPerInch;
};

} // namespace

// ---------------------------------------------------------------------------------------------

MetafileDevice::MetafileDevice(QSize logicalSize, QSizeF physicalSizeMm)
    : m_logicalSize(logicalSize)
    , m_physicalSizeMm(physicalSizeMm)
    , m_engine(std::make_unique<MetafilePaintEngine>())
{ }

MetafileDevice::~MetafileDevice() = default;

QPaintEngine* MetafileDevice::paintEngine() const
{
    return m_engine.get();
}

QByteArray MetafileDevice::toBytes(Format format) const
{
    const bool sizesValid = m_logicalSize.width() > 0 && m_logicalSize.height() > 0 && m_physicalSizeMm.width() > 0
        && m_physicalSizeMm.height() > 0 && std::isfinite(m_physicalSizeMm.width())
        && std::isfinite(m_physicalSizeMm.height());
    if (!sizesValid)
        return {};
    if (format == Format::Emf) {
        EmfWriter writer(m_logicalSize, m_physicalSizeMm);
        return writer.write(m_engine->items());
    }
    if (m_logicalSize.width() > 32767 || m_logicalSize.height() > 32767)
        return {};
    // Units per inch is a whole number: the width decides it, so that the page keeps its width.
    const double unitsPerInch = m_logicalSize.width() * 25.4 / m_physicalSizeMm.width();
    if (unitsPerInch < 1 || unitsPerInch > 32767)
        return {};
    WmfWriter writer(m_logicalSize, int(std::lround(unitsPerInch)));
    return writer.write(m_engine->items());
}

int MetafileDevice::metric(PaintDeviceMetric metric) const
{
    const auto dpi = [](int units, qreal millimetres) {
        if (!(millimetres > 0) || units <= 0)
            return 96;
        return std::max(1, toUnit(units * 25.4 / millimetres));
    };
    switch (metric) {
    case PdmWidth:
        return m_logicalSize.width();
    case PdmHeight:
        return m_logicalSize.height();
    case PdmWidthMM:
        return toUnit(m_physicalSizeMm.width());
    case PdmHeightMM:
        return toUnit(m_physicalSizeMm.height());
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return dpi(m_logicalSize.width(), m_physicalSizeMm.width());
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return dpi(m_logicalSize.height(), m_physicalSizeMm.height());
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}
