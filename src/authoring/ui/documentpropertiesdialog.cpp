#include "authoring/ui/documentpropertiesdialog.h"

#include "authoring/ui/storabletext.h"
#include "platform/cp1252.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString shownText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

QString storedLines(const QString& text)
{
    QString stored = text;
    stored.replace(u'\n', QLatin1String("\r\n"));
    return stored;
}

} // namespace

DocumentPropertiesDialog::DocumentPropertiesDialog(TopicEditor& editor, QWidget* parent)
    : QDialog(parent)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("DokumentEigenschaften"));
    setWindowTitle(QStringLiteral("Dokumenteigenschaften"));

    auto* validator = new StorableTextValidator(this);
    connect(validator, &StorableTextValidator::refused, this, &DocumentPropertiesDialog::showRefusal);
    const auto lineEdit = [this, validator](const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setValidator(validator);
        return edit;
    };
    m_titleEdit = lineEdit("TitelEdit");
    m_titleEdit->setToolTip(QStringLiteral("Der Titel steht in der Themenauswahl und über der Karte."));
    m_authorEdit = lineEdit("AutorEdit");
    m_versionEdit = lineEdit("VersEdit");
    m_remarkEdit = new StorableTextEdit(this);
    m_remarkEdit->setObjectName(QStringLiteral("BemerkungMemo"));
    m_remarkEdit->setMinimumHeight(70);
    connect(m_remarkEdit, &StorableTextEdit::refused, this, &DocumentPropertiesDialog::showRefusal);

    auto* margins = new QGroupBox(QStringLiteral("Rand um das Bild (in % des Bildes)"), this);
    margins->setToolTip(QStringLiteral("Weißer Rand links und rechts in Prozent der Bildbreite, oben und unten in "
                                       "Prozent der Bildhöhe. Die Objekte bleiben auf ihren Bildpunkten."));
    auto* marginGrid = new QGridLayout(margins);
    const char* marginNames[] = {"RandLinksSpin", "RandObenSpin", "RandRechtsSpin", "RandUntenSpin"};
    const QString marginLabels[]
        = {QStringLiteral("&Links:"), QStringLiteral("&Oben:"), QStringLiteral("&Rechts:"), QStringLiteral("&Unten:")};
    for (int i = 0; i < 4; ++i) {
        auto* spin = new QDoubleSpinBox(margins);
        spin->setObjectName(QLatin1String(marginNames[i]));
        // Percentages show with one decimal and a point, as everywhere in the program.
        spin->setLocale(QLocale::c());
        spin->setDecimals(1);
        spin->setRange(0.0, largestMarginPercent);
        spin->setSingleStep(1.0);
        spin->setSuffix(QStringLiteral(" %"));
        auto* label = new QLabel(marginLabels[i], margins);
        label->setBuddy(spin);
        marginGrid->addWidget(label, i / 2, (i % 2) * 2);
        marginGrid->addWidget(spin, i / 2, (i % 2) * 2 + 1);
        m_marginSpins[size_t(i)] = spin;
    }

    m_numberingCombo = new QComboBox(this);
    m_numberingCombo->setObjectName(QStringLiteral("NumArtCombo"));
    m_numberingCombo->addItems({QStringLiteral("Zahlen"), QStringLiteral("Buchstaben")});
    m_orderCombo = new QComboBox(this);
    m_orderCombo->setObjectName(QStringLiteral("GeordnetArtCombo"));
    m_orderCombo->addItems({QStringLiteral("nach Lage"), QStringLiteral("alphabetisch")});
    m_orderCombo->setToolTip(QStringLiteral("Die Reihenfolge der geordneten Nummerierung"));

    m_refusalHint = new QLabel(this);
    m_refusalHint->setObjectName(QStringLiteral("ZeichenHinweis"));
    m_refusalHint->setWordWrap(true);
    m_refusalHint->setTextFormat(Qt::PlainText);
    m_refusalHint->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_refusalHint->hide();

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DocumentPropertiesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DocumentPropertiesDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Titel:"), m_titleEdit);
    form->addRow(QStringLiteral("&Autor:"), m_authorEdit);
    form->addRow(QStringLiteral("&Bemerkung:"), m_remarkEdit);
    form->addRow(QStringLiteral("&Version:"), m_versionEdit);
    form->addRow(margins);
    form->addRow(QStringLiteral("&Nummerierung:"), m_numberingCombo);
    form->addRow(QStringLiteral("&Geordnet:"), m_orderCombo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_refusalHint);
    layout->addWidget(buttons);

    setProperties(DocumentProperties::of(m_editor.document()));
}

