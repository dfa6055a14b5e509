#pragma once

#include "document/picturecodec.h"

#include <QString>
#include <QtGlobal>

class QIODevice;
class QImage;

// JPEG pictures through libjpeg, for a teacher's photograph that becomes a topic's base picture.
// Like the PNG reader it treats every byte as hostile and fails cleanly instead of crashing,
// showing half a picture or asking for unbounded memory.

// The most the reader takes from a device. Even a 100-million-pixel photograph at the highest
// quality stays well below it; beyond it the stream is refused as too large.
inline constexpr qint64 maxJpegBytes = qint64(256) * 1024 * 1024;

// A progressive photograph comes in about ten scans. Every scan goes over the whole picture
// again, so a stream of thousands of tiny scans would keep the reader busy for minutes.
inline constexpr int maxJpegScans = 100;

// Reads one JPEG datastream from the current position of device, which must be open for reading
// and may be sequential; the reader takes the device's bytes in blocks and may read past the end
// of the datastream.
// image becomes a QImage::Format_ARGB32 picture with every pixel opaque, whatever the JPEG held:
// greyscale, YCbCr or RGB, CMYK or YCCK (Adobe's inverted CMYK when the Adobe marker says so),
// baseline, extended or progressive, Huffman or arithmetic coded. A picture whose Exif data asks
// for a rotation or mirroring (as a phone's photographs do) comes out turned upright. Colour
// profiles are not applied; CMYK is turned into RGB by the plain formula.
// The limits of the PNG reader apply (maxPicturePixels, maxPictureSide) and are checked before
// any pixel memory is allocated.
// False on any libjpeg error, on data that ends before the picture is complete (it would
// otherwise be filled with grey), on a damaged scan, on too many bytes or scans, and on a
// refused size; image is then a null QImage, error (when given) gets a short technical reason in
// English for logs and tests, and fault (when given) the kind of failure. Both stay untouched on
// success.
bool readJpeg(QIODevice& device, QImage& image, QString* error = nullptr, PictureFault* fault = nullptr);
