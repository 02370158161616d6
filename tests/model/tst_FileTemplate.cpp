#include "model/BuiltInTemplates.h"
#include "model/FileTemplate.h"
#include "support/Table.h"

#include <QtTest>

namespace {

const QByteArray record = R"({"id":"10000000-0000-0000-0000-00000000000A","name":"Notes","fileExtension":"md",)"
                          R"("content":"# Title\n","isBuiltIn":false})";
const QUuid someId = QUuid::fromString(QStringLiteral("6f1c2a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f"));

} // namespace

class TestFileTemplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInCatalogue()
    {
        QStringList catalogue;
        QByteArray bodies;
        for (const FileTemplate& t : builtInTemplates()) {
            catalogue << t.idText().right(2) + ' ' + t.name + '.' + t.fileExtension + (t.isBuiltIn ? "" : " custom");
            bodies += t.content.toUtf8() + '\0';
        }
        QCOMPARE(catalogue, (QStringList{"01 Text File.txt", "02 Markdown.md", "03 JSON.json", "04 Rich Text.rtf",
                                         "05 Shell Script.sh", "06 Python Script.py", "07 HTML.html", "08 CSS.css"}));
        QCOMPARE(builtInTemplates().first().idText(), "10000000-0000-0000-0000-000000000001");
        // Every byte of every body is pinned.
        QCOMPARE(QCryptographicHash::hash(bodies, QCryptographicHash::Sha256).toHex(),
                 "997d36f7842367ab51c2daa346ea169f325a8d3696b000bb4035119e8b1de2c4");
    }

    void listDecodingKeepsEveryRecordThatDecodes_data()
    {
        // decoded: how many records decode, -1 when the bytes are no list; undecodable: how many do not
        const auto row = columns<QByteArray, int, int>("json", "decoded", "undecodable");
        // The record with one member replaced, or removed when the value is Undefined: a bad record
        // costs only itself.
        const auto bad = [&row](const char* tag, const char* member, const QJsonValue& value) {
            QJsonObject object = QJsonDocument::fromJson(record).object();
            value.isUndefined() ? void(object.remove(member)) : void(object.insert(member, value));
            row(tag, "[" + record + "," + QJsonDocument(object).toJson() + "]", 1, 1);
        };
        for (const char* member : {"id", "name", "fileExtension", "content", "isBuiltIn"}) {
            bad(qPrintable(QString("%1 missing").arg(member)), member, QJsonValue(QJsonValue::Undefined));
            bad(qPrintable(QString("%1 null").arg(member)), member, QJsonValue(QJsonValue::Null));
        }
        bad("id in braces", "id", "{10000000-0000-0000-0000-000000000001}");
        bad("id too short", "id", "10000000-0000-0000-0000-00000000001");
        bad("id not hex", "id", "10000000-0000-0000-0000-00000000000G");
        bad("id without dashes", "id", "100000000000000000000000000000000001");
        bad("name as number", "name", 3);
        bad("isBuiltIn as text", "isBuiltIn", "true");
        bad("a kind this reader does not know", "kind", "link");
        const QByteArray head = R"([{"id":"10000000-0000-0000-0000-00000000000A","name":"N","fileExtension":"md",)";
        row("empty array", "[]", 0, 0);
        row("two records, white space", " \n[" + record + " , " + record + "]\n", 2, 0);
        row("unknown members", head + R"("v":1.5e3,"o":{"a":[1,{}]},"n":null,"content":"","isBuiltIn":true}])", 1, 0);
        row("escaped member names", head + R"("content":"","isBuilt\u0049n":true}])", 1, 0);
        row("a repeated member: the last counts", head + R"("isBuiltIn":1,"content":"","isBuiltIn":false}])", 1, 0);
        row("a repeated member: the last fails", head + R"("isBuiltIn":false,"content":"","isBuiltIn":null}])", 0, 1);
        row("invalid UTF-8", "[" + QByteArray(record).replace("Notes", "No\xff") + "]", -1, 0);
        row("a record that is not an object", "[" + record + ",1]", 1, 1);
        row("object at top level", record, -1, 0);
        row("truncated", "[" + record.left(40), -1, 0);
        row("trailing garbage", "[" + record + "]x", -1, 0);
    }
    void listDecodingKeepsEveryRecordThatDecodes()
    {
        const auto [json, decoded, undecodable] = fetch<QByteArray, int, int>("json", "decoded", "undecodable");
        const std::optional<FileTemplate::DecodedList> list = FileTemplate::decodeList(json);
        QCOMPARE(list ? std::pair(int(list->templates.size()), int(list->undecodable)) : std::pair(-1, 0),
                 std::pair(decoded, undecodable));
    }

    void encodesCompactlyWithUpperCaseId()
    {
        // A lower-case id reads; unknown members are ignored and not kept.
        const QByteArray read = QByteArray(record).replace("0A\"", "0a\",\"version\":2");
        QCOMPARE(FileTemplate::decodeList("[" + read + "]")->templates.first().toJson(), record);
        const FileTemplate t{someId, "Note", "txt", "", false};
        const QByteArray json = R"({"id":"6F1C2A8E-1B2C-4D3E-8F40-5A6B7C8D9E0F","name":"Note",)"
                                R"("fileExtension":"txt","content":"","isBuiltIn":false})";
        QCOMPARE(FileTemplate::encodeList({}) + FileTemplate::encodeList({t, t}), "[][" + json + "," + json + "]");
    }

    // Written by this version, read by the release before groups and folders, whose reader takes a record
    // with the five members of these types and ignores any other: the file templates load, and a folder's
    // record, which it would take for an empty file, does not.
    void olderReadersLoadTheFileTemplates()
    {
        const QByteArray written = R"([{"id":"00000000-0000-0000-0000-000000000001","name":"Plain",)"
                                   R"("fileExtension":"txt","content":"a","isBuiltIn":false},)"
                                   R"({"id":"00000000-0000-0000-0000-000000000002","name":"Budget",)"
                                   R"("fileExtension":"csv","content":"b","isBuiltIn":false,)"
                                   R"("baseName":"{{year}} Budget","group":"Office"},)"
                                   R"({"id":"00000000-0000-0000-0000-000000000003","name":"Web Project",)"
                                   R"("fileExtension":"","isBuiltIn":false,"group":"Projects","kind":"folder"}])";
        const QList<FileTemplate> templates = FileTemplate::decodeList(written).value().templates;
        QCOMPARE(FileTemplate::encodeList(templates), written);
        QCOMPARE(std::tuple(templates.size(), templates.at(1).baseName, templates.at(2).isFolder),
                 std::tuple(3, QString("{{year}} Budget"), true));
        QStringList olderRead;
        for (const QJsonValue& value : QJsonDocument::fromJson(written).array()) {
            const QJsonObject o = value.toObject();
            if (QUuid::fromString(o["id"].toString()).isNull() || !o["name"].isString() ||
                !o["fileExtension"].isString() || !o["content"].isString() || !o["isBuiltIn"].isBool())
                continue;
            olderRead.append(o["name"].toString() + ':' + o["content"].toString());
        }
        QCOMPARE(olderRead, QStringList({"Plain:a", "Budget:b"}));
    }

    void roundTripsAwkwardText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("line feeds and tabs") << "a\nb\tc\r\n";
        QTest::newRow("quotes and backslashes") << R"(say "hi" \n \\ \u0041)";
        QTest::newRow("control characters") << "\x01\x1f\x7f\b\f";
        QTest::newRow("outside the basic plane") << "\xF0\x9F\x93\x84 file \u2014";
        QTest::newRow("lone surrogates") << QString(QChar(0xDFBD)) + "x" + QChar(0xD800);
        QTest::newRow("NUL") << QString(QChar(0)) + "after";
    }
    void roundTripsAwkwardText()
    {
        QFETCH(QString, text);
        const FileTemplate t{someId, text, text, text, true, text, text};
        const QByteArray json = FileTemplate::encodeList({t});
        // Strict JSON, which other programs reading the settings insist on: no raw control character.
        QVERIFY(std::none_of(json.begin(), json.end(), [](char c) { return uchar(c) < 0x20; }));
        // QString compares code units: exactly the same text, not merely Unicode-equal.
        const FileTemplate back =
            FileTemplate::decodeList(json).value_or(FileTemplate::DecodedList{}).templates.value(0);
        QCOMPARE(
            std::tuple(back.id, back.name, back.fileExtension, back.content, back.isBuiltIn, back.baseName, back.group),
            std::tuple(t.id, text, text, text, true, text, text));
    }

    void equalityAndHashing_data()
    {
        addColumns<FileTemplate, bool>("other", "equal"); // equal: to the same record in composed form
        QTest::newRow("canonically equivalent text")
            << FileTemplate{someId, "Cafe\u0301", "md", "A\u030a", false} << true;
        QTest::newRow("built-in flag differs") << FileTemplate{someId, "Caf\u00e9", "md", "\u00c5", true} << false;
        QTest::newRow("other id") << FileTemplate{QUuid::createUuid(), "Caf\u00e9", "md", "\u00c5", false} << false;
        QTest::newRow("extension differs in case") << FileTemplate{someId, "Caf\u00e9", "MD", "\u00c5", false} << false;
        QTest::newRow("group differs") << FileTemplate{someId, "Caf\u00e9", "md", "\u00c5", false, "", "Work"} << false;
        QTest::newRow("base name differs")
            << FileTemplate{someId, "Caf\u00e9", "md", "\u00c5", false, "Cafe\u0301"} << false;
        QTest::newRow("a folder") << FileTemplate{someId, "Caf\u00e9", "md", "\u00c5", false, "", "", true} << false;
    }
    void equalityAndHashing()
    {
        const auto [other, equal] = fetch<FileTemplate, bool>("other", "equal");
        const FileTemplate composed{someId, "Caf\u00e9", "md", "\u00c5", false};
        QCOMPARE(std::pair(composed == other, other == composed), std::pair(equal, equal));
        QCOMPARE(QSet<FileTemplate>({composed, other}).size(), equal ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(TestFileTemplate)
#include "tst_FileTemplate.moc"
