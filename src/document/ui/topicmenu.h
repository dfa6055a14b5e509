#pragma once

#include "document/topicfolder.h"

#include <QList>
#include <QObject>

class QActionGroup;
class QMenu;
class QMenuBar;
class TopicColumnStyle;

// The topic items of the menu "&Quizauswahl": one radio item "MenueThemaItem"+i per topic file of
// the listed folder after the menu's fixed items, the open topic ticked, and a long list split
// into two columns at its break entry when the menu opens.
class TopicMenu : public QObject
{
    Q_OBJECT
public:
    // The menu's first fixedItems entries stay as they are; bar is the menu bar it opens from.
    // Both outlive this object, which belongs to the menu.
    TopicMenu(QMenu* menu, QMenuBar* bar, int fixedItems);

    // Lists the topic files of folder in menu order and ticks the one at openPath. Returns its
    // index, -1 when it is not in the list.
    int rebuild(const QString& folder, const QString& openPath);
    const QList<TopicEntry>& topics() const { return m_topics; }
    // Ticks the item of index; none for an index outside the list.
    void tick(int index);
    // Splits the list into two columns at its break entry, on the screen the menu opens on.
    void layoutColumns();

signals:
    // A topic item was chosen.
    void topicChosen(int index);

private:
    void relayout();

    QMenu* m_menu;
    int m_fixedItems;
    QList<TopicEntry> m_topics;
    QActionGroup* m_group = nullptr;
    TopicColumnStyle* m_columnStyle = nullptr;
    int m_columnBreak = -1;
};
