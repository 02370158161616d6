#include "model/BuiltInTemplates.h"
#include "model/FileTemplate.h"

#include <QtTest>

#include <set>
#include <thread>

Q_DECLARE_METATYPE(FileTemplate)

namespace {

const QByteArray record = R"({"id":"10000000-0000-0000-0000-00000000000A","name":"Notes","fileExtension":"md",)"
                          R"("content":"# Title\n","isBuiltIn":false})";
const QUuid someId = QUuid::fromString(QStringLiteral("6f1c2a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f"));

} // namespace

class TestFileTemplate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builtInCatalogue_data()
    {
        QTest::addColumn<QString>("nameAndExtension");
        QTest::addColumn<QByteArray>("sha256"); // of the UTF-8 body: every byte is pinned
        QTest::newRow("1") << "Text File.txt"
                           << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
        QTest::newRow("2") << "Markdown.md"
                           << QByteArray("39252e233b8dbd5acc155c64d179f4b69dc6286d51a1f62345c27d5d11183fc6");
        QTest::newRow("3") << "JSON.json"
                           << QByteArray("8da2f906c3cf07722eae573e1e878856c0c95cc91b52e5d0b792d0245d7c262a");
        QTest::newRow("4") << "Rich Text.rtf"
                           << QByteArray("c20306f6fee22d9a5a2f6ef77d6f7fd9abbe53781b1a23a41f67e373e73ccd04");
        QTest::newRow("5") << "Shell Script.sh"
                           << QByteArray("aa81a447004ae238eab5874efb28a3a8f557045262c7525094cabf84f3b32c30");
        QTest::newRow("6") << "Python Script.py"
                           << QByteArray("ee1c49980353855731cee7b216cfc528fea7c7ce0c487c13cfc13affeff4bac4");
        QTest::newRow("7") << "HTML.html"
                           << QByteArray("f57ce22459a8d62c8ff8b3823214afe8493904ae447cea31146f0b9d434bae4b");
        QTest::newRow("8") << "CSS.css"
                           << QByteArray("d52111e62d6f19baa55634a2854b9838aa778565ca6db9c04e1b1f3123284765");
    }
    void builtInCatalogue()
    {
        QFETCH(QString, nameAndExtension);
        QFETCH(QByteArray, sha256);
        const int position = QString::fromLatin1(QTest::currentDataTag()).toInt();
        // Every thread that asks first gets the one list.
        std::vector<const QList<FileTemplate>*> seen(4, nullptr);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < seen.size(); ++i)
            threads.emplace_back([&seen, i] { seen[i] = &builtInTemplates(); });
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(std::set(seen.begin(), seen.end()), std::set{&builtInTemplates()});
        QCOMPARE(builtInTemplates().size(), 8);
        const FileTemplate& t = builtInTemplates().at(position - 1);
        QCOMPARE(t.idText(), QStringLiteral("10000000-0000-0000-0000-00000000000%1").arg(position));
        QCOMPARE(t.name + '.' + t.fileExtension, nameAndExtension);
        QVERIFY(t.isBuiltIn);
        QCOMPARE(QCryptographicHash::hash(t.content.toUtf8(), QCryptographicHash::Sha256).toHex(), sha256);
    }

    void rejectsMalformedRecord_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QJsonValue>("value"); // Undefined removes the member
        for (const char* member : {"id", "name", "fileExtension", "content", "isBuiltIn"}) {
            QTest::addRow("%s missing", member) << member << QJsonValue(QJsonValue::Undefined);
            QTest::addRow("%s null", member) << member << QJsonValue(QJsonValue::Null);
        }
        QTest::newRow("id in braces") << "id" << QJsonValue("{10000000-0000-0000-0000-000000000001}");
        QTest::newRow("id too short") << "id" << QJsonValue("10000000-0000-0000-0000-00000000001");
        QTest::newRow("id not hex") << "id" << QJsonValue("10000000-0000-0000-0000-00000000000G");
        QTest::newRow("id without dashes") << "id" << QJsonValue("100000000000000000000000000000000001");
        QTest::newRow("name as number") << "name" << QJsonValue(3);
        QTest::newRow("isBuiltIn as text") << "isBuiltIn" << QJsonValue("true");
    }
    void rejectsMalformedRecord()
    {
        QFETCH(QString, member);
        QFETCH(QJsonValue, value);
        QJsonObject object = QJsonDocument::fromJson(record).object();
        value.isUndefined() ? void(object.remove(member)) : void(object.insert(member, value));
        QVERIFY(!FileTemplate::fromJson(object));
        // One bad record fails the whole list.
        QVERIFY(!FileTemplate::decodeList("[" + record + "," + QJsonDocument(object).toJson() + "]"));
    }

    void encodesCompactlyWithUpperCaseId()
    {
        QJsonObject object = QJsonDocument::fromJson(record).object();
        object.insert("id", "10000000-0000-0000-0000-00000000000a");
        object.insert("version", 2); // unknown members are ignored and not kept
        QCOMPARE(FileTemplate::fromJson(object)->toJson(), record);
        const FileTemplate t{someId, "Note", "txt", "", false};
        const QByteArray json = R"({"id":"6F1C2A8E-1B2C-4D3E-8F40-5A6B7C8D9E0F","name":"Note",)"
                                R"("fileExtension":"txt","content":"","isBuiltIn":false})";
        QCOMPARE(FileTemplate::encodeList({}), QByteArray("[]"));
        QCOMPARE(FileTemplate::encodeList({t, t}), "[" + json + "," + json + "]");
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
        const FileTemplate t{someId, text, text, text, true};
        const std::optional<QList<FileTemplate>> decoded = FileTemplate::decodeList(FileTemplate::encodeList({t}));
        QVERIFY(decoded && decoded->size() == 1);
        // QString compares code units: exactly the same text, not merely Unicode-equal.
        const FileTemplate& back = decoded->first();
        QCOMPARE(std::tuple(back.id, back.name, back.fileExtension, back.content, back.isBuiltIn),
                 std::tuple(t.id, text, text, text, true));
    }

    void listDecodingIsAllOrNothing_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("expectedCount"); // -1: decoding fails
        const QByteArray head = R"([{"id":"10000000-0000-0000-0000-00000000000A","name":"N","fileExtension":"md",)";
        QTest::newRow("empty array") << QByteArray("[]") << 0;
        QTest::newRow("two records, white space") << " \n[" + record + " , " + record + "]\n" << 2;
        QTest::newRow("unknown members") << head +
                                                R"("v":1.5e3,"o":{"a":[1,{}]},"n":null,"content":"","isBuiltIn":true}])"
                                         << 1;
        QTest::newRow("escaped member names") << head + R"("content":"","isBuilt\u0049n":true}])" << 1;
        QTest::newRow("a repeated member: the last counts")
            << head + R"("isBuiltIn":1,"content":"","isBuiltIn":false}])" << 1;
        QTest::newRow("a repeated member: the last fails")
            << head + R"("isBuiltIn":false,"content":"","isBuiltIn":null}])" << -1;
        QTest::newRow("invalid UTF-8") << "[" + QByteArray(record).replace("Notes", "No\xff") + "]" << -1;
        QTest::newRow("a record that is not an object") << "[" + record + ",1]" << -1;
        QTest::newRow("object at top level") << record << -1;
        QTest::newRow("truncated") << "[" + record.left(40) << -1;
        QTest::newRow("trailing garbage") << "[" + record + "]x" << -1;
    }
    void listDecodingIsAllOrNothing()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, expectedCount);
        const std::optional<QList<FileTemplate>> decoded = FileTemplate::decodeList(json);
        QCOMPARE(decoded ? int(decoded->size()) : -1, expectedCount);
    }

    void equalityAndHashing_data()
    {
        QTest::addColumn<FileTemplate>("other");
        QTest::addColumn<bool>("equal"); // to the same record in composed form
        QTest::newRow("canonically equivalent text")
            << FileTemplate{someId, "Cafe\u0301", "md", "A\u030a", false} << true;
        QTest::newRow("built-in flag differs") << FileTemplate{someId, "Caf\u00e9", "md", "\u00c5", true} << false;
        QTest::newRow("other id") << FileTemplate{QUuid::createUuid(), "Caf\u00e9", "md", "\u00c5", false} << false;
        QTest::newRow("extension differs in case") << FileTemplate{someId, "Caf\u00e9", "MD", "\u00c5", false} << false;
    }
    void equalityAndHashing()
    {
        QFETCH(FileTemplate, other);
        QFETCH(bool, equal);
        const FileTemplate composed{someId, "Caf\u00e9", "md", "\u00c5", false};
        QCOMPARE(std::pair(composed == other, other == composed), std::pair(equal, equal));
        QCOMPARE(QSet<FileTemplate>({composed, other}).size(), equal ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(TestFileTemplate)
#include "tst_FileTemplate.moc"
