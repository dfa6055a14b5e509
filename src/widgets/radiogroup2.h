#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// The program's radio group: a titled frame holding one radio button per item, laid out in
// rows of a fixed height from a left and top margin, so that the option dialogs can place
// pictures and fields beside particular items. At most one item is chosen; -1 means none.
class TRadioGroup2 : public QGroupBox
{
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
    Q_PROPERTY(QStringList items READ items WRITE setItems NOTIFY itemsChanged)

public:
    explicit TRadioGroup2(QWidget* parent = nullptr);
    TRadioGroup2(const QString& title, const QStringList& items, QWidget* parent = nullptr);
    ~TRadioGroup2() override;

    // The captions of the items, in order. Setting them rebuilds the buttons and leaves no
    // item chosen.
    QStringList items() const { return m_items; }
    void setItems(const QStringList& items);
    int count() const { return int(m_items.size()); }

    // The chosen item from 0, or -1. An index outside the items chooses none.
    int itemIndex() const { return m_itemIndex; }
    void setItemIndex(int index);

    // The button of item index, owned by the group; nullptr outside the items.
    QRadioButton* button(int index) const;

    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int height);
    int leftMargin() const { return m_leftMargin; }
    void setLeftMargin(int margin);
    int topMargin() const { return m_topMargin; }
    void setTopMargin(int margin);

    // The row of item index in the group's coordinates (also for an index past the last item,
    // where a dialog may put a continuation line).
    QRect itemRect(int index) const;

signals:
    // The choice changed, by the user or by setItemIndex.
    void itemIndexChanged(int index);
    void itemsChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutItems();
    void buttonToggled(int id, bool checked);

    QStringList m_items;
    QList<QRadioButton*> m_buttons;
    QButtonGroup* m_group = nullptr;
    int m_itemIndex = -1;
    int m_itemHeight = 20;
    int m_leftMargin = 10;
    int m_topMargin = 18;
};
