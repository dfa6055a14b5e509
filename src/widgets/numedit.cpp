#include "widgets/numedit.h"

#include <QValidator>

namespace {

bool onlyDigits(const QString& text)
{
    for (const QChar c : text) {
        // QChar::isDigit would let other scripts' digits through, which toInt() does not read.
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

class TNumEdit::Validator : public QValidator
{
public:
    explicit Validator(TNumEdit* edit)
        : QValidator(edit)
        , m_edit(edit)
    { }

    State validate(QString& input, int&) const override
    {
        if (input.isEmpty())
            return Intermediate;
        if (!onlyDigits(input) || input.size() > m_edit->maxLength())
            return Invalid;
        const int value = input.toInt();
        if (value > m_edit->m_maximum)
            return Invalid;
        // A lower bound above 9 must let the first digit through.
        return value < m_edit->m_minimum ? Intermediate : Acceptable;
    }

    void fixup(QString& input) const override
    {
        if (input.isEmpty() || !onlyDigits(input) || input.toInt() < m_edit->m_minimum)
            input = QString::number(m_edit->m_minimum);
    }

private:
    TNumEdit* m_edit;
};

TNumEdit::TNumEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setValidator(new Validator(this));
    setRange(0, 59);
}

TNumEdit::~TNumEdit() = default;

void TNumEdit::setRange(int minimum, int maximum)
{
    m_minimum = qMax(0, qMin(minimum, maximum));
    m_maximum = qMax(m_minimum, maximum);
    setMaxLength(int(QString::number(m_maximum).size()));
}

int TNumEdit::value() const
{
    const QString shown = text();
    if (!accepts(shown))
        return m_minimum;
    return shown.toInt();
}

void TNumEdit::setValue(int value)
{
    setText(QString::number(qBound(m_minimum, value, m_maximum)));
}

bool TNumEdit::accepts(const QString& text) const
{
    QString copy = text;
    int position = 0;
    return validator()->validate(copy, position) == QValidator::Acceptable;
}
