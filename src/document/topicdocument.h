#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include <array>

// Kind of document; decides which objects become quiz items.
enum class DocType : qint32 {
    ImageLabelling = 0, // quiz items: objects of kinds 0 and 3
    ClozeText = 1, // quiz items: objects of kinds 0 and 3
    SingleQuestions = 2 // quiz items: objects of kind 10
};

// Object kinds (DocObject::Typ).
namespace ObjectKind {
enum : qint32 {
    Label = 0,
    FixedText = 1,
    InfoPoint = 2,
    ClozeGap = 3,
    WebLink = 4,
    DocumentLink = 5,
    Answer = 10,
    QuestionText = 11,
    PagePrevious = 12,
    PageNext = 13,
    PageFirst = 14,
    PageLast = 15,
    PageRandom = 16,
    PageText = 17,
};
}

// Cover states (DocObject::coverState).
namespace CoverState {
enum : qint32 {
    Closed = -6, // closed after a wrong answer (quiz)
    Open = -5, // still to be asked (quiz)
    Crossed = -3, // red cross (quiz)
    Solved = -2, // green tick (quiz)
    Covered = -1,
    Uncovered = 0,
};
}

// One object placed on the card. Positions are fractions of the card's width and height.
struct DocObject
{
    // Stored fields, in file order.
    double Sx = 0, Sy = 0; // the point the object designates (start of its leader line)
    double Kx = 0, Ky = 0; // anchor of its text box
    QString Cap; // caption; lines separated by CR LF; file or web address for links
    qint32 KAusr = 0; // box placement: 0 automatic, 1 right, 2 above, 3 left, 4 below
    qint32 TAusr = 0; // text alignment: 0 left, 1 centred, 2 right
    qint32 Ebene = 0; // layer: 0 illustration, 1 labels, 2 info points
    qint32 Typ = 0; // object kind (ObjectKind)
    qint32 Sline = 0; // 1 = leader line drawn
    qint32 Fsize = 0; // font size step: height 22 + 2 * Fsize text units
    qint32 KAusrAkt = 0; // placement in effect 1..4; below 1 not yet worked out
    qint32 FrageNummer = -1; // question page (1-based); -1 not bound to a page

    // Run-time fields, never stored; reset when a document is read.
    qint32 coverState = CoverState::Covered;
    qint32 displayNumber = -1; // > 0 that number, 0 shows "?", -1 none
    qint32 failsAsTarget = 0;
    qint32 failsAsText = 0;
    std::array<double, 4> boxRect {-1, -1, -1, -1}; // left, top, right, bottom as card fractions
    double boxWidth = 0, boxHeight = 0;
    qint32 boxPixelLeft = -1, boxPixelTop = -1;

    // Puts the run-time fields back to their state after reading.
    void resetRunTimeState();

    bool operator==(const DocObject&) const = default;
};

// The open topic: header texts and numbers, the ordered object list (an object's index is its
// identity everywhere), the base picture, and the run-time state of the open file.
class TopicDocument
{
public:
    // Header fields, named after their file keys.
    QString vers = QStringLiteral("1.00");
    QString titel;
    QString autor;
    QString bemerkung;
    QString lueckentext;
    QString fragentext;
    qint32 AnzFrageNummern = 0;
    DocType DokTyp = DocType::ImageLabelling;
    std::array<double, 4> RandErw {0, 0, 0, 0}; // left, top, right, bottom
    qint32 NumArt = 0; // 1 letters, otherwise digits
    qint32 GeordnetArt = 0; // 0 by position, otherwise alphabetical

    QList<DocObject> objects;
    QImage picture; // the base picture, 32-bit RGBA

    // Run-time state.
    QString filePath;
    QString previousPath;
    bool modified = false;
    int topicIndex = -1;
    int currentQuestionNumber = 0;

    // Header to its "new" values and the run-time state of a document without file;
    // the previous path keeps the file that was open. Objects and picture stay.
    void resetDocument();

    // The label of object index's cover: "?" for no positive number; with NumArt 1 the letters
    // A..Z followed by one apostrophe per round of 26; otherwise the number in decimal.
    QString numberText(int index) const;

    // Header and objects equal (run-time state and picture not compared).
    bool sameContent(const TopicDocument& other) const;
};

// The cover label for number n under the given numbering style (see numberText).
QString coverNumberText(qint32 n, qint32 numArt);

// Sorts the object indexes for "ordered" numbering with the program's selection sort: for each
// position the strictly smallest later element is swapped in. GeordnetArt 0 orders by Ky, then
// Kx; any other value by caption, compared locale-aware and without regard to case. Equal
// elements are never preferred, but the swaps may change their relative order.
void sortOrdered(QList<int>& indexes, const TopicDocument& document);
