// The real program, started the way a user or the file manager starts it, in a throw-away home.
#include "model/AppIdentity.h"
#include "model/Version.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

QString request(int index, const QString& folder)
{
    return QStringLiteral("quintara://create?t=%1&d=%2")
        .arg(index)
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(folder, "/")));
}

// A running program and everything it wrote to standard error so far.
struct Launch {
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QByteArray errors;

    QStringList logLines()
    {
        errors += process->readAllStandardError();
        QStringList lines;
        for (const QByteArray& line : errors.split('\n')) {
            if (line.contains("[QNT]"))
                lines.append(QString::fromUtf8(line));
        }
        return lines;
    }
    // The text after the time stamp and process prefix, which must have their fixed form.
    QStringList events()
    {
        static const QRegularExpression prefix(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} quintara\[\d+\] )"));
        QStringList texts;
        for (const QString& line : logLines()) {
            const QRegularExpressionMatch match = prefix.match(line);
            texts.append(match.hasMatch() ? line.mid(match.capturedLength()) : QStringLiteral("<bad prefix> ") + line);
        }
        return texts;
    }
};

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void firstLaunchServesItsRequest();
    void laterLaunchHandsOverAndLeaves();
    void withoutGrantOpensTheWelcomeWindowInstead();
    void malformedRequestsLeaveNoTrace_data();
    void malformedRequestsLeaveNoTrace();
    void engineFailuresAreLogged_data();
    void engineFailuresAreLogged();
    void simultaneousLaunchesEndWithOneInstance();
    void crashedInstanceIsReplaced();
    void commandLine_data();
    void commandLine();

private:
    QProcessEnvironment environment() const;
    Launch& start(const QStringList& arguments);
    int runToEnd(const QStringList& arguments, QByteArray* output = nullptr, QByteArray* errors = nullptr);
    void grant(const QString& folder);
    QString folder(const QString& name) const;
    QString socketPath() const { return m_home->path() + QStringLiteral("/runtime/app.quintara.Quintara.socket"); }
    QStringList revealed() const;

    QProcess m_bus;
    QString m_busAddress;
    std::unique_ptr<QProcess> m_fileManager;
    std::unique_ptr<TemporaryHome> m_home;
    std::vector<std::unique_ptr<Launch>> m_launches;
};

void TestEndToEnd::initTestCase()
{
    // A private session bus with a stand-in file manager, so revealing a file can be observed.
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
    QTRY_VERIFY(m_bus.canReadLine());
    m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
}

void TestEndToEnd::cleanupTestCase()
{
    m_bus.kill();
    m_bus.waitForFinished();
}

