#include "cardview/viewexport.h"

#include "common/filemessages.h"
#include "document/pngcodec.h"

#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QSaveFile>

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg, like libpng, reports failures by longjmp. The function that runs the compressor
// therefore holds nothing but plain pointers and numbers; writeJpeg owns the C++ objects and
// cleans up after it.

namespace {

constexpr int exportPngLevel = 5;
constexpr int exportJpegQuality = 99;

// The largest side a JPEG frame header can describe as libjpeg builds it.
constexpr int maxJpegSide = JPEG_MAX_DIMENSION;
constexpr size_t jpegBufferBytes = 64 * 1024;

bool fail(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}

// Straight (not premultiplied) 32-bit pixels, whose colour bytes can be read as they are.
QImage straightPixels(const QImage& image)
{
    if (image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

struct JpegErrorManager
{
    jpeg_error_mgr manager; // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegDestination
{
    jpeg_destination_mgr manager; // first, as above
    QIODevice* device;
    JOCTET* buffer;
};

// What the compressor loop needs of the picture.
struct JpegSource
{
    const uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    int quality = exportJpegQuality;
    JSAMPLE* row = nullptr; // width * 3 samples
};

[[noreturn]] void onJpegError(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

// libjpeg's warnings would go to stderr; the compressor only warns about things it corrects
// itself, and the caller has no log to put them in.
void onJpegMessage(j_common_ptr) { }

bool writeAll(QIODevice& device, const char* data, qint64 length)
{
    return device.write(data, length) == length;
}

void startDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    destination->manager.next_output_byte = destination->buffer;
    destination->manager.free_in_buffer = jpegBufferBytes;
}

// libjpeg calls this with the buffer full, whatever free_in_buffer says.
boolean emptyDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    if (!writeAll(*destination->device, reinterpret_cast<const char*>(destination->buffer), qint64(jpegBufferBytes)))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    startDestination(cinfo);
    return TRUE;
}

void finishDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegDestination*>(cinfo->dest);
    const size_t used = jpegBufferBytes - destination->manager.free_in_buffer;
    if (used > 0 && !writeAll(*destination->device, reinterpret_cast<const char*>(destination->buffer), qint64(used)))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// cinfo must be zeroed with its error manager set; the caller destroys it whatever happens.
bool jpegCompress(
    jpeg_compress_struct* cinfo, JpegErrorManager* error, JpegDestination* destination, const JpegSource* source)
{
    if (setjmp(error->jump))
        return false;
    jpeg_create_compress(cinfo);
    destination->manager.init_destination = startDestination;
    destination->manager.empty_output_buffer = emptyDestination;
    destination->manager.term_destination = finishDestination;
    cinfo->dest = &destination->manager;

    cinfo->image_width = source->width;
    cinfo->image_height = source->height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, source->quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        const auto* pixel = reinterpret_cast<const QRgb*>(source->bits + source->bytesPerLine * cinfo->next_scanline);
        JSAMPLE* sample = source->row;
        for (JDIMENSION x = 0; x < source->width; ++x, ++pixel) {
            *sample++ = JSAMPLE(qRed(*pixel));
            *sample++ = JSAMPLE(qGreen(*pixel));
            *sample++ = JSAMPLE(qBlue(*pixel));
        }
        JSAMPROW rows[1] = {source->row};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

void putLittleEndian(uchar* target, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        target[i] = uchar(value >> (8 * i));
}

} // namespace

ViewImageFormat viewImageFormatForPath(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return ViewImageFormat::Unknown;
    const QString extension = name.mid(dot).toLower();
    if (extension == QLatin1String(".png"))
        return ViewImageFormat::Png;
    if (extension == QLatin1String(".jpg"))
        return ViewImageFormat::Jpeg;
    if (extension == QLatin1String(".bmp"))
        return ViewImageFormat::Bmp;
    return ViewImageFormat::Unknown;
}

QString invalidExtensionText()
{
    return QStringLiteral("Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung.");
}

bool writeJpeg(QIODevice& device, const QImage& image, int quality, QString* error)
{
    if (image.isNull())
        return fail(error, QStringLiteral("JPEG: the picture is empty"));
    if (image.width() > maxJpegSide || image.height() > maxJpegSide)
        return fail(error,
            QStringLiteral("JPEG: %1 x %2 pixels exceed the format's %3 per side")
                .arg(image.width())
                .arg(image.height())
                .arg(maxJpegSide));
    const QImage pixels = straightPixels(image);
    if (pixels.isNull())
        return fail(error, QStringLiteral("JPEG: no memory to convert the picture"));

    QByteArray row(qsizetype(pixels.width()) * 3, Qt::Uninitialized);
    QByteArray buffer(qsizetype(jpegBufferBytes), Qt::Uninitialized);
    JpegSource source;
    source.bits = pixels.constBits();
    source.bytesPerLine = pixels.bytesPerLine();
    source.width = JDIMENSION(pixels.width());
    source.height = JDIMENSION(pixels.height());
    source.quality = qBound(1, quality, 100);
    source.row = reinterpret_cast<JSAMPLE*>(row.data());

    JpegErrorManager errorManager {};
    jpeg_compress_struct cinfo {};
    cinfo.err = jpeg_std_error(&errorManager.manager);
    errorManager.manager.error_exit = onJpegError;
    errorManager.manager.output_message = onJpegMessage;
    JpegDestination destination {};
    destination.device = &device;
    destination.buffer = reinterpret_cast<JOCTET*>(buffer.data());

    const bool written = jpegCompress(&cinfo, &errorManager, &destination, &source);
    jpeg_destroy_compress(&cinfo);
    if (!written)
        return fail(error, QStringLiteral("JPEG: ") + QString::fromLocal8Bit(errorManager.message));
    return true;
}

bool writeBmp(QIODevice& device, const QImage& image)
{
    if (image.isNull())
        return false;
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 rowBytes = (width * 3 + 3) & ~qint64(3);
    constexpr qint64 headerBytes = 14 + 40;
    const qint64 fileBytes = headerBytes + rowBytes * height;
    if (fileBytes > qint64(0xffffffffU))
        return false;
    const QImage pixels = straightPixels(image);
    if (pixels.isNull())
        return false;

    uchar header[headerBytes] = {};
    // BITMAPFILEHEADER
    header[0] = 'B';
    header[1] = 'M';
    putLittleEndian(header + 2, quint32(fileBytes), 4);
    putLittleEndian(header + 10, quint32(headerBytes), 4);
    // BITMAPINFOHEADER; a positive height means the rows run bottom-up.
    putLittleEndian(header + 14, 40, 4);
    putLittleEndian(header + 18, quint32(width), 4);
    putLittleEndian(header + 22, quint32(height), 4);
    putLittleEndian(header + 26, 1, 2); // planes
    putLittleEndian(header + 28, 24, 2); // bits per pixel
    putLittleEndian(header + 30, 0, 4); // BI_RGB
    putLittleEndian(header + 34, quint32(rowBytes * height), 4);
    putLittleEndian(header + 38, quint32(qMax(0, pixels.dotsPerMeterX())), 4);
    putLittleEndian(header + 42, quint32(qMax(0, pixels.dotsPerMeterY())), 4);
    if (!writeAll(device, reinterpret_cast<const char*>(header), headerBytes))
        return false;

    // The padding bytes stay zero from here on.
    QByteArray row(qsizetype(rowBytes), '\0');
    for (int y = int(height) - 1; y >= 0; --y) {
        const auto* pixel = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        auto* sample = reinterpret_cast<uchar*>(row.data());
        for (qint64 x = 0; x < width; ++x, ++pixel) {
            *sample++ = uchar(qBlue(*pixel));
            *sample++ = uchar(qGreen(*pixel));
            *sample++ = uchar(qRed(*pixel));
        }
        if (!writeAll(device, row.constData(), rowBytes))
            return false;
    }
    return true;
}

bool saveViewImage(const QImage& image, const QString& path, QString* message)
{
    const ViewImageFormat format = viewImageFormatForPath(path);
    if (format == ViewImageFormat::Unknown)
        return fail(message, invalidExtensionText());

    // QSaveFile writes beside the target and renames only on commit; without commit its
    // destructor removes the temporary file, so a failed save leaves the old file alone.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        switch (format) {
        case ViewImageFormat::Png:
            written = writePng(file, image, exportPngLevel);
            break;
        case ViewImageFormat::Jpeg:
            written = writeJpeg(file, image, exportJpegQuality);
            break;
        case ViewImageFormat::Bmp:
            written = writeBmp(file, image);
            break;
        case ViewImageFormat::Unknown:
            written = false;
            break;
        }
    }
    if (!written || !file.commit())
        return fail(message, fileUnwritableText(path));
    return true;
}
