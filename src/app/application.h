#pragma once

class QApplication;

// Sets up the program's application object: names, German translations of Qt's own texts,
// style and fonts.
void prepareApplication(QApplication& app);

// Starts the program: folder layout, application, main window, dialogs, then the event loop.
// Returns the program's exit code.
int runTallowmere(int argc, char* argv[]);
