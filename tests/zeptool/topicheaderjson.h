#pragma once

#include "document/topicdocument.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QTest>

#include <bit>

// A real in JSON that is exactly the stored one, to the last bit.
inline bool sameReal(const QJsonValue& value, double expected)
{
    return value.isDouble() && std::bit_cast<quint64>(value.toDouble()) == std::bit_cast<quint64>(expected);
}

// The header fields of a topic as zeptool info and the independent reader name them (the file's
// keys), compared with expected.
inline void compareTopicHeader(const QJsonObject& json, const TopicDocument& expected)
{
    QCOMPARE(json.value("vers").toString(), expected.vers);
    QCOMPARE(json.value("titel").toString(), expected.titel);
    QCOMPARE(json.value("autor").toString(), expected.autor);
    QCOMPARE(json.value("bemerkung").toString(), expected.bemerkung);
    QCOMPARE(json.value("lueckentext").toString(), expected.lueckentext);
    QCOMPARE(json.value("fragentext").toString(), expected.fragentext);
    QCOMPARE(json.value("AnzFrageNummern").toInt(-99), expected.AnzFrageNummern);
    QCOMPARE(json.value("DokTyp").toInt(-99), qint32(expected.DokTyp));
    const QJsonArray margins = json.value("RandErw").toArray();
    QCOMPARE(margins.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(sameReal(margins.at(i), expected.RandErw[size_t(i)]), QByteArray::number(i));
    QCOMPARE(json.value("NumArt").toInt(-99), expected.NumArt);
    QCOMPARE(json.value("GeordnetArt").toInt(-99), expected.GeordnetArt);
}
