#pragma once

#include "document/topicdocument.h"

#include <QString>
#include <QStringList>

class QIODevice;

// The topic file format (.zep): little-endian items in one pass, header, object records with
// comma-text captions, and a PNG datastream running to the end of the file.

// The key list every writer puts into the file.
inline constexpr const char* zepKeyList
    = "|HD-vers|HD-titel|HD-autor|HD-bemerkung|HD-lueckentext|HD-fragentext|HD-AnzFrageNummern|HD-DokTyp|"
      "HD-RandErw|HD-NumArt|HD-GeordnetArt|OB-Sx|OB-Sy|OB-Kx|OB-Ky|OB-Cap|OB-KAusr|OB-TAusr|OB-Ebene|OB-Typ|"
      "OB-Sline|OB-Fsize|OB-KAusrAkt|OB-FrageNummer|";
inline constexpr const char* zepMagic = "ALF-1.01";

enum class ZepReadStatus {
    Ok,
    BadMagic, // the magic does not start with "ALF-"
    ReadError, // short file, bad text length, undecodable or oversized picture
};

// Reads a whole topic from the current position of device into doc: header fields (absent
// optional ones take their defaults), objects with their run-time state reset (question-text
// captions holding "Frage Nr." emptied), picture. The run-time state of the document (paths,
// modified, topicIndex, currentQuestionNumber) is left alone. On failure doc is unchanged.
ZepReadStatus readTopicFile(QIODevice& device, TopicDocument& doc);

// The program's messages for a topic file that could not be read, in the order they are shown:
// for a foreign magic "Ungültiges Dateiformat." first, then the unreadable-file text.
QStringList zepReadFailureTexts(ZepReadStatus status, const QString& path);

struct ZepPeek
{
    QString vers;
    QString titel;
};

// Reads the magic, key list, version and title, and nothing more. False for anything that is
// not a topic file.
bool peekTopicFile(QIODevice& device, ZepPeek& peek);

// Writes the whole topic with the full key list and the picture as PNG (zlib level 5).
// False when the device takes less than written.
bool writeTopicFile(QIODevice& device, const TopicDocument& doc);
