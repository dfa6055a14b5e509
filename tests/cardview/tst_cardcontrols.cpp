// What a click on the learning card does with each kind of object, that the card ignores the
// pointer during a quiz, and the quiz's marker over the picture.

#include "cardview/ui/cardcontrols.h"
#include "cardview/ui/cardimage.h"

#include <QSignalSpy>
#include <QTest>

namespace {

DocObject object(qint32 kind, double x, double y)
{
    DocObject o;
    o.Typ = kind;
    o.Cap = QStringLiteral("Rhein");
    o.Sx = o.Kx = x;
    o.Sy = o.Ky = y;
    o.KAusr = 1;
    o.Ebene = 1;
    return o;
}

} // namespace

class TestCardControls : public QObject
{
    Q_OBJECT

private slots:
    void clickOnObject_data();
    void clickOnObject();
    void marker();
    void otherScreenAsksForRedraw();
};

void TestCardControls::clickOnObject_data()
{
    QTest::addColumn<qint32>("kind");
    QTest::addColumn<bool>("interactive");
    QTest::addColumn<QString>("reported"); // the signal the click gives, empty for none
    QTest::addColumn<bool>("uncovered");

    QTest::newRow("label") << qint32(ObjectKind::Label) << true << QString() << true;
    QTest::newRow("info point") << qint32(ObjectKind::InfoPoint) << true << "infoPointChosen" << false;
    QTest::newRow("web link") << qint32(ObjectKind::WebLink) << true << "webLinkChosen" << false;
    QTest::newRow("topic link") << qint32(ObjectKind::DocumentLink) << true << "documentLinkChosen" << false;
    QTest::newRow("label in a quiz") << qint32(ObjectKind::Label) << false << QString() << false;
    QTest::newRow("info point in a quiz") << qint32(ObjectKind::InfoPoint) << false << QString() << false;
}

void TestCardControls::clickOnObject()
{
    QFETCH(qint32, kind);
    QFETCH(bool, interactive);
    QFETCH(QString, reported);
    QFETCH(bool, uncovered);

    TopicDocument document;
    document.picture = QImage(400, 200, QImage::Format_ARGB32);
    document.picture.fill(Qt::green);
    document.objects = {object(ObjectKind::Label, 0.8, 0.8), object(kind, 0.4, 0.4)};
    CardView view(document);
    QWidget window;
    auto* image = new CardImage(&window);
    image->resize(870, 600);
    auto* bar = new QWidget(&window);
    CardControls controls(view, image, &window, bar);
    controls.setInteractive(interactive);
    view.controlSize = image->size();
    view.coverAll();
    view.redrawCard();

    QSignalSpy info(&controls, &CardControls::infoPointChosen);
    QSignalSpy web(&controls, &CardControls::webLinkChosen);
    QSignalSpy link(&controls, &CardControls::documentLinkChosen);
    const DocObject& clicked = document.objects.at(1);
    const QPoint centre
        = view.cardToView((clicked.boxRect[0] + clicked.boxRect[2]) / 2, (clicked.boxRect[1] + clicked.boxRect[3]) / 2);
    QTest::mouseClick(image, Qt::LeftButton, {}, centre);

    const QMap<QString, QSignalSpy*> spies {
        {"infoPointChosen", &info}, {"webLinkChosen", &web}, {"documentLinkChosen", &link}};
    for (auto spy = spies.begin(); spy != spies.end(); ++spy) {
        QCOMPARE(spy.value()->size(), spy.key() == reported ? 1 : 0);
        if (spy.key() == reported)
            QCOMPARE(spy.value()->at(0).at(0).toInt(), 1);
    }
    if (kind == ObjectKind::Label)
        QCOMPARE(clicked.coverState, uncovered ? int(CoverState::Uncovered) : int(CoverState::Covered));
    // The other label was not touched.
    QCOMPARE(document.objects.at(0).coverState, int(CoverState::Covered));
}

void TestCardControls::marker()
{
    TopicDocument document;
    document.picture = QImage(400, 200, QImage::Format_ARGB32);
    document.objects = {object(ObjectKind::Label, 0.5, 0.5)};
    CardView view(document);
    QWidget window;
    auto* image = new CardImage(&window);
    image->resize(870, 600);
    CardControls controls(view, image, &window, new QWidget(&window));
    view.controlSize = image->size();
    view.cardMode = CardView::Mode::Quiz; // the quiz runs
    view.redrawCard();
    window.show();

    const QRect shown = controls.showMarker(0, 2);
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown, view.markerRect());
    QCOMPARE(controls.marker()->geometry(), shown);
    QVERIFY(controls.marker()->isVisible());
    controls.hideMarker();
    QVERIFY(!controls.marker()->isVisible());
    QCOMPARE(view.markedObject, -1);
}

// A card drawn for another screen's scale (the window moved, or the desktop's scale changed):
// the control asks once for the card to be drawn again, and not again once it fits.
void TestCardControls::otherScreenAsksForRedraw()
{
    CardImage image;
    image.resize(200, 100);
    QSignalSpy asked(&image, &CardImage::devicePixelRatioChanged);
    QImage card(400, 200, QImage::Format_ARGB32);
    card.setDevicePixelRatio(2.0); // drawn for 200 %, shown at 100 %
    card.fill(Qt::white);
    image.setImage(&card);
    image.grab();
    image.grab();
    QTRY_COMPARE(asked.count(), 1);
    // Its origin is in logical pixels: the card fills the control.
    QCOMPARE(image.imageOrigin(), QPoint(0, 0));
    card.setDevicePixelRatio(1.0);
    card = card.scaled(200, 100);
    image.grab();
    QTest::qWait(10);
    QCOMPARE(asked.count(), 1);
}

QTEST_MAIN(TestCardControls)
#include "tst_cardcontrols.moc"
