#pragma once

#include "document/topicdocument.h"
#include "photograph.h"

// The learning card's benchmarks share one topic: a photograph of 1600 x 1000 with 300 labels on
// a 20 x 15 grid, each with a leader line from a point beside it, automatic placement and a
// caption of one or two lines; every second one is covered.
inline constexpr int labelledPhotoLabels = 300;

inline TopicDocument labelledPhoto()
{
    TopicDocument document;
    document.titel = QStringLiteral("Ein Foto mit 300 Beschriftungen");
    document.picture = photograph(1600, 1000);
    for (int i = 0; i < labelledPhotoLabels; ++i) {
        DocObject label;
        label.Kx = 0.03 + 0.048 * (i % 20);
        label.Ky = 0.04 + 0.063 * (i / 20);
        label.Sx = label.Kx + 0.02;
        label.Sy = label.Ky + 0.015;
        label.Cap
            = i % 7 == 0 ? QStringLiteral("Zeile %1\r\nzweite Zeile").arg(i) : QStringLiteral("Beschriftung %1").arg(i);
        label.KAusr = 0;
        label.TAusr = 1;
        label.Ebene = 1;
        label.Typ = ObjectKind::Label;
        label.Sline = 1;
        label.Fsize = -3;
        label.coverState = i % 2 == 0 ? CoverState::Covered : CoverState::Uncovered;
        document.objects.append(label);
    }
    return document;
}
