#pragma once

#include <QCursor>
#include <QHash>
#include <QString>

#include <optional>

// The program's cursor set: built-in cursors registered under fixed numbers at start.
enum CursorNumber {
    PenCursor = 1, // "STIFT5"
    MarkerCursor = 2, // "MARKER25"
    EraserCursor = 3, // "RADIER32"
    MoveCursor = 4, // "PFEILMOVE", the cursor of the anchor marker
    TickCursor = 5, // "HAEKCHEN"
    CrossCursor = 6, // "KREUZ"
    TextEntryCursor = 7, // "TEXTEINGABE"
    HandCursor = 8, // "HAND"
};

class CursorSet
{
public:
    // Registers the eight numbered cursors and the drag cursor of the program's resources. A
    // cursor picture that is missing falls back to a system shape, so the set is always complete.
    void registerBuiltIn();

    // The cursor registered under number, decoded on its first use; the arrow for numbers
    // never registered. Main thread only.
    QCursor cursor(int number) const;
    QString resourceName(int number) const;
    int count() const { return int(m_registered.size()); }

    // Dragging shows "DRAGBLACK"; where no drop is possible, the system's drag cursor.
    QCursor dragCursor() const;
    QCursor noDropCursor() const { return QCursor(Qt::DragMoveCursor); }

private:
    struct Registered
    {
        QString name;
        Qt::CursorShape fallback = Qt::ArrowCursor;
    };
    QHash<int, Registered> m_registered;
    mutable QHash<int, QCursor> m_loaded;
    bool m_dragRegistered = false;
    mutable std::optional<QCursor> m_dragCursor;
};

CursorSet& cursorSet();

// Loads ":/cursors/<name>.png" with the hot spot stored in its "hotspot" text ("x,y").
// Returns false (and leaves cursor alone) when the picture is missing.
bool loadResourceCursor(const QString& name, QCursor& cursor);
