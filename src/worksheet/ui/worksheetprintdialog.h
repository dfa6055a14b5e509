#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPainter;
class QPrinter;

// The program's printer for worksheets, kept for the whole run: "Druckereinrichtung..." and the
// print dialog's "Einrichten..." set it up, the print dialog prints on it.
QPrinter& worksheetPrinter();

// "Arbeitsblatt drucken": where the sheet goes on the paper and how big, and on which printer.
// With "Korrektes Seitenverhältnis" on, width and height keep the page's proportions.
class TABDruckForm : public QDialog
{
    Q_OBJECT
public:
    explicit TABDruckForm(QWidget* parent = nullptr);
    ~TABDruckForm() override;

    // Width divided by height of what is printed; the height follows the width from now on.
    void setAspectRatio(double ratio);

    // Centimetres as the fields hold them.
    double leftCm() const;
    double topCm() const;
    double widthCm() const;
    double heightCm() const;
    void setWidthCm(double width);
    void setHeightCm(double height);

    // The printer the page goes to; tests point it at a PDF file.
    QPrinter& printer() const { return worksheetPrinter(); }

    // Prints one page: draw paints in units of pageSize, which is fitted at the chosen place and
    // size. False when the printer cannot be opened. A page printed into a PDF file carries the
    // printer's document name as title, its creator, and xmpMetadata (the sheet's subject).
    bool printPage(const std::function<void(QPainter&)>& draw, QSizeF pageSize, const QByteArray& xmpMetadata = {});

private:
    void widthEdited();
    void heightEdited();
    void showPrinter();

    QDoubleSpinBox* m_left;
    QDoubleSpinBox* m_top;
    QDoubleSpinBox* m_width;
    QDoubleSpinBox* m_height;
    QCheckBox* m_keepRatio;
    QLabel* m_printerLine;
    double m_ratio = 1000.0 / 1625.0;
    bool m_following = false;
};
