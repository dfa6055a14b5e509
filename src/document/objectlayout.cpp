#include "objectlayout.h"

namespace {

// Where single questions put their objects on the card, page by page.
constexpr double questionLabelY = 0.175;
constexpr double questionTextY = 0.4;
constexpr double answerY = 0.6;
constexpr double pageTextX = 0.1;
constexpr double answerX = 0.225;
constexpr qint32 questionTextSize = 5;
constexpr double pageButtonY = 0.775;

struct PageButton
{
    qint32 kind;
    double x;
};
constexpr PageButton pageButtons[] = {
    {ObjectKind::PageFirst, 0.1},
    {ObjectKind::PagePrevious, 0.16},
    {ObjectKind::PageNext, 0.22},
    {ObjectKind::PageLast, 0.28},
    {ObjectKind::PageRandom, 0.34},
};

// Page objects have no leader line: their box sits on their point, to its right.
DocObject pageObject(qint32 kind, const QString& caption, double x, double y, qint32 size, qint32 page)
{
    DocObject object;
    object.Sx = object.Kx = x;
    object.Sy = object.Ky = y;
    object.Cap = caption;
    object.KAusr = 1;
    object.TAusr = 0;
    object.Ebene = 1;
    object.Typ = kind;
    object.Sline = 0;
    object.Fsize = size;
    object.FrageNummer = page;
    return object;
}

} // namespace

bool isGeneratedKind(qint32 kind)
{
    return kind == ObjectKind::ClozeGap || (kind >= ObjectKind::Answer && kind <= ObjectKind::PageText);
}

qint32 defaultLayer(qint32 kind)
{
    switch (kind) {
    case ObjectKind::Label:
    case ObjectKind::ClozeGap:
        return 1;
    case ObjectKind::InfoPoint:
    case ObjectKind::WebLink:
    case ObjectKind::DocumentLink:
        return 2;
    default:
        return 0;
    }
}

DocObject placedObject(qint32 kind, QPointF point, std::optional<QPointF> box)
{
    DocObject object;
    object.Typ = kind;
    object.Ebene = defaultLayer(kind);
    object.Sx = point.x();
    object.Sy = point.y();
    object.Kx = box ? box->x() : point.x();
    object.Ky = box ? box->y() : point.y();
    object.Sline = kind == ObjectKind::Label && box ? 1 : 0;
    object.FrageNummer = -1;
    return object;
}

QList<DocObject> questionPageObjects(qint32 page, const QString& question, const QString& answer)
{
    return {
        pageObject(ObjectKind::QuestionText, QStringLiteral("Frage:"), pageTextX, questionLabelY, 0, page),
        pageObject(ObjectKind::QuestionText, question, pageTextX, questionTextY, questionTextSize, page),
        pageObject(ObjectKind::PageText, QStringLiteral("Antwort:"), pageTextX, answerY, 0, page),
        pageObject(ObjectKind::Answer, answer, answerX, answerY, 0, page),
    };
}

QList<DocObject> pageButtonObjects()
{
    QList<DocObject> buttons;
    for (const PageButton& button : pageButtons) {
        DocObject object = pageObject(button.kind, QString(), button.x, pageButtonY, 0, -1);
        object.Ebene = 2;
        buttons.append(object);
    }
    return buttons;
}

DocObject clozeGapObject(const QString& word)
{
    DocObject object;
    object.Cap = word;
    object.KAusr = 2;
    object.TAusr = 0;
    object.Ebene = 1;
    object.Typ = ObjectKind::ClozeGap;
    object.Sline = 0;
    object.Fsize = 0;
    return object;
}
