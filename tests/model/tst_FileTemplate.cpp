#include "model/FileTemplate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>

Q_DECLARE_METATYPE(FileTemplate)

namespace {

const QByteArray validRecord = R"({"id":"10000000-0000-0000-0000-00000000000A","name":"Notes","fileExtension":"md",)"
                               R"("content":"# Title\n","isBuiltIn":false})";

QJsonObject validObject()
{
    return QJsonDocument::fromJson(validRecord).object();
}

FileTemplate sample()
{
    return FileTemplate{QUuid::fromString(QStringLiteral("6f1c2a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f")),
                        QStringLiteral("Note"), QStringLiteral("txt"), QStringLiteral("body"), false};
}

} // namespace

class TestFileTemplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesValidRecordAndIgnoresUnknownMembers();
    void rejectsMalformedRecord_data();
    void rejectsMalformedRecord();
    void encodesAllFiveMembersCompactlyWithUpperCaseId();
    void roundTripsAwkwardText_data();
    void roundTripsAwkwardText();
    void listDecodingIsAllOrNothing_data();
    void listDecodingIsAllOrNothing();
    void equalityAndHashing_data();
    void equalityAndHashing();
};

void TestFileTemplate::decodesValidRecordAndIgnoresUnknownMembers()
{
    QJsonObject object = validObject();
    object.insert(QStringLiteral("version"), 2);
    object.insert(QStringLiteral("id"), QStringLiteral("10000000-0000-0000-0000-00000000000a"));
    const std::optional<FileTemplate> decoded = FileTemplate::fromJson(object);
    QVERIFY(decoded);
    QCOMPARE(decoded->idText(), QStringLiteral("10000000-0000-0000-0000-00000000000A"));
    QCOMPARE(decoded->name, QStringLiteral("Notes"));
    QCOMPARE(decoded->content, QStringLiteral("# Title\n"));
    QCOMPARE(decoded->isBuiltIn, false);
    const QByteArray reencoded = decoded->toJson();
    QVERIFY(!reencoded.contains("version"));
    QVERIFY(reencoded.contains(R"("id":"10000000-0000-0000-0000-00000000000A")"));
}

void TestFileTemplate::rejectsMalformedRecord_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QJsonValue>("value"); // Undefined removes the member

    for (const char* member : {"id", "name", "fileExtension", "content", "isBuiltIn"}) {
        QTest::addRow("%s missing", member) << QString::fromLatin1(member) << QJsonValue(QJsonValue::Undefined);
        QTest::addRow("%s null", member) << QString::fromLatin1(member) << QJsonValue(QJsonValue::Null);
    }
    QTest::newRow("id as number") << "id" << QJsonValue(1);
    QTest::newRow("id in braces") << "id" << QJsonValue(QStringLiteral("{10000000-0000-0000-0000-000000000001}"));
    QTest::newRow("id too short") << "id" << QJsonValue(QStringLiteral("10000000-0000-0000-0000-00000000001"));
    QTest::newRow("id not hex") << "id" << QJsonValue(QStringLiteral("10000000-0000-0000-0000-00000000000G"));
    QTest::newRow("id without dashes") << "id" << QJsonValue(QStringLiteral("100000000000000000000000000000000001"));
    QTest::newRow("id padded") << "id" << QJsonValue(QStringLiteral(" 10000000-0000-0000-0000-000000000001"));
    QTest::newRow("name as number") << "name" << QJsonValue(3);
    QTest::newRow("content as array") << "content" << QJsonValue(QJsonArray{QStringLiteral("x")});
    QTest::newRow("isBuiltIn as text") << "isBuiltIn" << QJsonValue(QStringLiteral("true"));
    QTest::newRow("isBuiltIn as number") << "isBuiltIn" << QJsonValue(1);
}

void TestFileTemplate::rejectsMalformedRecord()
{
    QFETCH(QString, member);
    QFETCH(QJsonValue, value);
    QJsonObject object = validObject();
    if (value.isUndefined())
        object.remove(member);
    else
        object.insert(member, value);
    QVERIFY(!FileTemplate::fromJson(object));
    // The same record inside an otherwise good list fails the list.
    const QByteArray list = "[" + validRecord + "," + QJsonDocument(object).toJson(QJsonDocument::Compact) + "]";
    QVERIFY(!FileTemplate::decodeList(list));
}

void TestFileTemplate::encodesAllFiveMembersCompactlyWithUpperCaseId()
{
    FileTemplate t = sample();
    t.content.clear();
    const QByteArray json = t.toJson();
    QCOMPARE(json, QByteArray(R"({"id":"6F1C2A8E-1B2C-4D3E-8F40-5A6B7C8D9E0F","name":"Note",)"
                              R"("fileExtension":"txt","content":"","isBuiltIn":false})"));
    QCOMPARE(FileTemplate::encodeList({}), QByteArray("[]"));
    QCOMPARE(FileTemplate::encodeList({t, t}), "[" + json + "," + json + "]");
}

void TestFileTemplate::roundTripsAwkwardText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("line feeds and tabs") << QStringLiteral("a\nb\tc\r\n");
    QTest::newRow("quotes and backslashes") << QStringLiteral(R"(say "hi" \n \\ \u0041)");
    QTest::newRow("em dash") << QStringLiteral("/* {{folder}} \u2014 {{date}} */\n\n");
    QTest::newRow("control characters") << QString::fromUtf8("\x01\x1f\x7f\b\f");
    QTest::newRow("outside the basic plane") << QString::fromUtf8("\xF0\x9F\x93\x84 file");
    QTest::newRow("lone surrogates") << QString(QChar(0xDFBD)) + QStringLiteral("x") + QChar(0xD800);
    QTest::newRow("NUL") << QString(QChar(0)) + QStringLiteral("after");
    QTest::newRow("slash and angle brackets") << QStringLiteral("</script> a/b");
    QTest::newRow("empty") << QString();
}

