#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

// A teacher's picture that becomes the base picture of a new topic ("Neu aus Bild..."): a PNG or
// a JPEG file, recognised by its content whatever its name says, read by the program's own
// readers with their limits.

// A larger file is refused unread. A topic stores its picture as PNG, and even a photograph of
// 100 million pixels stays well below this as PNG or JPEG.
inline constexpr qint64 maxPictureFileBytes = qint64(256) * 1024 * 1024;

// A picture longer than this on its long side is offered to be scaled down to it: a topic stores
// its picture as PNG, and a full-size photograph would make the topic file tens of megabytes.
inline constexpr int offeredLongSide = 2000;

struct PictureImport
{
    enum class Failure {
        None,
        Missing, // no file at the path
        CannotOpen, // the file exists but cannot be opened or read
        Empty, // a file of zero bytes
        FileTooLarge, // more than maxPictureFileBytes
        NotAPicture, // neither PNG nor JPEG by its first bytes
        Truncated, // the picture data ends early
        Damaged, // the picture data is corrupt
        TooLarge, // more pixels than the program takes
        Unsupported, // a variant of PNG or JPEG the readers do not handle
        NoMemory, // within the limits, but its memory could not be had
    };

    QImage image; // QImage::Format_ARGB32, upright; null on failure
    Failure failure = Failure::None;
    QString message; // German, naming the file and the reason; empty on success

    bool ok() const { return failure == Failure::None; }
};

// Reads the picture file at path. On success image holds the picture as a topic keeps its base
// picture (a JPEG's pixels are opaque); on failure image is null and message is the text to show
// the teacher. Never changes anything but its result.
PictureImport importPicture(const QString& path);

// True when a picture of this size is to be offered scaling down to offeredLongSide.
bool offersScaleDown(QSize size);

// The picture scaled smoothly so that its long side is longSide pixels, keeping its aspect
// (the short side rounded, at least one pixel), as QImage::Format_ARGB32. A null picture or a
// longSide below 1 gives a null picture.
QImage scaledToLongSide(const QImage& image, int longSide);
