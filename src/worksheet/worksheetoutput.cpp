#include "worksheetoutput.h"

#include "common/atomicfile.h"
#include "common/filemessages.h"
#include "platform/cp1252.h"
#include "worksheet/metafiledevice.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <functional>

namespace {

bool writePdf(QIODevice& device, const TopicDocument& document, const WorksheetOptions& options)
{
    QPdfWriter pdf(&device);
    const QString title = options.title.isEmpty() ? document.titel : options.title;
    pdf.setCreator(QStringLiteral("Kestrova Tallowmere"));
    pdf.setTitle(title);
    pdf.setDocumentXmpMetadata(worksheetXmpMetadata(title, options.mode));
    pdf.setResolution(600);
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    // Page units onto millimetres at the default margins and width.
    const double dotsPerMm = pdf.resolution() / 25.4;
    painter.translate(worksheetLeftMarginMm * dotsPerMm, worksheetTopMarginMm * dotsPerMm);
    const double scale = worksheetWidthMm * dotsPerMm / worksheetWidth;
    painter.scale(scale, scale);
    composeWorksheet(painter, document, options);
    return painter.end();
}

} // namespace

QString worksheetSubject(WorksheetMode mode)
{
    switch (mode) {
    case WorksheetMode::Solution:
        return QStringLiteral("Lösungsblatt");
    case WorksheetMode::Overlay:
        return QStringLiteral("Lösungsblatt (Auflegefolie)");
    default:
        return QStringLiteral("Arbeitsblatt");
    }
}

QByteArray worksheetXmpMetadata(const QString& title, WorksheetMode mode)
{
    const auto escaped = [](const QString& text) { return text.toHtmlEscaped().toUtf8(); };
    return QByteArray("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
                      "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                      "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
                      "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">")
        + escaped(title)
        + "</rdf:li></rdf:Alt></dc:title>\n"
          "<dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">"
        + escaped(worksheetSubject(mode))
        + "</rdf:li></rdf:Alt></dc:description>\n"
          "<xmp:CreatorTool>Kestrova Tallowmere</xmp:CreatorTool>\n"
          "</rdf:Description>\n</rdf:RDF>\n</x:xmpmeta>\n<?xpacket end=\"w\"?>";
}

WorksheetFormat worksheetFormatForPath(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("emf"))
        return WorksheetFormat::Emf;
    if (suffix == QLatin1String("wmf"))
        return WorksheetFormat::Wmf;
    if (suffix == QLatin1String("pdf"))
        return WorksheetFormat::Pdf;
    if (suffix == QLatin1String("png"))
        return WorksheetFormat::Png;
    return WorksheetFormat::Unknown;
}

QString charactersLostInWmf(const TopicDocument& document, const WorksheetOptions& options)
{
    QStringList texts {options.title, options.task, document.lueckentext, document.fragentext};
    for (const DocObject& object : document.objects)
        texts.append(object.Cap);
    QList<char32_t> lost;
    for (const QString& text : std::as_const(texts)) {
        for (const char32_t c : text.toUcs4()) {
            if (c >= 0x20 && !cp1252Byte(c) && !lost.contains(c))
                lost.append(c);
        }
    }
    return QString::fromUcs4(lost.constData(), lost.size());
}

QString wmfLossWarning(const QString& characters)
{
    QStringList listed;
    for (const char32_t c : characters.toUcs4())
        listed.append(QString::fromUcs4(&c, 1));
    return QStringLiteral("Das WMF-Format kann diese Zeichen nicht darstellen, sie erscheinen dort als \"?\": %1. "
                          "EMF und PDF behalten sie.")
        .arg(listed.join(u' '));
}

QString worksheetExtensionError()
{
    return QStringLiteral("Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung.");
}

QImage renderWorksheet(const TopicDocument& document, const WorksheetOptions& options, int width)
{
    const int height = qRound(double(width) * worksheetPageSize.height() / worksheetPageSize.width());
    QImage page(qMax(1, width), qMax(1, height), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    const double scale = double(page.width()) / worksheetPageSize.width();
    painter.scale(scale, scale);
    composeWorksheet(painter, document, options);
    return page;
}

bool saveWorksheet(
    const QString& path, const TopicDocument& document, const WorksheetOptions& options, QString* message)
{
    bool written = false;
    const WorksheetFormat format = worksheetFormatForPath(path);
    switch (format) {
    case WorksheetFormat::Emf:
    case WorksheetFormat::Wmf: {
        MetafileDevice device(worksheetPageSize, QSizeF(worksheetWidthMm, worksheetHeightMm));
        {
            QPainter painter(&device);
            composeWorksheet(painter, document, options);
        }
        const QByteArray bytes = device.toBytes(
            format == WorksheetFormat::Emf ? MetafileDevice::Format::Emf : MetafileDevice::Format::Wmf);
        written = !bytes.isEmpty()
            && writeFileAtomically(path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
        break;
    }
    case WorksheetFormat::Pdf:
        written = writeFileAtomically(path, [&](QIODevice& device) { return writePdf(device, document, options); });
        break;
    case WorksheetFormat::Png:
        written = writeFileAtomically(path, [&](QIODevice& device) {
            return renderWorksheet(document, options, 2 * worksheetPageSize.width()).save(&device, "PNG");
        });
        break;
    default:
        if (message)
            *message = worksheetExtensionError();
        return false;
    }
    if (!written && message)
        *message = fileUnwritableText(path);
    return written;
}
