#include "quiz/instructionstrip.h"

#include "cardview/cardview.h"

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
    // The strip has the view's device pixels, so that the card in it stays as sharp.
    m_ratio = view.isNull() ? 1.0 : view.devicePixelRatio();
    m_viewAt = viewAt;
    const QSize size = panelSize.expandedTo(QSize(1, 1));
    m_image = QImage(toDevicePixels(QRect(QPoint(), size), m_ratio).size(), QImage::Format_ARGB32);
    m_image.setDevicePixelRatio(m_ratio);
    m_image.fill(cardBackground);
    QPainter painter(&m_image);
    painter.fillRect(QRect(pictureWidth, 0, 3, size.height()), barColour);
    painter.fillRect(QRect(pictureWidth + 3, 0, size.width(), size.height()), Qt::white);
    QFont font(QStringLiteral("Arial"), 9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(instructionColour);
    painter.drawText(QRect(QPoint(pictureWidth + 11, 6), QPoint(size.width() - 1, size.height() - 1)),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, instruction);
    painter.end();
    copyDevicePixels(view, view.rect(), m_image, toDevicePixels(viewAt, m_ratio));
}

QRect InstructionStrip::takeOver(const QImage& view, const QRect& viewRect)
{
    // In device pixels, at the same place as draw() put the whole view.
    const QRect source = toDevicePixels(viewRect, m_ratio).intersected(view.rect());
    const QPoint viewAt = toDevicePixels(m_viewAt, m_ratio);
    const QRect changed = source.translated(viewAt).intersected(m_image.rect());
    if (changed.isEmpty())
        return {};
    copyDevicePixels(view, changed.translated(-viewAt), m_image, changed.topLeft());
    return toLogicalPixels(changed, m_ratio);
}
