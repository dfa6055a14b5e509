#include "zeptool/topicjson.h"

#include "document/topicdocument.h"

#include <charconv>
#include <cmath>

QByteArray jsonNumber(double value)
{
    if (std::isnan(value))
        return QByteArrayLiteral("\"NaN\"");
    if (std::isinf(value))
        return value > 0 ? QByteArrayLiteral("\"Infinity\"") : QByteArrayLiteral("\"-Infinity\"");
    if (value == 0 && std::signbit(value))
        return QByteArrayLiteral("-0.0");
    // The shortest form that reads back exactly; QByteArray::number would print -0 as 0.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

QByteArray jsonString(const QString& text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray json;
    json.reserve(utf8.size() + 2);
    json += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            json += "\\\"";
            break;
        case '\\':
            json += "\\\\";
            break;
        case '\r':
            json += "\\r";
            break;
        case '\n':
            json += "\\n";
            break;
        case '\t':
            json += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                json += "\\u00";
                json += hex[(c >> 4) & 0xF];
                json += hex[c & 0xF];
            } else {
                json += c;
            }
        }
    }
    json += '"';
    return json;
}

namespace {

// Collects "key": value pairs of one object, in the order they are added.
class JsonObjectWriter
{
public:
    JsonObjectWriter(QByteArray& json, const char* separator)
        : m_json(json)
        , m_separator(separator)
    {
        m_json += '{';
    }

    void add(const char* key, const QByteArray& value)
    {
        if (!m_first)
            m_json += ',';
        m_first = false;
        m_json += m_separator;
        m_json += '"';
        m_json += key;
        m_json += "\": ";
        m_json += value;
    }
    void add(const char* key, const QString& text) { add(key, jsonString(text)); }
    void add(const char* key, double value) { add(key, jsonNumber(value)); }
    void add(const char* key, qint32 value) { add(key, QByteArray::number(value)); }

    void close(const char* lastSeparator)
    {
        m_json += lastSeparator;
        m_json += '}';
    }

private:
    QByteArray& m_json;
    const char* m_separator;
    bool m_first = true;
};

} // namespace

QByteArray topicToJson(const TopicDocument& document)
{
    QByteArray json;
    JsonObjectWriter top(json, "\n  ");
    top.add("vers", document.vers);
    top.add("titel", document.titel);
    top.add("autor", document.autor);
    top.add("bemerkung", document.bemerkung);
    top.add("lueckentext", document.lueckentext);
    top.add("fragentext", document.fragentext);
    top.add("AnzFrageNummern", document.AnzFrageNummern);
    top.add("DokTyp", static_cast<qint32>(document.DokTyp));

    QByteArray margins = "[";
    for (size_t i = 0; i < document.RandErw.size(); ++i) {
        if (i > 0)
            margins += ", ";
        margins += jsonNumber(document.RandErw[i]);
    }
    margins += ']';
    top.add("RandErw", margins);
    top.add("NumArt", document.NumArt);
    top.add("GeordnetArt", document.GeordnetArt);

    QByteArray picture;
    JsonObjectWriter size(picture, " ");
    size.add("width", qint32(document.picture.width()));
    size.add("height", qint32(document.picture.height()));
    size.close(" ");
    top.add("picture", picture);

    // One record per line: a topic may hold hundreds of objects, and a line each keeps the
    // output readable and easy to filter.
    QByteArray objects = "[";
    for (qsizetype i = 0; i < document.objects.size(); ++i) {
        const DocObject& object = document.objects.at(i);
        objects += i > 0 ? ",\n    " : "\n    ";
        JsonObjectWriter record(objects, " ");
        record.add("Sx", object.Sx);
        record.add("Sy", object.Sy);
        record.add("Kx", object.Kx);
        record.add("Ky", object.Ky);
        record.add("Cap", object.Cap);
        record.add("KAusr", object.KAusr);
        record.add("TAusr", object.TAusr);
        record.add("Ebene", object.Ebene);
        record.add("Typ", object.Typ);
        record.add("Sline", object.Sline);
        record.add("Fsize", object.Fsize);
        record.add("KAusrAkt", object.KAusrAkt);
        record.add("FrageNummer", object.FrageNummer);
        record.close(" ");
    }
    objects += document.objects.isEmpty() ? "]" : "\n  ]";
    top.add("objects", objects);
    top.close("\n");
    json += '\n';
    return json;
}
