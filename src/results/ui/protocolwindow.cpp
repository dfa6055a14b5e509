#include "results/ui/protocolwindow.h"

#include "common/folders.h"
#include "common/rtfwriter.h"
#include "common/theme.h"
#include "platform/systeminfo.h"
#include "results/ui/protocolcomment.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/richtextoutput.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QBoxLayout>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// QTextDocument lays out in pixels of a 96-DPI screen and scales them for printers.
constexpr qreal pixelsPerPoint = 96.0 / 72.0;

const QString headingTag = QStringLiteral("<tit>");

QString fileNameSafe(const QString& text)
{
    QString safe = text;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    return safe;
}

} // namespace

void appendTaggedText(RichTextDocument& doc, const QString& text, bool clearFirst)
{
    if (clearFirst)
        doc.clear();
    QStringList lines = splitRichTextLines(text);
    // Every protocol line ends with CR LF; the break after the last one opens no empty line.
    if (lines.constLast().isEmpty())
        lines.removeLast();

    RichTextParagraphFormat body;
    body.pointSize = TUebProtokollForm::bodyPointSize;
    body.tabStopPoints = TUebProtokollForm::tabStopPoints;
    RichTextParagraphFormat spacer = body;
    spacer.pointSize = TUebProtokollForm::spacerPointSize;

    for (const QString& line : std::as_const(lines)) {
        RichTextParagraph paragraph;
        paragraph.format = body;
        if (line.startsWith(headingTag, Qt::CaseInsensitive)) {
            const QString heading = line.mid(headingTag.size());
            if (!heading.isEmpty())
                paragraph.runs += RichTextRun {heading, RichTextFormat {true, false, false, 0}};
            doc.addParagraph(paragraph);
            doc.addParagraph(RichTextParagraph {{}, spacer});
            continue;
        }
        if (!line.isEmpty())
            paragraph.runs += RichTextRun {line, RichTextFormat {}};
        doc.addParagraph(paragraph);
    }
}

QString protocolFileName(const QDateTime& time, const QString& computer, int counter)
{
    const QDate date = time.date();
    const QTime clock = time.time();
    const QChar zero(u'0');
    // The host name is appended rather than passed through arg(): a "%1" in it must stay text.
    return QStringLiteral("%1%2%3-%4%5%6-")
               .arg(date.year(), 4, 10, zero)
               .arg(date.month(), 2, 10, zero)
               .arg(date.day(), 2, 10, zero)
               .arg(clock.hour(), 2, 10, zero)
               .arg(clock.minute(), 2, 10, zero)
               .arg(clock.second(), 2, 10, zero)
        + fileNameSafe(computer) + u'-' + QString::number(counter) + QStringLiteral(".rtf");
}

ProtocolFileResult saveNewProtocolFile(
    const RichTextDocument& doc, const QString& folder, const QDateTime& time, const QString& computer)
{
    ProtocolFileResult result;
    if (folder.isEmpty()) {
        // A bare name would land in whatever the working folder happens to be.
        result.path = protocolFileName(time, computer, 0);
        result.errorText = QStringLiteral("no protocol folder set");
        return result;
    }
    for (int counter = 0; counter < maxProtocolFileAttempts; ++counter) {
        result.path = folder + protocolFileName(time, computer, counter);
        QFile file(result.path);
        // Checking for the name and creating the file must be one step: another computer
        // saving into the same shared folder may take the name in between.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            const QFileInfo taken(result.path);
            if (taken.exists() || taken.isSymLink())
                continue;
            result.errorText = file.errorString();
            return result;
        }
        if (!writeRtf(doc, file)) {
            // close() forgets the write error, so take it first.
            result.errorText = file.errorString();
            file.remove();
            return result;
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            result.errorText = file.errorString();
            file.remove();
            return result;
        }
        result.saved = true;
        return result;
    }
    result.errorText = QStringLiteral("every file name is taken");
    return result;
}

TUebProtokollForm::TUebProtokollForm(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("UebProtokollForm"));
    setWindowTitle(QStringLiteral("Quiz-Protokoll"));
    setModal(true);
    // The designed size is the smallest; larger only by maximising.
    setMinimumSize(clientWidth, clientHeight);
    resize(clientWidth, clientHeight);
    setPanelColour(this, theme().background);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    setPanelColour(panel, theme().panel);
    outer->addWidget(panel);
    m_backImg = new TextureImage(panel);

    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(10);

    m_richEdit = new QTextEdit(panel);
    m_richEdit->setObjectName(QStringLiteral("RichEdit1"));
    m_richEdit->setReadOnly(true);
    m_richEdit->setFrameShape(QFrame::NoFrame);
    m_richEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_richEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFont font(m_protocol.fontFamily(), int(bodyPointSize));
    m_richEdit->setFont(font);
    m_richEdit->document()->setDefaultFont(font);
    QPalette palette = m_richEdit->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_richEdit->setPalette(palette);
    column->addWidget(m_richEdit, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    const auto addButton = [&](const char* name, const QString& caption, int width) {
        auto* button = new TBitBtn2(caption, panel);
        button->setObjectName(QLatin1String(name));
        button->setFixedSize(width, 28);
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    TBitBtn2* kommBtn = addButton("KommBtn", QStringLiteral("Kommentar hinzufügen..."), 160);
    TBitBtn2* druckBtn = addButton("DruckBtn", QStringLiteral("Drucken..."), 104);
    TBitBtn2* saveBtn = addButton("SaveBtn", QStringLiteral("Speichern..."), 104);
    TBitBtn2* clipBtn = addButton("InClipBtn", QStringLiteral("In Zwischenablage kopieren"), 180);
    buttons->addStretch(1);
    m_okBtn = addButton("OKBtn", QStringLiteral("Schließen"), 104);
    m_okBtn->setDefault(true);
    column->addLayout(buttons);

    connect(kommBtn, &QPushButton::clicked, this, &TUebProtokollForm::addComment);
    connect(druckBtn, &QPushButton::clicked, this, &TUebProtokollForm::printProtocol);
    connect(saveBtn, &QPushButton::clicked, this, &TUebProtokollForm::saveProtocol);
    connect(clipBtn, &QPushButton::clicked, this, &TUebProtokollForm::copyProtocol);
    // QDialog closes on Escape by itself, which makes "Schließen" the cancel button too.
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);

    m_protocol.setDefaultPointSize(bodyPointSize);
    m_protKomForm = new TProtKomForm(this);
}

