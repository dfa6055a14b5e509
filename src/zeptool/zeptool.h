#pragma once

#include "document/topicdocument.h"

#include <QStringList>

#include <optional>

class QIODevice;

// zeptool: one sub-command per job. Every command writes its results as UTF-8 to out and its
// messages to err, and returns the process exit status.

enum ZeptoolExit : int {
    ZeptoolOk = 0,
    ZeptoolFailed = 1, // a file could not be read or made (the German messages on err)
    ZeptoolBadUsage = 2, // wrong arguments (the usage text on err)
};

struct ZeptoolCommand
{
    const char* name;
    const char* synopsis; // arguments after the name, as shown in the usage text
    const char* description; // German, lines separated by '\n', shown indented by --help
    // The arguments after the command name. A command returns ZeptoolBadUsage without writing
    // anything when its arguments do not fit; the caller then prints the usage text.
    int (*run)(const QStringList& arguments, QIODevice& out, QIODevice& err);
};

// Runs the command named by the first argument with the rest.
int runZeptool(const QStringList& arguments, QIODevice& out, QIODevice& err);

// The full help of every command (zeptool --help).
QString zeptoolHelpText();

// The sub-commands, each in a file of its own.
int runInfoCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);
int runPeekCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);
int runRenderCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);
int runMakeCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);
int runHscCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);
int runWorksheetCommand(const QStringList& arguments, QIODevice& out, QIODevice& err);

// Writes text as UTF-8 with the line breaks of this platform's terminals (CR LF becomes LF).
void writeConsoleText(QIODevice& device, QString text);

// Reads the topic at path as opening it in the program does; a missing or unreadable file
// writes the program's message to err and gives nullopt.
std::optional<TopicDocument> readTopicOrReport(const QString& path, QIODevice& err);
