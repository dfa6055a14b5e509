#include "zeptool/zeptool.h"

#include "common/filemessages.h"
#include "document/zepformat.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {

// Adding a command: write its run function in a file of its own and give it a line here; the
// usage text, the help and the dispatch follow from this table.
const ZeptoolCommand commands[] = {
    {"info", "DATEI.zep",
        "Gibt den Inhalt einer Themendatei als ein JSON-Objekt aus, die Schlüssel in dieser\n"
        "Reihenfolge: vers, titel, autor, bemerkung, lueckentext, fragentext, AnzFrageNummern,\n"
        "DokTyp, RandErw (vier Zahlen: links, oben, rechts, unten), NumArt, GeordnetArt,\n"
        "picture (width, height) und objects mit einem Objekt je Datensatz: Sx, Sy, Kx, Ky,\n"
        "Cap, KAusr, TAusr, Ebene, Typ, Sline, Fsize, KAusrAkt, FrageNummer.\n"
        "Texte stehen in UTF-8, Zeilenumbrüche bleiben als \\r\\n erhalten. Fehlen der Datei\n"
        "Angaben, die sie weglassen darf, erscheinen deren Vorgabewerte.\n"
        "Kommazahlen sind so geschrieben, dass sie eingelesen genau denselben Wert ergeben.\n"
        "Werte, die JSON nicht als Zahl kennt, stehen als Zeichenkette: \"NaN\", \"Infinity\"\n"
        "und \"-Infinity\".\n"
        "Kann die Datei nicht gelesen werden, steht die Meldung des Programms auf der\n"
        "Fehlerausgabe, und der Rückgabewert ist 1.",
        runInfoCommand},
    {"peek", "DATEI|ORDNER...",
        "Gibt für jede Themendatei eine Zeile aus: Pfad, Tabulator, vers, Tabulator, titel.\n"
        "Wie im Menü \"Quizauswahl\" wird nur der Anfang jeder Datei gelesen; Dateien, die\n"
        "keine Themendateien sind oder nicht geöffnet werden können, werden stillschweigend\n"
        "übergangen. Ein Ordner wird wie im Menü gelistet: seine *.zep-Dateien (ohne\n"
        "Unterordner) in der Reihenfolge des Menüs. Der Rückgabewert ist 0.",
        runPeekCommand},
    {"render", "DATEI.zep -o BILD.png|.jpg|.bmp [Optionen]",
        "Zeichnet die Lernkarte der Themendatei so, wie das Programm sie im Fenster zeigt (ohne\n"
        "Startfeld), und speichert die Ansicht wie \"Ansicht in Bilddatei speichern\": die\n"
        "Endung von BILD bestimmt das Format (PNG, JPEG oder Windows-Bitmap). Optionen:\n"
        "  --width B --height H  Größe des Bildfelds in Pixeln (Vorgabe 870 x 600, höchstens 4096)\n"
        "  --zoom Z              Zoomstufe 100, 125, 150, 175 oder 200 (Vorgabe 100)\n"
        "  --uncover             alle Beschriftungen aufgedeckt\n"
        "  --numbering N         Nummerierung: 0 Fragezeichen, 1 geordnet (Vorgabe), 2 zufällig\n"
        "  --page N              Fragenummer (Seite) bei Einzelfragen\n"
        "  --layers EBENEN       sichtbare Ebenen als Ziffern: 0 Illustration, 1 Beschriftung,\n"
        "                        2 Infopunkte (Vorgabe 012)\n"
        "Kann die Datei nicht gelesen oder das Bild nicht geschrieben werden, steht die Meldung\n"
        "des Programms auf der Fehlerausgabe, und der Rückgabewert ist 1.",
        runRenderCommand},
    {"make", "QUELLE.txt -o DATEI.zep [--titel TITEL]",
        "Erstellt eine Themendatei aus einer Textdatei (Aufbau und Beispiel: README.md,\n"
        "Abschnitt \"Making a topic of your own\"). Die Quelle hat die Abschnitte [Thema]\n"
        "(Titel, Autor, Bemerkung, Typ, Bild, Rand, Nummerierung, Ordnung, Version),\n"
        "[Fragen] mit einer Zeile \"Frage // Antwort\" je Einzelfrage, [Lückentext] mit den\n"
        "Lücken als <<Wort>> und [Objekte] mit Beschriftungen, Texten, Infopunkten und Links.\n"
        "Seiten, Seitenknöpfe und Lücken legt der Befehl selbst an; das Bild wird neben der\n"
        "Quelle gesucht.\n"
        "  --titel TITEL  ersetzt den Titel der Quelle (etwa für eine Variante mit \"zufällig\")\n"
        "Jeder Fehler wird mit seiner Zeile gemeldet; dann wird nichts geschrieben, und eine\n"
        "vorhandene Themendatei bleibt, wie sie war. Rückgabewert 1 bei Fehlern.",
        runMakeCommand},
    {"hsc", "DATEI.hsc | --add NAME RECHNER BEGINN DAUER_MS LEISTUNG DATEI.hsc",
        "Gibt eine Bestenliste so aus, wie das Bestenlisten-Fenster sie als Text speichert:\n"
        "die Kopfzeile und eine Zeile je Eintrag, die Spalten durch Tabulatoren getrennt,\n"
        "nach Leistung und Zeit sortiert.\n"
        "Mit --add wird ein Eintrag angehängt, genau wie das Programm das Ergebnis eines\n"
        "Quiz einträgt (etwa um Listen zusammenzuführen); eine fehlende Datei wird angelegt.\n"
        "  NAME      Teilnehmer; leer oder nur Leerzeichen ergibt \"(kein Name)\"\n"
        "  RECHNER   Name des Rechners\n"
        "  BEGINN    Beginn in Ortszeit, etwa 2024-05-03T09:15:00, oder als Tage seit dem\n"
        "            30.12.1899 (wie in der Datei)\n"
        "  DAUER_MS  benötigte Zeit in Millisekunden (ganze Zahl ab 0)\n"
        "  LEISTUNG  Gesamtleistung als Anteil von 0 bis 1 mit Dezimalpunkt, etwa 0.875\n"
        "Ist die Datei belegt, wird wie im Programm fünfmal im Abstand von 100 ms versucht.\n"
        "Kann die Datei nicht gelesen oder geschrieben werden, steht die Meldung des\n"
        "Programms auf der Fehlerausgabe, und der Rückgabewert ist 1.",
        runHscCommand},
    {"arbeitsblatt",
        "THEMA.zep -o BLATT.(emf|wmf|pdf|png) [--modus 0|1|2] [--ab-frage N] [--titel TEXT] [--aufgabe TEXT]\n"
        "        [--ohne-name] [--ohne-klasse] [--ohne-datum] [--ohne-antworten]",
        "Erstellt das Arbeitsblatt eines Themas wie das Fenster \"Arbeitsblatt\": als Vektorbild\n"
        "(EMF oder WMF, 16,6 cm breit), als PDF (A4, das Blatt 2,2 cm vom linken und 1,4 cm vom\n"
        "oberen Rand) oder als PNG.\n"
        "  --modus 0|1|2     0 Arbeitsblatt (Vorgabe), 1 Lösungsblatt (komplett),\n"
        "                    2 Lösungsblatt (Auflegefolie)\n"
        "  --ab-frage N      Einzelfragen: die erste Frage auf dem Blatt (Vorgabe 1)\n"
        "  --titel TEXT      Titelzeile (Vorgabe: der Titel des Themas; leer: ohne Titel)\n"
        "  --aufgabe TEXT    Aufgabenstellung (Vorgabe \"Aufgabe: Fülle die freien Felder aus!\")\n"
        "  --ohne-name, --ohne-klasse, --ohne-datum   ohne das jeweilige Kopffeld\n"
        "  --ohne-antworten  ohne die Liste der Antworttexte\n"
        "Eine andere Dateiendung wird mit der Meldung des Programms abgewiesen. Kann das Thema\n"
        "nicht gelesen oder das Blatt nicht geschrieben werden, steht die Meldung auf der\n"
        "Fehlerausgabe, und der Rückgabewert ist 1; eine vorhandene Datei bleibt dann, wie sie war.",
        runWorksheetCommand},
};

