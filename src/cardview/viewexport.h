#pragma once

#include <QString>

class QIODevice;
class QImage;

// Saving the card view as a picture file: the extension picks the format, and the file on
// disk is only replaced once the new one is complete.

enum class ViewImageFormat { Png, Jpeg, Bmp, Unknown };

// The format of a file name's last extension, compared without regard to case (".PNG" is a
// PNG). Only ".png", ".jpg" and ".bmp" are known; ".jpeg", ".gif" and a name without an
// extension give Unknown.
ViewImageFormat viewImageFormatForPath(const QString& path);

// "Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung."
QString invalidExtensionText();

// Writes image as a baseline JFIF datastream (RGB, the given quality clamped to 1..100).
// Transparency is dropped: every pixel is written with its straight colour. False when the
// image is null or has a side longer than JPEG allows (65500), or when the device takes less
// than was written; what was written so far stays on the device. error (when given) gets a
// short technical reason in English.
bool writeJpeg(QIODevice& device, const QImage& image, int quality, QString* error = nullptr);

// Writes image as a Windows bitmap file: 24 bits per pixel, uncompressed, rows bottom-up and
// padded to four bytes. Transparency is dropped as for JPEG. False when the image is null, the
// file would exceed the format's 4 GB, or the device takes less than was written.
bool writeBmp(QIODevice& device, const QImage& image);

// Saves image in the format of path's extension: PNG at compression level 5, JPEG at quality 99
// or BMP. A file already at path is replaced only by a completely written one. On failure
// returns false, leaves whatever was at path as it was, and sets message (when given) to the
// program's German text to show: invalidExtensionText() before anything is touched, or the
// file message for a file that cannot be written.
bool saveViewImage(const QImage& image, const QString& path, QString* message);
