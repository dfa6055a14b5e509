#include "quiz/ui/quizaccessible.h"

#include "quiz/ui/quizpanel.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>
#include <QWindow>

#include <optional>

namespace {

// One painted item of the panel, found again by its key each time it is asked: the item may
// have gone (a target answered), and then it reads as empty and invisible.
class QuizItemAccessible : public QAccessibleInterface
{
public:
    QuizItemAccessible(QuizPanel* panel, QString key)
        : m_panel(panel)
        , m_key(std::move(key))
    { }

    const QString& key() const { return m_key; }

    bool isValid() const override { return m_panel; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_panel ? m_panel->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_panel.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override { }
    QAccessible::Role role() const override { return QAccessible::StaticText; }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return {};
        const std::optional<QuizPanel::SpokenItem> found = item();
        return found ? found->name : QString();
    }

    QRect rect() const override
    {
        const std::optional<QuizPanel::SpokenItem> found = item();
        if (!found)
            return {};
        return QRect(m_panel->mapToGlobal(found->rect.topLeft()), found->rect.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.readOnly = true;
        const std::optional<QuizPanel::SpokenItem> found = item();
        s.invisible = !found;
        // The target a carried tile would go to.
        s.selected = found && found->chosen;
        return s;
    }

private:
    std::optional<QuizPanel::SpokenItem> item() const
    {
        if (!m_panel)
            return std::nullopt;
        for (const QuizPanel::SpokenItem& i : m_panel->spokenItems()) {
            if (i.key == m_key)
                return i;
        }
        return std::nullopt;
    }

    QPointer<QuizPanel> m_panel;
    QString m_key;
};

class QuizPanelAccessible : public QAccessibleWidget
{
public:
    explicit QuizPanelAccessible(QuizPanel* panel)
        : QAccessibleWidget(panel, QAccessible::Pane)
    { }

    ~QuizPanelAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return QStringLiteral("Quiz");
        return QAccessibleWidget::text(t);
    }

    // The widgets come in the panel's order (the answer tiles as Tab and the keys 1 to 5 reach
    // them), then the painted items.
    int childCount() const override
    {
        return int(panel()->accessibleChildOrder().size() + panel()->spokenItems().size());
    }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> order = panel()->accessibleChildOrder();
        const int widgets = int(order.size());
        if (index < 0)
            return nullptr;
        if (index < widgets)
            return QAccessible::queryAccessibleInterface(order.at(index));
        const QList<QuizPanel::SpokenItem> items = panel()->spokenItems();
        if (index - widgets >= items.size())
            return nullptr;
        const QString& key = items.at(index - widgets).key;
        QAccessible::Id id = m_ids.value(key);
        if (!id) {
            id = QAccessible::registerAccessibleInterface(new QuizItemAccessible(panel(), key));
            m_ids.insert(key, id);
        }
        return QAccessible::accessibleInterface(id);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const QList<QWidget*> order = panel()->accessibleChildOrder();
        const auto* item = dynamic_cast<const QuizItemAccessible*>(child);
        if (!item)
            return child ? int(order.indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
        const QList<QuizPanel::SpokenItem> items = panel()->spokenItems();
        for (int i = 0; i < items.size(); ++i) {
            if (items.at(i).key == item->key())
                return int(order.size()) + i;
        }
        return -1;
    }

private:
    QuizPanel* panel() const { return static_cast<QuizPanel*>(widget()); }

    mutable QHash<QString, QAccessible::Id> m_ids;
};

QAccessibleInterface* quizPanelAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("QuizPanel") && object && object->isWidgetType())
        return new QuizPanelAccessible(static_cast<QuizPanel*>(object));
    return nullptr;
}

} // namespace

void installQuizAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(quizPanelAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void announceQuizItemsChanged(QWidget* panel)
{
    QAccessibleEvent event(panel, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
}