void TUebProtokollForm::setProtocol(const QString& protocolText)
{
    appendTaggedText(protocolText, true);
}

void TUebProtokollForm::appendTaggedText(const QString& text, bool clearFirst)
{
    ::appendTaggedText(m_protocol, text, clearFirst);
    refreshView();
}

void TUebProtokollForm::refreshView()
{
    // Rebuilt whole rather than appended to: the document holds one quiz's protocol, a few
    // hundred lines at most, and a rebuild cannot drift from the text that is saved.
    QTextDocument* document = m_richEdit->document();
    document->clear();
    QTextCursor cursor(document);
    bool first = true;
    for (const RichTextParagraph& paragraph : m_protocol.lineParagraphs()) {
        QTextBlockFormat block;
        if (paragraph.format.tabStopPoints > 0)
            block.setTabPositions(
                {QTextOption::Tab(paragraph.format.tabStopPoints * pixelsPerPoint, QTextOption::LeftTab)});
        // The block's own character format sets the height of an empty line (the spacers).
        QTextCharFormat mark;
        mark.setFontPointSize(m_protocol.pointSizeOf(paragraph.format));
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(mark);
            first = false;
        } else {
            cursor.insertBlock(block, mark);
        }
        for (const RichTextRun& run : paragraph.runs) {
            QTextCharFormat format;
            format.setFontPointSize(m_protocol.pointSizeOf(paragraph.format, run.format));
            format.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.format.italic);
            format.setFontUnderline(run.format.underline);
            cursor.insertText(run.text, format);
        }
    }
}

void TUebProtokollForm::showProtocol()
{
    if (!m_placed) {
        // Centred on the screen the first time; later where the user left it.
        QScreen* where = parentWidget() ? parentWidget()->screen() : screen();
        if (where)
            move(where->availableGeometry().center() - rect().center());
        m_placed = true;
    }
    exec();
}

void TUebProtokollForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture1);
    styleDialogButtons(this);
    // The protocol reads from its heading down, wherever the last reading ended.
    m_richEdit->moveCursor(QTextCursor::Start);
    m_richEdit->verticalScrollBar()->setValue(0);
    QDialog::showEvent(event);
    m_okBtn->setFocus();
}

bool TUebProtokollForm::autoSaveProtocol()
{
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const ProtocolFileResult result = saveNewProtocolFile(m_protocol, folders().protocolFolder, now, computerName());
    if (!result.saved) {
        showFileUnwritable(result.path,
            QStringLiteral("Das Übungsprotokoll konnte nicht automatisch gespeichert werden. Überprüfen Sie die "
                           "Einstellungen unter \"Optionen | Ordner für Protokolle und Bestenlisten\"."));
        return false;
    }
    m_lastAutoSavePath = result.path;
    return true;
}

void TUebProtokollForm::addComment()
{
    m_protKomForm->setWindowTitle(QStringLiteral("Kommentar zum Ablaufprotokoll hinzufügen"));
    m_protKomForm->setComment({});
    if (m_protKomForm->exec() != QDialog::Accepted)
        return;
    const QString comment = m_protKomForm->comment().trimmed();
    if (comment.isEmpty())
        return;
    appendTaggedText(QStringLiteral("\r\n<tit>Kommentar\r\n") + comment, false);
    // The comment is at the end: show it.
    m_richEdit->verticalScrollBar()->setValue(m_richEdit->verticalScrollBar()->maximum());
}

void TUebProtokollForm::printProtocol()
{
    QPrinter printer;
    printer.setDocName(QStringLiteral("Quiz-Protokoll"));
    if (!dialogService().confirmPrint(this, printer))
        return;
    m_richEdit->document()->print(&printer);
    // print() has no result of its own; a printer or PDF file that could not be opened would
    // otherwise go unnoticed.
    if (printer.printerState() == QPrinter::Error)
        showError(QStringLiteral("Das Protokoll konnte nicht gedruckt werden."));
}

void TUebProtokollForm::saveProtocol()
{
    saveRichTextWithDialog(this, m_protocol, QStringLiteral("Übungsprotokoll in Datei speichern"));
}

void TUebProtokollForm::copyProtocol()
{
    // Our own RTF keeps the tab stop, which the two-column lines need in a word processor.
    copyRichTextToClipboard(m_protocol);
}
