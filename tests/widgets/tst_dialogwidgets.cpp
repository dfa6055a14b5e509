#include "widgets/bitbtn.h"
#include "widgets/shadowlabel.h"

#include <QImage>
#include <QTest>

namespace {

QImage grabImage(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle around every pixel of exactly `color`.
QRect boundsOfColour(const QImage& image, const QColor& color)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestDialogWidgets : public QObject
{
    Q_OBJECT

private slots:
    void buttonFaceShowsColour_data();
    void buttonFaceShowsColour();
    void shadowLiesOnePixelRightAndBelow_data();
    void shadowLiesOnePixelRightAndBelow();
};

void TestDialogWidgets::buttonFaceShowsColour_data()
{
    QTest::addColumn<QColor>("color");
    QTest::newRow("dialog blue grey") << QColor(205, 208, 226);
    QTest::newRow("strong red") << QColor(200, 40, 40);
}

void TestDialogWidgets::buttonFaceShowsColour()
{
    QFETCH(QColor, color);
    TBitBtn2 button(QStringLiteral("OK"));
    button.setColor(color);
    button.resize(100, 30);
    const QImage image = grabImage(button);

    // Left of the caption, halfway down, the face shows the colour up to its slight shading.
    const QColor face = image.pixelColor(8, 15);
    QVERIFY2(near(face, color, 12), qPrintable(face.name()));
    QCOMPARE(button.color(), color);
}

void TestDialogWidgets::shadowLiesOnePixelRightAndBelow_data()
{
    QTest::addColumn<Qt::Alignment>("alignment");
    QTest::newRow("left") << Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    QTest::newRow("right") << Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TestDialogWidgets::shadowLiesOnePixelRightAndBelow()
{
    QFETCH(Qt::Alignment, alignment);
    const QColor text(0, 0, 0);
    const QColor shadow(255, 0, 0);

    TShadowLabel label(QStringLiteral("HH"));
    QFont font(QStringLiteral("Arial"), 20, QFont::Bold);
    font.setStyleStrategy(QFont::NoAntialias);
    label.setFont(font);
    label.setFontColor(text);
    label.setShadowColor(shadow);
    label.setAlignment(alignment);
    label.resize(120, 50);
    const QImage image = grabImage(label);

    const QRect caption = boundsOfColour(image, text);
    const QRect cast = boundsOfColour(image, shadow);
    QVERIFY(caption.isValid());
    QVERIFY(cast.isValid());
    // The caption covers the shadow except at its right and bottom edges.
    QCOMPARE(cast.right(), caption.right() + 1);
    QCOMPARE(cast.bottom(), caption.bottom() + 1);
    QVERIFY(cast.left() > caption.left());
    QVERIFY(cast.top() > caption.top());
    // The shadow stays inside the label even with the caption against its right edge.
    QVERIFY(cast.right() < label.width());
}

QTEST_MAIN(TestDialogWidgets)
#include "tst_dialogwidgets.moc"
