// The learning card in the main window: its controls wired to the card's menu items, redrawing,
// the quiz's marker, the info text window beside the card, and the worksheet made of it.

#include "mainwindow.h"

#include "app/quizcontroller.h"

#include "cardview/markup.h"
#include "cardview/ui/cardcontrols.h"
#include "cardview/ui/cardimage.h"
#include "common/folders.h"
#include "quiz/ui/quizpanel.h"
#include "ui/infoboxform.h"
#include "ui/messages.h"
#include "worksheet/ui/worksheetform.h"
#include "worksheet/ui/worksheetprintdialog.h"

#include <QAction>
#include <QPageSetupDialog>
#include <QScrollArea>

void TForm1::createCardControls()
{
    m_cardControls = new CardControls(m_cardView, m_lernKartPicImg, m_lernKartPan, m_lernInfoPan, this);
    m_cardView.refreshView = [this] { m_lernKartPicImg->update(); };
    connect(m_lernKartPicImg, &CardImage::devicePixelRatioChanged, this, [this] {
        if (!layoutSuppressed())
            redrawCard();
    });
    m_cardView.viewComposed = [this] { markObject(m_cardView.markedObject, int(m_cardView.markedPart)); };
    m_cardView.reportError = [](const QString& text) { showError(text); };
    connect(m_cardControls, &CardControls::infoPointChosen, this, &TForm1::showInfoPoint);
    connect(m_cardControls, &CardControls::webLinkChosen, this, &TForm1::followWebLink);
    connect(m_cardControls, &CardControls::documentLinkChosen, this, &TForm1::followDocumentLink);
    connect(m_cardControls, &CardControls::worksheetRequested, this, &TForm1::createWorksheet);
}

void TForm1::connectCardItems()
{
    // The card's menu items mirror the controls' state; a layer switched on or off redraws the card.
    const auto tick = [this](std::initializer_list<const char*> names, auto isCurrent) {
        int i = 0;
        for (const char* name : names) {
            if (QAction* item = menuItem(QString::fromLatin1(name)))
                item->setChecked(isCurrent(i));
            ++i;
        }
    };
    connect(m_cardControls, &CardControls::layersChanged, this, [this, tick] {
        tick({"EbeneIllustration1", "EbeneBeschriftung1", "EbeneInfopunkte1"},
            [this](int layer) { return m_cardControls->layerShown(layer); });
        redrawCard();
    });
    connect(m_cardControls, &CardControls::numberingChanged, this, [tick](int mode) {
        tick({"NummerierungFragezeichen1", "NummerierungGeordnet1", "NummerierungZufaellig1"},
            [mode](int i) { return i == mode; });
    });
    connect(m_cardControls, &CardControls::zoomChanged, this, [tick](int zoomIndex) {
        tick({"Zoomstufe100", "Zoomstufe150", "Zoomstufe200"}, [zoomIndex](int i) { return 2 * i == zoomIndex; });
    });
    connect(m_cardControls, &CardControls::toolChanged, this, [tick](int tool) {
        tick({"WerkZeiger1", "WerkVerschiebehand1", "WerkRoterStiftdeckend1", "WerkGelberMarkerteiltransparent1",
                 "WerkGruenerMarkerteiltransparent1", "WerkRadierwerkzeug1", "WerkGruenesHaekchen1", "WerkRotesKreuz1",
                 "WerkSchlagwoertereinsetzen1"},
            [tool](int i) { return i + 1 == tool; });
    });
}

void TForm1::redrawCard()
{
    m_cardView.controlSize = m_lernKartPicImg->size();
    // The card is drawn at the screen's own pixels; everything else stays in logical pixels.
    m_cardView.devicePixelRatio = m_lernKartPicImg->devicePixelRatioF();
    m_cardView.pictureFolder = quizPictureFolder(folders().programFolder);
    m_cardView.cardMode = CardView::Mode(m_cardMode);
    m_cardView.redrawCard();
    // During a quiz the panel shows the card through its strip, rebuilt once per redraw.
    if (m_cardMode == QuizRunning)
        m_quizController->panel()->drawInstructionStrip(true);
}

void TForm1::markObject(int index, int part)
{
    if (index < 0 || part < 0 || m_cardMode != QuizRunning) {
        m_cardControls->hideMarker();
        m_quizController->panel()->showMarker({});
        return;
    }
    m_quizController->panel()->showMarker(m_cardControls->showMarker(index, part));
}

void TForm1::printerSetup()
{
    QPageSetupDialog dialog(&worksheetPrinter(), this);
    dialog.exec();
}

void TForm1::createWorksheet()
{
    TArbeitsblattForm* window = worksheetWindow();
    if (!window)
        return;
    window->setDocument(&m_document, quizPictureFolder(folders().programFolder));
    window->exec();
}

void TForm1::showInfoPoint(int index)
{
    if (index < 0 || index >= m_document.objects.size())
        return;
    // The info text keeps its markup in the hidden memo, one entry per line.
    QString text = m_document.objects.at(index).Cap;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split(u'\n');
    TInfoboxForm* window = infoTextWindow();
    if (!window)
        return;
    window->setLines(lines);
    const QColor background = window->scrollBox()->viewport()->palette().color(QPalette::Window);
    window->setTextImage(renderLinesToBitmap(lines, window->textWidth(), 14, background));
    window->fitToText(566);
    window->showText();
    // Beside the card, at the main window's top right; placed once shown, when its frame is known.
    const QRect main = frameGeometry();
    window->move(main.right() - 6 - window->frameGeometry().width() + 1, main.top() + 6);
}
