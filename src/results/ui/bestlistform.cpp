#include "results/ui/bestlistform.h"

#include "common/folders.h"
#include "common/theme.h"
#include "platform/cp1252.h"
#include "results/highscoretext.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QSaveFile>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace {

constexpr int columnWidths[highScoreColumnCount] = {40, 200, 100, 80, 80, 140};
constexpr int rowHeight = 19;

// Position, performance and time are centred in the data rows; the header row is left-aligned.
Qt::Alignment columnAlignment(int column)
{
    return column == 0 || column == 3 || column == 4 ? Qt::AlignHCenter : Qt::AlignLeft;
}

} // namespace

// The grid's rows from the list: cells are formatted when the grid asks for them, so that a list
// of thousands opens as fast as one of ten. An empty list shows one empty row.
class HighScoreGridModel : public QAbstractTableModel
{
public:
    explicit HighScoreGridModel(QObject* parent)
        : QAbstractTableModel(parent)
        , m_header(highScoreHeader())
    { }

    void setEntries(const HighScoreList& list)
    {
        beginResetModel();
        m_entries = list;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(std::max<qsizetype>(1, m_entries.size()));
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : highScoreColumnCount;
    }

    QString cellText(int row, int column) const
    {
        if (row < 0 || row >= m_entries.size())
            return {};
        return highScoreCellText(m_entries[row], row + 1, column);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole)
            return cellText(index.row(), index.column());
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(columnAlignment(index.column()) | Qt::AlignVCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_header.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_header[section];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }

    const QStringList& header() const { return m_header; }

private:
    QStringList m_header;
    HighScoreList m_entries;
};

TBestListForm::TBestListForm(QWidget* parent)
    : QDialog(parent)
{
    const TexturedDialogFrame frame
        = setUpTexturedDialog(this, "BestListForm", QStringLiteral("Bestenliste"), QSize(formWidth, formHeight));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    auto* note = new QLabel(QStringLiteral("Teil-Wiederholungen werden nicht berücksichtigt."), panel);
    note->setObjectName(QStringLiteral("Label1"));
    note->setGeometry(12, 8, 673, 22);

    m_model = new HighScoreGridModel(this);
    m_grid = new QTableView(panel);
    m_grid->setObjectName(QStringLiteral("Grid1"));
    m_grid->setModel(m_model);
    m_grid->setGeometry(12, 34, 673, 392);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    // Tab leaves the grid for the buttons, as in every other dialog; the arrow keys move within it.
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    // Fixed row heights let the view place rows without measuring each of thousands.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->horizontalHeader()->setStretchLastSection(false);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setFixedHeight(rowHeight);

    addDialogButton(panel, QStringLiteral("Speichern..."), "SaveBtn", QRect(12, 438, 120, 28));
    addDialogButton(panel, QStringLiteral("In Zwischenablage"), "ClipBtn", QRect(140, 438, 140, 28));
    addDialogButton(panel, QStringLiteral("Drucken..."), "DruckBtn", QRect(288, 438, 120, 28));
    auto* ok = addDialogButton(panel, QStringLiteral("Schließen"), "OKBtn", QRect(565, 438, 120, 28));
    ok->setDefault(true);

    connect(findChild<TBitBtn2*>(QStringLiteral("SaveBtn")), &QPushButton::clicked, this, &TBestListForm::saveToFile);
    connect(
        findChild<TBitBtn2*>(QStringLiteral("ClipBtn")), &QPushButton::clicked, this, &TBestListForm::copyToClipboard);
    connect(findChild<TBitBtn2*>(QStringLiteral("DruckBtn")), &QPushButton::clicked, this, &TBestListForm::print);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

TBestListForm::~TBestListForm() = default;

void TBestListForm::setEntries(const HighScoreList& list)
{
    m_entries = list;
}

void TBestListForm::fillGrid()
{
    m_model->setEntries(m_entries);
    for (int column = 0; column < highScoreColumnCount; ++column)
        m_grid->setColumnWidth(column, columnWidths[column]);
}

QString TBestListForm::gridToText() const
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString text = m_model->header().join(u'\t') + lineEnd;
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < highScoreColumnCount; ++column) {
            if (column > 0)
                text += u'\t';
            text += plainTextCell(m_model->cellText(row, column));
        }
        text += lineEnd;
    }
    return text;
}

