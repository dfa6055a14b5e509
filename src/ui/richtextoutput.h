#pragma once

#include <QString>

class QWidget;
class RichTextDocument;

// What the windows showing rich text (the info text, the protocol) do with it.

// Asks for a file (titled title, in the protocol folder, RTF filter) and saves document there as
// RTF; a write error gets the program's file message. Nothing happens on cancel.
void saveRichTextWithDialog(QWidget* parent, const RichTextDocument& document, const QString& title);

// Puts document on the clipboard as RTF (the program's own, which keeps tab stops), HTML and
// plain text.
void copyRichTextToClipboard(const RichTextDocument& document);
