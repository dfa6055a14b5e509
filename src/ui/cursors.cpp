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
    for (const CursorResource& resource : builtInCursors) {
        QCursor cursor(resource.fallback);
        loadResourceCursor(QString::fromLatin1(resource.name), cursor);
        m_cursors.insert(resource.number, cursor);
        m_names.insert(resource.number, QString::fromLatin1(resource.name));
    }
    m_noDropCursor = QCursor(Qt::DragMoveCursor);
    m_dragCursor = QCursor(Qt::DragMoveCursor);
    loadResourceCursor(QStringLiteral("DRAGBLACK"), m_dragCursor);
}

QCursor CursorSet::cursor(int number) const
{
    return m_cursors.value(number, QCursor(Qt::ArrowCursor));
}

QString CursorSet::resourceName(int number) const
{
    return m_names.value(number);
}

CursorSet& cursorSet()
{
    static CursorSet set;
    return set;
}
