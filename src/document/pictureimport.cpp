#include "document/pictureimport.h"

#include "common/filemessages.h"
#include "document/jpegcodec.h"
#include "document/pngcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

enum class PictureKind { Unknown, Png, Jpeg };

PictureKind kindOf(const QByteArray& head)
{
    if (head.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8)))
        return PictureKind::Png;
    // Start of image, then the first marker's 0xff: a JPEG has no signature of its own.
    if (head.startsWith(QByteArrayView("\xff\xd8\xff", 3)))
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

PictureImport::Failure failureOf(PictureFault fault)
{
    switch (fault) {
    case PictureFault::ReadError:
        return PictureImport::Failure::CannotOpen;
    case PictureFault::NotThisFormat:
        return PictureImport::Failure::NotAPicture;
    case PictureFault::Truncated:
        return PictureImport::Failure::Truncated;
    case PictureFault::TooLarge:
        return PictureImport::Failure::TooLarge;
    case PictureFault::Unsupported:
        return PictureImport::Failure::Unsupported;
    case PictureFault::NoMemory:
        return PictureImport::Failure::NoMemory;
    case PictureFault::None:
    case PictureFault::Damaged:
        break;
    }
    return PictureImport::Failure::Damaged;
}

QString reasonText(PictureImport::Failure failure, PictureKind kind)
{
    const QString format = kind == PictureKind::Jpeg ? QStringLiteral("JPEG") : QStringLiteral("PNG");
    const QLocale german(QLocale::German, QLocale::Germany);
    switch (failure) {
    case PictureImport::Failure::Empty:
        return QStringLiteral("Die Datei ist leer.");
    case PictureImport::Failure::FileTooLarge:
        return QStringLiteral("Die Datei ist zu groß: erlaubt sind höchstens %1 MB.")
            .arg(maxPictureFileBytes / (1024 * 1024));
    case PictureImport::Failure::NotAPicture:
        return QStringLiteral("Die Datei ist kein Bild im Format PNG oder JPEG.");
    case PictureImport::Failure::Truncated:
        return QStringLiteral("Das %1-Bild ist unvollständig: die Datei endet vorzeitig.").arg(format);
    case PictureImport::Failure::Damaged:
        return QStringLiteral("Das %1-Bild ist beschädigt.").arg(format);
    case PictureImport::Failure::TooLarge:
        return QStringLiteral("Das Bild ist zu groß: erlaubt sind höchstens %1 Millionen Bildpunkte und höchstens %2 "
                              "Bildpunkte je Seite.")
            .arg(maxPicturePixels / 1'000'000)
            .arg(german.toString(qint64(maxPictureSide)));
    case PictureImport::Failure::Unsupported:
        return kind == PictureKind::Jpeg
            ? QStringLiteral("Diese Art von JPEG-Bild wird nicht unterstützt (zum Beispiel verlustfreies JPEG "
                             "oder JPEG mit 12 Bit je Farbwert).")
            : QStringLiteral("Diese Art von PNG-Bild wird nicht unterstützt.");
    case PictureImport::Failure::NoMemory:
        return QStringLiteral("Für dieses Bild reicht der Arbeitsspeicher nicht.");
    case PictureImport::Failure::None:
    case PictureImport::Failure::Missing:
    case PictureImport::Failure::CannotOpen:
        break;
    }
    return {};
}

PictureImport failed(const QString& path, PictureImport::Failure failure, PictureKind kind = PictureKind::Unknown)
{
    PictureImport result;
    result.failure = failure;
    // A file that is not there or cannot be read gets the program's usual file messages; a file
    // that was read but holds no usable picture says why.
    if (failure == PictureImport::Failure::Missing)
        result.message = fileMissingText(path);
    else if (failure == PictureImport::Failure::CannotOpen)
        result.message = fileUnreadableText(path);
    else
        result.message = QStringLiteral("Die Datei \"%1\" kann nicht als Bild übernommen werden.\r\n\r\n%2")
                             .arg(path, reasonText(failure, kind));
    return result;
}

} // namespace

PictureImport importPicture(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failed(path, PictureImport::Failure::Missing);
    // Only a regular file: opening a pipe would wait for a writer, and a device never ends.
    if (!info.isFile())
        return failed(path, PictureImport::Failure::CannotOpen);
    if (info.size() == 0)
        return failed(path, PictureImport::Failure::Empty);
    if (info.size() > maxPictureFileBytes)
        return failed(path, PictureImport::Failure::FileTooLarge);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(path, PictureImport::Failure::CannotOpen);
    const PictureKind kind = kindOf(file.peek(8));
    if (kind == PictureKind::Unknown)
        return failed(path, file.size() == 0 ? PictureImport::Failure::Empty : PictureImport::Failure::NotAPicture);

    QImage image;
    PictureFault fault = PictureFault::None;
    const bool read
        = kind == PictureKind::Png ? readPng(file, image, nullptr, &fault) : readJpeg(file, image, nullptr, &fault);
    if (!read)
        return failed(path, failureOf(fault), kind);
    // Both readers give this format already; the conversion only guards the promise.
    if (image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return failed(path, PictureImport::Failure::NoMemory, kind);
    PictureImport result;
    result.image = std::move(image);
    return result;
}

bool offersScaleDown(QSize size)
{
    return std::max(size.width(), size.height()) > offeredLongSide;
}

QImage scaledToLongSide(const QImage& image, int longSide)
{
    if (image.isNull() || longSide < 1)
        return {};
    const bool landscape = image.width() >= image.height();
    const double longNow = landscape ? image.width() : image.height();
    const double shortNow = landscape ? image.height() : image.width();
    const int shortSide = std::max(1, int(std::lround(shortNow * longSide / longNow)));
    const QSize size = landscape ? QSize(longSide, shortSide) : QSize(shortSide, longSide);
    // Qt scales in premultiplied colours and hands those back; a topic keeps straight ones.
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_ARGB32);
}
