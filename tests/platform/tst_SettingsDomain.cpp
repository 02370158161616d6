#include "platform/SettingsDomain.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>

class TestSettingsDomain : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;
    QString path(const QString& name = QStringLiteral("d.json")) const { return m_home->configHome() + '/' + name; }

private Q_SLOTS:
    void init() { m_home.emplace(); }
    void cleanup() { m_home.reset(); }

    void typedReads_data()
    {
        QTest::addColumn<QByteArray>("storedValue"); // JSON text of the value under "k"; empty = no key
        QTest::addColumn<QString>("readsAs");        // "data", "array", "text", or "" for none
        QTest::newRow("missing") << QByteArray() << "";
        QTest::newRow("text") << QByteArray(R"("hello")") << "text";
        QTest::newRow("empty text") << QByteArray(R"("")") << "text";
        QTest::newRow("array") << QByteArray(R"(["a", 1])") << "array";
        QTest::newRow("data") << QByteArray(R"({"data": "AAEC"})") << "data";
        QTest::newRow("empty data") << QByteArray(R"({"data": ""})") << "data";
        QTest::newRow("data that is not base64") << QByteArray(R"({"data": "**"})") << "";
        QTest::newRow("object with more members") << QByteArray(R"({"data": "AAEC", "x": 1})") << "";
        QTest::newRow("number") << QByteArray("42") << "";
        QTest::newRow("null") << QByteArray("null") << "";
    }
    void typedReads()
    {
        QFETCH(QByteArray, storedValue);
        QFETCH(QString, readsAs);
        writeAll(path(), storedValue.isEmpty() ? QByteArray("{}") : R"({"k": )" + storedValue + "}");
        const SettingsDomain domain(path());
        const QString k = QStringLiteral("k");
        QCOMPARE((std::tuple(domain.data(k).has_value(), domain.array(k).has_value(), domain.text(k).has_value())),
                 (std::tuple(readsAs == "data", readsAs == "array", readsAs == "text")));
    }

    void writesKeepOtherKeysAndLeaveNoDebris()
    {
        SettingsDomain domain(path(QStringLiteral("nested/d.json")));
        const QByteArray binary("\0\xff\n\"x", 5);
        QVERIFY(domain.setData(QStringLiteral("bin"), binary));
        QVERIFY(domain.setText(QStringLiteral("a"), QStringLiteral("caf\u00e9")));
        // Another program's key written between two of ours survives our next write.
        QVERIFY(SettingsDomain(domain.filePath()).setArray(QStringLiteral("list"), {QStringLiteral("x")}));
        QVERIFY(domain.setText(QStringLiteral("a"), QStringLiteral("second")));
        QCOMPARE(domain.data(QStringLiteral("bin")), binary);
        QCOMPARE(domain.text(QStringLiteral("a")), QStringLiteral("second"));
        QCOMPARE(domain.array(QStringLiteral("list"))->size(), 1);
        QVERIFY(QJsonDocument::fromJson(readAll(domain.filePath())).isObject()); // plain JSON for other programs
        QCOMPARE(entries(QFileInfo(domain.filePath()).absolutePath()), QStringList{"d.json"});
    }

    void corruptFileIsKeptAsideBeforeItIsReplaced()
    {
        const QByteArray broken = R"({"defaultBaseName": "Draft",)";
        writeAll(path(), broken);
        SettingsDomain domain(path());
        QVERIFY(!domain.text(QStringLiteral("defaultBaseName")));
        QCOMPARE(readAll(path()), broken); // reading alone changes nothing
        QVERIFY(domain.setText(QStringLiteral("k"), QStringLiteral("v")));
        QCOMPARE(domain.text(QStringLiteral("k")), QStringLiteral("v"));
        // A second corrupt file (a JSON array is one too) does not replace the first one kept aside.
        writeAll(path(), "[1, 2]");
        QVERIFY(domain.setText(QStringLiteral("k"), QStringLiteral("w")));
        QCOMPARE(readAll(path(QStringLiteral("d.json.corrupt"))), broken);
        QCOMPARE(readAll(path(QStringLiteral("d.json.corrupt.2"))), QByteArray("[1, 2]"));
        QCOMPARE(domain.text(QStringLiteral("k")), QStringLiteral("w"));
    }

    void suiteFallsBackToStandardDomain()
    {
        QCOMPARE(SettingsDomain::openSuite().filePath(), m_home->suiteFile());
        QVERIFY(QDir().mkpath(m_home->suiteFile())); // a folder where the suite's file belongs
        QCOMPARE(SettingsDomain::openSuite().filePath(), path(QStringLiteral("app.quintara.Quintara.json")));
    }

    void configHomeFollowsXdg_data()
    {
        QTest::addColumn<QByteArray>("xdgConfigHome");
        QTest::addColumn<QString>("expected"); // "~" is the home
        QTest::newRow("absolute") << QByteArray("/elsewhere/cfg/") << "/elsewhere/cfg";
        QTest::newRow("unset") << QByteArray() << "~/.config";
        QTest::newRow("relative is ignored") << QByteArray("cfg") << "~/.config";
    }
    void configHomeFollowsXdg()
    {
        QFETCH(QByteArray, xdgConfigHome);
        QFETCH(QString, expected);
        xdgConfigHome.isEmpty() ? void(qunsetenv("XDG_CONFIG_HOME")) : void(qputenv("XDG_CONFIG_HOME", xdgConfigHome));
        QCOMPARE(SettingsDomain::configHome(), expected.replace(QLatin1Char('~'), m_home->path()));
    }

    void concurrentWritersLoseNoKey()
    {
        const int count = 150;
        QProcess first;
        QProcess second;
        first.start(QStringLiteral(SETTINGS_WRITER), {path(), QStringLiteral("a"), QString::number(count)});
        second.start(QStringLiteral(SETTINGS_WRITER), {path(), QStringLiteral("b"), QString::number(count)});
        QVERIFY(first.waitForFinished(120'000) && second.waitForFinished(120'000));
        QCOMPARE(std::pair(first.exitCode(), second.exitCode()), std::pair(0, 0));
        const SettingsSnapshot snapshot = SettingsDomain(path()).read();
        for (int n = 0; n < count; ++n) {
            QCOMPARE(snapshot.text(QStringLiteral("a%1").arg(n)), QString::number(n));
            QCOMPARE(snapshot.text(QStringLiteral("b%1").arg(n)), QString::number(n));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsDomain)
#include "tst_SettingsDomain.moc"
