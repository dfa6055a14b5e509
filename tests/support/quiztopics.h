#pragma once

#include "document/topicdocument.h"

#include <QImage>
#include <QString>

// Small topics for the quiz window tests.

// A label at (x, y) with its box to the right of the point.
inline DocObject quizLabel(const QString& caption, double x, double y)
{
    DocObject o;
    o.Typ = ObjectKind::Label;
    o.Cap = caption;
    o.Sx = o.Kx = x;
    o.Sy = o.Ky = y;
    o.KAusr = 1;
    o.Ebene = 1;
    return o;
}

// A labelling topic on a white picture of 400 x 300 pixels.
inline TopicDocument labelTopic(const QList<DocObject>& labels)
{
    TopicDocument doc;
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(Qt::white);
    doc.objects = labels;
    return doc;
}

// A single-questions topic laid out as the program lays them out: per question a text "Frage j?"
// and an answer "Antwort j".
inline TopicDocument questionsTopic(int questions)
{
    TopicDocument doc;
    doc.DokTyp = DocType::SingleQuestions;
    doc.AnzFrageNummern = questions;
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(Qt::white);
    for (int j = 1; j <= questions; ++j) {
        DocObject text;
        text.Typ = ObjectKind::QuestionText;
        text.Cap = QStringLiteral("Frage %1?").arg(j);
        text.Sx = text.Kx = 0.1;
        text.Sy = text.Ky = 0.4;
        text.FrageNummer = j;
        text.Ebene = 1;
        DocObject answer;
        answer.Typ = ObjectKind::Answer;
        answer.Cap = QStringLiteral("Antwort %1").arg(j);
        answer.Sx = answer.Kx = 0.225;
        answer.Sy = answer.Ky = 0.6;
        answer.FrageNummer = j;
        answer.Ebene = 1;
        doc.objects << text << answer;
    }
    return doc;
}