DocumentProperties DocumentPropertiesDialog::properties() const
{
    DocumentProperties result = m_loaded;
    if (m_titleEdit->text() != m_shown.titel)
        result.titel = m_titleEdit->text();
    if (m_authorEdit->text() != m_shown.autor)
        result.autor = m_authorEdit->text();
    if (m_versionEdit->text() != m_shown.vers)
        result.vers = m_versionEdit->text();
    if (m_remarkEdit->toPlainText() != m_shown.bemerkung)
        result.bemerkung = storedLines(m_remarkEdit->toPlainText());
    for (size_t i = 0; i < m_marginSpins.size(); ++i) {
        const double percent = m_marginSpins[i]->value();
        if (percent != m_shown.margins[i])
            result.RandErw[i] = percent / 100.0;
    }
    if (m_numberingCombo->currentIndex() != m_shown.numbering)
        result.NumArt = m_numberingCombo->currentIndex();
    if (m_orderCombo->currentIndex() != m_shown.order)
        result.GeordnetArt = m_orderCombo->currentIndex();
    return result;
}

void DocumentPropertiesDialog::setProperties(const DocumentProperties& properties)
{
    m_loaded = properties;
    m_titleEdit->setText(properties.titel);
    m_authorEdit->setText(properties.autor);
    m_versionEdit->setText(properties.vers);
    m_remarkEdit->setPlainText(shownText(properties.bemerkung));
    for (size_t i = 0; i < m_marginSpins.size(); ++i) {
        // A margin that is no number (a damaged file) shows as none; the card draws it so.
        const double margin = properties.RandErw[i];
        m_marginSpins[i]->setValue(std::isnan(margin) ? 0.0 : margin * 100.0);
    }
    m_numberingCombo->setCurrentIndex(properties.NumArt == 1 ? 1 : 0);
    m_orderCombo->setCurrentIndex(properties.GeordnetArt != 0 ? 1 : 0);

    // The fields as they show now: the spin boxes round and clamp, the line edits may drop line
    // breaks.
    m_shown.titel = m_titleEdit->text();
    m_shown.autor = m_authorEdit->text();
    m_shown.vers = m_versionEdit->text();
    m_shown.bemerkung = m_remarkEdit->toPlainText();
    for (size_t i = 0; i < m_marginSpins.size(); ++i)
        m_shown.margins[i] = m_marginSpins[i]->value();
    m_shown.numbering = m_numberingCombo->currentIndex();
    m_shown.order = m_orderCombo->currentIndex();
    m_refusalHint->hide();
}

void DocumentPropertiesDialog::accept()
{
    const DocumentProperties result = properties();
    for (const QString* text : {&result.titel, &result.autor, &result.bemerkung, &result.vers}) {
        const QList<char32_t> refused = unstorableCharacters(*text);
        if (!refused.isEmpty()) {
            showRefusal(refused);
            return;
        }
    }
    m_editor.setProperties(result);
    QDialog::accept();
}

void DocumentPropertiesDialog::showEvent(QShowEvent* event)
{
    // Shown again after being minimised it keeps what the teacher typed.
    if (!event->spontaneous())
        setProperties(DocumentProperties::of(m_editor.document()));
    QDialog::showEvent(event);
}

void DocumentPropertiesDialog::showRefusal(const QList<char32_t>& characters)
{
    m_refusalHint->setText(unstorableHint(characters));
    m_refusalHint->show();
}
