#include "worksheetpage.h"

#include "cardview/cardtext.h"
#include "cardview/cardview.h"
#include "cardview/markup.h"
#include "document/questiontags.h"
#include "quiz/normalizetext.h"

#include <QCollator>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

namespace {

// The card the labelled picture is drawn from: a fixed size, about twice the page's width in
// pixels, so that the print stays sharp whatever the window shows.
const QSize worksheetCardSize(1740, 1200);

// "Font height" on the sheet is the character height in units, as on the card.
QFont sheetFont(int height, bool bold = false)
{
    return cardFont(height, bold);
}

int lineHeight(const QFont& font)
{
    return QFontMetrics(font).height();
}

// The length of the longest start of text no wider than width: up to its last blank that fits,
// or as many characters as fit when no blank does (at least one, so that a line always takes
// something).
qsizetype fittingPrefix(const QFontMetrics& metrics, const QString& text, int width)
{
    qsizetype fits = 0;
    while (fits < text.size()) {
        const qsizetype next = fits + (text.at(fits).isHighSurrogate() && fits + 1 < text.size() ? 2 : 1);
        if (metrics.horizontalAdvance(text.left(next)) > width)
            break;
        fits = next;
    }
    const qsizetype blank = text.lastIndexOf(u' ', fits);
    if (fits < text.size() && blank > 0)
        return blank + 1;
    return qMax<qsizetype>(fits, 1);
}

// The answers of the single questions, with their tags expanded and their picture cut out.
struct QuestionText
{
    QString text;
    QString picture;
};

QuestionText questionText(const QString& question)
{
    const ImageTagCut cut = cutImageTag(expandQuestionTags(question));
    return {cut.text.trimmed(), cut.name};
}

class Composer
{
public:
    Composer(QPainter& painter, const TopicDocument& document, const WorksheetOptions& options)
        : m_painter(painter)
        , m_document(document)
        , m_options(options)
        , m_drawFrame(options.mode != WorksheetMode::Overlay)
        , m_showSolutions(options.mode != WorksheetMode::Worksheet)
        , m_style((m_drawFrame ? 1 : 0) + (m_showSolutions ? 2 : 0))
        , m_scratchImage(8, 8, QImage::Format_ARGB32_Premultiplied)
        , m_scratch(&m_scratchImage)
    { }

    WorksheetLayout compose()
    {
        m_painter.save();
        m_painter.setBrush(Qt::NoBrush);
        m_painter.setPen(QPen(Qt::black, 1));
        header();
        title();
        task();
        answerList();
        setFont(25);
        content();
        footer();
        m_painter.restore();
        return m_layout;
    }

private:
    void setFont(int height, bool bold = false)
    {
        m_font = sheetFont(height, bold);
        m_painter.setFont(m_font);
        m_lineHeight = lineHeight(m_font);
    }

    int lines(double count) const { return qRound(count * m_lineHeight); }

    // A frame from (left, top) to (right, bottom), its outline on the last column and row inside:
    // a frame to x 1000 stays on the page, which ends there.
    void frame(int left, int top, int right, int bottom)
    {
        m_painter.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
    }

