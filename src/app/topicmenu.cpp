// The topic folder and the menu "&Quizauswahl" of TForm1: listing the topic files of the
// folder, opening them, stepping through the list, changing the folder, and the link objects
// of a topic that lead to files, web pages and other topics.

#include "mainwindow.h"

#include "app/linktargets.h"
#include "common/folders.h"
#include "platform/desktopshell.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidgetAction>

namespace {

// The fixed items at the top of "&Quizauswahl"; the topics follow them.
constexpr int fixedTopicMenuItems = 9;

QString folderOf(const QString& path)
{
    if (path.isEmpty())
        return {};
    return withTrailingSeparator(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

QString topicFolderMessage(int count)
{
    return QString::number(count)
        + QStringLiteral(" Themendokument(e) eingelesen.\r\nWählen Sie das gewünschte Dokument im Menü "
                         "\"Themenauswahl\".");
}

} // namespace

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

QMenu* TForm1::topicMenu() const
{
    QAction* item = menuItem(QStringLiteral("Auswahl1"));
    return item ? item->menu() : nullptr;
}

void TForm1::setUpTopicMenu()
{
    QMenu* menu = topicMenu();
    m_topicGroup = new QActionGroup(menu);
    // At most one topic is ticked, and none when the open document is not in the list.
    m_topicGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    m_topicColumnStyle = new TopicColumnStyle;
    m_topicColumnStyle->setParent(menu);
    menu->setStyle(m_topicColumnStyle);
    new TopicMenuPlacement(menu, menuBar(), m_topicColumnStyle);
    connect(m_topicGroup, &QActionGroup::triggered, this, &TForm1::chooseTopicItem);
    connect(menu, &QMenu::aboutToShow, this, &TForm1::layoutTopicColumns);

    m_topicFileDialog.title = QStringLiteral("Dokument öffnen");
    m_topicFileDialog.filter = QStringLiteral("Zeporama - Dokument (*.zep)|*.zep|Alle Dateien (*.*)|*.*");
    m_topicFileDialog.defaultSuffix = QStringLiteral("zep");
}

void TForm1::rebuildTopicMenu()
{
    m_document.topicIndex = -1;
    const QString folder = m_document.filePath.isEmpty() ? folders().topicFolder : folderOf(m_document.filePath);
    m_topicList = readTopicList(folder);

    QMenu* menu = topicMenu();
    const QList<QAction*> items = menu->actions();
    for (qsizetype i = fixedTopicMenuItems; i < items.size(); ++i) {
        menu->removeAction(items.at(i));
        delete items.at(i);
    }

    const int count = int(m_topicList.size());
    m_topicColumnBreak = topicColumnBreak(count);
    QList<QAction*> topicItems;
    topicItems.reserve(count);
    for (int i = 0; i < count; ++i) {
        const TopicEntry& entry = m_topicList.at(i);
        auto* item = new QAction(topicItemCaption(i, entry), menu);
        item->setObjectName(QStringLiteral("MenueThemaItem") + QString::number(i));
        item->setData(i);
        item->setCheckable(true);
        item->setActionGroup(m_topicGroup);
        if (i == m_topicColumnBreak)
            item->setProperty("menuBarBreak", true); // what a Windows menu calls a bar break
        if (entry.path == m_document.filePath) {
            item->setChecked(true);
            m_document.topicIndex = i;
        }
        topicItems.append(item);
    }
    // One call adds them all; the columns are laid out when the menu opens, on its screen.
    menu->addActions(topicItems);
    m_topicColumnStyle->setFrame(0);
    showTitle();
}

void TForm1::layoutTopicColumns()
{
    QMenu* menu = topicMenu();
    const int columnBreak = m_topicColumnBreak;
    for (QAction* filler :
        menu->findChildren<QWidgetAction*>(QStringLiteral("ThemaSpaltenFueller"), Qt::FindDirectChildrenOnly))
        delete filler;
    m_topicColumnStyle->setFrame(0);
    relayoutMenu(menu);
    if (columnBreak < 0)
        return;

    // Heights of the shown items as the menu lays them out in one column.
    const QList<QAction*> items = menu->actions();
    const int breakAt = fixedTopicMenuItems + columnBreak;
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
    m_topicColumnStyle->setFrame(frame);
    relayoutMenu(menu);
}

void TForm1::relayoutMenu(QMenu* menu)
{
    // A style change makes the menu work out its item places afresh.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(menu, &styleChange);
}

void TForm1::openTopic(int index)
{
    if (index < 0 || index >= int(m_topicList.size()))
        return;
    if (!leaveQuizAndDocument())
        return;
    const QString path = m_topicList.at(index).path;
    m_topicFileDialog.fileName = path;
    readDocument(m_topicFileDialog.fileName, true);
    if (m_document.filePath == path) {
        if (QAction* item = menuItem(QStringLiteral("MenueThemaItem") + QString::number(index)))
            item->setChecked(true);
        m_document.topicIndex = index;
        showTitle();
    }
}

void TForm1::chooseTopicItem(QAction* item)
{
    openTopic(item->data().toInt());
    // The menu ticked the chosen item already; the tick belongs to the open topic, also when
    // opening failed or was refused.
    for (QAction* topicItem : m_topicGroup->actions())
        topicItem->setChecked(topicItem->data().toInt() == m_document.topicIndex);
    // The quiz starts on whatever is open now, also when opening failed or was refused.
    startQuiz(0, 0);
}

void TForm1::nextTopic()
{
    if (m_cardMode != LearningCard)
        return;
    const int count = int(m_topicList.size());
    const int target = count == 0 ? -1 : qMin(m_document.topicIndex + 1, count - 1);
    if (target != m_document.topicIndex)
        openTopic(target);
}

void TForm1::previousTopic()
{
    if (m_cardMode != LearningCard)
        return;
    const int target = m_topicList.isEmpty() ? -1 : qMax(m_document.topicIndex - 1, 0);
    if (target != m_document.topicIndex)
        openTopic(target);
}

void TForm1::rereadTopicFolder()
{
    rebuildTopicMenu();
    showInfo(topicFolderMessage(int(m_topicList.size())));
}

void TForm1::chooseTopicFolder()
{
    const QString chosen
        = dialogService().folderName(this, QStringLiteral("Aktuellen Ordner wählen"), folders().topicFolder);
    if (chosen.isEmpty())
        return;
    folders().topicFolder = withTrailingSeparator(QDir::toNativeSeparators(chosen));
    m_topicFileDialog.folder = folders().topicFolder;
    closeDocument();
    showInfo(topicFolderMessage(int(m_topicList.size())));
}

void TForm1::goToStartPage()
{
    if (!leaveQuizAndDocument())
        return;
    if (!folders().startDocumentPath.isEmpty()) {
        readDocument(folders().startDocumentPath, true);
        rebuildTopicMenu();
        return;
    }
    folders().topicFolder = folders().baseTopicFolder;
    m_topicFileDialog.folder = folders().topicFolder;
    closeDocument();
}

void TForm1::showPreviousDocument()
{
    if (m_cardMode != LearningCard || m_document.previousPath.isEmpty())
        return;
    readDocument(m_document.previousPath, true);
    rebuildTopicMenu();
}

void TForm1::openWithDialog()
{
    if (!leaveQuizAndDocument())
        return;
    if (!m_document.filePath.isEmpty()) {
        m_topicFileDialog.folder = folderOf(m_document.filePath);
    } else {
        m_topicFileDialog.fileName.clear();
        m_topicFileDialog.folder = folders().topicFolder;
    }
    const QString chosen = dialogService().openFileName(this, m_topicFileDialog);
    if (chosen.isEmpty())
        return;
    m_topicFileDialog.fileName = chosen;
    readDocument(chosen, true);
    rebuildTopicMenu();
}

void TForm1::followDocumentLink(int index)
{
    if (index < 0 || index >= int(m_document.objects.size()))
        return;
    if (!confirmLeaveDocument())
        return;
    const QString caption = m_document.objects.at(index).Cap;
    // Captions written on Windows separate folders with "\"; both separators count.
    const QString relative = linkPathToLocal(caption);

    if (!caption.isEmpty() && (caption.endsWith(u'\\') || caption.endsWith(u'/'))) {
        const QString subfolder = folders().topicFolder + relative;
        if (QFileInfo(subfolder).isDir()) {
            folders().topicFolder = withTrailingSeparator(subfolder);
            m_topicFileDialog.folder = folders().topicFolder;
            closeDocument();
            return;
        }
    }

    const QString candidates[] = {folderOf(m_document.filePath) + relative, folders().baseTopicFolder + relative,
        folders().programFolder + relative, relative};
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile()) {
            readDocument(candidate, true);
            rebuildTopicMenu();
            return;
        }
    }
    showError(QStringLiteral("Die Datei \"%1\" existiert nicht.").arg(caption));
}

void TForm1::followWebLink(int index)
{
    if (index < 0 || index >= int(m_document.objects.size()))
        return;
    const QString caption = m_document.objects.at(index).Cap;
    const QString target = resolveLinkTarget(caption, folderOf(m_document.filePath));
    // A topic file from a shared folder must not be able to start a program by a click.
    if (target.isEmpty() || isProgramLink(target) || isMissingLocalTarget(target) || !desktopShell().open(target))
        showError(QStringLiteral("Die Datei oder Internet-Adresse \"%1\" kann nicht geöffnet werden.").arg(caption));
}
