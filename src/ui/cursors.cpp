#include "cursors.h"

#include <QImage>
#include <QPixmap>

namespace {

struct CursorResource
{
    int number;
    const char* name;
    Qt::CursorShape fallback;
};

constexpr CursorResource builtInCursors[] = {
    {PenCursor, "STIFT5", Qt::CrossCursor},
    {MarkerCursor, "MARKER25", Qt::CrossCursor},
    {EraserCursor, "RADIER32", Qt::CrossCursor},
    {MoveCursor, "PFEILMOVE", Qt::SizeAllCursor},
    {TickCursor, "HAEKCHEN", Qt::CrossCursor},
    {CrossCursor, "KREUZ", Qt::CrossCursor},
    {TextEntryCursor, "TEXTEINGABE", Qt::IBeamCursor},
    {HandCursor, "HAND", Qt::OpenHandCursor},
};

} // namespace

bool loadResourceCursor(const QString& name, QCursor& cursor)
{
    const QImage image(QStringLiteral(":/cursors/%1.png").arg(name));
    if (image.isNull())
        return false;
    int hotX = 0, hotY = 0;
    const QStringList hotSpot = image.text(QStringLiteral("hotspot")).split(QLatin1Char(','));
    if (hotSpot.size() == 2) {
        hotX = qBound(0, hotSpot.at(0).trimmed().toInt(), image.width() - 1);
        hotY = qBound(0, hotSpot.at(1).trimmed().toInt(), image.height() - 1);
    }
    cursor = QCursor(QPixmap::fromImage(image), hotX, hotY);
    return true;
}

void CursorSet::registerBuiltIn()
{
    // Only the names are registered; each picture is decoded when its cursor is first asked
    // for, since a pupil who never draws never sees most of them.
    m_loaded.clear();
    for (const CursorResource& resource : builtInCursors)
        m_registered.insert(resource.number, {QString::fromLatin1(resource.name), resource.fallback});
    m_dragRegistered = true;
    m_dragCursor.reset();
}

QCursor CursorSet::cursor(int number) const
{
    const auto registered = m_registered.constFind(number);
    if (registered == m_registered.cend())
        return QCursor(Qt::ArrowCursor);
    auto loaded = m_loaded.find(number);
    if (loaded == m_loaded.end()) {
        QCursor cursor(registered->fallback);
        loadResourceCursor(registered->name, cursor);
        loaded = m_loaded.insert(number, cursor);
    }
    return *loaded;
}

QString CursorSet::resourceName(int number) const
{
    return m_registered.value(number).name;
}

QCursor CursorSet::dragCursor() const
{
    if (!m_dragRegistered)
        return QCursor(Qt::DragMoveCursor);
    if (!m_dragCursor) {
        QCursor cursor(Qt::DragMoveCursor);
        loadResourceCursor(QStringLiteral("DRAGBLACK"), cursor);
        m_dragCursor = cursor;
    }
    return *m_dragCursor;
}

CursorSet& cursorSet()
{
    static CursorSet set;
    return set;
}