    void text(int x, int y, const QString& text)
    {
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRect(x, y, 10000, m_lineHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    }

    void header()
    {
        setFont(18);
        const struct
        {
            bool on;
            const char* label;
            int x;
            int length;
        } fields[] = {{m_options.nameField, "Name:", 0, 500}, {m_options.classField, "Klasse:", 500, 250},
            {m_options.dateField, "Datum:", 750, 250}};
        int count = 0;
        for (const auto& field : fields) {
            if (!field.on)
                continue;
            ++count;
            if (m_drawFrame) {
                text(field.x, m_y, QString::fromLatin1(field.label));
                m_painter.drawLine(field.x, m_y + m_lineHeight, field.x + field.length, m_y + m_lineHeight);
            }
        }
        if (count > 0)
            m_y += lines(2.5);
    }

    void title()
    {
        if (m_options.title.isEmpty())
            return;
        m_y += lines(0.5);
        setFont(30, true);
        m_layout.titleTop = m_y;
        if (m_drawFrame) {
            m_painter.save();
            m_painter.setPen(Qt::black);
            // A title wider than its box is set smaller, down to two thirds of its size, and then
            // shortened; the box keeps its place, so that the overlay still lines up.
            const int room = worksheetWidth - 2 * lines(0.3);
            QFont font = m_font;
            QString shown = m_options.title;
            for (int height = 30; height >= 20; --height) {
                font = sheetFont(height, true);
                if (QFontMetrics(font).horizontalAdvance(shown) <= room)
                    break;
                if (height == 20)
                    shown = QFontMetrics(font).elidedText(shown, Qt::ElideRight, room);
            }
            m_painter.setFont(font);
            m_painter.drawText(QRect(0, m_y, worksheetWidth, m_lineHeight),
                Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, shown);
            m_painter.restore();
            frame(0, m_y - lines(0.3), worksheetWidth, m_y + lines(1.3));
        }
        m_y += lines(2);
    }

    void task()
    {
        if (m_options.task.isEmpty())
            return;
        setFont(25);
        m_layout.taskTop = m_y;
        const QRect area(QPoint(0, m_y), QPoint(worksheetWidth, worksheetHeight));
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRect used = QFontMetrics(m_font).boundingRect(area, flags, m_options.task);
        if (m_drawFrame) {
            m_painter.setPen(Qt::black);
            m_painter.drawText(area, flags, m_options.task);
        }
        m_y += used.height();
    }

    void answerList()
    {
        if (!m_options.answerList) {
            // Half a line between the task and the content, which would sit on the task's text.
            if (!m_options.task.isEmpty())
                m_y += lines(0.5);
            return;
        }
        setFont(22);
        m_layout.answerListTop = m_y;
        const QStringList answers = worksheetAnswers(m_document, m_options.fromQuestion);
        const QFontMetrics metrics(m_font);
        QString line;
        const auto writeLine = [&] {
            if (m_drawFrame)
                text(0, m_y, line);
            m_layout.answerLines.append(line);
            m_y += lines(1.25);
        };
        for (qsizetype i = 0; i < answers.size(); ++i) {
            const QString piece = answers.at(i) + (i + 1 < answers.size() ? QStringLiteral(" - ") : QString());
            if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > worksheetWidth) {
                writeLine();
                line.clear();
            }
            if (metrics.horizontalAdvance(piece) <= worksheetWidth) {
                line += piece;
                continue;
            }
            // An entry longer than the line goes on over the next lines, broken at its blanks
            // (or, for a word wider than the page, between characters).
            QString rest = piece;
            while (metrics.horizontalAdvance(rest) > worksheetWidth) {
                const qsizetype cut = fittingPrefix(metrics, rest, worksheetWidth);
                line = rest.left(cut).trimmed();
                writeLine();
                rest.remove(0, cut);
                while (rest.startsWith(u' '))
                    rest.remove(0, 1);
            }
            line = rest;
        }
        if (!line.isEmpty())
            writeLine();
        m_y += m_lineHeight;
    }

    void content()
    {
        m_layout.contentTop = m_y;
        switch (m_document.DokTyp) {
        case DocType::ClozeText:
            clozeText();
            break;
        case DocType::SingleQuestions:
            singleQuestions();
            break;
        default:
            labelledPicture();
            break;
        }
    }

    void labelledPicture()
    {
        // A card of its own over a copy: the window's card, its zoom, layers and page stay as
        // they are, and so does the open document.
        TopicDocument copy = m_document;
        CardView card(copy);
        card.controlSize = worksheetCardSize;
        card.pictureFolder = m_options.pictureFolder;
        card.redrawCard();
        QImage picture = m_drawFrame ? card.backgroundBitmap.copy() : QImage();
        if (picture.isNull()) {
            picture = QImage(card.backgroundBitmap.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
            picture.fill(Qt::white);
        }
        for (int i = 0; i < copy.objects.size(); ++i)
            card.drawObject(picture, i, worksheetDrawFlags());
        const int height = qRound(double(worksheetWidth) * picture.height() / qMax(1, picture.width()));
        const QRect target(0, m_y, worksheetWidth, height);
        m_painter.save();
        m_painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_painter.drawImage(target, picture);
        m_painter.restore();
        if (m_drawFrame)
            m_painter.drawRect(target);
        m_y += height;
        m_layout.contentBottom = m_y;
        m_y += lines(1.5);
    }

    // The labelled picture's objects as this mode draws them: frames to write in on the sheet,
    // the answers in red on the solutions, each with its leader line but the overlay's.
    CardView::DrawFlags worksheetDrawFlags() const
    {
        CardView::DrawFlags flags = CardView::DrawFlag::LeaderLine;
        if (m_drawFrame)
            flags |= CardView::DrawFlag::WorksheetFrame;
        if (m_showSolutions)
            flags |= CardView::DrawFlag::WorksheetAnswer;
        return flags;
    }

    MarkupCanvas canvas(QPainter* painter, const QColor& colour, int mode, int height) const
    {
        MarkupCanvas canvas;
        canvas.painter = painter;
        canvas.left = 20;
        canvas.rightLimit = 20 + 970;
        canvas.colour = colour;
        canvas.mode = mode;
        canvas.fontHeight = height;
        return canvas;
    }

    void clozeText()
    {
        const int top = m_y;
        QString source = m_document.lueckentext;
        source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString& line : source.split(u'\n')) {
            MarkupCanvas c = canvas(&m_painter, Qt::black, m_style, 30);
            m_y = renderMarkup(c, line, m_y);
        }
        if (m_drawFrame)
            frame(0, top, worksheetWidth, m_y);
        m_layout.contentBottom = m_y;
        m_painter.setFont(m_font);
        m_y += lines(1.5);
    }

