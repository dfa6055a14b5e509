#include "document/ui/topicmenu.h"

#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidgetAction>

// Qt's menus start a new column only where the screen ends; a long topic list is split into two
// columns at a chosen item instead. The style lowers the column height of this one menu so that
// the chosen item no longer fits under the ones before it, and the menu is put back under its
// menu-bar title once Qt has placed it (Qt keeps menus away from a frame of the same size).
class TopicColumnStyle : public QProxyStyle
{
public:
    TopicColumnStyle()
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
    { }

    // 0: Qt's own frame, no chosen column.
    void setFrame(int frame) { m_frame = frame; }
    int frame() const { return m_frame; }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_MenuDesktopFrameWidth && m_frame > 0)
            return m_frame;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int m_frame = 0;
};

class TopicMenuPlacement : public QObject
{
public:
    TopicMenuPlacement(QMenu* menu, QMenuBar* bar, TopicColumnStyle* style)
        : QObject(menu)
        , m_menu(menu)
        , m_bar(bar)
        , m_style(style)
    {
        menu->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_menu && event->type() == QEvent::Show && m_style->frame() > 0) {
            const QRect title = m_bar->actionGeometry(m_menu->menuAction());
            QPoint pos = m_bar->mapToGlobal(title.bottomLeft() + QPoint(0, 1));
            if (const QScreen* screen = m_menu->screen()) {
                const QRect area = screen->availableGeometry();
                pos.setX(qBound(area.left(), pos.x(), qMax(area.left(), area.right() - m_menu->width() + 1)));
                pos.setY(qBound(area.top(), pos.y(), qMax(area.top(), area.bottom() - m_menu->height() + 1)));
            }
            m_menu->move(pos);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMenu* m_menu;
    QMenuBar* m_bar;
    TopicColumnStyle* m_style;
};

TopicMenu::TopicMenu(QMenu* menu, QMenuBar* bar, int fixedItems)
    : QObject(menu)
    , m_menu(menu)
    , m_fixedItems(fixedItems)
{
    m_group = new QActionGroup(menu);
    // At most one topic is ticked, and none when the open document is not in the list.
    m_group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    m_columnStyle = new TopicColumnStyle;
    m_columnStyle->setParent(menu);
    menu->setStyle(m_columnStyle);
    new TopicMenuPlacement(menu, bar, m_columnStyle);
    connect(m_group, &QActionGroup::triggered, this, [this](QAction* item) { emit topicChosen(item->data().toInt()); });
    connect(menu, &QMenu::aboutToShow, this, &TopicMenu::layoutColumns);
}

int TopicMenu::rebuild(const QString& folder, const QString& openPath)
{
    m_topics = readTopicList(folder);
    const QList<QAction*> items = m_menu->actions();
    for (qsizetype i = m_fixedItems; i < items.size(); ++i) {
        m_menu->removeAction(items.at(i));
        delete items.at(i);
    }

    const int count = int(m_topics.size());
    m_columnBreak = topicColumnBreak(count);
    int open = -1;
    QList<QAction*> topicItems;
    topicItems.reserve(count);
    for (int i = 0; i < count; ++i) {
        const TopicEntry& entry = m_topics.at(i);
        auto* item = new QAction(topicItemCaption(i, entry), m_menu);
        item->setObjectName(QStringLiteral("MenueThemaItem") + QString::number(i));
        item->setData(i);
        item->setCheckable(true);
        item->setActionGroup(m_group);
        if (i == m_columnBreak)
            item->setProperty("menuBarBreak", true); // what a Windows menu calls a bar break
        if (entry.path == openPath) {
            item->setChecked(true);
            open = i;
        }
        topicItems.append(item);
    }
    // One call adds them all; the columns are laid out when the menu opens, on its screen.
    m_menu->addActions(topicItems);
    m_columnStyle->setFrame(0);
    return open;
}

void TopicMenu::tick(int index)
{
    for (QAction* item : m_group->actions())
        item->setChecked(item->data().toInt() == index);
}

void TopicMenu::layoutColumns()
{
    QMenu* menu = m_menu;
    const int columnBreak = m_columnBreak;
    for (QAction* filler :
        menu->findChildren<QWidgetAction*>(QStringLiteral("ThemaSpaltenFueller"), Qt::FindDirectChildrenOnly))
        delete filler;
    m_columnStyle->setFrame(0);
    relayout();
    if (columnBreak < 0)
        return;

    // Heights of the shown items as the menu lays them out in one column.
    const QList<QAction*> items = menu->actions();
    const int breakAt = m_fixedItems + columnBreak;
    int firstColumn = 0;
    int secondColumn = 0;
    int top = -1;
    for (int i = 0; i < int(items.size()); ++i) {
        const QRect rect = menu->actionGeometry(items.at(i));
        if (rect.isEmpty())
            continue;
        if (top < 0)
            top = rect.top();
        (i < breakAt ? firstColumn : secondColumn) += rect.height();
    }
    const QScreen* screen = menu->screen() ? menu->screen() : QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->availableGeometry().height() : 0;
    // Qt ends a column where the screen less its frame at both ends ends; the frame is chosen so
    // that the first column ends with the item before the break. A taller second column would
    // wrap once more, so a blank at the end of the first column makes both equally tall.
    const int column = qMax(firstColumn, secondColumn);
    const int frame = (screenHeight - 2 * top - column) / 2;
    if (top < 0 || frame <= 0)
        return; // taller than the screen: Qt's own columns
    if (secondColumn > firstColumn) {
        auto* blank = new QWidget;
        blank->setFixedSize(1, secondColumn - firstColumn);
        auto* filler = new QWidgetAction(menu);
        filler->setObjectName(QStringLiteral("ThemaSpaltenFueller"));
        filler->setDefaultWidget(blank);
        filler->setEnabled(false);
        menu->insertAction(items.at(breakAt), filler);
    }
    m_columnStyle->setFrame(frame);
    relayout();
}

void TopicMenu::relayout()
{
    // A style change makes the menu work out its item places afresh.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(m_menu, &styleChange);
}
