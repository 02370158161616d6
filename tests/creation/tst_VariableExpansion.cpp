#include "creation/FileCreationService.h"
#include "platform/UserAccount.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace {

TemplateStore& store()
{
    static TemplateStore instance([] { return SettingsDomain(QStringLiteral("/nonexistent/settings.json")); });
    return instance;
}

// 2026-12-05 06:46:30 UTC; the suite runs with TZ=UTC and LC_ALL=en_US.UTF-8 (see main).
const QDateTime instant = QDateTime(QDate(2026, 12, 5), QTime(6, 46, 30), Qt::UTC);

QString expand(const QString& content, const QString& folder = QStringLiteral("/home/ada/Notes"),
               const QString& fullName = QStringLiteral("Ada Lovelace"))
{
    const FakeClock clock(instant);
    const FakeUserAccount account(fullName);
    return FileCreationService(store(), FileWriter::system(), clock, account)
        .expandVariables(content, QUrl::fromLocalFile(folder));
}

// Runs this test program as a child with another environment, to see what the user's settings decide.
// "NAME=value" sets a variable, a bare "NAME" removes it.
QString expandInChild(const QStringList& environment, qint64 secondsSinceEpoch, const QString& content)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& assignment : environment) {
        if (assignment.contains(QLatin1Char('=')))
            env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));
        else
            env.remove(assignment);
    }
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--expand"), QString::number(secondsSinceEpoch), content});
    if (!child.waitForFinished(30'000) || child.exitCode() != 0)
        return QStringLiteral("<child failed>");
    return QString::fromUtf8(child.readAllStandardOutput());
}

} // namespace

class TestVariableExpansion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void expands_data();
    void expands();
    void takesTheInstantOnce();
    void followsTheUsersLocaleAndTimeZone_data();
    void followsTheUsersLocaleAndTimeZone();
    void fullNameIsTheFirstGecosField_data();
    void fullNameIsTheFirstGecosField();
};

void TestVariableExpansion::expands_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("expected");

    const QString notes = QStringLiteral("/home/ada/Notes");
    const QString ada = QStringLiteral("Ada Lovelace");
    // Qt's short time for en_US puts U+202F NARROW NO-BREAK SPACE before the day period.
    const QString time = expand(QStringLiteral("{{time}}"));
    QVERIFY(time == QStringLiteral("6:46 AM") || time == QStringLiteral("6:46\u202fAM"));

    QTest::newRow("no placeholders") << "plain {text}\n" << notes << ada << "plain {text}\n";
    QTest::newRow("script header") << "# Created: {{date}}" << notes << ada << "# Created: 12/5/26";
    QTest::newRow("all five") << "{{date}}|{{time}}|{{folder}}|{{username}}|{{year}}" << notes << ada
                              << "12/5/26|" + time + "|Notes|Ada Lovelace|2026";
    QTest::newRow("near misses stay") << "{{Date}} {{ date }} {date} {{month}} {{year}" << notes << ada
                                      << "{{Date}} {{ date }} {date} {{month}} {{year}";
    QTest::newRow("every occurrence") << "{{year}}-{{year}}-{{year}}" << notes << ada << "2026-2026-2026";
    QTest::newRow("doubled braces") << "{{{{date}}}}" << notes << ada << "{{12/5/26}}";
    QTest::newRow("folder inserts a later placeholder") << "{{folder}}"
                                                        << "/tmp/{{year}}" << ada << "2026";
    QTest::newRow("folder inserts an earlier placeholder") << "{{folder}}"
                                                           << "/tmp/{{date}}" << ada << "{{date}}";
    QTest::newRow("name inserts a later placeholder") << "{{username}}" << notes << "Ada {{year}}"
                                                      << "Ada 2026";
    QTest::newRow("name inserts an earlier placeholder") << "{{username}}" << notes << "{{folder}}"
                                                         << "{{folder}}";
    QTest::newRow("empty name removes the placeholder") << "by {{username}}." << notes << ""
                                                        << "by .";
    QTest::newRow("root folder") << "{{folder}}"
                                 << "/" << ada << "/";
    QTest::newRow("trailing slash") << "{{folder}}"
                                    << "/home/ada/Notes/" << ada << "Notes";
    QTest::newRow("folder with spaces and accents") << "{{folder}}"
                                                    << "/home/ada/My Caf\u00e9" << ada << "My Caf\u00e9";
}

