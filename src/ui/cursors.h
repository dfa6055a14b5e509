#pragma once

#include <QCursor>
#include <QHash>
#include <QString>

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
    // Loads the eight numbered cursors and the drag cursor from the program's resources.
    // A cursor picture that is missing falls back to a system shape, so the set is always complete.
    void registerBuiltIn();

    // The cursor registered under number; the arrow for numbers never registered.
    QCursor cursor(int number) const;
    QString resourceName(int number) const;
    int count() const { return int(m_cursors.size()); }

    // Dragging shows "DRAGBLACK"; where no drop is possible, the system's drag cursor.
    QCursor dragCursor() const { return m_dragCursor; }
    QCursor noDropCursor() const { return m_noDropCursor; }

private:
    QHash<int, QCursor> m_cursors;
    QHash<int, QString> m_names;
    QCursor m_dragCursor;
    QCursor m_noDropCursor;
};

CursorSet& cursorSet();

// Loads ":/cursors/<name>.png" with the hot spot stored in its "hotspot" text ("x,y").
// Returns false (and leaves cursor alone) when the picture is missing.
bool loadResourceCursor(const QString& name, QCursor& cursor);
