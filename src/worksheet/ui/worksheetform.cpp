#include "worksheetform.h"

#include "common/folders.h"

#include "common/theme.h"
#include "ui/cursors.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"
#include "widgets/radiogroup2.h"
#include "worksheet/ui/worksheetprintdialog.h"
#include "worksheet/worksheetoutput.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QVBoxLayout>

namespace {

QCheckBox* checkBox(const QString& text, const char* name, bool checked)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    return box;
}

TBitBtn2* button(const QString& text, const char* name)
{
    auto* b = new TBitBtn2(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumHeight(30);
    return b;
}

class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TArbeitsblattForm::TArbeitsblattForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ArbeitsblattForm"));
    setWindowTitle(QStringLiteral("Arbeitsblatt"));
    setPanelColour(this, theme().accent);
    resize(980, 700);

    m_modeRadio = new TRadioGroup2(QStringLiteral(" Was soll erstellt werden "),
        {QStringLiteral(" Arbeitsblatt "), QStringLiteral(" Lösungsblatt (komplett) "),
            QStringLiteral(" Lösungsblatt (Auflegefolie) ")});
    m_modeRadio->setObjectName(QStringLiteral("ModeRadio"));
    m_modeRadio->setItemIndex(0);
    m_modeRadio->setMinimumHeight(90);

    auto* design = new QGroupBox(QStringLiteral(" Gestaltung "));
    auto* designColumn = new QVBoxLayout(design);
    m_nameBox = checkBox(QStringLiteral("Name"), "ABNameBox", true);
    m_classBox = checkBox(QStringLiteral("Klasse"), "ABKlasseBox", true);
    m_dateBox = checkBox(QStringLiteral("Datum"), "ABDatumBox", true);
    auto* fields = new QHBoxLayout;
    for (QCheckBox* box : {m_nameBox, m_classBox, m_dateBox})
        fields->addWidget(box);
    designColumn->addLayout(fields);
    designColumn->addWidget(new QLabel(QStringLiteral("Titelzeile (frei lassen, falls nicht gewünscht)")));
    m_titleEdit = new QLineEdit;
    m_titleEdit->setObjectName(QStringLiteral("TitelEdit"));
    designColumn->addWidget(m_titleEdit);
    m_titleCheck = checkBox(QStringLiteral("Titel des Dokuments verwenden"), "TitelCheck", true);
    designColumn->addWidget(m_titleCheck);
    designColumn->addWidget(new QLabel(QStringLiteral("Aufgabenstellung")));
    m_taskMemo = new QPlainTextEdit(QStringLiteral("Aufgabe: Fülle die freien Felder aus!"));
    m_taskMemo->setObjectName(QStringLiteral("AufgMemo"));
    m_taskMemo->setMaximumHeight(70);
    designColumn->addWidget(m_taskMemo);
    m_answersCheck = checkBox(QStringLiteral("Antworttexte vorgeben"), "TextvorgabeCheck", true);
    designColumn->addWidget(m_answersCheck);
    m_type2Panel = new QWidget;
    m_type2Panel->setObjectName(QStringLiteral("Typ2Pan"));
    auto* type2Row = new QHBoxLayout(m_type2Panel);
    type2Row->setContentsMargins(0, 0, 0, 0);
    type2Row->addWidget(new QLabel(QStringLiteral("Ab Frage Nr.")));
    m_fromQuestion = new QSpinBox;
    m_fromQuestion->setObjectName(QStringLiteral("AbFrageEdit"));
    m_fromQuestion->setRange(1, 99999);
    type2Row->addWidget(m_fromQuestion);
    type2Row->addWidget(new QLabel(QStringLiteral("(falls nicht alles\nauf eine Seite passt)")), 1);
    designColumn->addWidget(m_type2Panel);

    auto* note
        = new QLabel(QStringLiteral("Um das handschriftliche Ausfüllen zu erleichtern, werden die Textkästchen im "
                                    "Arbeitsblatt größer als in der Lernansicht dargestellt."));
    note->setWordWrap(true);
    TBitBtn2* refresh = button(QStringLiteral("Vorschau aktualisieren"), "AktBtn");
    TBitBtn2* printButton = button(QStringLiteral("Drucken..."), "DruckBtn");
    TBitBtn2* save = button(QStringLiteral("Speichern..."), "SpeichernBtn");
    TBitBtn2* pdf = button(QStringLiteral("Als PDF speichern..."), "PdfBtn");
    TBitBtn2* copy = button(QStringLiteral("In Zwischenablage kopieren"), "ClipbrdBtn");
    TBitBtn2* close = button(QStringLiteral("Schließen"), "SchliessenBtn");

    auto* options = new QVBoxLayout;
    options->addWidget(m_modeRadio);
    options->addWidget(design);
    options->addWidget(note);
    options->addWidget(refresh);
    options->addStretch();
    for (TBitBtn2* b : {printButton, save, pdf, copy, close})
        options->addWidget(b);

    m_scrollBox = new QScrollArea;
    m_scrollBox->setObjectName(QStringLiteral("ABScrollBox"));
    m_scrollBox->setWidgetResizable(false);
    m_scrollBox->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_pagePanel = new QWidget;
    m_pagePanel->setObjectName(QStringLiteral("ABPan"));
    m_pageImage = new QLabel(m_pagePanel);
    m_pageImage->setObjectName(QStringLiteral("ABImg"));
    m_pageImage->setCursor(Qt::OpenHandCursor);
    m_scrollBox->setWidget(m_pagePanel);
    m_pageImage->installEventFilter(this);
    m_pagePanel->installEventFilter(this);

    auto* row = new QHBoxLayout(this);
    auto* optionsWidget = new QWidget;
    optionsWidget->setLayout(options);
    optionsWidget->setFixedWidth(340);
    row->addWidget(optionsWidget);
    row->addWidget(m_scrollBox, 1);

    // Clicks regenerate at once; typed texts count from the next regeneration.
    connect(m_modeRadio, &TRadioGroup2::itemIndexChanged, this, [this] {
        if (isVisible())
            regenerate();
    });
    for (QCheckBox* box : {m_nameBox, m_classBox, m_dateBox, m_answersCheck})
        connect(box, &QCheckBox::clicked, this, &TArbeitsblattForm::regenerate);
    connect(m_titleCheck, &QCheckBox::clicked, this, [this](bool on) {
        if (on && m_document)
            m_titleEdit->setText(m_document->titel);
    });
    connect(refresh, &TBitBtn2::clicked, this, &TArbeitsblattForm::regenerate);
    connect(printButton, &TBitBtn2::clicked, this, &TArbeitsblattForm::print);
    connect(save, &TBitBtn2::clicked, this, &TArbeitsblattForm::saveMetafile);
    connect(pdf, &TBitBtn2::clicked, this, &TArbeitsblattForm::savePdf);
    connect(copy, &TBitBtn2::clicked, this, &TArbeitsblattForm::copyToClipboard);
    connect(close, &TBitBtn2::clicked, this, &QDialog::accept);
    close->setDefault(true);
}

