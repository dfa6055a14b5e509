#include "widgets/radiogroup2.h"

#include <QButtonGroup>
#include <QRadioButton>

TRadioGroup2::TRadioGroup2(QWidget* parent)
    : QGroupBox(parent)
    , m_group(new QButtonGroup(this))
{
    connect(m_group, &QButtonGroup::idToggled, this, &TRadioGroup2::buttonToggled);
}

TRadioGroup2::TRadioGroup2(const QString& title, const QStringList& items, QWidget* parent)
    : TRadioGroup2(parent)
{
    setTitle(title);
    setItems(items);
}

TRadioGroup2::~TRadioGroup2() = default;

void TRadioGroup2::setItems(const QStringList& items)
{
    const bool hadChoice = m_itemIndex != -1;
    m_itemIndex = -1;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_items = items;
    for (int i = 0; i < m_items.size(); ++i) {
        auto* button = new QRadioButton(m_items[i], this);
        m_group->addButton(button, i);
        button->show();
        m_buttons.append(button);
    }
    layoutItems();
    emit itemsChanged();
    if (hadChoice)
        emit itemIndexChanged(-1);
}

void TRadioGroup2::setItemIndex(int index)
{
    if (index < 0 || index >= count())
        index = -1;
    if (index == m_itemIndex)
        return;
    if (index >= 0) {
        // The toggled handler records the index and tells the listeners.
        m_buttons[index]->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last checked button.
    m_group->setExclusive(false);
    for (QRadioButton* button : std::as_const(m_buttons))
        button->setChecked(false);
    m_group->setExclusive(true);
    m_itemIndex = -1;
    emit itemIndexChanged(-1);
}

QRadioButton* TRadioGroup2::button(int index) const
{
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void TRadioGroup2::setItemHeight(int height)
{
    m_itemHeight = qMax(1, height);
    layoutItems();
}

void TRadioGroup2::setLeftMargin(int margin)
{
    m_leftMargin = qMax(0, margin);
    layoutItems();
}

void TRadioGroup2::setTopMargin(int margin)
{
    m_topMargin = qMax(0, margin);
    layoutItems();
}

QRect TRadioGroup2::itemRect(int index) const
{
    return QRect(m_leftMargin, m_topMargin + index * m_itemHeight, qMax(0, width() - m_leftMargin - 4), m_itemHeight);
}

void TRadioGroup2::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    layoutItems();
}

void TRadioGroup2::layoutItems()
{
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setGeometry(itemRect(i));
}

void TRadioGroup2::buttonToggled(int id, bool checked)
{
    if (!checked || id == m_itemIndex)
        return;
    m_itemIndex = id;
    emit itemIndexChanged(id);
}
