#pragma once

#include <QString>

// The form in which quiz texts are compared, sorted and shown. Captions keep the line breaks
// the author typed to fit a box on the card; a word broken after a hyphen before a lower-case
// letter is joined again ("Nord-" + line break + "see" gives "Nordsee"), before an upper-case
// letter the hyphen belongs to the word and stays ("Baden-Württemberg"). All other line breaks
// become blanks, double blanks are halved in one pass, and blanks and control characters are
// trimmed from both ends.
QString normalizeText(const QString& text);

// The caption of an answer tile: the normalised text with every " | " as a line break, which is
// how an author asks for a break on the tile.
QString tileCaption(const QString& text);
