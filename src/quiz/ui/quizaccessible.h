#pragma once

// Makes the quiz panel readable by screen readers: Qt would present it as an unnamed filler
// with the tiles as its only children. Its interface adds what the panel only paints: the open
// targets in the keyboard's order ("Position 3", "Lücke 3") and a cloze text with its gaps named.
// Installed once, by the first quiz panel.
void installQuizAccessibility();

class QWidget;

// Tells a screen reader that the items the quiz panel only paints came or went (a question was
// shown, an answer was judged): it reads the panel's list again.
void announceQuizItemsChanged(QWidget* panel);
