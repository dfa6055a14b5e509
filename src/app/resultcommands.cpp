// The results windows of the main window: the high-score list, the protocol of the last quiz
// and the folder of the lists.

#include "mainwindow.h"

#include "app/netcontroller.h"
#include "results/ui/bestlistverzform.h"
#include "results/ui/highscorelists.h"
#include "results/ui/protocolwindow.h"
#include "ui/messages.h"

void TForm1::showHighScoreList(bool network)
{
    TBestListForm* window = highScoreWindow();
    if (!window)
        return;
    if (!network && m_netController->role() == NetworkParticipant) {
        showInfo(HighScoreTexts::notDuringNetExercise);
        return;
    }
    ::showHighScoreList(*window, m_highScoreList, m_document, network);
}

void TForm1::showProtocolWindow()
{
    if (TUebProtokollForm* window = protocolWindow())
        window->showProtocol();
}

void TForm1::showFolderDialog()
{
    if (TBestListVerzForm* dialog = folderDialog())
        dialog->exec();
}

void TForm1::clearHighScoreList()
{
    m_highScoreList.clear();
}
