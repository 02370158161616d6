#include "platform/SettingsDomain.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

class TestSettingsDomain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typedReads_data();
    void typedReads();
    void writesKeepOtherKeysAndLeaveNoDebris();
    void corruptFileIsKeptAsideBeforeItIsReplaced();
    void suiteFallsBackToStandardDomain();
    void configHomeFollowsXdg_data();
    void configHomeFollowsXdg();
    void concurrentWritersLoseNoKey();
};

void TestSettingsDomain::typedReads_data()
{
    QTest::addColumn<QByteArray>("storedValue"); // JSON text of the value under "k"; empty = no key
    QTest::addColumn<bool>("isData");
    QTest::addColumn<bool>("isArray");
    QTest::addColumn<bool>("isText");

    QTest::newRow("missing") << QByteArray() << false << false << false;
    QTest::newRow("text") << QByteArray(R"("hello")") << false << false << true;
    QTest::newRow("empty text") << QByteArray(R"("")") << false << false << true;
    QTest::newRow("array") << QByteArray(R"(["a", 1])") << false << true << false;
    QTest::newRow("data") << QByteArray(R"({"data": "AAEC"})") << true << false << false;
    QTest::newRow("empty data") << QByteArray(R"({"data": ""})") << true << false << false;
    QTest::newRow("data that is not base64") << QByteArray(R"({"data": "**"})") << false << false << false;
    QTest::newRow("object with more members") << QByteArray(R"({"data": "AAEC", "x": 1})") << false << false << false;
    QTest::newRow("number") << QByteArray("42") << false << false << false;
    QTest::newRow("boolean") << QByteArray("true") << false << false << false;
    QTest::newRow("null") << QByteArray("null") << false << false << false;
}

void TestSettingsDomain::typedReads()
{
    QFETCH(QByteArray, storedValue);
    QFETCH(bool, isData);
    QFETCH(bool, isArray);
    QFETCH(bool, isText);
    TemporaryHome home;
    const QString path = home.configHome() + QStringLiteral("/d.json");
    writeAll(path, storedValue.isEmpty() ? QByteArray("{}") : R"({"k": )" + storedValue + "}");
    const SettingsDomain domain(path);
    const QString key = QStringLiteral("k");
    QCOMPARE(domain.data(key).has_value(), isData);
    QCOMPARE(domain.array(key).has_value(), isArray);
    QCOMPARE(domain.text(key).has_value(), isText);
}

void TestSettingsDomain::writesKeepOtherKeysAndLeaveNoDebris()
{
    TemporaryHome home;
    const QString path = home.configHome() + QStringLiteral("/nested/d.json");
    SettingsDomain domain(path);
    QVERIFY(!domain.text(QStringLiteral("a")));

    const QByteArray binary("\0\xff\n\"x", 5);
    QVERIFY(domain.setData(QStringLiteral("bin"), binary));
    QVERIFY(domain.setText(QStringLiteral("a"), QStringLiteral("caf\u00e9")));
    // Another program's key written between two of ours must survive our next write.
    QVERIFY(SettingsDomain(path).setArray(QStringLiteral("list"), {QStringLiteral("x"), QStringLiteral("y")}));
    QVERIFY(domain.setText(QStringLiteral("a"), QStringLiteral("second")));

    QCOMPARE(domain.data(QStringLiteral("bin")), binary);
    QCOMPARE(domain.text(QStringLiteral("a")), QStringLiteral("second"));
    QCOMPARE(domain.array(QStringLiteral("list"))->size(), 2);
    // The file is plain JSON that other programs can read, and nothing else is left beside it.
    QVERIFY(QJsonDocument::fromJson(readAll(path)).isObject());
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("d.json")});
}

void TestSettingsDomain::corruptFileIsKeptAsideBeforeItIsReplaced()
{
    TemporaryHome home;
    const QString path = home.configHome() + QStringLiteral("/d.json");
    const QByteArray broken = R"({"defaultBaseName": "Draft",)";
    writeAll(path, broken);
    SettingsDomain domain(path);
    QVERIFY(!domain.text(QStringLiteral("defaultBaseName")));
    QCOMPARE(readAll(path), broken); // reading alone changes nothing

    QVERIFY(domain.setText(QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(readAll(path + QStringLiteral(".corrupt")), broken);
    QCOMPARE(domain.text(QStringLiteral("k")), QStringLiteral("v"));

    // A second corrupt file does not overwrite the first one kept aside; neither does a JSON array.
    writeAll(path, "[1, 2]");
    QVERIFY(domain.setText(QStringLiteral("k"), QStringLiteral("w")));
    QCOMPARE(readAll(path + QStringLiteral(".corrupt")), broken);
    QCOMPARE(readAll(path + QStringLiteral(".corrupt.2")), QByteArray("[1, 2]"));
    QCOMPARE(domain.text(QStringLiteral("k")), QStringLiteral("w"));
}

void TestSettingsDomain::suiteFallsBackToStandardDomain()
{
    TemporaryHome home;
    QCOMPARE(SettingsDomain::openSuite().filePath(), home.suiteFile());
    QVERIFY(QDir().mkpath(home.suiteFile())); // a folder where the suite's file belongs
    SettingsDomain stand_in = SettingsDomain::openSuite();
    QCOMPARE(stand_in.filePath(), home.configHome() + QStringLiteral("/app.quintara.Quintara.json"));
    QVERIFY(stand_in.setText(QStringLiteral("k"), QStringLiteral("v")));
    QCOMPARE(SettingsDomain::openSuite().text(QStringLiteral("k")), QStringLiteral("v"));
}

void TestSettingsDomain::configHomeFollowsXdg_data()
{
    QTest::addColumn<QByteArray>("xdgConfigHome");
    QTest::addColumn<QString>("expectedBelowHome");
    QTest::newRow("absolute") << QByteArray("/elsewhere/cfg/") << QString();
    QTest::newRow("unset") << QByteArray() << QStringLiteral("/.config");
    QTest::newRow("relative is ignored") << QByteArray("cfg") << QStringLiteral("/.config");
}

void TestSettingsDomain::configHomeFollowsXdg()
{
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(QString, expectedBelowHome);
    TemporaryHome home;
    if (xdgConfigHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", xdgConfigHome);
    QCOMPARE(SettingsDomain::configHome(),
             expectedBelowHome.isNull() ? QStringLiteral("/elsewhere/cfg") : home.path() + expectedBelowHome);
}

void TestSettingsDomain::concurrentWritersLoseNoKey()
{
    TemporaryHome home;
    const QString path = home.configHome() + QStringLiteral("/shared.json");
    const int count = 150;
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(SETTINGS_WRITER), {path, QStringLiteral("a"), QString::number(count)});
    second.start(QStringLiteral(SETTINGS_WRITER), {path, QStringLiteral("b"), QString::number(count)});
    QVERIFY(first.waitForFinished(120'000));
    QVERIFY(second.waitForFinished(120'000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    const SettingsSnapshot snapshot = SettingsDomain(path).read();
    for (int n = 0; n < count; ++n) {
        QCOMPARE(snapshot.text(QStringLiteral("a%1").arg(n)), QString::number(n));
        QCOMPARE(snapshot.text(QStringLiteral("b%1").arg(n)), QString::number(n));
    }
}

QTEST_GUILESS_MAIN(TestSettingsDomain)
#include "tst_SettingsDomain.moc"
