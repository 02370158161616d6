#include "platform/Bookmark.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

class TestBookmark : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void makesDataThatResolvesToTheSameFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("My \"Folder\" \u00e9"));
        QVERIFY(QDir().mkpath(folder));
        QString error;
        const std::optional<QByteArray> data = Bookmark::system().make(folder + QStringLiteral("/./"), &error);
        QVERIFY2(data, qPrintable(error));
        QVERIFY(data->startsWith(R"({"kind":"quintara-bookmark","version":1,"path":)"));
        QCOMPARE(QJsonDocument::fromJson(*data)[QStringLiteral("path")].toString(), folder);
        const std::optional<Bookmark::Resolved> resolved = Bookmark::system().resolve(*data, &error);
        QCOMPARE(std::pair(resolved->path, resolved->isStale), std::pair(folder, false));

        // A folder replaced at the same path is stale. The old one is kept, so its inode is not reused.
        QVERIFY(QDir(dir.path()).rename(QFileInfo(folder).fileName(), QStringLiteral("old")));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(Bookmark::system().resolve(*data, nullptr)->isStale, true);
        QVERIFY(!Bookmark::system().make(dir.filePath(QStringLiteral("missing")), &error));
        QVERIFY2(error.contains(QStringLiteral("No such file or directory")), qPrintable(error));
        QVERIFY(!Bookmark::system().make(QStringLiteral("relative/folder"), &error));
    }

    void resolvingRejectsAnyOtherData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("messagePart");
        const QString invalid = QStringLiteral("isn’t in the correct format");
        const QByteArray head = R"({"kind":"quintara-bookmark","version":1,)";
        QTest::newRow("not JSON") << QByteArray("bookmark") << invalid;
        QTest::newRow("other kind") << QByteArray(R"({"kind":"x","version":1,"path":"/","device":1,"inode":2})")
                                    << invalid;
        QTest::newRow("other version") << QByteArray(R"({"kind":"quintara-bookmark","version":2,"path":"/",)"
                                                     R"("device":1,"inode":2})")
                                       << invalid;
        QTest::newRow("relative path") << head + R"("path":"tmp","device":1,"inode":2})" << invalid;
        QTest::newRow("negative inode") << head + R"("path":"/","device":1,"inode":-2})" << invalid;
        QTest::newRow("fractional device") << head + R"("path":"/","device":1.5,"inode":2})" << invalid;
        QTest::newRow("folder gone") << head + R"("path":"/nonexistent/f","device":1,"inode":2})"
                                     << "couldn’t be found";
    }
    void resolvingRejectsAnyOtherData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, messagePart);
        QString error;
        QVERIFY(!Bookmark::system().resolve(data, &error));
        QVERIFY2(error.contains(messagePart), qPrintable(error));
        // Numbers beyond what a double holds exactly still read, as a whole number.
        QVERIFY(Bookmark::system().resolve(R"({"kind":"quintara-bookmark","version":1,"path":"/","device":1,)"
                                           R"("inode":18446744073709549568})",
                                           nullptr));
    }
};

QTEST_GUILESS_MAIN(TestBookmark)
#include "tst_Bookmark.moc"
