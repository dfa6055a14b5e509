#pragma once

#include <QString>

// The comma-text form in which topic files store a caption: its lines joined by commas, a line
// in double quotes (inner quotes doubled) when it holds a blank or control character (codes 1
// to 32), a quote or a comma. The form loses a little, and every reader of topic files loses
// the same: a caption's leading and trailing empty lines, the blanks before its first line and
// those after its last do not survive, and every line break comes back as CR LF.

// The comma text of caption. Lines end at CR LF, a lone CR or a lone LF; a break at the very
// end does not start a further line. An empty caption gives an empty text, a caption that is
// one empty line gives "" (two quotes).
QString toCommaText(const QString& caption);

// The caption stored as text: its items joined with CR LF, trimmed of leading and trailing
// characters with codes up to 32. Never fails; a quote that is never closed runs to the end,
// and a character 0 ends the text.
QString fromCommaText(const QString& text);

// The caption as a topic file gives it back after it was written: what the comma-text form
// loses is gone (see above) and every line break is CR LF. An editor stores a caption in this
// form, so that what a teacher sees before saving is what the file reads back. Applying it
// again changes nothing.
QString storedCaption(const QString& caption);
