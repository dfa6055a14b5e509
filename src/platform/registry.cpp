#include "platform/registry.h"

#include "platform/cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <utility>

namespace {

// A store is a few KB; anything beyond this is a damaged file, and reading all of it would let
// a runaway file take the program's memory.
constexpr qsizetype maxStoreBytes = 4 * 1024 * 1024;

constexpr char headerLine[] = "Windows Registry Editor Version 5.00";

// regedit's line width: hex data goes on continuation lines so that no line passes 77 columns
// before the '\' that continues it.
constexpr qsizetype hexLineWidth = 77;

// Names of keys and values compare as the registry compares them.
QString foldedName(const QString& name)
{
    return name.toCaseFolded();
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

int hexDigitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return c.unicode() - u'A' + 10;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(QStringView text, qsizetype i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

// A UTF-16 half that is not part of a pair: it has no character and no UTF-8 form.
bool isLoneSurrogate(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// The UTF-16 decoder keeps broken pairs; names read from such a file could not be written as
// UTF-8 again, so they become the replacement character here.
void replaceLoneSurrogates(QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLoneSurrogate(text, i))
            text[i] = QChar::ReplacementCharacter;
        else if (text[i].isHighSurrogate())
            ++i;
    }
}

QString fromUtf16Le(QByteArrayView bytes)
{
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < units; ++i)
        out[i] = QChar(char16_t(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8)));
    return text;
}

bool startsWithUtf16LeBom(QByteArrayView bytes)
{
    return bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE;
}

// regedit writes UTF-16LE with BOM on Windows, older tools and editors UTF-8 or the ANSI code page.
QString decodeStoreText(QByteArrayView bytes)
{
    if (startsWithUtf16LeBom(bytes)) {
        QString text = fromUtf16Le(bytes.sliced(2));
        replaceLoneSurrogates(text);
        return text;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1252(bytes.toByteArray());
}

// The root keys in their usual spelling, also for the short forms that .reg files accept.
QString normalizedKeyPath(QStringView path)
{
    static const std::pair<QStringView, QStringView> roots[] = {
        {u"HKCU", u"HKEY_CURRENT_USER"},
        {u"HKLM", u"HKEY_LOCAL_MACHINE"},
        {u"HKCR", u"HKEY_CLASSES_ROOT"},
        {u"HKU", u"HKEY_USERS"},
        {u"HKCC", u"HKEY_CURRENT_CONFIG"},
    };
    const qsizetype separator = path.indexOf(u'\\');
    const QStringView root = separator < 0 ? path : path.first(separator);
    for (const auto& [shortName, longName] : roots) {
        if (root.compare(shortName, Qt::CaseInsensitive) == 0 || root.compare(longName, Qt::CaseInsensitive) == 0)
            return longName.toString().append(path.sliced(root.size()));
    }
    return path.toString();
}

// A quoted .reg string from text[start] (the opening quote): the text and the position after the
// closing quote, or nullopt when it is not closed. Only \\ and \" are escapes, as in regedit; any
// other backslash stands for itself.
std::optional<std::pair<QString, qsizetype>> parseQuoted(QStringView text, qsizetype start)
{
    QString result;
    for (qsizetype i = start + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) {
            result += text[++i];
        } else if (c == u'"') {
            return std::pair {result, i + 1};
        } else {
            result += c;
        }
    }
    return std::nullopt;
}

std::optional<quint32> parseDwordDigits(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        if (!isHexDigit(c))
            return std::nullopt;
        value = (value << 4) | quint32(hexDigitValue(c));
    }
    return value;
}

// Comma-separated bytes of one or two hex digits; blanks around them and one trailing comma are
// tolerated.
std::optional<QByteArray> parseHexBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 3 + 1);
    qsizetype i = skipBlanks(text, 0);
    while (i < text.size()) {
        int value = 0;
        const qsizetype begin = i;
        while (i < text.size() && i - begin < 2 && isHexDigit(text[i]))
            value = value * 16 + hexDigitValue(text[i++]);
        if (i == begin)
            return std::nullopt;
        bytes.append(char(value));
        i = skipBlanks(text, i);
        if (i == text.size())
            break;
        if (text[i] != u',')
            return std::nullopt;
        i = skipBlanks(text, i + 1);
    }
    return bytes;
}

