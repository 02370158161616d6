// The real program, started the way a user or the file manager starts it, in a throw-away home, on
// a private session bus where a stand-in file manager records what it is asked to show.
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess m_bus;
    QString m_busAddress;
    std::unique_ptr<QProcess> m_fileManager;
    std::unique_ptr<TemporaryHome> m_home;
    std::vector<std::unique_ptr<QProcess>> m_launches;

    QString socketPath() const { return m_home->path() + QStringLiteral("/runtime/app.quintara.Quintara.socket"); }
    QString request(int index, const QString& folder) const
    {
        return QStringLiteral("quintara://create?t=%1&d=%2")
            .arg(index)
            .arg(QString(QUrl::toPercentEncoding(folder, "/")));
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        return env;
    }
    QProcess& start(const QStringList& arguments)
    {
        m_launches.push_back(std::make_unique<QProcess>());
        QProcess& launch = *m_launches.back();
        launch.setProcessEnvironment(environment());
        launch.setWorkingDirectory(m_home->path());
        launch.start(QStringLiteral(QUINTARA_BINARY), arguments);
        launch.waitForStarted();
        return launch;
    }
    int runToEnd(const QStringList& arguments, QByteArray* output = nullptr)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(QUINTARA_BINARY), arguments);
        if (!process.waitForFinished(30'000))
            return -1;
        if (output)
            *output = process.readAllStandardOutput() + process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // The program's log lines so far, after the time stamp and process prefix, which must have their form.
    QStringList events(QProcess& launch) const
    {
        static const QRegularExpression prefix(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} quintara\[\d+\] )"));
        QByteArray& seen = m_errors[&launch];
        seen += launch.readAllStandardError();
        QStringList texts;
        for (const QByteArray& line : seen.split('\n')) {
            const QString text = QString::fromUtf8(line);
            const QRegularExpressionMatch match = prefix.match(text);
            if (line.contains("[QNT]"))
                texts.append(match.hasMatch() ? text.mid(match.capturedLength()) : "<bad prefix> " + text);
        }
        return texts;
    }
    mutable std::map<QProcess*, QByteArray> m_errors;
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
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
        QTRY_VERIFY(m_bus.canReadLine());
        m_busAddress = QString::fromUtf8(m_bus.readLine()).trimmed();
    }
    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
    }
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_fileManager = std::make_unique<QProcess>();
        m_fileManager->setProcessEnvironment(environment());
        m_fileManager->start(QStringLiteral(FAKE_FILE_MANAGER), {m_home->path() + QStringLiteral("/revealed.txt")});
        QVERIFY(m_fileManager->waitForReadyRead(10'000));
    }
    void cleanup()
    {
        for (auto& launch : m_launches) {
            if (launch->state() == QProcess::Running) {
                launch->terminate(); // SIGTERM ends the program cleanly
                QVERIFY(launch->waitForFinished(10'000));
                QCOMPARE(std::pair(launch->exitStatus(), launch->exitCode()), std::pair(QProcess::NormalExit, 0));
            }
        }
        m_launches.clear();
        m_errors.clear();
        QVERIFY(!QFile::exists(socketPath()));
        m_fileManager->kill();
        m_fileManager->waitForFinished();
        m_home.reset();
    }

    void firstLaunchServesItsRequest()
    {
        grant(m_home->path());
        const QString notes = m_home->folder(QStringLiteral("My Notes"));
        QProcess& instance = start({request(1, notes)});
        const QString created = notes + QStringLiteral("/Untitled.md");
        QTRY_COMPARE(events(instance), QStringList{"[QNT] processCreateURL: created " + created});
        QCOMPARE(readAll(created), QByteArray("# My Notes\n\n"));
        QTRY_COMPARE(revealed(), QStringList{QUrl::fromLocalFile(created).toString(QUrl::FullyEncoded)});
        QCOMPARE(instance.state(), QProcess::Running); // it stays to serve the next request
    }

    void laterLaunchHandsOverAndLeaves()
    {
        grant(m_home->path());
        const QString notes = m_home->folder(QStringLiteral("Notes"));
        QProcess& instance = start({});
        QTRY_VERIFY(QFile::exists(socketPath()));
        QCOMPARE(QFileInfo(socketPath()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFileDevice::Permissions());
        // A later launch needs no display: it never starts a user interface. A malformed request
        // (here an index one past the templates) is dropped on the whole way.
        QProcessEnvironment headless = environment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            headless.remove(QString::fromLatin1(name));
        for (const QString& url : {request(8, notes), request(0, notes), request(0, notes)}) {
            QProcess later;
            later.setProcessEnvironment(headless);
            later.start(QStringLiteral(QUINTARA_BINARY), {url});
            QVERIFY(later.waitForFinished(30'000));
            QCOMPARE(std::pair(later.exitCode(), later.readAllStandardError()), std::pair(0, QByteArray()));
        }
        // Acknowledged only after serving: both files are there the moment the launches have ended.
        QCOMPARE(entries(notes), (QStringList{"Untitled 2.txt", "Untitled.txt"}));
        QTRY_COMPARE(events(instance).size(), 2);
        QCOMPARE(runToEnd({}), 0); // a reopen
    }

    void withoutGrantOpensTheWelcomeWindowInstead()
    {
        const QString notes = m_home->folder(QStringLiteral("Notes"));
        QProcess& instance = start({request(0, notes)});
        // The grant's own line, then the handler's.
        QTRY_COMPARE(events(instance), (QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults",
                                                    "[QNT] processCreateURL: no bookmark — opening welcome window"}));
        QCOMPARE(entries(notes), QStringList());
    }

    void engineFailuresAreLogged_data()
    {
        QTest::addColumn<QString>("target"); // below the home
        QTest::addColumn<QString>("event");  // %1 is the home
        const QString error = QStringLiteral("[QNT] processCreateURL error: ");
        QTest::newRow("missing folder") << "Granted/missing" << error + "The target directory could not be found.";
        QTest::newRow("outside the granted folder")
            << "Elsewhere" << error + "Permission denied. Cannot write to this location.";
        // "relative" names a folder below the program's working folder, which must not count.
        QTest::newRow("relative path") << "relative" << error + "The target directory could not be found.";
        QTest::newRow("a line feed in the name")
            << "Granted/two\nlines"
            << "[QNT] processCreateURL: created %1/Granted/two\\nlines/Untitled.txt";
    }
    void engineFailuresAreLogged()
    {
        QFETCH(QString, target);
        QFETCH(QString, event);
        grant(m_home->folder(QStringLiteral("Granted")));
        m_home->folder(QStringLiteral("Elsewhere"));
        if (target.contains('\n'))
            m_home->folder(target);
        const QString path =
            target == QLatin1String("relative") ? QStringLiteral("Granted") : m_home->path() + '/' + target;
        QProcess& instance = start({request(0, path)});
        QTRY_COMPARE(events(instance), QStringList{event.contains("%1") ? event.arg(m_home->path()) : event});
        QCOMPARE(entries(m_home->path() + QStringLiteral("/Elsewhere")), QStringList());
        QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Granted/Untitled.txt")));
        QTRY_COMPARE(revealed().size(), event.contains(QStringLiteral("created")) ? 1 : 0);
    }

    void simultaneousLaunchesEndWithOneInstance()
    {
        grant(m_home->path());
        const QString a = m_home->folder(QStringLiteral("A"));
        const QString b = m_home->folder(QStringLiteral("B"));
        QProcess& first = start({request(0, a)});
        QProcess& second = start({request(0, b)});
        QTRY_VERIFY(QFile::exists(a + "/Untitled.txt") && QFile::exists(b + "/Untitled.txt"));
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
        QTRY_VERIFY(QFile::exists(socketPath()));
        crashed.kill();
        crashed.waitForFinished();
        QVERIFY(QFile::exists(socketPath())); // left behind, as a crash leaves it
        const QString notes = m_home->folder(QStringLiteral("Notes"));
        QProcess& next = start({request(0, notes)});
        QTRY_VERIFY(QFile::exists(notes + QStringLiteral("/Untitled.txt")));
        QCOMPARE(next.state(), QProcess::Running);
        QCOMPARE(runToEnd({request(0, notes)}), 0);
        QVERIFY(QFile::exists(notes + QStringLiteral("/Untitled 2.txt")));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // in what the program printed
        QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: quintara [URL…]";
        QTest::newRow("version") << QStringList{"-v"} << 0
                                 << "Quintara " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ")";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "unknown option '--frobnicate'";
        QTest::newRow("not a URL") << QStringList{"Notes"} << 2 << "'Notes' is not a URL";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QByteArray output;
        QCOMPARE(runToEnd(arguments, &output), exitCode);
        QVERIFY2(QString::fromUtf8(output).contains(expected), output.constData());
        QVERIFY(!QFile::exists(socketPath()));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
