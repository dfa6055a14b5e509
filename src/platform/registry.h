#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// The current user's part of the Windows registry, where the program keeps its options
// (HKEY_CURRENT_USER\Software\Kestrova\Tallowmere, DWORD and string values). Elsewhere one file in
// the user's configuration folder stands in for it, in the text format regedit exports, so that
// an administrator can read, edit and hand out the same file on either system.

enum class RegistryValueType { String, DWord, Other };

// One value as the store holds it. Names are matched without regard to case, as the registry does.
struct RegistryValue
{
    QString name;
    RegistryValueType type = RegistryValueType::String;
    quint32 dword = 0; // DWord
    QString text; // String
    QString raw; // Other: the text after '=' exactly as read (hex(b):..., hex(7):..., etc.), written back unchanged

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// One key with its values in their order.
struct RegistryKeyData
{
    QString path; // full path, e.g. "HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere"
    QList<RegistryValue> values;

    friend bool operator==(const RegistryKeyData&, const RegistryKeyData&) = default;
};

// The registry's export text format ("Windows Registry Editor Version 5.00").
// parseRegistryText is tolerant: it never fails; lines that do not parse are skipped, the values that
// parse are kept. serializeRegistryText writes what parse reads back identically.
//
// parse reads UTF-16LE with BOM (regedit on Windows), UTF-8 with or without BOM, and anything that
// is not valid UTF-8 as Windows-1252; "REGEDIT4" files, whose hex(1)/hex(2) data is Windows-1252
// rather than UTF-16LE; "HKCU\..." for "HKEY_CURRENT_USER\..."; keys and names given twice merge,
// the later value winning. Deletions ("[-key]", "name"=-) are not applied, only skipped. A value
// of hex(2) (a string with %VARIABLES%) reads as a plain String. Work and memory grow linearly
// with the input; the caller bounds the input.
//
// serialize writes UTF-8 without BOM and LF line ends. Strings with control characters (line
// breaks, tabs) or broken UTF-16 go out as hex(1) so that the file stays one value per line.
QList<RegistryKeyData> parseRegistryText(const QByteArray& bytes);
QByteArray serializeRegistryText(const QList<RegistryKeyData>& keys);

// One open key of the current user's registry.
class RegistryKey
{
public:
    virtual ~RegistryKey() = default;
    // The value of that name (case-insensitive); nullopt when it is missing or of another type.
    virtual std::optional<quint32> readDword(const QString& name) const = 0;
    virtual std::optional<QString> readString(const QString& name) const = 0;
    // Sets the value, replacing one of the same name (any case, any type); the stored name takes the new spelling.
    virtual void writeDword(const QString& name, quint32 value) = 0;
    virtual void writeString(const QString& name, const QString& value) = 0;
    // Makes the writes permanent (nothing is written to disk before); true when the store was written or
    // nothing changed. After close the key is not used again.
    virtual bool close() = 0;
};

// Opens the key below HKEY_CURRENT_USER (subKey like "Software\\Kestrova\\Tallowmere"), creating it when missing.
// Never null; a store that cannot be read behaves as an empty one.
// A native Windows build returns a key on the real registry here; every other build uses the
// file of registryStoreFile().
std::unique_ptr<RegistryKey> openCurrentUserKey(const QString& subKey);

// Linux: the file holding the current user's part of the registry:
// QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Kestrova/Tallowmere.reg".
QString registryStoreFile();

// The file-backed key itself, for tests and tools: storeFile is the .reg file.
//
// The file is read when the key opens (at most its first 4 MiB; a store is a few KB) and again
// in close(), which lays this key's writes over what the file holds by then, so that two
// programs sharing the store lose only a value both wrote, as with the registry itself. The file
// is replaced atomically; every other key and value in it is kept in its order. close() returns
// false, leaving the file as it was, when the folder cannot be created, the file cannot be
// written, or a file that exists cannot be read (it is never replaced by one without its values).
// A key the file lacks goes into it with the first value written to it.
std::unique_ptr<RegistryKey> openRegistryFileKey(const QString& storeFile, const QString& subKey);