// The value kind of "hex:" (binary) or "hex(N):", and where its bytes begin.
struct HexHeader
{
    std::optional<quint32> kind; // nullopt for plain "hex:"
    qsizetype dataStart = 0;
};

std::optional<HexHeader> parseHexHeader(QStringView value)
{
    if (!value.startsWith(u"hex", Qt::CaseInsensitive))
        return std::nullopt;
    if (value.size() > 3 && value[3] == u':')
        return HexHeader {std::nullopt, 4};
    if (value.size() <= 3 || value[3] != u'(')
        return std::nullopt;
    const qsizetype close = value.indexOf(u')', 4);
    if (close < 0 || close + 1 >= value.size() || value[close + 1] != u':')
        return std::nullopt;
    const std::optional<quint32> kind = parseDwordDigits(value.sliced(4, close - 4));
    if (!kind)
        return std::nullopt;
    return HexHeader {kind, close + 2};
}

constexpr quint32 regSz = 1;
constexpr quint32 regExpandSz = 2;

// REG_SZ data as regedit exports it: UTF-16LE in version 5.00 files, the ANSI code page in
// REGEDIT4 files, both with the terminating NUL the registry stores. Only that terminator is
// dropped, so a string with NULs of its own keeps them.
QString stringFromHexData(const QByteArray& bytes, bool ansi)
{
    if (ansi) {
        QByteArray data = bytes;
        if (data.endsWith('\0'))
            data.chop(1);
        return fromCp1252(data);
    }
    QString text = fromUtf16Le(bytes);
    if (text.endsWith(QChar(0)))
        text.chop(1);
    return text;
}

