#include "quiz/ui/optionsdialogbase.h"

#include "common/theme.h"
#include "quiz/quizoptions.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"
#include "widgets/numedit.h"
#include "widgets/radiogroup2.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace {

QString fieldOrDefault(const QString& text, const QString& fallback)
{
    return isTimeLimitField(text) ? text : fallback;
}

// An emptied field means no minutes or seconds; storing it empty would bring back the
// default at the next program start, since the store takes only what typing can give.
QString fieldValue(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("0") : text;
}

} // namespace

QuizOptionsDialogBase::QuizOptionsDialogBase(
    const QString& objectName, const QString& caption, const QSize& size, QWidget* parent)
    : QDialog(parent)
    , m_caption(caption)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(size);
    setPanelColour(this, theme().background);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(rect());
    setPanelColour(m_panel, theme().accent);
    m_backImg = new TextureImage(m_panel);
}

TRadioGroup2* QuizOptionsDialogBase::addGroup(
    const char* name, const QString& title, const QStringList& items, const QRect& geometry)
{
    auto* group = new TRadioGroup2(title, items, m_panel);
    group->setObjectName(QLatin1String(name));
    group->setItemHeight(22);
    group->setTopMargin(20);
    group->setGeometry(geometry);
    return group;
}

void QuizOptionsDialogBase::addTimeLimit(const QStringList& items, const QRect& geometry)
{
    m_zeitlimit = addGroup("Zeitlimit", QStringLiteral(" Zeitlimit "), items, geometry);

    // The fields follow the caption of the second item; the unit label's run of blanks
    // leaves the room for the seconds field, so both sit on one line of text.
    const QRect row = m_zeitlimit->itemRect(1);
    const QFontMetrics metrics(m_zeitlimit->font());
    const int editWidth = 26;
    const int editHeight = 20;
    const int top = row.top() + (row.height() - editHeight) / 2;
    const int minutesLeft = row.left() + m_zeitlimit->button(1)->sizeHint().width() + 4;
    const QString unitText = QStringLiteral("Min.             Sek. ");
    const int unitLeft = minutesLeft + editWidth + 4;
    const int gapLeft = unitLeft + metrics.horizontalAdvance(QStringLiteral("Min."));
    const int gapWidth = metrics.horizontalAdvance(QStringLiteral("Min.             ")) - (gapLeft - unitLeft);

    m_minutes = new TNumEdit(m_zeitlimit);
    m_minutes->setObjectName(QStringLiteral("ZLimitMin"));
    m_minutes->setGeometry(minutesLeft, top, editWidth, editHeight);

    auto* unit = new QLabel(unitText, m_zeitlimit);
    unit->setObjectName(QStringLiteral("ZLimitLab"));
    unit->setGeometry(unitLeft, row.top(), metrics.horizontalAdvance(unitText) + 4, row.height());

    m_seconds = new TNumEdit(m_zeitlimit);
    m_seconds->setObjectName(QStringLiteral("ZLimitSek"));
    m_seconds->setGeometry(gapLeft + (gapWidth - editWidth) / 2, top, editWidth, editHeight);
    m_minutes->raise();
    m_seconds->raise();

    // Only typing chooses the limit: showing stored options must not switch it on.
    for (TNumEdit* edit : {m_minutes, m_seconds})
        connect(edit, &QLineEdit::textEdited, m_zeitlimit, [this] { m_zeitlimit->setItemIndex(1); });
}

void QuizOptionsDialogBase::addShowCheck(const char* name, const QRect& geometry)
{
    m_showCheck = new QCheckBox(QStringLiteral(" Dieses Dialogfenster vor jeder Übung anzeigen "), m_panel);
    m_showCheck->setObjectName(QLatin1String(name));
    m_showCheck->setGeometry(geometry);
    m_showCheck->setChecked(true);
}

QPoint QuizOptionsDialogBase::addButtons(const QPoint& topLeft)
{
    const QSize size(100, 28);
    m_okBtn = new TBitBtn2(QStringLiteral("Übung starten"), m_panel);
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setGeometry(QRect(topLeft, size));
    m_okBtn->setDefault(true);
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* close = new TBitBtn2(QStringLiteral("Schließen"), m_panel);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setGeometry(QRect(topLeft + QPoint(0, 34), size));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    return topLeft + QPoint(0, 68);
}

void QuizOptionsDialogBase::addNetworkNote(const QRect& geometry)
{
    m_networkNote = new QWidget(m_panel);
    m_networkNote->setObjectName(QStringLiteral("NetzUebInitPan"));
    m_networkNote->setGeometry(geometry);
    setPanelColour(m_networkNote, QColor(255, 255, 225));
    auto* note = new QLabel(QStringLiteral("Klicken Sie auf \"Übung starten\" um die Netzwerk-Übung zu initiieren.  "
                                           "      Alle getätigten Einstellungen werden an die Übungsteilnehmer "
                                           "übermittelt."),
        m_networkNote);
    note->setObjectName(QStringLiteral("NetzUebInitLab"));
    note->setWordWrap(true);
    note->setGeometry(m_networkNote->rect().adjusted(6, 2, -6, -2));
    m_networkNote->hide();
}

QLabel* QuizOptionsDialogBase::addText(const QString& text, const QRect& geometry)
{
    auto* label = new QLabel(text, m_panel);
    label->setGeometry(geometry);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

void QuizOptionsDialogBase::showNetworkInitiation()
{
    setWindowTitle(QStringLiteral("Netzwerk-") + m_caption);
    if (m_networkNote) {
        m_networkNote->show();
        m_networkNote->raise();
    }
}

void QuizOptionsDialogBase::showTimeLimit(int choice, const QString& minutes, const QString& seconds, int defaultChoice,
    const QString& defaultMinutes, const QString& defaultSeconds)
{
    showChoice(m_zeitlimit, choice, defaultChoice);
    m_minutes->setText(fieldOrDefault(minutes, defaultMinutes));
    m_seconds->setText(fieldOrDefault(seconds, defaultSeconds));
}

int QuizOptionsDialogBase::timeLimitChoice() const
{
    return m_zeitlimit->itemIndex();
}

QString QuizOptionsDialogBase::minutesText() const
{
    return fieldValue(m_minutes->text());
}

QString QuizOptionsDialogBase::secondsText() const
{
    return fieldValue(m_seconds->text());
}

bool QuizOptionsDialogBase::showBeforeQuiz() const
{
    return m_showCheck->isChecked();
}

void QuizOptionsDialogBase::setShowBeforeQuiz(bool on)
{
    m_showCheck->setChecked(on);
}

void QuizOptionsDialogBase::showChoice(TRadioGroup2* group, int value, int fallback)
{
    group->setItemIndex(value >= 0 && value < group->count() ? value : fallback);
}

void QuizOptionsDialogBase::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
    m_okBtn->setFocus();
}

void QuizOptionsDialogBase::resizeEvent(QResizeEvent* event)
{
    // The panel and its picture follow the form when it grows to show the further options.
    m_panel->setGeometry(rect());
    QDialog::resizeEvent(event);
}

void QuizOptionsDialogBase::done(int result)
{
    if (m_networkNote)
        m_networkNote->hide();
    setWindowTitle(m_caption);
    QDialog::done(result);
}
