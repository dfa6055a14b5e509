// The learning card in the main window: the image control shows the card, the hidden tool bar's
// layer boxes, zoom and scroll commands work by their menu items and keys, the right button pans,
// the view goes into a file or onto the clipboard, and info points open their text.

#include "app/mainwindow.h"
#include "cardview/ui/cardcontrols.h"
#include "cardview/ui/cardimage.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"
#include "ui/cursors.h"
#include "ui/infoboxform.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb green = qRgb(0, 128, 0);

DocObject object(qint32 kind, const QString& caption, double x, double y, qint32 layer)
{
    DocObject o;
    o.Typ = kind;
    o.Cap = caption;
    o.Sx = o.Kx = x;
    o.Sy = o.Ky = y;
    o.KAusr = 1;
    o.Ebene = layer;
    return o;
}

// A mouse move without buttons, delivered straight to the widget.
void hover(QWidget* widget, QPoint position)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(position), widget->mapToGlobal(QPointF(position)), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class TestCardWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void imageControlShowsCard();
    void layerBoxesAndItems();
    void zoomKeys();
    void scrollKeys();
    void rightButtonPans();
    void exportView_data();
    void exportView();
    void copyToClipboard();
    void infoPointOpensText();
    void pointerClicks();
    void toolsFromMenuAndButtons();
    void cursorPictures_data();
    void cursorPictures();
    void tickStampedOncePerPress();
    void strokeAfterLoadingStartsWhereMade();
    void keywordField();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessageService> m_messages;
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<TForm1> m_window;
};