void TArbeitsblattForm::setDocument(const TopicDocument* document, const QString& pictureFolder)
{
    m_document = document;
    m_pictureFolder = pictureFolder;
}

WorksheetOptions TArbeitsblattForm::options() const
{
    WorksheetOptions options;
    options.mode = WorksheetMode(qBound(0, m_modeRadio->itemIndex(), 2));
    options.nameField = m_nameBox->isChecked();
    options.classField = m_classBox->isChecked();
    options.dateField = m_dateBox->isChecked();
    options.title = m_titleEdit->text();
    options.task = m_taskMemo->toPlainText();
    options.answerList = m_answersCheck->isChecked();
    options.fromQuestion = m_fromQuestion->value();
    options.pictureFolder = m_pictureFolder;
    return options;
}

void TArbeitsblattForm::showEvent(QShowEvent* event)
{
    styleDialogButtons(this);
    if (m_titleCheck->isChecked() && m_document)
        m_titleEdit->setText(m_document->titel);
    m_type2Panel->setVisible(m_document && m_document->DokTyp == DocType::SingleQuestions);
    QDialog::showEvent(event);
    if (auto* close = findChild<QWidget*>(QStringLiteral("SchliessenBtn")))
        close->setFocus();
    regenerate();
}

void TArbeitsblattForm::regenerate()
{
    if (!m_document)
        return;
    const WaitCursor wait;
    QImage page(worksheetPageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        m_layout = composeWorksheet(painter, *m_document, options());
    }
    m_page = page;
    layoutPreview();
}

