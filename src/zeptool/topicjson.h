#pragma once

#include <QByteArray>
#include <QString>

class TopicDocument;

// A topic's stored content as one JSON object (UTF-8): the header fields, the picture's size
// and one object per record, keys in file order. Written by hand rather than through
// QJsonObject, which would sort the keys and drop the sign of -0.
QByteArray topicToJson(const TopicDocument& document);

// A double as the shortest JSON number that reads back to the same bits; negative zero as
// "-0.0" so that readers which turn integral numbers into integers keep its sign. NaN and the
// infinities, which JSON numbers cannot hold, become the strings "NaN", "Infinity" and
// "-Infinity".
QByteArray jsonNumber(double value);

// A text as a JSON string: quotes, backslashes and control characters escaped, the rest UTF-8.
QByteArray jsonString(const QString& text);