bool isHelpRequest(const QString& argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h") || argument == QLatin1String("help");
}

const ZeptoolCommand* findCommand(const QString& name)
{
    for (const ZeptoolCommand& command : commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

QString synopsisLine(const ZeptoolCommand& command)
{
    return QStringLiteral("zeptool %1 %2").arg(QLatin1String(command.name), QString::fromUtf8(command.synopsis));
}

QString usageText()
{
    QString text = QStringLiteral("Aufruf:\n");
    for (const ZeptoolCommand& command : commands)
        text += QStringLiteral("  ") + synopsisLine(command) + u'\n';
    text += QStringLiteral("  zeptool --help\n");
    return text;
}

// One command's help: its synopsis and what it does, with its options.
QString commandHelpText(const ZeptoolCommand& command)
{
    QString text = QStringLiteral("Aufruf:\n  ") + synopsisLine(command) + QStringLiteral("\n\n");
    for (const QString& line : QString::fromUtf8(command.description).split(u'\n'))
        text += QStringLiteral("  ") + line + u'\n';
    return text;
}

int badUsage(QIODevice& err, const QString& reason)
{
    writeConsoleText(err,
        QStringLiteral("zeptool: ") + reason + u'\n' + usageText()
            + QStringLiteral("\"zeptool --help\" erklärt alle Befehle.\n"));
    return ZeptoolBadUsage;
}

} // namespace

void writeConsoleText(QIODevice& device, QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    device.write(text.toUtf8());
}

QString zeptoolHelpText()
{
    QString text = QStringLiteral("zeptool – Begleitprogramm von Kestrova Tallowmere für Themendateien (.zep)\n"
                                  "\n");
    text += usageText();
    text += QStringLiteral("\nBefehle:\n");
    for (const ZeptoolCommand& command : commands) {
        text += u'\n' + QStringLiteral("  ") + synopsisLine(command) + u'\n';
        const QStringList lines = QString::fromUtf8(command.description).split(u'\n');
        for (const QString& line : lines)
            text += QStringLiteral("      ") + line + u'\n';
    }
    text += QStringLiteral("\n  zeptool --help\n"
                           "      Zeigt diese Hilfe (auch: zeptool help, zeptool -h).\n"
                           "\n"
                           "Alle Ausgaben stehen in UTF-8. Rückgabewerte: 0 erfolgreich, 1 Datei nicht lesbar,\n"
                           "2 falscher Aufruf.\n");
    return text;
}

int runZeptool(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    if (arguments.isEmpty())
        return badUsage(err, QStringLiteral("Befehl fehlt."));
    if (isHelpRequest(arguments.first())) {
        writeConsoleText(out, zeptoolHelpText());
        return ZeptoolOk;
    }
    const ZeptoolCommand* command = findCommand(arguments.first());
    if (!command)
        return badUsage(err, QStringLiteral("unbekannter Befehl \"%1\".").arg(arguments.first()));
    // "--help" anywhere after a command, or "-h" alone, explains that command. ("-h" among other
    // arguments may be a value, a title for instance.)
    const QStringList rest = arguments.mid(1);
    if (rest.contains(QLatin1String("--help")) || rest == QStringList {QStringLiteral("-h")}) {
        writeConsoleText(out, commandHelpText(*command));
        return ZeptoolOk;
    }
    const int status = command->run(arguments.mid(1), out, err);
    if (status == ZeptoolBadUsage)
        return badUsage(err, QStringLiteral("falsche Argumente für \"%1\".").arg(QLatin1String(command->name)));
    return status;
}

std::optional<TopicDocument> readTopicOrReport(const QString& path, QIODevice& err)
{
    // The same failure table as opening a topic in the program, with its messages.
    if (!QFileInfo::exists(path)) {
        writeConsoleText(err, fileMissingText(path) + u'\n');
        return std::nullopt;
    }
    QFile file(path);
    TopicDocument document;
    const ZepReadStatus status
        = file.open(QIODevice::ReadOnly) ? readTopicFile(file, document) : ZepReadStatus::ReadError;
    if (status != ZepReadStatus::Ok) {
        writeConsoleText(err, zepReadFailureTexts(status, path).join(u'\n') + u'\n');
        return std::nullopt;
    }
    return document;
}