// Walks the text line by line without copying it into a list of lines: a damaged store of
// millions of short lines costs no more than its size.
class LineReader
{
public:
    explicit LineReader(QStringView text)
        : m_text(text)
    { }
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The next line with its line end and surrounding white space removed.
    QStringView peek() const { return lineAt(m_pos).first; }
    QStringView next()
    {
        const auto [line, after] = lineAt(m_pos);
        m_pos = after;
        return line;
    }

private:
    std::pair<QStringView, qsizetype> lineAt(qsizetype pos) const
    {
        const qsizetype end = m_text.indexOf(u'\n', pos);
        if (end < 0)
            return {m_text.sliced(pos).trimmed(), m_text.size()};
        return {m_text.sliced(pos, end - pos).trimmed(), end + 1};
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// Sets value in values, replacing the one of the same name in any case. index maps the folded
// names to their position and is kept current. True when the list changed.
bool putValue(QList<RegistryValue>& values, QHash<QString, qsizetype>& index, RegistryValue value)
{
    const QString folded = foldedName(value.name);
    const auto found = index.constFind(folded);
    if (found == index.cend()) {
        index.insert(folded, values.size());
        values.append(std::move(value));
        return true;
    }
    RegistryValue& old = values[*found];
    if (old == value)
        return false;
    old = std::move(value);
    return true;
}

QHash<QString, qsizetype> indexOfValues(const QList<RegistryValue>& values)
{
    QHash<QString, qsizetype> index;
    for (qsizetype i = 0; i < values.size(); ++i)
        index.insert(foldedName(values[i].name), i);
    return index;
}

class RegistryParser
{
public:
    QList<RegistryKeyData> parse(QStringView text)
    {
        LineReader lines(text);
        bool firstLine = true;
        while (!lines.atEnd()) {
            const QStringView line = lines.next();
            if (line.isEmpty())
                continue;
            if (firstLine) {
                firstLine = false;
                m_ansiHex = line.compare(u"REGEDIT4", Qt::CaseInsensitive) == 0;
            }
            if (line.front() == u'[')
                openKey(line);
            else if (line.front() == u'"' || line.front() == u'@')
                readValue(line, lines);
            // Anything else is the header, a ';' comment or damage: skipped.
        }
        return std::move(m_keys);
    }

private:
    void openKey(QStringView line)
    {
        // Values after a damaged header or a deletion ("[-key]") must not land in the key before it.
        m_current = -1;
        if (line.size() < 3 || line.back() != u']' || line[1] == u'-')
            return;
        const QString path = normalizedKeyPath(line.sliced(1, line.size() - 2));
        const QString folded = foldedName(path);
        const auto found = m_keyIndex.constFind(folded);
        if (found != m_keyIndex.cend()) {
            m_current = *found;
            return;
        }
        m_current = m_keys.size();
        m_keyIndex.insert(folded, m_current);
        m_keys.append(RegistryKeyData {path, {}});
        m_valueIndex.append(QHash<QString, qsizetype>());
    }

    void readValue(QStringView line, LineReader& lines)
    {
        RegistryValue value;
        qsizetype i = 1;
        if (line.front() == u'"') {
            auto name = parseQuoted(line, 0);
            if (!name)
                return;
            value.name = std::move(name->first);
            i = name->second;
        }
        i = skipBlanks(line, i);
        if (i >= line.size() || line[i] != u'=')
            return;
        const QStringView data = line.sliced(skipBlanks(line, i + 1));

        if (data.startsWith(u'"')) {
            auto text = parseQuoted(data, 0);
            if (!text || text->second != data.size())
                return;
            value.type = RegistryValueType::String;
            value.text = std::move(text->first);
        } else if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
            const std::optional<quint32> number = parseDwordDigits(data.sliced(6));
            if (!number)
                return;
            value.type = RegistryValueType::DWord;
            value.dword = *number;
        } else if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            if (!readHexValue(data, lines, value))
                return;
        } else {
            return; // "name"=- (a deletion) or damage
        }
        if (m_current >= 0)
            putValue(m_keys[m_current].values, m_valueIndex[m_current], std::move(value));
    }

    // A hex value goes on over the following lines while each ends with '\'. A next line that
    // does not begin with a hex digit is not data but the file's next entry, and stays for it.
    bool readHexValue(QStringView firstLine, LineReader& lines, RegistryValue& value)
    {
        QString data = firstLine.toString();
        while (data.endsWith(u'\\') && !lines.atEnd()) {
            const QStringView following = lines.peek();
            if (following.isEmpty() || !isHexDigit(following.front()))
                break;
            data.chop(1);
            data += lines.next();
        }
        const std::optional<HexHeader> header = parseHexHeader(data);
        if (!header)
            return false;
        const std::optional<QByteArray> bytes = parseHexBytes(QStringView(data).sliced(header->dataStart));
        if (!bytes)
            return false;
        if (header->kind == regSz || header->kind == regExpandSz) {
            value.type = RegistryValueType::String;
            value.text = stringFromHexData(*bytes, m_ansiHex);
        } else {
            value.type = RegistryValueType::Other;
            value.raw = std::move(data);
        }
        return true;
    }

    QList<RegistryKeyData> m_keys;
    QHash<QString, qsizetype> m_keyIndex; // folded path → position in m_keys
    QList<QHash<QString, qsizetype>> m_valueIndex; // per key: folded value name → position
    qsizetype m_current = -1;
    bool m_ansiHex = false;
};

// A line break in a name or path would split the entry; nothing the parser returns holds one.
QString oneLine(const QString& text)
{
    if (!text.contains(u'\n'))
        return text;
    QString result = text;
    result.replace(u'\n', u' ');
    return result;
}

QString quoted(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += u'"';
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            escaped += u'\\';
        escaped += c;
    }
    escaped += u'"';
    return escaped;
}

