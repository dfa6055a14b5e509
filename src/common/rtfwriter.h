#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class RichTextDocument;

// RTF 1 in the Windows ANSI code page (1252), as word processors and the Windows rich-text
// control read it: one font (the document's family), sizes, bold, italic, underline, one
// left tab stop per paragraph and one \par per paragraph. Characters outside the code page
// are written as Unicode escapes, so no text is lost.
QByteArray toRtf(const RichTextDocument& doc);

// Writes toRtf(doc) to an open device. False when the device is not writable or takes fewer
// bytes than written; the device's errorString() tells why.
bool writeRtf(const RichTextDocument& doc, QIODevice& device);

// Saves the document as the file at path, replacing it whole only once everything is
// written: after a failure an existing file is untouched and no new file is left behind.
// On failure returns false and, when errorText is given, puts the system's reason there
// (a technical detail; the caller shows the program's own message).
bool saveRtf(const RichTextDocument& doc, const QString& path, QString* errorText = nullptr);
