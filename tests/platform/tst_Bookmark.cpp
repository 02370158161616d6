#include "platform/Bookmark.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestBookmark : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void makesDataInTheStoredForm();
    void makingNeedsAnExistingFolder_data();
    void makingNeedsAnExistingFolder();
    void resolvingRejectsAnyOtherData_data();
    void resolvingRejectsAnyOtherData();
    void replacedFolderIsStale();
};

void TestBookmark::makesDataInTheStoredForm()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("My \"Folder\" \u00e9"));
    QVERIFY(QDir().mkpath(folder));
    QString error;
    const std::optional<QByteArray> data = Bookmark::system().make(folder + QStringLiteral("/./"), &error);
    QVERIFY2(data, qPrintable(error));
    QVERIFY(data->startsWith(R"({"kind":"quintara-bookmark","version":1,"path":)"));
    const QJsonObject object = QJsonDocument::fromJson(*data).object();
    QCOMPARE(object.value(QStringLiteral("path")).toString(), folder);
    QVERIFY(object.value(QStringLiteral("inode")).toInteger() > 0);

    const std::optional<Bookmark::Resolved> resolved = Bookmark::system().resolve(*data, &error);
    QVERIFY(resolved);
    QCOMPARE(resolved->path, folder);
    QVERIFY(!resolved->isStale);
}

void TestBookmark::makingNeedsAnExistingFolder_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
    QTest::newRow("a file") << "file"
                            << "isn’t a folder";
    QTest::newRow("relative path") << ""
                                   << "isn’t an absolute path";
}

void TestBookmark::makingNeedsAnExistingFolder()
{
    QFETCH(QString, relative);
    QFETCH(QString, messagePart);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QString path = relative.isEmpty() ? QStringLiteral("some/folder") : dir.filePath(relative);
    QString error;
    QVERIFY(!Bookmark::system().make(path, &error));
    QVERIFY2(error.contains(messagePart), qPrintable(error));
}

void TestBookmark::resolvingRejectsAnyOtherData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("messagePart");
    const QString invalid = QStringLiteral("isn’t in the correct format");
    QTest::newRow("empty") << QByteArray() << invalid;
    QTest::newRow("not JSON") << QByteArray("bookmark") << invalid;
    QTest::newRow("an array") << QByteArray("[]") << invalid;
    QTest::newRow("other kind") << QByteArray(R"({"kind":"x","version":1,"path":"/","device":1,"inode":2})") << invalid;
    QTest::newRow("other version") << QByteArray(R"({"kind":"quintara-bookmark","version":2,"path":"/","device":1,)"
                                                 R"("inode":2})")
                                   << invalid;
    QTest::newRow("relative path") << QByteArray(R"({"kind":"quintara-bookmark","version":1,"path":"tmp",)"
                                                 R"("device":1,"inode":2})")
                                   << invalid;
    QTest::newRow("negative inode") << QByteArray(R"({"kind":"quintara-bookmark","version":1,"path":"/",)"
                                                  R"("device":1,"inode":-2})")
                                    << invalid;
    QTest::newRow("fractional device") << QByteArray(R"({"kind":"quintara-bookmark","version":1,"path":"/",)"
                                                     R"("device":1.5,"inode":2})")
                                       << invalid;
    QTest::newRow("folder gone") << QByteArray(R"({"kind":"quintara-bookmark","version":1,)"
                                               R"("path":"/nonexistent/folder","device":1,"inode":2})")
                                 << "couldn’t be found";
}

void TestBookmark::resolvingRejectsAnyOtherData()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, messagePart);
    QString error;
    QVERIFY(!Bookmark::system().resolve(data, &error));
    QVERIFY2(error.contains(messagePart), qPrintable(error));
}

void TestBookmark::replacedFolderIsStale()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray data = *Bookmark::system().make(folder, nullptr);
    // The old folder is kept under another name, so the new one cannot reuse its inode.
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("home"), QStringLiteral("old home")));
    QVERIFY(QDir().mkpath(folder));
    const std::optional<Bookmark::Resolved> resolved = Bookmark::system().resolve(data, nullptr);
    QVERIFY(resolved);
    QVERIFY(resolved->isStale);
    QCOMPARE(resolved->path, folder);

    // Numbers beyond what a double holds exactly still read, as a whole number.
    QByteArray huge = data;
    huge.replace(
        QRegularExpression(QStringLiteral("\"inode\":\\d+")).match(QString::fromUtf8(data)).captured().toUtf8(),
        "\"inode\":18446744073709549568");
    QVERIFY(Bookmark::system().resolve(huge, nullptr));
}

QTEST_GUILESS_MAIN(TestBookmark)
#include "tst_Bookmark.moc"
