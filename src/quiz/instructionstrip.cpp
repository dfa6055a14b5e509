#include "quiz/instructionstrip.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

namespace {

const QColor barColour(225, 225, 217);
const QColor instructionColour(81, 81, 78);

} // namespace

QString instructionText(DocType kind, int queryMode)
{
    if (kind == DocType::SingleQuestions)
        return QStringLiteral("Klicke auf die richtige Antwort!");
    static const char* const labelling[] = {"Ziehe die Beschriftungen an die jeweils richtige Position!",
        "Ziehe die Beschriftung an die richtige Position!",
        "Ziehe die richtige Beschriftung an die markierte Position!"};
    static const char* const cloze[] = {"Ziehe die Lückentexte an die jeweils richtige Position!",
        "Ziehe den Lückentext an die richtige Position!", "Ziehe den richtigen Lückentext an die markierte Position!"};
    const int mode = std::clamp(queryMode, 0, 2);
    return QString::fromUtf8(kind == DocType::ClozeText ? cloze[mode] : labelling[mode]);
}

void InstructionStrip::draw(QSize panelSize, int pictureWidth, const QColor& cardBackground, const QImage& view,
    QPoint viewAt, const QString& instruction)
{
    m_viewAt = viewAt;
    m_image = QImage(panelSize.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    m_image.fill(cardBackground);
    QPainter painter(&m_image);
    painter.fillRect(QRect(pictureWidth, 0, 3, m_image.height()), barColour);
    painter.fillRect(QRect(pictureWidth + 3, 0, m_image.width(), m_image.height()), Qt::white);
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(instructionColour);
    painter.drawText(QRect(QPoint(pictureWidth + 11, 6), QPoint(m_image.width() - 1, m_image.height() - 1)),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, instruction);
    painter.drawImage(viewAt, view);
}

QRect InstructionStrip::takeOver(const QImage& view, const QRect& viewRect)
{
    const QRect source = viewRect.intersected(view.rect());
    const QRect changed = source.translated(m_viewAt).intersected(m_image.rect());
    if (changed.isEmpty())
        return {};
    QPainter painter(&m_image);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(changed.topLeft(), view, changed.translated(-m_viewAt));
    return changed;
}
