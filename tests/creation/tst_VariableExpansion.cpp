#include "creation/FileCreationService.h"
#include "platform/UserAccount.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace {

// 2026-12-05 06:46:30 UTC; the in-process cases run with TZ=UTC and LC_ALL=en_US.UTF-8 (see main).
const QDateTime instant = QDateTime(QDate(2026, 12, 5), QTime(6, 46, 30), Qt::UTC);

QString expand(const QString& content, const QString& folder, const QString& fullName, const FakeClock& clock)
{
    static TemplateStore store([] { return SettingsDomain(QStringLiteral("/nonexistent/settings.json")); });
    const FakeUserAccount account(fullName);
    return FileCreationService(store, FileWriter::system(), clock, account)
        .expandVariables(content, QUrl::fromLocalFile(folder));
}

} // namespace

class TestVariableExpansion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void expands_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<QString>("expected");
        const QString notes = QStringLiteral("/home/ada/Notes");
        const QString ada = QStringLiteral("Ada Lovelace");
        // Qt's short time for en_US may put U+202F NARROW NO-BREAK SPACE before the day period.
        const QString time = expand(QStringLiteral("{{time}}"), notes, ada, FakeClock(instant));
        QVERIFY(time == QStringLiteral("6:46 AM") || time == QStringLiteral("6:46\u202fAM"));

        QTest::newRow("all five") << "# {{date}}|{{time}}|{{folder}}|{{username}}|{{year}}" << notes << ada
                                  << "# 12/5/26|" + time + "|Notes|Ada Lovelace|2026";
        QTest::newRow("near misses stay") << "{{Date}} {{ date }} {date} {{month}} {{year}" << notes << ada
                                          << "{{Date}} {{ date }} {date} {{month}} {{year}";
        QTest::newRow("every occurrence, doubled braces") << "{{year}}-{{{{year}}}}" << notes << ada << "2026-{{2026}}";
        // Each placeholder is replaced in turn; text put in is searched only by the later ones.
        QTest::newRow("folder inserts a later placeholder") << "{{folder}}"
                                                            << "/tmp/{{year}}" << ada << "2026";
        QTest::newRow("folder inserts an earlier one") << "{{folder}}"
                                                       << "/tmp/{{date}}" << ada << "{{date}}";
        QTest::newRow("name inserts a later placeholder") << "{{username}}" << notes << "Ada {{year}}"
                                                          << "Ada 2026";
        QTest::newRow("name inserts an earlier one") << "{{username}}" << notes << "{{folder}}"
                                                     << "{{folder}}";
        QTest::newRow("empty name") << "by {{username}}." << notes << ""
                                    << "by .";
        QTest::newRow("root folder") << "{{folder}}"
                                     << "/" << ada << "/";
        QTest::newRow("trailing slash") << "{{folder}}"
                                        << "/home/ada/Caf\u00e9 2//" << ada << "Caf\u00e9 2";
    }
    void expands()
    {
        QFETCH(QString, content);
        QFETCH(QString, folder);
        QFETCH(QString, fullName);
        QFETCH(QString, expected);
        QCOMPARE(expand(content, folder, fullName, FakeClock(instant)), expected);
    }

    void takesTheInstantOnce()
    {
        // A clock that moves an hour on every question would split date, time and year if asked twice.
        const FakeClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 30), Qt::UTC), 3600);
        const QString out = expand(QStringLiteral("{{date}} {{time}} {{year}}"), "/", {}, clock);
        QCOMPARE(clock.calls(), 1);
        QVERIFY2(out.startsWith(QStringLiteral("12/31/26 11:30")) && out.endsWith(QStringLiteral(" 2026")),
                 qPrintable(out));
    }

    void followsTheUsersLocaleAndTimeZone_data()
    {
        QTest::addColumn<QStringList>("environment"); // NAME=value sets, a bare NAME removes
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("expected");
        const qint64 fifth = instant.toSecsSinceEpoch();
        // 2026-12-31 20:00 UTC is already New Year's Day 2027 in Tokyo.
        const qint64 newYearsEve = QDateTime(QDate(2026, 12, 31), QTime(20, 0), Qt::UTC).toSecsSinceEpoch();
        QTest::newRow("German via LC_ALL")
            << QStringList{"LC_ALL=de_DE.UTF-8", "TZ=UTC"} << fifth << "05.12.26 06:46 2026";
        QTest::newRow("British via LC_TIME")
            << QStringList{"LC_ALL", "LANG=en_US.UTF-8", "LC_TIME=en_GB.UTF-8", "TZ=UTC"} << fifth
            << "05/12/2026 06:46 2026";
        QTest::newRow("time zone moves the date and year")
            << QStringList{"LC_ALL=de_DE.UTF-8", "TZ=Asia/Tokyo"} << newYearsEve << "01.01.27 05:00 2027";
    }
    void followsTheUsersLocaleAndTimeZone()
    {
        QFETCH(QStringList, environment);
        QFETCH(qint64, seconds);
        QFETCH(QString, expected);
        // This program again, as a child with the user's settings.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& assignment : environment) {
            if (assignment.contains(QLatin1Char('=')))
                env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
            else
                env.remove(assignment);
        }
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--expand"), QString::number(seconds)});
        QVERIFY(child.waitForFinished(30'000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), expected);
    }

    void fullNameIsTheFirstGecosField_data()
    {
        QTest::addColumn<QByteArray>("gecos");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name only") << QByteArray("Ada Lovelace") << "Ada Lovelace";
        QTest::newRow("with office and phone") << QByteArray("Ada Lovelace,Room 1,555-0100,") << "Ada Lovelace";
        QTest::newRow("only other fields") << QByteArray(",Room 1") << "";
        QTest::newRow("UTF-8") << QByteArray("Jos\xc3\xa9 Mar\xc3\xad"
                                             "a,")
                               << "Jos\u00e9 Mar\u00eda";
    }
    void fullNameIsTheFirstGecosField()
    {
        QFETCH(QByteArray, gecos);
        QFETCH(QString, expected);
        QCOMPARE(UserAccount::fullNameFromGecos(gecos.constData()), expected);
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--expand") == 0) {
        QCoreApplication app(argc, argv);
        const FakeClock clock(QDateTime::fromSecsSinceEpoch(QByteArray(argv[2]).toLongLong(), Qt::UTC));
        std::fputs(expand(QStringLiteral("{{date}} {{time}} {{year}}"), "/", {}, clock).toUtf8().constData(), stdout);
        return 0;
    }
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    TestVariableExpansion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VariableExpansion.moc"