void TArbeitsblattForm::layoutPreview()
{
    // The panel 40 pixels narrower than the box, as high as the page's proportions ask, 8 pixels
    // below the top; the view starts at the top. The page is resampled once for that width.
    const int width = qMax(200, m_scrollBox->viewport()->width() - 40);
    const int height = qRound((width - 40) * 1.625) + 40;
    m_pagePanel->resize(width, height + 16);
    if (!m_page.isNull()) {
        m_preview = m_page.scaledToWidth(width - 40, Qt::SmoothTransformation);
        m_pageImage->setPixmap(QPixmap::fromImage(m_preview));
        m_pageImage->setGeometry(20, 8, m_preview.width(), m_preview.height());
    }
    m_scrollBox->verticalScrollBar()->setValue(0);
}

void TArbeitsblattForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (isVisible())
        layoutPreview();
}

bool TArbeitsblattForm::eventFilter(QObject* watched, QEvent* event)
{
    QScrollBar* bar = m_scrollBox->verticalScrollBar();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_pageImage && mouse->button() == Qt::LeftButton) {
            m_panStartY = int(mouse->globalPosition().y());
            m_panStartScroll = bar->value();
            m_pageImage->setCursor(cursorSet().cursor(8));
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_pageImage && m_panStartY >= 0 && (mouse->buttons() & Qt::LeftButton)) {
            const int y = int(mouse->globalPosition().y());
            const int wanted = m_panStartScroll + (m_panStartY - y);
            bar->setValue(wanted);
            // At either end the hand keeps its grip on the page.
            const int shift = bar->value() - wanted;
            m_panStartScroll += shift;
            m_panStartY += shift;
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == m_pageImage && m_panStartY >= 0) {
            m_panStartY = -1;
            m_pageImage->setCursor(Qt::OpenHandCursor);
            return true;
        }
        break;
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int lines = QApplication::wheelScrollLines();
        bar->setValue(bar->value() + (wheel->angleDelta().y() <= 0 ? 1 : -1) * lines * bar->singleStep());
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

QString worksheetSaveFolder(const QString& lastFolder, const QString& topicPath)
{
    if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir())
        return lastFolder;
    const QFileInfo topicFolder(QFileInfo(topicPath).absolutePath());
    if (!topicPath.isEmpty() && topicFolder.isDir() && topicFolder.isWritable())
        return topicFolder.absoluteFilePath();
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString worksheetFileName(const QString& topicPath, WorksheetMode mode)
{
    static const char* const modes[] = {"arbeitsblatt", "loesung", "folie"};
    const QString base = QFileInfo(topicPath).completeBaseName();
    const QString kind = QString::fromLatin1(modes[qBound(0, int(mode), 2)]);
    return base.isEmpty() ? kind : base + u'-' + kind;
}

bool TArbeitsblattForm::saveTo(const QString& path)
{
    if (!m_document)
        return false;
    const WaitCursor wait;
    QString message;
    const bool saved = saveWorksheet(path, *m_document, options(), &message);
    if (!saved)
        showError(message);
    return saved;
}