// Strings that cannot stand between quotes on one line: control characters (line breaks, tabs,
// NUL) and broken UTF-16, which UTF-8 cannot carry.
bool needsHexForm(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].category() == QChar::Other_Control || isLoneSurrogate(text, i))
            return true;
    }
    return false;
}

// hex(1): the string's UTF-16LE bytes and the terminator, wrapped to regedit's line width.
void appendHexString(QByteArray& out, qsizetype column, const QString& text)
{
    static constexpr char digits[] = "0123456789abcdef";
    out += "hex(1):";
    column += 7;
    const qsizetype count = (text.size() + 1) * 2;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t unit = i / 2 < text.size() ? text[i / 2].unicode() : 0;
        const uchar byte = uchar(i % 2 == 0 ? unit & 0xFF : unit >> 8);
        if (i > 0 && column + 3 > hexLineWidth) {
            out += "\\\n  ";
            column = 2;
        }
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
        column += 2;
        if (i + 1 < count) {
            out += ',';
            ++column;
        }
    }
}

void appendValueLine(QByteArray& out, const RegistryValue& value)
{
    const QString name = value.name.isEmpty() ? QStringLiteral("@") : quoted(oneLine(value.name));
    out += name.toUtf8();
    out += '=';
    switch (value.type) {
    case RegistryValueType::DWord:
        out += "dword:" + QByteArray::number(value.dword, 16).rightJustified(8, '0');
        break;
    case RegistryValueType::String:
        if (needsHexForm(value.text))
            appendHexString(out, name.size() + 1, value.text);
        else
            out += quoted(value.text).toUtf8();
        break;
    case RegistryValueType::Other:
        out += oneLine(value.raw).toUtf8();
        break;
    }
    out += '\n';
}

struct StoreContents
{
    bool readable = true;
    QList<RegistryKeyData> keys;
};

// When the 4 MiB limit cuts the file, its last line is most likely cut too: a DWORD cut after a
// few digits would parse as another number, so the part after the last complete line goes.
void dropPartialLastLine(QByteArray& bytes)
{
    if (startsWithUtf16LeBom(bytes)) {
        for (qsizetype i = bytes.size() - 2; i >= 2; --i) {
            if (i % 2 == 0 && bytes[i] == '\n' && bytes[i + 1] == '\0') {
                bytes.truncate(i + 2);
                return;
            }
        }
        return;
    }
    const qsizetype end = bytes.lastIndexOf('\n');
    if (end >= 0)
        bytes.truncate(end + 1);
}

StoreContents readStore(const QString& storeFile)
{
    const QFileInfo info(storeFile);
    if (!info.exists())
        return {};
    // A folder, a pipe or a device in the store's place is not a store; reading a pipe would
    // block the program.
    if (!info.isFile())
        return {false, {}};
    QFile file(storeFile);
    if (!file.open(QIODevice::ReadOnly))
        return {false, {}};
    QByteArray bytes = file.read(maxStoreBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {false, {}};
    if (bytes.size() > maxStoreBytes) {
        bytes.truncate(maxStoreBytes);
        dropPartialLastLine(bytes);
    }
    return {true, parseRegistryText(bytes)};
}

qsizetype findKey(const QList<RegistryKeyData>& keys, const QString& path)
{
    const QString folded = foldedName(path);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (foldedName(keys[i].path) == folded)
            return i;
    }
    return -1;
}

class FileRegistryKey final : public RegistryKey
{
public:
    FileRegistryKey(const QString& storeFile, const QString& path)
        : m_storeFile(storeFile)
        , m_path(path)
    {
        StoreContents store = readStore(m_storeFile);
        const qsizetype key = findKey(store.keys, m_path);
        if (key >= 0)
            m_values = std::move(store.keys[key].values);
        m_index = indexOfValues(m_values);
    }

    std::optional<quint32> readDword(const QString& name) const override
    {
        const RegistryValue* value = find(name);
        if (!value || value->type != RegistryValueType::DWord)
            return std::nullopt;
        return value->dword;
    }