void TestCardWindow::init()
{
    QStandardPaths::setTestModeEnabled(true);
    // Every window here is made as the program's first, before any cursor is known.
    cursorSet() = CursorSet();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(setUpProgramFolder(path("programm")));
    m_messages = std::make_unique<FakeMessageService>();
    m_dialogs = std::make_unique<FakeDialogService>();

    TopicDocument doc;
    doc.titel = QStringLiteral("Flüsse");
    doc.picture = QImage(400, 200, QImage::Format_ARGB32);
    doc.picture.fill(green);
    doc.objects = {object(ObjectKind::Label, "Rhein", 0.5, 0.5, 1),
        object(ObjectKind::InfoPoint, "<B>Der Rhein</B>\r\nfließt in die Nordsee.", 0.2, 0.2, 2)};
    QFile file(path("fluesse.zep"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
    file.close();

    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = path("fluesse.zep");
    m_window = std::make_unique<TForm1>(options);
    m_window->createDialogs();
    m_window->show();
    QVERIFY(QTest::qWaitFor([this] { return !m_window->firstActivationPending(); }));
}

void TestCardWindow::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_messages.reset();
}

void TestCardWindow::imageControlShowsCard()
{
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    QVERIFY(image);
    const CardView& view = m_window->cardView();
    QCOMPARE(view.controlSize, image->size());
    QCOMPARE(image->image(), &view.viewBitmap);
    const QImage shown = image->grab().toImage();
    const QPoint inside = image->imageOrigin() + QPoint(5, view.viewBitmap.height() - 5);
    QCOMPARE(shown.pixel(inside), green);
    // The label is covered right after loading, numbered in order.
    QCOMPARE(m_window->document().objects.at(0).coverState, int(CoverState::Covered));
    QCOMPARE(m_window->document().objects.at(0).displayNumber, 1);
}

void TestCardWindow::layerBoxesAndItems()
{
    auto* box = m_window->findChild<QCheckBox*>("Ebene0Check");
    QAction* item = m_window->menuItem("EbeneIllustration1");
    QVERIFY(box && item);
    const CardView& view = m_window->cardView();
    box->click();
    QVERIFY(!item->isChecked());
    QCOMPARE(view.viewBitmap.pixel(5, view.viewBitmap.height() - 5), qRgb(255, 255, 255));
    // The menu item toggles its box, with the same effect.
    item->trigger();
    QVERIFY(box->isChecked());
    QVERIFY(item->isChecked());
    QCOMPARE(view.viewBitmap.pixel(5, view.viewBitmap.height() - 5), green);

    m_window->menuItem("EbeneBeschriftung1")->trigger();
    QVERIFY(!m_window->findChild<QCheckBox*>("Ebene1Check")->isChecked());
    QVERIFY(!m_window->cardView().isLayerVisible(0));
}

void TestCardWindow::zoomKeys()
{
    const CardView& view = m_window->cardView();
    QTest::keyClick(m_window.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(view.zoomIndex, 2);
    QVERIFY(m_window->findChild<THoverPanel*>("ZoomPan2")->checked());
    QVERIFY(m_window->menuItem("Zoomstufe150")->isChecked());
    QTest::keyClick(m_window.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    QTest::keyClick(m_window.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(view.zoomIndex, 4);
    QCOMPARE(view.zoomFactor, 2.0);
    QVERIFY(m_window->menuItem("Zoomstufe200")->isChecked());
    QVERIFY(!m_window->findChild<THoverPanel*>("ZoomPan0")->checked());
    // The plus key of the main keyboard is no zoom key.
    QTest::keyClick(m_window.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(view.zoomIndex, 4);
    QTest::keyClick(m_window.get(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    QCOMPARE(view.zoomIndex, 2);
    m_window->menuItem("Zoomstufe100")->trigger();
    QCOMPARE(view.zoomIndex, 0);
}

void TestCardWindow::scrollKeys()
{
    const CardView& view = m_window->cardView();
    QTest::keyClick(m_window.get(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(view.viewWindow[0], 0.0);
    m_window->cardControls()->setZoom(4);
    const double left = view.viewWindow[0];
    QTest::keyClick(m_window.get(), Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(view.viewWindow[0] > left);
    QTest::keyClick(m_window.get(), Qt::Key_Down, Qt::ControlModifier);
    QVERIFY(view.viewWindow[1] > 0);
    m_window->menuItem("Nachlinksscrollen1")->trigger();
    QVERIFY(qAbs(view.viewWindow[0] - left) < 1e-9);
}

void TestCardWindow::rightButtonPans()
{
    m_window->cardControls()->setZoom(4);
    const CardView& view = m_window->cardView();
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    const QPoint originBefore = view.viewportOrigin;
    QTest::mousePress(image, Qt::RightButton, {}, QPoint(300, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(260, 170), image->mapToGlobal(QPointF(260, 170)), Qt::NoButton,
        Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &move);
    // The card follows the mouse pixel for pixel.
    QCOMPARE(view.viewportOrigin - originBefore, QPoint(40, 30));
    QTest::mouseRelease(image, Qt::RightButton, {}, QPoint(250, 170));
    QCOMPARE(view.viewportOrigin - originBefore, QPoint(50, 30));
    // After the release the mouse moves the card no more.
    QMouseEvent hover(QEvent::MouseMove, QPointF(100, 100), image->mapToGlobal(QPointF(100, 100)), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &hover);
    QCOMPARE(view.viewportOrigin - originBefore, QPoint(50, 30));
}

void TestCardWindow::exportView_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic"); // empty: refused
    QTest::newRow("png") << "ansicht.png" << QByteArray("\x89PNG");
    QTest::newRow("upper-case PNG") << "ANSICHT.PNG" << QByteArray("\x89PNG");
    QTest::newRow("jpeg") << "ansicht.jpg" << QByteArray("\xff\xd8\xff");
    QTest::newRow("bitmap") << "ansicht.bmp" << QByteArray("BM");
    QTest::newRow("gif refused") << "ansicht.gif" << QByteArray();
}

void TestCardWindow::exportView()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    m_dialogs->saveAnswer = path(name);
    m_window->menuItem("Exportieren1")->trigger();
    QCOMPARE(m_dialogs->requests.size(), 1);
    const FileDialogRequest request = m_dialogs->requests.at(0);
    QCOMPARE(request.title, QStringLiteral("Ansicht in Bilddatei speichern"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("png"));
    QCOMPARE(request.filter,
        QStringLiteral("Alle Dateien (*.*)|*.*|PNG (*.png)|*.png|JPEG (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp"));
    QFile file(path(name));
    if (magic.isEmpty()) {
        QVERIFY(!file.exists());
        QCOMPARE(m_messages->texts(),
            QStringList({QStringLiteral("Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung.")}));
        return;
    }
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(magic.size()) == magic);
    file.close();
    const QImage written(path(name));
    QCOMPARE(written.size(), m_window->cardView().viewBitmap.size());
}

void TestCardWindow::copyToClipboard()
{
    m_window->menuItem("IndieZwischenablageBMP")->trigger();
    const QImage copied = QGuiApplication::clipboard()->image();
    QCOMPARE(copied.size(), m_window->cardView().viewBitmap.size());
    QCOMPARE(copied.pixel(5, copied.height() - 5) & 0xffffff, green & 0xffffff);
}

void TestCardWindow::infoPointOpensText()
{
    m_window->showInfoPoint(1);
    TInfoboxForm* info = m_window->infoTextWindow();
    QVERIFY(info->isVisible());
    QVERIFY(!info->isModal());
    QCOMPARE(info->lines(), QStringList({"<B>Der Rhein</B>", "fließt in die Nordsee."}));
    QCOMPARE(info->textImage().width(), info->scrollBox()->width() - 30);
    QVERIFY(info->textImage().height() > 20);
    QVERIFY(info->height() <= 566);
    // The whole short text is in view: the window fits it.
    QVERIFY(info->scrollBox()->height() >= info->textImage().height());
    QCOMPARE(info->frameGeometry().right(), m_window->frameGeometry().right() - 6);
    QCOMPARE(info->frameGeometry().top(), m_window->frameGeometry().top() + 6);
}

void TestCardWindow::pointerClicks()
{
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    const CardView& view = m_window->cardView();
    const DocObject& rhein = m_window->document().objects.at(0);
    const QPoint onLabel
        = view.cardToView((rhein.boxRect[0] + rhein.boxRect[2]) / 2, (rhein.boxRect[1] + rhein.boxRect[3]) / 2);
    hover(image, onLabel);
    QCOMPARE(image->cursor().shape(), Qt::PointingHandCursor);
    hover(image, view.cardToView(0.95, 0.95));
    QCOMPARE(image->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(image, Qt::LeftButton, {}, onLabel);
    QCOMPARE(rhein.coverState, int(CoverState::Uncovered));
    // The middle button is a pointer click whatever the tool.
    m_window->cardControls()->selectTool(3);
    QTest::mouseClick(image, Qt::MiddleButton, {}, onLabel);
    QCOMPARE(rhein.coverState, int(CoverState::Covered));
    // A click beside every box does nothing.
    m_window->cardControls()->selectTool(1);
    QTest::mouseClick(image, Qt::LeftButton, {}, view.cardToView(0.95, 0.95));
    QCOMPARE(rhein.coverState, int(CoverState::Covered));

    // The empty area of the layer panel covers every label.
    QTest::mouseClick(image, Qt::LeftButton, {}, onLabel);
    QCOMPARE(rhein.coverState, int(CoverState::Uncovered));
    QTest::mouseClick(m_window->findChild<QWidget*>("EbenenPan"), Qt::LeftButton, {}, QPoint(150, 70));
    QCOMPARE(rhein.coverState, int(CoverState::Covered));
}

void TestCardWindow::toolsFromMenuAndButtons()
{
    m_window->menuItem("WerkRoterStiftdeckend1")->trigger();
    QCOMPARE(m_window->currentTool(), 3);
    QVERIFY(m_window->findChild<THoverPanel*>("StiftBtn")->checked());
    QVERIFY(!m_window->findChild<THoverPanel*>("ZeigerBtn")->checked());
    QTest::mouseClick(m_window->findChild<THoverPanel*>("RadierBtn"), Qt::LeftButton);
    QCOMPARE(m_window->currentTool(), 6);
    QVERIFY(m_window->menuItem("WerkRadierwerkzeug1")->isChecked());
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    hover(image, QPoint(100, 100));
    QCOMPARE(image->cursor().shape(), Qt::BitmapCursor);
}

void TestCardWindow::cursorPictures_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<QString>("picture");

    QTest::newRow("pen") << 3 << "STIFT5";
    QTest::newRow("yellow marker") << 4 << "MARKER25";
    QTest::newRow("green marker") << 5 << "MARKER25";
    QTest::newRow("eraser") << 6 << "RADIER32";
    QTest::newRow("tick") << 7 << "HAEKCHEN";
    QTest::newRow("cross") << 8 << "KREUZ";
    QTest::newRow("keywords") << 9 << "TEXTEINGABE";
    QTest::newRow("move anchor") << 0 << "PFEILMOVE";
}

// The drawing tools and the move anchor show the program's own cursor pictures with their hot
// spots, in the first window of a run too, whose controls are made before any cursor is used.
void TestCardWindow::cursorPictures()
{
    QFETCH(int, tool);
    QFETCH(QString, picture);

    QCursor cursor;
    if (tool == 0) {
        cursor = m_window->findChild<QWidget*>("MoveAnker")->cursor();
    } else {
        m_window->cardControls()->selectTool(tool);
        auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
        hover(image, QPoint(100, 100));
        cursor = image->cursor();
    }
    const QImage expected(QStringLiteral(":/cursors/%1.png").arg(picture));
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
        expected.convertToFormat(QImage::Format_ARGB32));
    const QStringList hotSpot = expected.text(QStringLiteral("hotspot")).split(QLatin1Char(','));
    QCOMPARE(cursor.hotSpot(), QPoint(hotSpot.value(0).toInt(), hotSpot.value(1).toInt()));
}

void TestCardWindow::tickStampedOncePerPress()
{
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    const CardView& view = m_window->cardView();
    m_window->cardControls()->selectTool(7);
    hover(image, QPoint(100, 100));
    const QImage before = view.viewBitmap.copy();
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(100, 100));
    const QImage stamped = view.viewBitmap.copy();
    QVERIFY(stamped != before);
    QMouseEvent drag(QEvent::MouseMove, QPointF(200, 120), image->mapToGlobal(QPointF(200, 120)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &drag);
    QCOMPARE(view.viewBitmap, stamped);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(200, 120));
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(300, 120));
    QVERIFY(view.viewBitmap != stamped);
}

// A topic loaded between two strokes: the second starts at its own press, not at the point
// where the first ended on the old topic.
void TestCardWindow::strokeAfterLoadingStartsWhereMade()
{
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    const CardView& view = m_window->cardView();
    m_window->cardControls()->selectTool(3);
    hover(image, QPoint(100, 100));
    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent drag(QEvent::MouseMove, QPointF(150, 100), image->mapToGlobal(QPointF(150, 100)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &drag);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(150, 100));
    QVERIFY(m_window->readDocument(path("fluesse.zep"), true));

    QTest::mousePress(image, Qt::LeftButton, {}, QPoint(350, 160));
    QMouseEvent stroke(QEvent::MouseMove, QPointF(370, 160), image->mapToGlobal(QPointF(370, 160)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(image, &stroke);
    QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(370, 160));
    QCOMPARE(view.viewBitmap.pixelColor(QPoint(360, 160) - view.bitmapOrigin()), QColor(255, 0, 0));
    QVERIFY(view.viewBitmap.pixelColor(QPoint(250, 130) - view.bitmapOrigin()) != QColor(255, 0, 0));
}

void TestCardWindow::keywordField()
{
    auto* image = m_window->findChild<CardImage*>("LernKartPicImg");
    auto* field = m_window->findChild<QLineEdit*>("TexteingabeEdit");
    QVERIFY(field && !field->isVisible());
    const CardView& view = m_window->cardView();
    QTest::mouseClick(m_window->findChild<THoverPanel*>("TexteingabeBtn"), Qt::LeftButton);
    QCOMPARE(m_window->currentTool(), 9);

    // Near the right edge the field moves left to stay on the picture.
    const QImage before = view.viewBitmap.copy();
    const QPoint nearEdge = image->imageOrigin() + QPoint(view.viewBitmap.width() - 3, 200);
    QTest::mousePress(image, Qt::LeftButton, {}, nearEdge);
    QTest::mouseRelease(image, Qt::LeftButton, {}, nearEdge);
    QVERIFY(field->isVisible());
    const QRect picture(image->mapTo(field->parentWidget(), image->imageOrigin()), view.viewBitmap.size());
    QVERIFY(picture.contains(field->geometry()));
    QCOMPARE(field->geometry().bottom() + 1, image->mapTo(field->parentWidget(), nearEdge).y());
    const int narrow = field->width();
    QTest::keyClicks(field, QStringLiteral("Nordsee"));
    QVERIFY(field->width() > narrow);
    QVERIFY(picture.contains(field->geometry()));
    // Escape leaves the card as it was.
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
    QVERIFY(field->text().isEmpty());
    QCOMPARE(view.viewBitmap, before);

    // Enter writes the text in blue where the field was.
    const QPoint place = image->imageOrigin() + QPoint(200, 300);
    QTest::mousePress(image, Qt::LeftButton, {}, place);
    QTest::mouseRelease(image, Qt::LeftButton, {}, place);
    QTest::keyClicks(field, QStringLiteral("Elbe"));
    const QRect where(field->pos() - image->pos() - image->imageOrigin(), field->size());
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(!field->isVisible());
    int blue = 0;
    for (int y = where.top(); y <= where.bottom(); ++y)
        for (int x = where.left(); x <= where.right(); ++x)
            blue += view.viewBitmap.pixelColor(x, y).blue() > 200 && view.viewBitmap.pixelColor(x, y).red() < 100;
    QVERIFY(blue > 20);
    // Nothing of it lies outside the field's place.
    QCOMPARE(view.viewBitmap.copy(QRect(0, 0, view.viewBitmap.width(), where.top())),
        before.copy(QRect(0, 0, view.viewBitmap.width(), where.top())));
}

QTEST_MAIN(TestCardWindow)
#include "tst_cardwindow.moc"
