#include "topicdocument.h"

#include <QCollator>

#include <QLocale>
#include <functional>

void DocObject::resetRunTimeState()
{
    coverState = CoverState::Covered;
    displayNumber = -1;
    failsAsTarget = 0;
    failsAsText = 0;
    boxRect = {-1, -1, -1, -1};
    boxWidth = 0;
    boxHeight = 0;
    boxPixelLeft = -1;
    boxPixelTop = -1;
}

void TopicDocument::resetDocument()
{
    vers = QStringLiteral("1.00");
    titel.clear();
    autor.clear();
    bemerkung.clear();
    lueckentext.clear();
    fragentext.clear();
    AnzFrageNummern = 0;
    DokTyp = DocType::ImageLabelling;
    RandErw = {0, 0, 0, 0};
    NumArt = 0;
    GeordnetArt = 0;

    if (!filePath.isEmpty())
        previousPath = filePath;
    filePath.clear();
    modified = false;
    topicIndex = -1;
    currentQuestionNumber = 0;
}

QString coverNumberText(qint32 n, qint32 numArt)
{
    if (n <= 0)
        return QStringLiteral("?");
    if (numArt == 1) {
        const qint32 zeroBased = n - 1;
        return QChar(u'A' + zeroBased % 26) + QString(zeroBased / 26, QLatin1Char('\''));
    }
    return QString::number(n);
}

QString TopicDocument::numberText(int index) const
{
    if (index < 0 || index >= objects.size())
        return QStringLiteral("?");
    return coverNumberText(objects.at(index).displayNumber, NumArt);
}

bool TopicDocument::sameContent(const TopicDocument& other) const
{
    return vers == other.vers && titel == other.titel && autor == other.autor && bemerkung == other.bemerkung
        && lueckentext == other.lueckentext && fragentext == other.fragentext
        && AnzFrageNummern == other.AnzFrageNummern && DokTyp == other.DokTyp && RandErw == other.RandErw
        && NumArt == other.NumArt && GeordnetArt == other.GeordnetArt && objects == other.objects;
}

void sortOrdered(QList<int>& indexes, const TopicDocument& document)
{
    const QList<DocObject>& objects = document.objects;
    std::function<bool(int, int)> smaller;
    if (document.GeordnetArt == 0) {
        smaller = [&objects](int a, int b) {
            const DocObject& x = objects.at(a);
            const DocObject& y = objects.at(b);
            return x.Ky < y.Ky || (x.Ky == y.Ky && x.Kx < y.Kx);
        };
    } else {
        // Captions compare as the user reads them: German rules, without regard to case.
        static const QCollator collator = [] {
            QCollator c(QLocale(QLocale::German, QLocale::Germany));
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        smaller = [&objects](int a, int b) { return collator.compare(objects.at(a).Cap, objects.at(b).Cap) < 0; };
    }
    // A selection sort on purpose: its swaps decide the order of equal elements, and the
    // numbering of existing topics depends on exactly that order.
    for (qsizetype r = 0; r < indexes.size(); ++r) {
        qsizetype p = r;
        for (qsizetype s = r + 1; s < indexes.size(); ++s) {
            if (smaller(indexes.at(s), indexes.at(p)))
                p = s;
        }
        indexes.swapItemsAt(r, p);
    }
}
