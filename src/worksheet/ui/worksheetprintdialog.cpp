#include "worksheetprintdialog.h"

#include "common/atomicfile.h"
#include "common/theme.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox* centimetres(const char* name, double value)
{
    auto* box = new QDoubleSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setLocale(QLocale(QLocale::German, QLocale::Germany));
    box->setDecimals(1);
    box->setRange(0, 100);
    box->setSingleStep(0.1);
    box->setSuffix(QStringLiteral(" cm"));
    box->setValue(value);
    return box;
}

} // namespace

QPrinter& worksheetPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

TABDruckForm::TABDruckForm(QWidget* parent)
    : QDialog(parent)
    , m_left(centimetres("LinksEdit", 2.2))
    , m_top(centimetres("ObenEdit", 1.4))
    , m_width(centimetres("BreiteEdit", 16.6))
    , m_height(centimetres("HoeheEdit", 17.0))
    , m_keepRatio(new QCheckBox(QStringLiteral("Korrektes &Seitenverhältnis")))
    , m_printerLine(new QLabel)
{
    setObjectName(QStringLiteral("ABDruckForm"));
    setWindowTitle(QStringLiteral("Arbeitsblatt drucken"));
    setPanelColour(this, theme().accent);

    auto* place = new QGroupBox(QStringLiteral(" Position und Größe "));
    auto* form = new QFormLayout(place);
    form->addRow(QStringLiteral("&Linker Rand:"), m_left);
    form->addRow(QStringLiteral("&Oberer Rand:"), m_top);
    form->addRow(QStringLiteral("&Breite:"), m_width);
    form->addRow(QStringLiteral("&Höhe:"), m_height);
    m_keepRatio->setObjectName(QStringLiteral("SeitenverhaeltnisCheck"));
    m_keepRatio->setChecked(true);
    form->addRow(m_keepRatio);

    auto* printerGroup = new QGroupBox(QStringLiteral(" Drucker "));
    auto* printerRow = new QHBoxLayout(printerGroup);
    m_printerLine->setObjectName(QStringLiteral("DruckerLab"));
    printerRow->addWidget(m_printerLine, 1);

    auto* print = new TBitBtn2(QStringLiteral("Drucken"));
    print->setObjectName(QStringLiteral("DruckenBtn"));
    print->setDefault(true);
    auto* cancel = new TBitBtn2(QStringLiteral("Abbrechen"));
    cancel->setObjectName(QStringLiteral("AbbrechenBtn"));
    auto* setup = new TBitBtn2(QStringLiteral("Einrichten..."));
    setup->setObjectName(QStringLiteral("EinrichtenBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(setup);
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(cancel);

    auto* column = new QVBoxLayout(this);
    column->addWidget(place);
    column->addWidget(printerGroup);
    column->addLayout(buttons);

    connect(m_width, &QDoubleSpinBox::valueChanged, this, &TABDruckForm::widthEdited);
    connect(m_height, &QDoubleSpinBox::valueChanged, this, &TABDruckForm::heightEdited);
    connect(print, &TBitBtn2::clicked, this, &QDialog::accept);
    connect(cancel, &TBitBtn2::clicked, this, &QDialog::reject);
    connect(setup, &TBitBtn2::clicked, this, [this] {
        QPageSetupDialog dialog(&worksheetPrinter(), this);
        dialog.exec();
        showPrinter();
    });
    showPrinter();
    styleDialogButtons(this);
}

TABDruckForm::~TABDruckForm() = default;

void TABDruckForm::setAspectRatio(double ratio)
{
    if (ratio > 0)
        m_ratio = ratio;
    widthEdited();
}

double TABDruckForm::leftCm() const
{
    return m_left->value();
}

double TABDruckForm::topCm() const
{
    return m_top->value();
}

double TABDruckForm::widthCm() const
{
    return m_width->value();
}

double TABDruckForm::heightCm() const
{
    return m_height->value();
}

void TABDruckForm::setWidthCm(double width)
{
    m_width->setValue(width);
}

void TABDruckForm::setHeightCm(double height)
{
    m_height->setValue(height);
}

void TABDruckForm::widthEdited()
{
    if (!m_keepRatio->isChecked() || m_following)
        return;
    m_following = true;
    m_height->setValue(m_width->value() / m_ratio);
    m_following = false;
}

void TABDruckForm::heightEdited()
{
    if (!m_keepRatio->isChecked() || m_following)
        return;
    m_following = true;
    m_width->setValue(m_height->value() * m_ratio);
    m_following = false;
}

void TABDruckForm::showPrinter()
{
    const QString name
        = worksheetPrinter().outputFormat() == QPrinter::PdfFormat || worksheetPrinter().printerName().isEmpty()
        ? QStringLiteral("PDF-Datei %1").arg(worksheetPrinter().outputFileName())
        : worksheetPrinter().printerName();
    m_printerLine->setText(name.trimmed());
}

bool TABDruckForm::printPage(const std::function<void(QPainter&)>& draw, QSizeF pageSize, const QByteArray& xmpMetadata)
{
    QPrinter& printer = worksheetPrinter();
    // Without a printer on the system, the page goes to a PDF file.
    if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty())
        return false;
    printer.setFullPage(true);
    const auto paint = [&](QPainter& painter, int resolution) {
        const double dotsPerCm = resolution / 2.54;
        painter.translate(leftCm() * dotsPerCm, topCm() * dotsPerCm);
        painter.scale(widthCm() * dotsPerCm / pageSize.width(), heightCm() * dotsPerCm / pageSize.height());
        draw(painter);
        return painter.end();
    };
    // Qt's printer writes a PDF without a subject; the PDF writer takes the whole description,
    // and the file is replaced only once it is complete.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        return writeFileAtomically(printer.outputFileName(), [&](QIODevice& device) {
            QPdfWriter pdf(&device);
            pdf.setTitle(printer.docName());
            pdf.setCreator(printer.creator());
            if (!xmpMetadata.isEmpty())
                pdf.setDocumentXmpMetadata(xmpMetadata);
            pdf.setResolution(printer.resolution());
            pdf.setPageLayout(QPageLayout(printer.pageLayout().pageSize(), printer.pageLayout().orientation(), {}));
            QPainter painter;
            return painter.begin(&pdf) && paint(painter, pdf.resolution());
        });
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    return paint(painter, printer.resolution());
}
