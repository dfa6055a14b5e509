#pragma once

#include <QLineEdit>

// A short field for a whole number: it takes only the digits 0-9, at most maxDigits of them,
// and refuses a keystroke that would leave the value above the upper bound. An empty field,
// or one below the lower bound, is set to the lower bound when editing ends.
class TNumEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TNumEdit(QWidget* parent = nullptr);
    ~TNumEdit() override;

    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // The bounds are kept in order; the number of digits follows the upper bound.
    void setRange(int minimum, int maximum);

    // The number shown; an empty or unfinished field counts as the lower bound.
    int value() const;
    // Shows value, brought into the bounds.
    void setValue(int value);

    // True when text is what the field could hold after typing: digits only, within the
    // number of digits and the bounds.
    bool accepts(const QString& text) const;

private:
    class Validator;

    int m_minimum = 0;
    int m_maximum = 59;
};