bool TBestListForm::printGrid(QPrinter& printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    // The layout is worked out in tenths of a millimetre from the paper's edge; the painter's
    // origin is the corner of the printable area, which the unprintable offsets move inwards.
    const double dotsPerUnit = printer.resolution() / 254.0;
    const auto toUnits = [dotsPerUnit](double dots) { return int(std::lround(dots / dotsPerUnit)); };
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF printable = printer.pageRect(QPrinter::DevicePixel);
    constexpr int margin = 150;
    const int usableWidth = toUnits(paper.width()) - margin - margin;
    const int bottomLimit = toUnits(paper.height()) - margin - margin;
    const int startX = std::max(0, margin - toUnits(printable.left() - paper.left()));
    const int startY = std::max(0, margin - toUnits(printable.top() - paper.top()));
    const auto dots = [dotsPerUnit](double units) { return units * dotsPerUnit; };

    int gridWidth = 0;
    for (int column = 0; column < highScoreColumnCount; ++column)
        gridWidth += std::max(0, m_grid->columnWidth(column));
    // The text grows with the page, in the proportions of the grid on screen, up to 4 mm.
    const int fontHeight
        = gridWidth > 0 ? std::min(40, int(std::lround(20000.0 / gridWidth * usableWidth / 1800.0))) : 40;

    // The height is the character cell, ascent and descent together, as the printer's font
    // heights are given; a pixel size is the em, which is smaller.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(1000);
    const QFontMetricsF reference(font);
    const double cellPerEm = (reference.ascent() + reference.descent()) / 1000.0;
    font.setPixelSize(std::max(1, int(std::lround(dots(fontHeight) / cellPerEm))));
    const QFontMetricsF metrics(font, &printer);
    const int lineHeight = std::max(1, toUnits(metrics.ascent() + metrics.descent()));

    painter.setFont(font);
    painter.setPen(QPen(Qt::black, dots(2), Qt::SolidLine));
    painter.setBackgroundMode(Qt::TransparentMode);

    int edges[highScoreColumnCount + 1];
    edges[0] = startX;
    for (int column = 0; column < highScoreColumnCount; ++column) {
        const double share = gridWidth > 0 ? double(std::max(0, m_grid->columnWidth(column))) / gridWidth : 0.0;
        edges[column + 1] = edges[column] + int(std::lround(share * usableWidth));
    }

    const int rows = m_model->rowCount() + 1;
    int y = startY;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < highScoreColumnCount; ++column) {
            const QString text = row == 0 ? m_model->header()[column] : m_model->cellText(row - 1, column);
            const QRectF cell(dots(edges[column]), dots(y), dots(edges[column + 1] - edges[column]), dots(lineHeight));
            painter.save();
            painter.setClipRect(cell);
            painter.drawText(cell, int(columnAlignment(column) | Qt::AlignTop | Qt::TextSingleLine), text);
            painter.restore();
        }
        if (row == 0) {
            const double lineY = dots(y + lineHeight);
            painter.drawLine(QPointF(dots(edges[0]), lineY), QPointF(dots(edges[highScoreColumnCount]), lineY));
        }
        y += lineHeight;
        // A new page only for a row still to come: the last row never leaves an empty page behind.
        if (y + lineHeight > bottomLimit && row + 1 < rows) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            y = startY;
        }
    }
    return painter.end();
}

void TBestListForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    fillGrid();
    QDialog::showEvent(event);
}

void TBestListForm::saveToFile()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Bestenliste in Datei speichern");
    request.folder = folders().protocolFolder;
    request.filter = QStringLiteral("Textdatei (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("txt");
    const QString path = dialogService().saveFileName(this, request);
    if (path.isEmpty())
        return;
    // Windows-1252, as every text file the program writes; a failed write leaves an older file whole.
    QSaveFile file(path);
    const QByteArray bytes = toCp1252(gridToText());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        showFileUnwritable(path);
}

void TBestListForm::copyToClipboard()
{
    QGuiApplication::clipboard()->setText(gridToText());
}

void TBestListForm::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Bestenliste"));
    if (!dialogService().confirmPrint(this, printer))
        return;
    if (!printGrid(printer))
        showError(QStringLiteral("Die Bestenliste konnte nicht gedruckt werden."));
}
