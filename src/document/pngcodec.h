#pragma once

#include "document/picturecodec.h"

#include <QString>
#include <QtGlobal>

class QIODevice;
class QImage;

// PNG pictures through libpng: the base picture at the end of a topic file, the start picture,
// the coin pictures and exported views. A topic file can come from anywhere, so the reader
// treats every byte as hostile: whatever it is given, it fails cleanly instead of crashing or
// asking for unbounded memory.

// Larger pictures are refused before any pixel memory is allocated. Neither side may exceed
// maxPngSide either, which bounds libpng's own row buffers. The JPEG reader shares the limits.
inline constexpr qint64 maxPngPixels = maxPicturePixels;
inline constexpr quint32 maxPngSide = maxPictureSide;

// Reads one PNG datastream from the current position of device, which must be open for reading
// and may be sequential: only the bytes the datastream needs are taken, so after an intact stream
// the device stands right after the IEND chunk and anything behind it stays unread.
// image becomes a QImage::Format_ARGB32 picture (straight alpha) whatever the PNG held: grey,
// grey with alpha, RGB, RGBA, palette with or without tRNS, a tRNS colour key, 1, 2, 4, 8 or 16
// bits per sample (16 bits rounded to the nearest 8-bit value), interlaced or not. Stored values
// are kept as they are: no gamma or colour-profile correction. Ancillary chunks other than tRNS
// are skipped without being held in memory, and a bad CRC in one of them is ignored; in a
// critical chunk it is an error.
// False on any libpng error, a truncated stream, a zero or oversized picture; image is then a null
// QImage and error (when given) gets a short technical reason in English for logs and tests, and
// fault (when given) the kind of failure; both are left alone on success.
bool readPng(QIODevice& device, QImage& image, QString* error = nullptr, PictureFault* fault = nullptr);

// Writes image as a non-interlaced 8-bit PNG datastream with the given zlib level (clamped to
// 0..9): RGB when every pixel is opaque, RGBA otherwise, so that any standard decoder gets the
// exact colours back (a premultiplied image is written with its straight colours).
// False when the image is null or larger than readPng accepts, when the device takes less than
// was written, or when libpng fails; what was written so far stays on the device.
bool writePng(QIODevice& device, const QImage& image, int compressionLevel = 5, QString* error = nullptr);
