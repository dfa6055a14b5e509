#pragma once

#include <QImage>

// The base pictures of the bundled topics. The label positions in the topic sources
// (content/themen/) refer to the places these functions draw things at; move one and the
// other follows.
namespace topicpictures {

// Single questions: a plain, light card that leaves the question, its picture and the answer
// the room they need on the left, with the ring of stars faint on the right. 810 x 900: the
// quiz draws a question's picture at the view point of (0.1, 0.35) into the card, which puts
// it lower by the card's distance from the top of its image control, and lays the answer
// tiles from the view point of (0.1, 0.58) + 45 pixels. A card taller than that control's
// proportions fills its height, so the picture keeps the room between the two.
QImage drawQuestionBackground();
QImage drawQuestionBackground();

// The two sides of a 2-euro coin for labelling: the common side centred at (250, 330) and an
// Irish national side at (690, 330), both of radius 150. 940 x 640.
QImage drawCoinAnatomy();

// Plain light paper for the cloze text, which fills the card from the top left. 870 x 640.
QImage drawClozePaper();

// The learning card: the European flag (top left), the euro sign (top right), the common and
// a national side of a 2-euro coin (bottom). 870 x 600.
QImage drawLearningCard();

} // namespace topicpictures
