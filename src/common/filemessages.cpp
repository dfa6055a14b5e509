#include "filemessages.h"

namespace {

QString withExtra(QString text, const QString& extra)
{
    if (!extra.isEmpty())
        text += QStringLiteral("\r\n\r\n") + extra;
    return text;
}

} // namespace

QString fileMissingText(const QString& path, const QString& extra)
{
    return withExtra(QStringLiteral("Die Datei \"%1\" existiert nicht.").arg(path), extra);
}

QString fileUnreadableText(const QString& path, const QString& extra)
{
    return withExtra(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden. Mögliche Ursachen:\r\n"
                                    "- Datei existiert nicht\r\n"
                                    "- Ungültiges Dateiformat\r\n"
                                    "- fehlende Lesezugriffsberechtigung im Netzwerk")
                         .arg(path),
        extra);
}

QString fileUnwritableText(const QString& path, const QString& extra)
{
    return withExtra(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden. Mögliche Ursachen:\r\n"
                                    "- Ungültiger Ordner oder Dateiname\r\n"
                                    "- fehlende Schreibzugriffsberechtigung im Netzwerk")
                         .arg(path),
        extra);
}

QString pictureNotFoundText(const QString& path)
{
    return QStringLiteral("Datei \"%1\" nicht gefunden.").arg(path);
}

QString cannotOpenText(const QString& target)
{
    return QStringLiteral("Die Datei \"%1\" kann nicht geöffnet werden. Sie benötigen einen Webbrowser "
                          "(z.B. Internet Explorer) um dieses Dokument anzusehen.")
        .arg(target);
}