    std::optional<QString> readString(const QString& name) const override
    {
        const RegistryValue* value = find(name);
        if (!value || value->type != RegistryValueType::String)
            return std::nullopt;
        return value->text;
    }

    void writeDword(const QString& name, quint32 number) override
    {
        RegistryValue value;
        value.name = name;
        value.type = RegistryValueType::DWord;
        value.dword = number;
        write(std::move(value));
    }

    void writeString(const QString& name, const QString& text) override
    {
        RegistryValue value;
        value.name = name;
        value.type = RegistryValueType::String;
        value.text = text;
        write(std::move(value));
    }

    bool close() override
    {
        if (m_pending.isEmpty())
            return true;
        // The file is read again so that what another program saved since this key opened stays.
        StoreContents store = readStore(m_storeFile);
        if (!store.readable)
            return false;
        qsizetype key = findKey(store.keys, m_path);
        if (key < 0) {
            key = store.keys.size();
            store.keys.append(RegistryKeyData {m_path, {}});
        }
        QList<RegistryValue>& values = store.keys[key].values;
        QHash<QString, qsizetype> index = indexOfValues(values);
        bool changed = false;
        for (const RegistryValue& value : std::as_const(m_pending))
            changed = putValue(values, index, value) || changed;
        if (changed && !save(serializeRegistryText(store.keys)))
            return false;
        m_pending.clear();
        m_pendingIndex.clear();
        return true;
    }

private:
    const RegistryValue* find(const QString& name) const
    {
        const auto found = m_index.constFind(foldedName(name));
        return found == m_index.cend() ? nullptr : &m_values[*found];
    }

    void write(RegistryValue value)
    {
        putValue(m_pending, m_pendingIndex, value);
        putValue(m_values, m_index, std::move(value));
    }

    bool save(const QByteArray& bytes) const
    {
        const QFileInfo info(m_storeFile);
        if (!QDir().mkpath(info.absolutePath()))
            return false;
        // QSaveFile writes beside the store and renames over it only after everything reached the
        // disk: a crash or power loss leaves the old or the new file, never a torn one.
        QSaveFile file(m_storeFile);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
        return file.commit();
    }

    QString m_storeFile;
    QString m_path;
    // What reads see: the key as the file held it at opening, with this key's writes laid over it.
    QList<RegistryValue> m_values;
    QHash<QString, qsizetype> m_index;
    // The writes since the last close, in their order, for laying over the file as it is then.
    QList<RegistryValue> m_pending;
    QHash<QString, qsizetype> m_pendingIndex;
};

} // namespace

QList<RegistryKeyData> parseRegistryText(const QByteArray& bytes)
{
    const QString text = decodeStoreText(bytes);
    return RegistryParser().parse(text);
}

QByteArray serializeRegistryText(const QList<RegistryKeyData>& keys)
{
    QByteArray out;
    out += headerLine;
    out += "\n\n";
    for (const RegistryKeyData& key : keys) {
        out += '[' + oneLine(key.path).toUtf8() + "]\n";
        for (const RegistryValue& value : key.values)
            appendValueLine(out, value);
        out += '\n';
    }
    return out;
}

std::unique_ptr<RegistryKey> openRegistryFileKey(const QString& storeFile, const QString& subKey)
{
    qsizetype begin = 0;
    qsizetype end = subKey.size();
    while (begin < end && subKey[begin] == u'\\')
        ++begin;
    while (end > begin && subKey[end - 1] == u'\\')
        --end;
    QString path = QStringLiteral("HKEY_CURRENT_USER");
    if (end > begin) {
        path += u'\\';
        path += QStringView(subKey).sliced(begin, end - begin);
    }
    return std::make_unique<FileRegistryKey>(storeFile, path);
}

QString registryStoreFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        return {};
    return folder + QStringLiteral("/Kestrova/Tallowmere.reg");
}

std::unique_ptr<RegistryKey> openCurrentUserKey(const QString& subKey)
{
    return openRegistryFileKey(registryStoreFile(), subKey);
}
