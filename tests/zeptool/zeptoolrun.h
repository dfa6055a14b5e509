#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// What a run of the built zeptool gave: its exit code and both outputs; exit code -1 when it
// did not end normally within a minute.
struct ToolResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolResult runZeptool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZEPTOOL_PATH), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