    // One question with its picture beside it: the text wraps left of the picture.
    int question(
        QPainter* painter, const WorksheetQuestion& q, int top, bool drawQuestion, bool drawAnswer, QRect* answerRect)
    {
        const QuestionText shown = questionText(q.question);
        QImage picture;
        if (!shown.picture.isEmpty())
            picture = QImage(m_options.pictureFolder + QString(shown.picture).replace(u'\\', u'/'));
        QSize pictureSize;
        if (!picture.isNull())
            pictureSize = picture.size().scaled(QSize(200, 120), Qt::KeepAspectRatio);

        QPainter* questionPainter = drawQuestion ? painter : &m_scratch;
        MarkupCanvas questionCanvas = canvas(questionPainter, Qt::black, 0, 25);
        if (!pictureSize.isEmpty())
            questionCanvas.rightLimit = worksheetWidth - pictureSize.width() - 20;
        int y = renderMarkup(questionCanvas, QString::number(q.number) + QStringLiteral(". ") + shown.text, top);
        if (!pictureSize.isEmpty()) {
            if (drawQuestion)
                painter->drawImage(
                    QRect(QPoint(worksheetWidth - pictureSize.width() - 10, top + 8), pictureSize), picture);
            y = qMax(y, top + pictureSize.height() + 12);
        }
        const int answerTop = y;
        MarkupCanvas answerCanvas = canvas(drawAnswer ? painter : &m_scratch, Qt::red, 0, 25);
        y = renderMarkup(answerCanvas, q.answer, y);
        if (answerRect)
            *answerRect = QRect(QPoint(20, answerTop), QPoint(20 + 970, y));
        return y;
    }

    void singleQuestions()
    {
        const int top = m_y;
        const int limit = worksheetHeight - lines(1.5);
        for (const WorksheetQuestion& q : worksheetQuestions(m_document.fragentext)) {
            if (q.number < m_options.fromQuestion)
                continue;
            // Measured first, so that a question that does not fit stays off the page whole.
            if (question(&m_scratch, q, m_y, true, true, nullptr) >= limit)
                break;
            QRect answerRect;
            m_y = question(&m_painter, q, m_y, m_drawFrame, m_showSolutions, &answerRect);
            m_painter.setPen(QPen(Qt::black, 1));
            if (m_drawFrame)
                m_painter.drawLine(0, m_y, worksheetWidth, m_y);
            m_layout.questions.append(q.number);
            m_layout.solutionRects.append(answerRect);
        }
        m_painter.setPen(QPen(Qt::black, 1));
        m_painter.setBrush(Qt::NoBrush);
        if (m_drawFrame)
            frame(0, top, worksheetWidth, m_y + 1);
        m_layout.contentBottom = m_y;
        m_painter.setFont(m_font);
        m_y += lines(1.5);
    }

    void footer()
    {
        setFont(15);
        m_y = worksheetHeight - m_lineHeight;
        m_layout.footerTop = m_y;
        if (!m_drawFrame)
            return;
        m_painter.setPen(QPen(Qt::black, 1));
        m_painter.drawLine(0, m_y, worksheetWidth, m_y);
        text(0, m_y, worksheetFooter);
        m_painter.drawText(QRect(0, m_y, worksheetWidth, m_lineHeight),
            Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, worksheetWebAddress);
    }

    QPainter& m_painter;
    const TopicDocument& m_document;
    const WorksheetOptions& m_options;
    const bool m_drawFrame;
    const bool m_showSolutions;
    const int m_style; // 1 worksheet, 3 complete solution, 2 overlay
    QImage m_scratchImage;
    QPainter m_scratch; // measures what is not drawn
    QFont m_font;
    int m_lineHeight = 0;
    int m_y = 0;
    WorksheetLayout m_layout;
};

} // namespace

QStringList worksheetAnswers(const TopicDocument& document, int fromQuestion)
{
    QStringList answers;
    for (const DocObject& o : document.objects) {
        const bool wanted = document.DokTyp == DocType::ClozeText ? o.Typ == ObjectKind::ClozeGap
            : document.DokTyp == DocType::SingleQuestions ? o.Typ == ObjectKind::Answer && o.FrageNummer >= fromQuestion
                                                          : o.Typ == ObjectKind::Label;
        // The list gives each answer one line: the parts a tile shows on lines of their own
        // (" | ") are joined with a space.
        if (wanted)
            answers.append(normalizeText(o.Cap).replace(QStringLiteral(" | "), QStringLiteral(" ")));
    }
    QCollator collator {QLocale(QLocale::German, QLocale::Germany)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(answers.begin(), answers.end(),
        [&collator](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    return answers;
}

QList<WorksheetQuestion> worksheetQuestions(const QString& questionSource)
{
    QList<WorksheetQuestion> questions;
    QString source = questionSource;
    source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& line : source.split(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        WorksheetQuestion q;
        q.number = int(questions.size()) + 1;
        const qsizetype separator = line.indexOf(QStringLiteral("//"));
        q.question = (separator < 0 ? line : line.left(separator)).trimmed();
        q.answer = separator < 0 ? QStringLiteral("---") : line.mid(separator + 2).trimmed();
        questions.append(q);
    }
    return questions;
}

WorksheetLayout composeWorksheet(QPainter& painter, const TopicDocument& document, const WorksheetOptions& options)
{
    return Composer(painter, document, options).compose();
}
