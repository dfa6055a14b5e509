#include "platform/systeminfo.h"

#include <QSysInfo>

#include <vector>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

// The names travel into high-score lists and network messages whose readers expect them to fit
// the 256-byte buffers of the Windows calls (255 characters and the terminating zero).
constexpr qsizetype maxNameLength = 255;

QString limitedName(QString name)
{
    if (name.size() > maxNameLength) {
        qsizetype cut = maxNameLength;
        // Never keep half of a surrogate pair.
        if (name.at(cut - 1).isHighSurrogate())
            --cut;
        name.truncate(cut);
    }
    return name;
}

#ifdef Q_OS_UNIX
QString userNameFromDatabase()
{
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0)
        bufferSize = 16384;
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    passwd entry {};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr
        || found->pw_name == nullptr)
        return {};
    return QString::fromLocal8Bit(found->pw_name);
}
#endif

} // namespace

QString computerName()
{
    QString name = QSysInfo::machineHostName();
    if (name.isEmpty())
        name = qEnvironmentVariable("COMPUTERNAME", qEnvironmentVariable("HOSTNAME"));
    return limitedName(name);
}

QString userName()
{
    QString name;
#ifdef Q_OS_UNIX
    name = userNameFromDatabase();
#endif
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        if (!name.isEmpty())
            break;
        name = qEnvironmentVariable(variable);
    }
    return limitedName(name);
}
