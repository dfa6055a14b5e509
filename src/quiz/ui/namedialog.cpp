#include "quiz/ui/namedialog.h"

#include "common/theme.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

TNameEingabeForm::TNameEingabeForm(QWidget* parent)
    : QDialog(parent)
{
    const TexturedDialogFrame frame
        = setUpTexturedDialog(this, "NameEingabeForm", QStringLiteral("Teilnehmername eingeben"), QSize(380, 164));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    auto* group = new QGroupBox(QStringLiteral(" Quizteilnehmer "), panel);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(12, 10, 356, 100);

    m_nameEdit = new QLineEdit(group);
    m_nameEdit->setObjectName(QStringLiteral("TNameEdit"));
    m_nameEdit->setMaxLength(maxNameLength);
    m_nameEdit->setGeometry(64, 28, 278, 22);

    auto* caption = new QLabel(QStringLiteral("&Name:"), group);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->setBuddy(m_nameEdit);
    caption->setGeometry(14, 28, 48, 22);

    auto* hint = new QLabel(QStringLiteral("Bitte Name für Protokoll und Bestenliste eingeben."), group);
    hint->setObjectName(QStringLiteral("Label2"));
    hint->setGeometry(14, 62, 328, 22);

    auto* ok = addDialogButton(panel, QStringLiteral("Quiz starten"), "OKBtn", QRect(156, 124, 104, 28));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = addDialogButton(panel, QStringLiteral("Abbrechen"), "CancelBtn", QRect(264, 124, 104, 28));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TNameEingabeForm::name() const
{
    return m_nameEdit->text();
}

void TNameEingabeForm::setName(const QString& name)
{
    m_nameEdit->setText(name);
}

void TNameEingabeForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
    // The last name stands ready: Enter keeps it, typing replaces it.
    m_nameEdit->setFocus();
    m_nameEdit->selectAll();
}