void TestEndToEnd::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_fileManager = std::make_unique<QProcess>();
    m_fileManager->setProcessEnvironment(environment());
    m_fileManager->start(QStringLiteral(FAKE_FILE_MANAGER), {m_home->path() + QStringLiteral("/revealed.txt")});
    QVERIFY(m_fileManager->waitForReadyRead(10'000));
}

void TestEndToEnd::cleanup()
{
    for (auto& launch : m_launches) {
        if (launch->process->state() == QProcess::Running) {
            launch->process->terminate(); // SIGTERM must end the program cleanly
            QVERIFY(launch->process->waitForFinished(10'000));
            QCOMPARE(launch->process->exitStatus(), QProcess::NormalExit);
            QCOMPARE(launch->process->exitCode(), 0);
        }
    }
    m_launches.clear();
    QVERIFY(!QFile::exists(socketPath()));
    m_fileManager->kill();
    m_fileManager->waitForFinished();
    m_home.reset();
}

QProcessEnvironment TestEndToEnd::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        env.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    return env;
}

Launch& TestEndToEnd::start(const QStringList& arguments)
{
    m_launches.push_back(std::make_unique<Launch>());
    Launch& launch = *m_launches.back();
    launch.process->setProcessEnvironment(environment());
    launch.process->setWorkingDirectory(m_home->path());
    launch.process->start(QStringLiteral(QUINTARA_BINARY), arguments);
    launch.process->waitForStarted();
    return launch;
}

int TestEndToEnd::runToEnd(const QStringList& arguments, QByteArray* output, QByteArray* errors)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(QUINTARA_BINARY), arguments);
    if (!process.waitForFinished(30'000))
        return -1;
    if (output)
        *output = process.readAllStandardOutput();
    if (errors)
        *errors = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestEndToEnd::grant(const QString& folder)
{
    TemplateStore store; // the suite file of this test's home, as the program reads it
    QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(folder)));
}

QString TestEndToEnd::folder(const QString& name) const
{
    const QString path = m_home->path() + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

QStringList TestEndToEnd::revealed() const
{
    return QString::fromUtf8(readAll(m_home->path() + QStringLiteral("/revealed.txt")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestEndToEnd::firstLaunchServesItsRequest()
{
    grant(m_home->path());
    const QString notes = folder(QStringLiteral("My Notes"));
    Launch& instance = start({request(1, notes)});
    const QString created = notes + QStringLiteral("/Untitled.md");
    QTRY_COMPARE(instance.events(), QStringList{"[QNT] processCreateURL: created " + created});
    QCOMPARE(readAll(created), QByteArray("# My Notes\n\n"));
    QTRY_COMPARE(revealed(), QStringList{QUrl::fromLocalFile(created).toString(QUrl::FullyEncoded)});
    QCOMPARE(instance.process->state(), QProcess::Running); // it stays to serve the next request
}

void TestEndToEnd::laterLaunchHandsOverAndLeaves()
{
    grant(m_home->path());
    const QString notes = folder(QStringLiteral("Notes"));
    Launch& instance = start({});
    QTRY_VERIFY(QFile::exists(socketPath()));
    QCOMPARE(QFileInfo(socketPath()).permissions() &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFileDevice::Permissions());

    // The second launch needs no display: it never starts a user interface.
    QProcessEnvironment headless = environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        headless.remove(QString::fromLatin1(name));
    for (int i = 0; i < 2; ++i) {
        QProcess second;
        second.setProcessEnvironment(headless);
        second.start(QStringLiteral(QUINTARA_BINARY), {request(0, notes)});
        QVERIFY(second.waitForFinished(30'000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardError(), QByteArray());
    }
    // Acknowledged only after serving: both files are there the moment the launches have ended.
    QVERIFY(QFile::exists(notes + QStringLiteral("/Untitled.txt")));
    QVERIFY(QFile::exists(notes + QStringLiteral("/Untitled 2.txt")));
    QTRY_COMPARE(instance.events().size(), 2);
    QCOMPARE(runToEnd({}), 0); // a reopen
}

void TestEndToEnd::withoutGrantOpensTheWelcomeWindowInstead()
{
    const QString notes = folder(QStringLiteral("Notes"));
    Launch& instance = start({request(0, notes)});
    // The grant's own line, then the handler's.
    QTRY_COMPARE(instance.events(), (QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults",
                                                 "[QNT] processCreateURL: no bookmark — opening welcome window"}));
    QTest::qWait(200);
    QCOMPARE(instance.events().size(), 2);
    QCOMPARE(QDir(notes).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestEndToEnd::malformedRequestsLeaveNoTrace_data()
{
    QTest::addColumn<QString>("url"); // %1 is the folder, percent-encoded
    QTest::newRow("other host") << "quintara://open?t=0&d=%1";
    QTest::newRow("no host") << "quintara:create?t=0&d=%1";
    QTest::newRow("index equal to the number of templates") << "quintara://create?t=8&d=%1";
    QTest::newRow("negative index") << "quintara://create?t=-1&d=%1";
    QTest::newRow("index beyond 64 bits") << "quintara://create?t=99999999999999999999&d=%1";
    QTest::newRow("letters") << "quintara://create?t=abc&d=%1";
    QTest::newRow("no folder value") << "quintara://create?t=0&d";
    QTest::newRow("other scheme") << "https://create?t=0&d=%1";
}

void TestEndToEnd::malformedRequestsLeaveNoTrace()
{
    QFETCH(QString, url);
    grant(m_home->path());
    const QString notes = folder(QStringLiteral("Notes"));
    Launch& instance = start({});
    QTRY_VERIFY(QFile::exists(socketPath()));
    QCOMPARE(runToEnd({url.arg(QString::fromLatin1(QUrl::toPercentEncoding(notes, "/")))}), 0);
    QCOMPARE(runToEnd({request(0, notes)}), 0); // served after the bad one, so the bad one is done
    QTRY_COMPARE(instance.events(), QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.txt"});
    QCOMPARE(QDir(notes).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"Untitled.txt"});
}

void TestEndToEnd::engineFailuresAreLogged_data()
{
    QTest::addColumn<QString>("target"); // below the home
    QTest::addColumn<QString>("event");
    QTest::newRow("missing folder") << "Granted/missing"
                                    << "[QNT] processCreateURL error: The target directory could not be found.";
    QTest::newRow("outside the granted folder") << "Elsewhere"
                                                << "[QNT] processCreateURL error: Permission denied. Cannot write to "
                                                   "this location.";
    QTest::newRow("relative path") << "relative"
                                   << "[QNT] processCreateURL error: The target directory could not be found.";
    QTest::newRow("a line feed in the name")
        << "Granted/two\nlines"
        << "[QNT] processCreateURL: created " + QString() + "%1/Granted/two\\nlines/Untitled.txt";
}

void TestEndToEnd::engineFailuresAreLogged()
{
    QFETCH(QString, target);
    QFETCH(QString, event);
    grant(folder(QStringLiteral("Granted")));
    folder(QStringLiteral("Elsewhere"));
    if (target.contains(QLatin1Char('\n')))
        folder(target);
    // "relative" names a folder that exists below the program's working folder, which must not count.
    const QString path =
        target == QLatin1String("relative") ? QStringLiteral("Granted") : m_home->path() + '/' + target;
    Launch& instance = start({request(0, path)});
    QTRY_COMPARE(instance.events(), QStringList{event.contains("%1") ? event.arg(m_home->path()) : event});
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Elsewhere/Untitled.txt")));
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Granted/Untitled.txt")));
    QTRY_COMPARE(revealed().size(), event.contains(QStringLiteral("created")) ? 1 : 0);
}

void TestEndToEnd::simultaneousLaunchesEndWithOneInstance()
{
    grant(m_home->path());
    const QString a = folder(QStringLiteral("A"));
    const QString b = folder(QStringLiteral("B"));
    Launch& first = start({request(0, a)});
    Launch& second = start({request(0, b)});
    QTRY_VERIFY(QFile::exists(a + QStringLiteral("/Untitled.txt")) &&
                QFile::exists(b + QStringLiteral("/Untitled.txt")));
    // One of the two handed its request over and left; the other serves both.
    QTRY_VERIFY((first.process->state() == QProcess::NotRunning) != (second.process->state() == QProcess::NotRunning));
    Launch& left = first.process->state() == QProcess::NotRunning ? first : second;
    QCOMPARE(left.process->exitCode(), 0);
    Launch& running = &left == &first ? second : first;
    QTRY_COMPARE(running.events().size(), 2);
}

void TestEndToEnd::crashedInstanceIsReplaced()
{
    grant(m_home->path());
    Launch& crashed = start({});
    QTRY_VERIFY(QFile::exists(socketPath()));
    crashed.process->kill();
    crashed.process->waitForFinished();
    QVERIFY(QFile::exists(socketPath())); // left behind, as a crash leaves it

    const QString notes = folder(QStringLiteral("Notes"));
    Launch& next = start({request(0, notes)});
    QTRY_VERIFY(QFile::exists(notes + QStringLiteral("/Untitled.txt")));
    QCOMPARE(next.process->state(), QProcess::Running);
    QCOMPARE(runToEnd({request(0, notes)}), 0);
    QVERIFY(QFile::exists(notes + QStringLiteral("/Untitled 2.txt")));
}

void TestEndToEnd::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected"); // in standard output for 0, else in standard error
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: quintara [URL…]";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "Quintara " QUINTARA_VERSION " (";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "unknown option '--frobnicate'";
    QTest::newRow("not a URL") << QStringList{"Notes"} << 2 << "'Notes' is not a URL";
}

void TestEndToEnd::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, expected);
    QByteArray output;
    QByteArray errors;
    QCOMPARE(runToEnd(arguments, &output, &errors), exitCode);
    QVERIFY2(QString::fromUtf8(exitCode == 0 ? output : errors).contains(expected), (output + errors).constData());
    QVERIFY(!QFile::exists(socketPath()));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
