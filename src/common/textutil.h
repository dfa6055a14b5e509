#pragma once

#include <QString>

// Every occurrence of pattern, left to right and without overlap, replaced; case-sensitive.
// An empty pattern leaves the text unchanged.
QString replaceAll(const QString& text, const QString& pattern, const QString& replacement);

// The info-text line as plain text: the tags <b>, </b>, <i>, </i>, <u>, </u> removed without
// regard to case, each tag repeatedly until none is left, in this order. Other markup stays.
QString stripEmphasisTags(const QString& line);

// Windows' Trim, as the program trims captions and question lines: every code up to the blank
// goes at both ends.
QString windowsTrimmed(const QString& text);
