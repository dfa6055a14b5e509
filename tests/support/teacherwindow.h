#pragma once

#include "app/mainwindow.h"
#include "common/folders.h"
#include "support/realdisplay.h"

#include <QAction>
#include <QString>
#include <QTest>

#include <memory>

// The main window as the editor's tests open it on the real display: at the screen's top left,
// shown, activated and focused for input, without the name prompt, the sounds and the high-score
// entry, its protocols and high scores in resultFolder. Nothing when it did not come up.
inline std::unique_ptr<TForm1> openWindowOnDisplay(
    bool withAuthoring, const QString& argument, XTestInput& input, const QString& resultFolder)
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = argument;
    options.authoring = withAuthoring;
    auto window = std::make_unique<TForm1>(options);
    window->createDialogs();
    window->move(0, 0);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())
        || !QTest::qWaitFor([&window] { return !window->firstActivationPending(); })
        || !input.focusWindow(window.get()))
        return nullptr;
    window->menuItem("OptNameEingabe1")->setChecked(false);
    window->menuItem("Sound1")->setChecked(false);
    window->menuItem("ErgebBestListEintragen1")->setChecked(false);
    folders().highScoreFolder = folders().protocolFolder = resultFolder + u'/';
    return window;
}
