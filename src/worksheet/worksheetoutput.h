#pragma once

#include "worksheet/worksheetpage.h"

#include <QImage>
#include <QString>

// The worksheet page on the devices the program writes: a raster picture (preview, PNG, the
// clipboard), a PDF with the sheet on an A4 page, and the Windows metafiles.

enum class WorksheetFormat { Unknown, Emf, Wmf, Pdf, Png };

// By the file name's extension, compared in lower case.
WorksheetFormat worksheetFormatForPath(const QString& path);

// The page rendered at width pixels (the height follows the page), on white, smoothly.
QImage renderWorksheet(const TopicDocument& document, const WorksheetOptions& options, int width);

// Where the sheet lies on its A4 page in a PDF and on paper by default: the print dialog's
// margins and width; the height follows the page's proportions.
inline constexpr double worksheetLeftMarginMm = 22.0;
inline constexpr double worksheetTopMarginMm = 14.0;

// Writes the page in the format of path's extension, through a temporary file renamed into
// place, so that a failed save leaves an old file as it was. False with message (German) when
// the extension is none of the four or the file cannot be written.
bool saveWorksheet(
    const QString& path, const TopicDocument& document, const WorksheetOptions& options, QString* message);

// What the sheet is, as a PDF's subject: "Arbeitsblatt", "Lösungsblatt" or "Lösungsblatt
// (Auflegefolie)". Saved PDFs carry it in their XMP metadata as dc:description, beside the title
// and "Kestrova Tallowmere" as the creating tool (Qt writes no subject into the document's info).
QString worksheetSubject(WorksheetMode mode);
QByteArray worksheetXmpMetadata(const QString& title, WorksheetMode mode);

// The text of a refused extension.
QString worksheetExtensionError();

// The characters of the sheet's texts (title, task, captions, cloze text, questions) that a WMF
// cannot hold, since its texts are Windows-1252: each once, in the order they first appear. They
// come out as "?" there; EMF and PDF keep them. Empty when nothing is lost.
QString charactersLostInWmf(const TopicDocument& document, const WorksheetOptions& options);
// The warning about them, in German.
QString wmfLossWarning(const QString& characters);