void TestVariableExpansion::expands()
{
    QFETCH(QString, content);
    QFETCH(QString, folder);
    QFETCH(QString, fullName);
    QFETCH(QString, expected);
    QCOMPARE(expand(content, folder, fullName), expected);
}

void TestVariableExpansion::takesTheInstantOnce()
{
    // A clock that moves an hour on every question would split date, time and year if asked twice.
    FakeClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 30), Qt::UTC));
    clock.setStep(3600);
    const FakeUserAccount account;
    const QString out = FileCreationService(store(), FileWriter::system(), clock, account)
                            .expandVariables(QStringLiteral("{{date}} {{time}} {{year}}"), QUrl::fromLocalFile("/"));
    QCOMPARE(clock.calls(), 1);
    QVERIFY2(out.startsWith(QStringLiteral("12/31/26 11:30")) && out.endsWith(QStringLiteral(" 2026")),
             qPrintable(out));
}

void TestVariableExpansion::followsTheUsersLocaleAndTimeZone_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("expected");

    const qint64 decemberFifth = instant.toSecsSinceEpoch();
    // 2026-12-31 20:00 UTC is already New Year's Day 2027 in Tokyo.
    const qint64 newYearsEveUtc = QDateTime(QDate(2026, 12, 31), QTime(20, 0), Qt::UTC).toSecsSinceEpoch();

    QTest::newRow("German via LC_ALL") << QStringList{"LC_ALL=de_DE.UTF-8", "TZ=UTC"} << decemberFifth
                                       << "05.12.26 06:46 2026";
    QTest::newRow("British via LC_TIME") << QStringList{"LC_ALL", "LANG=en_US.UTF-8", "LC_TIME=en_GB.UTF-8", "TZ=UTC"}
                                         << decemberFifth << "05/12/2026 06:46 2026";
    QTest::newRow("time zone moves the date and year")
        << QStringList{"LC_ALL=de_DE.UTF-8", "TZ=Asia/Tokyo"} << newYearsEveUtc << "01.01.27 05:00 2027";
}

void TestVariableExpansion::followsTheUsersLocaleAndTimeZone()
{
    QFETCH(QStringList, environment);
    QFETCH(qint64, seconds);
    QFETCH(QString, expected);
    QCOMPARE(expandInChild(environment, seconds, QStringLiteral("{{date}} {{time}} {{year}}")), expected);
}

void TestVariableExpansion::fullNameIsTheFirstGecosField_data()
{
    QTest::addColumn<QByteArray>("gecos");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name only") << QByteArray("Ada Lovelace") << "Ada Lovelace";
    QTest::newRow("with office and phone") << QByteArray("Ada Lovelace,Room 1,555-0100,") << "Ada Lovelace";
    QTest::newRow("empty") << QByteArray("") << "";
    QTest::newRow("only other fields") << QByteArray(",Room 1") << "";
    QTest::newRow("UTF-8") << QByteArray("Jos\xc3\xa9 Mar\xc3\xad"
                                         "a,")
                           << "Jos\u00e9 Mar\u00eda";
}

void TestVariableExpansion::fullNameIsTheFirstGecosField()
{
    QFETCH(QByteArray, gecos);
    QFETCH(QString, expected);
    QCOMPARE(UserAccount::fullNameFromGecos(gecos.constData()), expected);
}

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--expand") == 0) {
        QCoreApplication app(argc, argv);
        const FakeClock clock(QDateTime::fromSecsSinceEpoch(QByteArray(argv[2]).toLongLong(), Qt::UTC));
        const FakeUserAccount account;
        const QString out = FileCreationService(store(), FileWriter::system(), clock, account)
                                .expandVariables(QString::fromUtf8(argv[3]), QUrl());
        std::fputs(out.toUtf8().constData(), stdout);
        return 0;
    }
    // The in-process cases are written for one known locale and zone; children get others.
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    TestVariableExpansion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VariableExpansion.moc"
