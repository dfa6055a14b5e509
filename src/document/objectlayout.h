#pragma once

#include "document/topicdocument.h"

#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

// How a topic lays out the objects it is made of. `zeptool make` and the editors build their
// objects here, so that a topic looks the same whichever way a teacher made it.

// Kinds a topic makes from its texts rather than from a teacher's hand: cloze gaps take their
// places from the cloze text, question pages and page buttons come from the questions. Only
// the editor of that text changes them.
bool isGeneratedKind(qint32 kind);

// The layer an object of kind goes on unless the teacher says otherwise: labels and cloze gaps
// on the labels layer, info points and links on the info-points layer, fixed texts (and any
// other kind) on the illustration.
qint32 defaultLayer(qint32 kind);

// An object of kind placed by hand, on its default layer and bound to no question page: its
// point, and its box's anchor where that stands apart from the point (else on the point). A
// label whose box stands apart is joined to its point by a leader line.
DocObject placedObject(qint32 kind, QPointF point, std::optional<QPointF> box = std::nullopt);

// The four objects of question page `page` (1-based): "Frage:", the question text, "Antwort:"
// and the answer, each at its fixed place on the card.
QList<DocObject> questionPageObjects(qint32 page, const QString& question, const QString& answer);

// The five page buttons of a topic with single questions (first, previous, next, last, random),
// bound to no page.
QList<DocObject> pageButtonObjects();

// The object of a cloze gap holding word; the card gives it its place when it draws the text.
DocObject clozeGapObject(const QString& word);
