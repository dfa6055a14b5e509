#include "results/ui/bestlistverzform.h"

#include "common/folders.h"
#include "common/theme.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit* addFolderGroup(QWidget* parent, const QString& caption, const char* groupName, const char* editName,
    const char* buttonName, const QString& text, int top)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(groupName));
    group->setGeometry(12, top, 476, 126);
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QLatin1String(editName));
    edit->setGeometry(14, 24, 338, 24);
    addDialogButton(group, QStringLiteral("Durchsuchen..."), buttonName, QRect(360, 22, 102, 28));
    auto* label = new QLabel(text, group);
    label->setObjectName(QLatin1String(editName) + QStringLiteral("Label"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(14, 56, 448, 62);
    return edit;
}

} // namespace

TBestListVerzForm::TBestListVerzForm(QWidget* parent)
    : QDialog(parent)
{
    const TexturedDialogFrame frame = setUpTexturedDialog(
        this, "BestListVerzForm", QStringLiteral("Ordner für Protokolle und Bestenlisten"), QSize(500, 326));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    m_bestListVerzEdit = addFolderGroup(panel, QStringLiteral(" Ordner für Bestenlisten "), "BestListGroupBox",
        "BestListVerzEdit1", "BestListDurchsuchenBtn",
        QStringLiteral("In diesem Ordner werden die Bestenlisten gepeichert. Wenn hierfür ein Netzwerk-Ordner "
                       "angegeben wird, so wird eine gemeinsame Liste für alle Rechner geführt, die darauf "
                       "zugreifen, ansonsten nur für den lokalen Rechner. In jedem Fall wird für den Ordner Lese- "
                       "und Schreibberechtigung benötigt."),
        10);
    m_protVerzEdit = addFolderGroup(panel, QStringLiteral(" Ordner für Protokolle "), "ProtGroupBox", "ProtVerzEdit1",
        "ProtDurchsuchenBtn",
        QStringLiteral("In diesem Ordner werden die Protokolle automatisch gespeichert. Dazu sind für diesen Order "
                       "Schreibzugriffsrechte erforderlich."),
        146);

    connect(findChild<TBitBtn2*>(QStringLiteral("BestListDurchsuchenBtn")), &QPushButton::clicked, this,
        [this] { browse(m_bestListVerzEdit, QStringLiteral("Ordner für Bestenlisten festlegen")); });
    connect(findChild<TBitBtn2*>(QStringLiteral("ProtDurchsuchenBtn")), &QPushButton::clicked, this,
        [this] { browse(m_protVerzEdit, QStringLiteral("Ordner für Protokolle festlegen")); });

    auto* ok = addDialogButton(panel, QStringLiteral("OK"), "OKBtn", QRect(282, 286, 100, 28));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TBestListVerzForm::accept);
    auto* cancel = addDialogButton(panel, QStringLiteral("Abbrechen"), "CancelBtn", QRect(388, 286, 100, 28));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TBestListVerzForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    m_protVerzEdit->setText(folders().protocolFolder);
    m_bestListVerzEdit->setText(folders().highScoreFolder);
    QDialog::showEvent(event);
}

void TBestListVerzForm::browse(QLineEdit* field, const QString& title)
{
    const QString chosen = dialogService().folderName(this, title, field->text());
    if (!chosen.isEmpty())
        field->setText(chosen);
    raise();
    activateWindow();
}

bool TBestListVerzForm::checkFolder(QLineEdit* field, const QString& invalidText)
{
    if (!field->text().isEmpty())
        field->setText(withTrailingSeparator(field->text()));
    if (QFileInfo(field->text()).isDir())
        return true;
    showError(invalidText);
    field->setFocus();
    return false;
}

void TBestListVerzForm::accept()
{
    if (!checkFolder(m_protVerzEdit, QStringLiteral("Der angegebene Ordner für die Protokolle ist ungültig.")))
        return;
    if (!checkFolder(m_bestListVerzEdit, QStringLiteral("Der angegebene Ordner für die Bestenlisten ist ungültig.")))
        return;
    // The save dialogs for protocols and lists start in the protocol folder from now on.
    folders().protocolFolder = m_protVerzEdit->text();
    folders().highScoreFolder = m_bestListVerzEdit->text();
    QDialog::accept();
}
