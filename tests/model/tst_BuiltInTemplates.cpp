#include "model/BuiltInTemplates.h"

#include <QCryptographicHash>
#include <QTest>

#include <thread>
#include <vector>

class TestBuiltInTemplates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // First, so that it really is the first use in this process.
    void firstUseFromManyThreadsBuildsOnce();
    void catalogue_data();
    void catalogue();
    void bodyShapes();
};

void TestBuiltInTemplates::catalogue_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fileExtension");
    QTest::addColumn<int>("utf8Length");
    QTest::addColumn<QByteArray>("sha256"); // of the body as written down line by line

    QTest::newRow("Text File") << 1 << "Text File"
                               << "txt" << 0
                               << QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    QTest::newRow("Markdown") << 2 << "Markdown"
                              << "md" << 14
                              << QByteArray("39252e233b8dbd5acc155c64d179f4b69dc6286d51a1f62345c27d5d11183fc6");
    QTest::newRow("JSON") << 3 << "JSON"
                          << "json" << 7
                          << QByteArray("8da2f906c3cf07722eae573e1e878856c0c95cc91b52e5d0b792d0245d7c262a");
    QTest::newRow("Rich Text") << 4 << "Rich Text"
                               << "rtf" << 329
                               << QByteArray("c20306f6fee22d9a5a2f6ef77d6f7fd9abbe53781b1a23a41f67e373e73ccd04");
    QTest::newRow("Shell Script") << 5 << "Shell Script"
                                  << "sh" << 33
                                  << QByteArray("aa81a447004ae238eab5874efb28a3a8f557045262c7525094cabf84f3b32c30");
    QTest::newRow("Python Script") << 6 << "Python Script"
                                   << "py" << 44
                                   << QByteArray("ee1c49980353855731cee7b216cfc528fea7c7ce0c487c13cfc13affeff4bac4");
    QTest::newRow("HTML") << 7 << "HTML"
                          << "html" << 198
                          << QByteArray("f57ce22459a8d62c8ff8b3823214afe8493904ae447cea31146f0b9d434bae4b");
    QTest::newRow("CSS") << 8 << "CSS"
                         << "css" << 31
                         << QByteArray("d52111e62d6f19baa55634a2854b9838aa778565ca6db9c04e1b1f3123284765");
}

void TestBuiltInTemplates::catalogue()
{
    QFETCH(int, position);
    QFETCH(QString, name);
    QFETCH(QString, fileExtension);
    QFETCH(int, utf8Length);
    QFETCH(QByteArray, sha256);

    const QList<FileTemplate>& all = builtInTemplates();
    QCOMPARE(all.size(), 8);
    const FileTemplate& t = all.at(position - 1);
    QCOMPARE(t.idText(), QStringLiteral("10000000-0000-0000-0000-00000000000%1").arg(position));
    QCOMPARE(t.name, name);
    QCOMPARE(t.fileExtension, fileExtension);
    QVERIFY(t.isBuiltIn);
    const QByteArray body = t.content.toUtf8();
    QCOMPARE(body.size(), utf8Length);
    QCOMPARE(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex(), sha256);
}

void TestBuiltInTemplates::bodyShapes()
{
    const QList<FileTemplate>& all = builtInTemplates();
    const QString rtf = all.at(3).content;
    QVERIFY(!rtf.contains(QLatin1Char('\t')));
    QVERIFY(!rtf.endsWith(QLatin1Char('\n')));
    QVERIFY(rtf.endsWith(QStringLiteral("\\f0\\fs24 \\cf0 }")));
    for (int i : {4, 5, 6})
        QVERIFY2(all.at(i).content.endsWith(QLatin1Char('\n')), qPrintable(all.at(i).name));
    QCOMPARE(all.at(7).content.size(), 29);
    QVERIFY(all.at(7).content.contains(QStringLiteral(" \u2014 ")));
}

void TestBuiltInTemplates::firstUseFromManyThreadsBuildsOnce()
{
    std::vector<const QList<FileTemplate>*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = &builtInTemplates(); });
    for (auto& thread : threads)
        thread.join();
    for (const auto* list : seen) {
        QCOMPARE(list, &builtInTemplates());
        QCOMPARE(list->size(), 8);
    }
}

QTEST_GUILESS_MAIN(TestBuiltInTemplates)
#include "tst_BuiltInTemplates.moc"