void TestFileTemplate::roundTripsAwkwardText()
{
    QFETCH(QString, text);
    FileTemplate t = sample();
    t.name = text;
    t.fileExtension = text;
    t.content = text;
    const std::optional<QList<FileTemplate>> decoded = FileTemplate::decodeList(FileTemplate::encodeList({t}));
    QVERIFY(decoded);
    QCOMPARE(decoded->size(), 1);
    const FileTemplate& back = decoded->first();
    // QString's own comparison is by code unit: exactly the same text, not merely Unicode-equal.
    QCOMPARE(back.name, text);
    QCOMPARE(back.fileExtension, text);
    QCOMPARE(back.content, text);
    QCOMPARE(back.id, t.id);
}

void TestFileTemplate::listDecodingIsAllOrNothing_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("expectedCount"); // -1: decoding fails

    QTest::newRow("empty array") << QByteArray("[]") << 0;
    QTest::newRow("two records") << "[" + validRecord + "," + validRecord + "]" << 2;
    QTest::newRow("whitespace around") << " \n[ " + validRecord + " ]\n" << 1;
    QTest::newRow("unknown members of every kind")
        << QByteArray(R"([{"v":1.5e3,"o":{"a":[1,{}]},"n":null,"id":"10000000-0000-0000-0000-00000000000A",)"
                      R"("name":"N","fileExtension":"md","content":"","isBuiltIn":true}])")
        << 1;
    QTest::newRow("escaped member names") << QByteArray(R"([{"\u0069d":"10000000-0000-0000-0000-00000000000A",)"
                                                        R"("name":"N","fileExtension":"md","content":"",)"
                                                        R"("isBuilt\u0049n":true}])")
                                          << 1;
    QTest::newRow("a repeated member: the last counts")
        << QByteArray(R"([{"isBuiltIn":"no","id":"10000000-0000-0000-0000-00000000000A","name":"N",)"
                      R"("fileExtension":"md","content":"","isBuiltIn":false}])")
        << 1;
    QTest::newRow("a repeated member: the last fails") << QByteArray(R"([{"isBuiltIn":false,"id":"10000000-0000-)"
                                                                     R"(0000-0000-00000000000A","name":"N",)"
                                                                     R"("fileExtension":"md","content":"",)"
                                                                     R"("isBuiltIn":null}])")
                                                       << -1;
    QTest::newRow("invalid UTF-8 in a text") << "[" +
                                                    QByteArray(validRecord)
                                                        .replace("Notes", "No\xff"
                                                                          "tes") +
                                                    "]"
                                             << -1;
    QTest::newRow("a record that is not an object") << "[" + validRecord + ",1]" << -1;
    QTest::newRow("object at top level") << validRecord << -1;
    QTest::newRow("truncated") << "[" + validRecord.left(40) << -1;
    QTest::newRow("trailing garbage") << "[" + validRecord + "]x" << -1;
    QTest::newRow("empty bytes") << QByteArray() << -1;
    QTest::newRow("null") << QByteArray("null") << -1;
}

void TestFileTemplate::listDecodingIsAllOrNothing()
{
    QFETCH(QByteArray, json);
    QFETCH(int, expectedCount);
    const std::optional<QList<FileTemplate>> decoded = FileTemplate::decodeList(json);
    QCOMPARE(decoded ? int(decoded->size()) : -1, expectedCount);
}

void TestFileTemplate::equalityAndHashing_data()
{
    QTest::addColumn<FileTemplate>("a");
    QTest::addColumn<FileTemplate>("b");
    QTest::addColumn<bool>("equal");

    const FileTemplate base = sample();
    FileTemplate composed = base;
    composed.name = QStringLiteral("Caf\u00e9");
    composed.content = QStringLiteral("\u00c5ngstr\u00f6m");
    FileTemplate decomposed = base;
    decomposed.name = QStringLiteral("Cafe\u0301");
    decomposed.content = QStringLiteral("A\u030angstro\u0308m");
    QTest::newRow("canonically equivalent text") << composed << decomposed << true;

    FileTemplate renamed = base;
    renamed.name = QStringLiteral("Other");
    QTest::newRow("same id, other name") << base << renamed << false;
    FileTemplate flagged = base;
    flagged.isBuiltIn = true;
    QTest::newRow("built-in flag differs") << base << flagged << false;
    FileTemplate otherId = base;
    otherId.id = QUuid::createUuid();
    QTest::newRow("other id") << base << otherId << false;
    FileTemplate otherExtension = base;
    otherExtension.fileExtension = QStringLiteral("TXT");
    QTest::newRow("extension differs in case") << base << otherExtension << false;
}

void TestFileTemplate::equalityAndHashing()
{
    QFETCH(FileTemplate, a);
    QFETCH(FileTemplate, b);
    QFETCH(bool, equal);
    QCOMPARE(a == b, equal);
    QCOMPARE(b == a, equal);
    if (equal)
        QCOMPARE(qHash(a), qHash(b));
    QCOMPARE(QSet<FileTemplate>({a, b}).size(), equal ? 1 : 2);
}

QTEST_GUILESS_MAIN(TestFileTemplate)
#include "tst_FileTemplate.moc"
