// The real program, started the way a user or the file manager starts it, in a throw-away home, on
// a private session bus where a stand-in file manager records what it is asked to show.
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <list>

class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess m_bus;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<QProcess> m_fileManager;
    std::unique_ptr<TemporaryHome> m_home;
    std::list<std::pair<QProcess, QByteArray>> m_launches; // each with what it logged so far

    QString socket() const { return m_home->path() + "/runtime/app.quintara.Quintara.socket"; }
    static QString request(int index, const QString& folder)
    {
        return QStringLiteral("quintara://create?t=%1&d=%2").arg(index).arg(QUrl::toPercentEncoding(folder, "/"));
    }
    QProcess& start(const QStringList& arguments)
    {
        QProcess& launch = m_launches.emplace_back().first;
        launch.setProcessEnvironment(m_environment);
        launch.setWorkingDirectory(m_home->path());
        launch.start(QUINTARA_BINARY, arguments);
        return launch;
    }
    // A launch that ends by itself: its exit code, and what it printed.
    std::pair<int, QByteArray> run(const QStringList& arguments, const QProcessEnvironment& environment = {})
    {
        QProcess launch;
        launch.setProcessEnvironment(environment.isEmpty() ? m_environment : environment);
        launch.start(QUINTARA_BINARY, arguments);
        const bool ended = launch.waitForFinished(30'000) && launch.exitStatus() == QProcess::NormalExit;
        return {ended ? launch.exitCode() : -1, launch.readAllStandardOutput() + launch.readAllStandardError()};
    }
    // A running program's log lines so far, after the time stamp and process prefix, which must have their form.
    QStringList events(QProcess& launch)
    {
        static const QRegularExpression prefix(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} quintara\[\d+\] )");
        QByteArray& log =
            std::find_if(m_launches.begin(), m_launches.end(), [&](auto& l) { return &l.first == &launch; })->second;
        log += launch.readAllStandardError();
        QStringList texts;
        for (const QString& line : QString::fromUtf8(log).split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = prefix.match(line);
            if (line.contains("[QNT]"))
                texts.append(match.hasMatch() ? line.mid(match.capturedLength()) : "<bad prefix> " + line);
        }
        return texts;
    }
    void grant(const QString& folder) const
    {
        QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(folder)));
    }
    QStringList revealed() const
    {
        return QString::fromUtf8(readAll(m_home->path() + "/revealed.txt")).split('\n', Qt::SkipEmptyParts);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
        QTRY_VERIFY(m_bus.canReadLine());
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(m_bus.readLine()).trimmed());
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void cleanupTestCase() { m_bus.kill(), m_bus.waitForFinished(); }
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            m_environment.insert(name, qEnvironmentVariable(name));
        m_fileManager = std::make_unique<QProcess>();
        m_fileManager->setProcessEnvironment(m_environment);
        m_fileManager->start(FAKE_FILE_MANAGER, {m_home->path() + "/revealed.txt"});
        QVERIFY(m_fileManager->waitForReadyRead(10'000));
    }
    void cleanup()
    {
        for (auto& [launch, log] : m_launches) {
            if (launch.state() == QProcess::Running) {
                launch.terminate(); // SIGTERM ends the program cleanly
                QVERIFY(launch.waitForFinished(10'000));
                QCOMPARE(std::pair(launch.exitStatus(), launch.exitCode()), std::pair(QProcess::NormalExit, 0));
            }
        }
        m_launches.clear();
        QVERIFY(!QFile::exists(socket()));
        m_fileManager->kill();
        m_fileManager->waitForFinished();
        m_home.reset();
    }

    void firstLaunchServesItsRequest()
    {
        grant(m_home->path());
        const QString notes = m_home->folder("My Notes");
        QProcess& instance = start({request(1, notes)});
        QTRY_COMPARE(events(instance), QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.md"});
        QCOMPARE(readAll(notes + "/Untitled.md"), QByteArray("# My Notes\n\n"));
        QTRY_COMPARE(revealed(), QStringList{QUrl::fromLocalFile(notes + "/Untitled.md").toString(QUrl::FullyEncoded)});
        QCOMPARE(instance.state(), QProcess::Running); // it stays to serve the next request
    }

    void laterLaunchHandsOverAndLeaves()
    {
        grant(m_home->path());
        const QString notes = m_home->folder("Notes");
        QProcess& instance = start({});
        QTRY_VERIFY(QFile::exists(socket()));
        QCOMPARE(QFileInfo(socket()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFileDevice::Permissions());
        // A later launch needs no display: it never starts a user interface. A malformed request
        // (here an index one past the templates) is dropped on the whole way.
        QProcessEnvironment headless = m_environment;
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            headless.remove(name);
        for (const QString& url : {request(8, notes), request(0, notes), request(0, notes)})
            QCOMPARE(run({url}, headless), std::pair(0, QByteArray()));
        // Acknowledged only after serving: both files are there the moment the launches have ended.
        QCOMPARE(entries(notes), (QStringList{"Untitled 2.txt", "Untitled.txt"}));
        QTRY_COMPARE(events(instance).size(), 2);
        QCOMPARE(run({}).first, 0); // a reopen
    }

    void engineFailuresAreLogged_data()
    {
        QTest::addColumn<QString>("target"); // below the home
        QTest::addColumn<QString>("event");  // %1 is the home
        const QString error = QStringLiteral("[QNT] processCreateURL error: ");
        QTest::newRow("missing folder") << "Granted/missing" << error + "The target directory could not be found.";
        QTest::newRow("outside") << "Elsewhere" << error + "Permission denied. Cannot write to this location.";
        QTest::newRow("line feed") << "Granted/two\nlines"
                                   << QString("[QNT] processCreateURL: created %1/Granted/two\\nlines/Untitled.txt");
    }
    void engineFailuresAreLogged()
    {
        QFETCH(QString, target);
        QFETCH(QString, event);
        grant(m_home->folder("Granted"));
        m_home->folder("Elsewhere");
        if (!target.endsWith("missing"))
            m_home->folder(target);
        QProcess& instance = start({request(0, m_home->path() + '/' + target)});
        QTRY_COMPARE(events(instance), QStringList{event.contains("%1") ? event.arg(m_home->path()) : event});
        QCOMPARE(entries(m_home->path() + "/Elsewhere"), QStringList());
        QVERIFY(!QFile::exists(m_home->path() + "/Granted/Untitled.txt"));
        QTRY_COMPARE(revealed().size(), event.contains("created") ? 1 : 0);
    }

    void simultaneousLaunchesEndWithOneInstance()
    {
        grant(m_home->path());
        QProcess& first = start({request(0, m_home->folder("A"))});
        QProcess& second = start({request(0, m_home->folder("B"))});
        QTRY_COMPARE(entries(m_home->path() + "/A") + entries(m_home->path() + "/B"),
                     (QStringList{"Untitled.txt", "Untitled.txt"}));
        // One of the two handed its request over and left; the other serves both.
        QTRY_VERIFY((first.state() == QProcess::NotRunning) != (second.state() == QProcess::NotRunning));
        QProcess& left = first.state() == QProcess::NotRunning ? first : second;
        QCOMPARE(left.exitCode(), 0);
        QTRY_COMPARE(events(&left == &first ? second : first).size(), 2);
    }

    void crashedInstanceIsReplaced()
    {
        grant(m_home->path());
        QProcess& crashed = start({});
        QTRY_VERIFY(QFile::exists(socket()));
        crashed.kill();
        crashed.waitForFinished();
        QVERIFY(QFile::exists(socket())); // left behind, as a crash leaves it
        const QString notes = m_home->folder("Notes");
        QProcess& next = start({request(0, notes)});
        QTRY_VERIFY(QFile::exists(notes + "/Untitled.txt"));
        QCOMPARE(run({request(0, notes)}).first, 0);
        QCOMPARE(std::pair(next.state(), entries(notes).size()), std::pair(QProcess::Running, qsizetype(2)));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