void TArbeitsblattForm::askAndSave(const FileDialogRequest& request, const QList<WorksheetFormat>& accepted)
{
    regenerate();
    FileDialogRequest asked = request;
    asked.folder = worksheetSaveFolder(folders().worksheetFolder, m_document ? m_document->filePath : QString());
    asked.fileName = worksheetFileName(m_document ? m_document->filePath : QString(), options().mode);
    const QString path = dialogService().saveFileName(this, asked);
    if (path.isEmpty())
        return;
    const WorksheetFormat format = worksheetFormatForPath(path);
    if (!accepted.contains(format)) {
        showError(worksheetExtensionError());
        return;
    }
    if (format == WorksheetFormat::Wmf && m_document) {
        const QString lost = charactersLostInWmf(*m_document, options());
        if (!lost.isEmpty() && !askYesNo(wmfLossWarning(lost) + QStringLiteral("\r\nTrotzdem als WMF speichern?")))
            return;
    }
    if (saveTo(path))
        folders().worksheetFolder = QFileInfo(path).absolutePath();
}

void TArbeitsblattForm::saveMetafile()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Arbeitsblatt exportieren");
    request.defaultSuffix = QStringLiteral("emf");
    request.filter = QStringLiteral("Enhanced Metafile (*.emf)|*.emf|Metafile (*.wmf)|*.wmf|Alle Dateien (*.*)|*.*");
    askAndSave(request, {WorksheetFormat::Emf, WorksheetFormat::Wmf});
}

void TArbeitsblattForm::savePdf()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Arbeitsblatt als PDF speichern");
    request.defaultSuffix = QStringLiteral("pdf");
    request.filter = QStringLiteral("PDF-Dokument (*.pdf)|*.pdf|Alle Dateien (*.*)|*.*");
    askAndSave(request, {WorksheetFormat::Pdf});
}

void TArbeitsblattForm::copyToClipboard()
{
    regenerate();
    if (!m_document)
        return;
    const WaitCursor wait;
    // No metafile format is pasted on Linux: SVG for drawing and word processors, PNG for the rest.
    QByteArray svg;
    {
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(worksheetPageSize);
        generator.setViewBox(QRect(QPoint(0, 0), worksheetPageSize));
        // The sheet's physical size (16,6 cm wide), as the saved files have it: the size in the
        // SVG follows from the page in pixels and the resolution.
        generator.setResolution(qRound(worksheetPageSize.width() * 25.4 / worksheetWidthMm));
        generator.setTitle(m_titleEdit->text());
        QPainter painter(&generator);
        composeWorksheet(painter, *m_document, options());
    }
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    mime->setImageData(renderWorksheet(*m_document, options(), 2 * worksheetPageSize.width()));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void TArbeitsblattForm::print()
{
    regenerate();
    if (!m_document)
        return;
    TABDruckForm dialog(this);
    // The sheet's drawn width (x 0 to 1000) against its height, so that 16,6 cm give 27,0 cm.
    dialog.setAspectRatio(double(worksheetWidth) / worksheetHeight);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Without a printer on the system, Qt's print dialog offers printing into a PDF file.
    QPrinter& printer = dialog.printer();
    // The job's name in the printer queue, and the title and creator of a PDF printed to a file.
    const WorksheetOptions chosen = options();
    printer.setDocName(chosen.title.isEmpty() ? m_document->titel : chosen.title);
    printer.setCreator(QStringLiteral("Kestrova Tallowmere"));
    if (printer.printerName().isEmpty() && printer.outputFileName().isEmpty()
        && !dialogService().confirmPrint(this, printer))
        return;
    const WaitCursor wait;
    if (!dialog.printPage([this](QPainter& painter) { composeWorksheet(painter, *m_document, options()); },
            QSizeF(worksheetWidth, worksheetHeight), worksheetXmpMetadata(printer.docName(), chosen.mode)))
        showError(QStringLiteral("Das Arbeitsblatt konnte nicht gedruckt werden."));
}
