// The real program, started the way a user or the file manager starts it, in a throw-away home, on
// a private session bus where a stand-in file manager records what it is asked to show; and against
// exhausting callers, no display and hostile arguments.
#include "model/Version.h"
#include "store/TemplateStore.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QtNetwork>
#include <QtTest>

#include <filesystem>
#include <list>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

class TestEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_busDir; // the bus's socket, which a killed daemon leaves behind
    QProcess m_bus;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<QProcess> m_fileManager;
    std::unique_ptr<TemporaryHome> m_home;
    std::list<QProcess> m_launches;
    std::map<const QProcess*, QByteArray> m_logs; // what each logged so far

    QString socket() const { return m_home->path() + "/runtime/app.quintara.Quintara.socket"; }
    static QString request(int index, const QString& folder)
    {
        return QStringLiteral("quintara://create?t=%1&d=%2").arg(index).arg(QUrl::toPercentEncoding(folder, "/"));
    }
    // `descriptors` limits the files it may open.
    QProcess& start(const QStringList& arguments, const QProcessEnvironment& environment = {}, rlim_t descriptors = 0)
    {
        QProcess& launch = m_launches.emplace_back();
        launch.setProcessEnvironment(environment.isEmpty() ? m_environment : environment);
        launch.setChildProcessModifier([descriptors] {
            const rlimit limit{descriptors, descriptors};
            if (descriptors)
                ::setrlimit(RLIMIT_NOFILE, &limit);
        });
        launch.setWorkingDirectory(m_home->path());
        launch.start(QUINTARA_BINARY, arguments);
        return launch;
    }
    // A launch that ends by itself: its exit code, and what it printed. Events are served meanwhile.
    std::pair<int, QByteArray> run(const QStringList& arguments, const QProcessEnvironment& environment = {})
    {
        QProcess& launch = start(arguments, environment);
        const bool ended = QTest::qWaitFor([&] { return launch.state() == QProcess::NotRunning; }, 60'000) &&
                           launch.exitStatus() == QProcess::NormalExit;
        return {ended ? launch.exitCode() : -1, launch.readAllStandardOutput() + launch.readAllStandardError()};
    }
    // A running program's log lines so far, after the time stamp and process prefix, which must have their form.
    QStringList events(QProcess& launch)
    {
        static const QRegularExpression prefix(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} quintara\[\d+\] )");
        QStringList texts;
        for (const QString& line : QString::fromUtf8(m_logs[&launch] += launch.readAllStandardError()).split('\n')) {
            const QRegularExpressionMatch match = prefix.match(line);
            if (line.contains("[QNT]"))
                texts.append(match.hasMatch() ? line.mid(match.capturedLength()) : "<bad prefix> " + line);
        }
        return texts;
    }
    void grant() const { QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path()))); }

private Q_SLOTS:
    void initTestCase()
    {
        m_bus.start("dbus-daemon",
                    {"--session", "--nofork", "--print-address=1", "--address=unix:dir=" + m_busDir.path()});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
        QTRY_VERIFY(m_bus.canReadLine());
        m_environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(m_bus.readLine()).trimmed());
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void cleanupTestCase() { m_bus.kill(), m_bus.waitForFinished(); }
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            m_environment.insert(name, qEnvironmentVariable(name));
        m_fileManager = std::make_unique<QProcess>();
        m_fileManager->setProcessEnvironment(m_environment);
        m_fileManager->start(FAKE_FILE_MANAGER, {m_home->path() + "/revealed.txt"});
        QVERIFY(m_fileManager->waitForReadyRead(10'000));
    }
    void cleanup()
    {
        for (QProcess& launch : m_launches) {
            if (launch.state() == QProcess::Running) {
                launch.terminate(); // SIGTERM ends the program cleanly
                QVERIFY(launch.waitForFinished(10'000));
                QCOMPARE(std::pair(launch.exitStatus(), launch.exitCode()), std::pair(QProcess::NormalExit, 0));
            }
        }
        m_launches.clear();
        m_logs.clear();
        QVERIFY(!QFile::exists(socket()));
        m_fileManager->kill();
        m_fileManager->waitForFinished();
        m_home.reset();
    }

    void launchesEndWithOneInstanceWhichOutlivesLaterOnesButNotACrash()
    {
        grant();
        QProcess& first = start({});
        QProcess& second = start({});
        // One of the two handed its reopen over and left; the other is the instance.
        QTRY_VERIFY((first.state() == QProcess::NotRunning) != (second.state() == QProcess::NotRunning));
        QProcess& left = first.state() == QProcess::NotRunning ? first : second;
        QCOMPARE(left.exitCode(), 0);
        QProcess& crashed = &left == &first ? second : first;
        crashed.kill();
        crashed.waitForFinished();
        const auto listening = [this] {
            QLocalSocket probe;
            probe.connectToServer(socket());
            return probe.waitForConnected(1000);
        };
        QVERIFY(QFile::exists(socket()) && !listening()); // left behind, as a crash leaves it
        QProcess& instance = start({});
        QTRY_VERIFY(listening());
        const QString notes = m_home->folder("My Notes");
        QCOMPARE(run({request(1, notes)}).first, 0);
        QTRY_COMPARE(events(instance).last(), "[QNT] processCreateURL: created " + notes + "/Untitled.md");
        QCOMPARE(readAll(notes + "/Untitled.md"), QByteArray("# My Notes\n\n"));
        QTRY_VERIFY(readAll(m_home->path() + "/revealed.txt")
                        .endsWith(' ' + QUrl::fromLocalFile(notes + "/Untitled.md").toEncoded() + '\n'));
        // A folder named by a byte that is not UTF-8 is written to and revealed by that byte, and the
        // folder whose name reads alike is left alone.
        const std::string odd = QFile::encodeName(m_home->path()).toStdString() + "/\xff";
        QVERIFY(std::filesystem::create_directory(odd) && QDir().mkdir(m_home->path() + "/\uFFFD"));
        QCOMPARE(run({request(0, m_home->path()) + "/%FF"}).first, 0);
        QVERIFY(std::filesystem::exists(odd + "/Untitled.txt") && entries(m_home->path() + "/\uFFFD").isEmpty());
        QTRY_VERIFY(readAll(m_home->path() + "/revealed.txt").endsWith("/%FF/Untitled.txt\n"));
        std::filesystem::remove_all(odd); // Qt cannot spell its name to remove it
        QCOMPARE(QFileInfo(socket()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFileDevice::Permissions());
        // A later launch needs no display: it never starts a user interface. A request the instance
        // refuses (an index one past the templates, a folder outside the grant) fails the launch.
        QProcessEnvironment headless = m_environment;
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            headless.remove(name);
        QCOMPARE(run({request(8, notes)}, headless),
                 std::pair(1, QByteArray("quintara: there is no enabled template at position 8\n")));
        QCOMPARE(run({"--new", "0", "/"}, headless),
                 std::pair(1, QByteArray("quintara: Permission denied. Cannot write to this location.\n")));
        QCOMPARE(run({"--from", "dolphin", "--new", "0x", notes}, headless),
                 std::pair(2, QByteArray("quintara: '0x' is not a template position; expected a number from 0\n")));
        QCOMPARE(run({request(0, notes)}, headless), std::pair(0, QByteArray()));
        // Handing a request over, as a link or as a file manager's menu asks, loads nothing but the C
        // library (and the sanitizers' libraries).
        QProcessEnvironment traced = headless;
        traced.insert("LD_DEBUG", "files");
        const QString menuFolder = m_home->folder("100% s\u00fbr & done");
        for (const QStringList& arguments :
             {QStringList{request(0, notes)}, QStringList{"--from", "dolphin", "--new", "0", menuFolder}}) {
            const auto [status, loaded] = run(arguments, traced);
            QVERIFY2(status == 0 && loaded.contains("libc.so") && !loaded.contains("libQt6"), loaded);
            static const QRegularExpression needed("file=(\\S+) \\[0\\];\\s+needed by " +
                                                   QRegularExpression::escape(QUINTARA_BINARY) + " ");
            for (const QRegularExpressionMatch& library : needed.globalMatch(QString::fromUtf8(loaded)))
                QVERIFY2(QRegularExpression("^lib(c|asan|ubsan)\\.so").match(library.captured(1)).hasMatch(),
                         qPrintable(library.captured(1)));
        }
        // Acknowledged only after serving: the files are there the moment the launches have ended.
        QCOMPARE(entries(notes), (QStringList{"Untitled 2.txt", "Untitled.md", "Untitled.txt"}));
        QCOMPARE(entries(menuFolder), QStringList{"Untitled.txt"});
        QTRY_COMPARE(events(instance).filter("processCreateURL").size(), 6);
        QCOMPARE(run({}).first, 0);                    // a reopen
        QCOMPARE(instance.state(), QProcess::Running); // it stays to serve the next request
    }

    void plainCreatesNeedNoProgramAndShowWhereClicked_data()
    {
        // heard: what the stand-in file managers record, FILE and FOLDER standing for the new file's URI
        // and its folder's
        const auto row = columns<QString, bool, QStringList>("fileManager", "folderOpen", "heard");
        row("a shell or a link", "", true, {"freedesktop ShowItems FILE"});
        // Takes the connection and never answers: each launch still ends in a few seconds, not half a minute.
        row("a bus that never answers", "stuck", true, {});
        row("a file manager unknown", "konqueror", true, {"freedesktop ShowItems FILE"});
        row("GNOME Files, on the folder", "nautilus", true, {"nautilus ShowItems FILE"});
        row("GNOME Files, elsewhere", "nautilus", false, {});
        row("Dolphin, on the folder", "dolphin", true, {"dolphin FilesAdded FOLDER", "dolphin ShowItems FILE"});
        row("Dolphin, elsewhere", "dolphin", false, {"dolphin FilesAdded FOLDER"});
        for (const char* name : {"nemo", "caja", "thunar"})
            row(name, name, true, {});
    }
    void plainCreatesNeedNoProgramAndShowWhereClicked()
    {
        const auto [fileManager, folderOpen, heard] =
            fetch<QString, bool, QStringList>("fileManager", "folderOpen", "heard");
        grant();
        const QString folder = m_home->folder("Notes"), record = m_home->path() + "/revealed.txt";
        const auto uri = [](const QString& path) {
            return QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded());
        };
        const QString folderUri = uri(folder);
        std::list<QProcess> others;
        for (const char* role : {"nautilus", "dolphin"}) {
            QProcess& other = others.emplace_back();
            other.setProcessEnvironment(m_environment);
            other.start(FAKE_FILE_MANAGER, {record, role, folderOpen ? folderUri + "/" : uri(m_home->path())});
            QVERIFY(other.waitForReadyRead(10'000));
        }
        QLocalServer stuck;
        QProcessEnvironment environment = m_environment;
        if (fileManager == "stuck") {
            QVERIFY(stuck.listen(m_home->path() + "/stuck-bus"));
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + stuck.fullServerName());
        }
        // Clicks in quick succession: each launch serves its own and chooses its own name. A known file
        // manager is named as its menu names it, an unknown one as a link would.
        const QStringList arguments =
            QStringList{"nautilus", "nemo", "caja", "thunar", "dolphin"}.contains(fileManager)
                ? QStringList{"--from", fileManager, "--new", "0", folder}
                : QStringList{request(0, folder) + (fileManager.isEmpty() ? "" : "&fm=" + fileManager)};
        std::vector<QProcess*> launches;
        for (int i = 0; i < 3; ++i)
            launches.push_back(&start(arguments, environment));
        QStringList expected;
        for (QProcess* launch : launches) {
            QVERIFY(launch->waitForFinished(15'000));
            QCOMPARE(
                std::pair(launch->exitCode(), events(*launch).value(0).startsWith("[QNT] processCreateURL: created ")),
                std::pair(0, true));
        }
        QCOMPARE(entries(folder), (QStringList{"Untitled 2.txt", "Untitled 3.txt", "Untitled.txt"}));
        for (const QString& name : entries(folder))
            for (QString line : heard)
                expected.append(line.replace("FILE", uri(folder + '/' + name)).replace("FOLDER", folderUri));
        expected.sort();
        QStringList lines = QString::fromUtf8(readAll(record)).split('\n', Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, expected);
        // The program writes its service menu as it starts; no launch started it.
        QVERIFY(!QFile::exists(m_home->path() + "/data/kio/servicemenus/app.quintara.Quintara.desktop"));
        for (QProcess& other : others)
            other.kill(), other.waitForFinished();
    }

    // Save as Template with no program running: the command serves it, and a notification says what
    // became of the file, since no window will.
    void saveAsTemplateWithoutWindowsIsAnnounced_data()
    {
        addColumns<QByteArray, int, QString>("content", "exitCode", "notice");
        QTest::newRow("text") << QByteArray("# {{date}}\n") << 0
                              << "Template added: “Plan.md” is now the template “Plan”.";
        QTest::newRow("binary") << QByteArray("a\0b", 3) << 1 << "Not added as a template: Plan.md: not UTF-8 text";
    }
    void saveAsTemplateWithoutWindowsIsAnnounced()
    {
        const auto [content, exitCode, notice] = fetch<QByteArray, int, QString>("content", "exitCode", "notice");
        writeAll(m_home->path() + "/Plan.md", content);
        QCOMPARE(run({"--import", m_home->path() + "/Plan.md"}).first, exitCode);
        QCOMPARE(readAll(m_home->path() + "/revealed.txt"), ("freedesktop Notify " + notice + "\n").toUtf8());
        QVERIFY(!QFile::exists(socket())); // no program was started
    }

    void channelOutlastsIdleAndFloodingCallers_data()
    {
        QTest::addColumn<int>("limit"); // the instance's open-file limit
        QTest::newRow("descriptors run out before the connection bound") << 40;
        QTest::newRow("connection bound reached first") << 1024;
    }
    void channelOutlastsIdleAndFloodingCallers()
    {
        QFETCH(int, limit);
        grant();
        const QString notes = m_home->folder("Notes");
        const QProcess& instance = start({}, {}, rlim_t(limit));
        QTRY_VERIFY(QFile::exists(socket()));
        const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(instance.processId()));
        const auto open = [&] {
            return descriptors.entryList(QDir::AllEntries | QDir::System).size();
        };
        const qsizetype before = open();
        // Of the same user, so nothing tells them from a real launch but what they do: half stay
        // silent, half send a large message that never ends.
        sockaddr_un address{AF_UNIX, {}};
        std::strcpy(address.sun_path, QFile::encodeName(socket()).constData());
        std::vector<int> attackers;
        const QByteArray flood(256 << 10, 'x');
        for (int i = 0; i < 200; ++i) {
            attackers.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
            // A caller the full backlog turns away is one fended off already.
            if (::connect(attackers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && i % 2)
                ::send(attackers.back(), flood.constData(), size_t(flood.size()), MSG_NOSIGNAL);
        }
        // A real launch, queued behind all of them, is served while they are still connected.
        QVERIFY(run({request(0, notes)}).first == 0 && QFile::exists(notes + "/Untitled.txt"));
        // At most 64 callers held, and a few descriptors that serving the request itself opened.
        QVERIFY2(open() <= before + 64 + 8, qPrintable(QString::number(open())));
        // Callers that never finish are let go, and listening goes on.
        const auto closed = [](int fd) {
            char byte;
            const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
            return n == 0 || (n < 0 && errno != EAGAIN);
        };
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(attackers.begin(), attackers.end(), closed), 20'000);
        std::for_each(attackers.begin(), attackers.end(), ::close);
        QVERIFY(run({request(0, notes)}).first == 0 && QFile::exists(notes + "/Untitled 2.txt"));
        QCOMPARE(instance.state(), QProcess::Running);
    }

    void endsCleanlyWithoutDisplayOrWithHostileArguments_data()
    {
        // display: what the environment names, answered by this test; by default an X display nobody serves
        // arguments: "request" stands for a create request
        // expected: in what it printed, once
        const auto row = columns<QString, QStringList, bool, int, QString>("display", "arguments", "granted",
                                                                           "exitCode", "expected");
        const QString notes = "café\\n\\\\n\\u2028\\u0085\\u009b\\u2066\\u202enotes/", created = notes + "Untitled.txt";
        const QString welcome = "[QNT] present: no display available, window “Welcome to Quintara” not shown";
        const QString nothingToDo = "neither DISPLAY nor WAYLAND_DISPLAY";
        row("request with a grant", "", {"request"}, true, 0, created);
        row("request without a grant", "", {"request"}, false, 1, welcome);
        row("a request, then a stale one", "", {"request", "quintara://create?t=99&d=/"}, true, 1, created);
        row("Qt's own warning", "", {"request"}, false, 1, notes + "platforms/libqwayland-bogus.so: ");
        row("nothing to do", "", {}, false, 1, nothingToDo);
        row("escapes in a rejected argument", "", {"Notes\u0085\x1b[2J\u202E\\ntxt.exe"}, false, 2,
            "'Notes\\u0085\\u001b[2J\\u202e\\\\ntxt.exe' is not a URL");
        row("help", "", {"--help"}, false, 0, "Usage: quintara [URL…]");
        row("version", "", {"-v"}, false, 0, "Quintara " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ")\n");
        row("unknown option", "", {"--frobnicate"}, false, 2, "unknown option '--frobnicate'");
        row("X server refuses", "X refusal", {"request"}, false, 1, welcome);
        row("remote X, nobody there", "X remote", {}, false, 1, nothingToDo);
        row("Wayland socket silent", "Wayland silent", {"request"}, false, 1, welcome);
        row("compositor, no Qt plugin", "Wayland compositor", {}, false, 1, nothingToDo);
    }
    void endsCleanlyWithoutDisplayOrWithHostileArguments()
    {
        auto [display, arguments, granted, exitCode, expected] =
            fetch<QString, QStringList, bool, int, QString>("display", "arguments", "granted", "exitCode", "expected");
        if (granted)
            grant();
        // Its name carries characters that would break or reorder a log line shown raw, or mimic an escape.
        const QString notes = m_home->folder("café\n\\n\u2028\u0085\u009b\u2066\u202Enotes");
        QProcessEnvironment headless = m_environment;
        headless.remove("QT_QPA_PLATFORM");
        headless.remove("WAYLAND_DISPLAY");
        headless.insert("DISPLAY", display == "X remote" ? "localhost:59000" : ":4242"); // no server there
        // Qt's plugin loader warns about a plugin it cannot load, quoting its path. The program takes it for
        // Qt's Wayland plugin, so that only a compositor's answer tells whether Wayland can be used.
        QVERIFY(QDir().mkpath(notes + "/platforms"));
        writeAll(notes + "/platforms/libqwayland-bogus.so", "");
        headless.insert("QT_PLUGIN_PATH", display == "Wayland compositor" ? "" : notes);
        // A display server's stand-in, which answers a client's first message with `answer`, if any.
        QByteArray answer;
        QLocalServer server;
        connect(&server, &QLocalServer::newConnection, [&] {
            QLocalSocket* client = server.nextPendingConnection();
            connect(client, &QLocalSocket::readyRead, client, [client, &answer] {
                if (!answer.isEmpty())
                    client->write(answer), client->disconnectFromServer();
            });
        });
        if (display == "X refusal") { // the answer to the connection set-up, in the byte order libxcb asks for
            answer = QByteArray::fromHex("00000b0000000000");
            server.setSocketOptions(QLocalServer::AbstractNamespaceOption); // where libxcb looks first
            for (int n = 4300; !server.isListening(); ++n) {
                server.listen(QString("/tmp/.X11-unix/X%1").arg(n));
                headless.insert("DISPLAY", QString(":%1").arg(n));
            }
        } else if (display.startsWith("Wayland")) {
            // The stand-in compositor answers the program's sync with callback 3's done: it lacks only Qt's plugin.
            const bool compositor = display == "Wayland compositor";
            if (compositor &&
                !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms", "libqwayland-*").isEmpty())
                QSKIP("Qt's Wayland plugin is installed: the stand-in compositor would be used for real");
            answer = compositor ? QByteArray::fromHex("0300000000000c0000000000") : "";
            QVERIFY(server.listen(m_home->path() + "/runtime/wayland-9"));
            headless.insert("WAYLAND_DISPLAY", compositor ? server.fullServerName() : "wayland-9");
        }
        // It ends by itself: once idle after serving, or at once with nothing to do.
        const auto [code, printed] = run(arguments.replaceInStrings("request", request(0, notes)), headless);
        QCOMPARE(code, exitCode);
        QVERIFY2(QString::fromUtf8(printed).count(expected) == 1 && !printed.contains("\u2028"), printed.constData());
        QCOMPARE(QFile::exists(notes + "/Untitled.txt"), granted);
        QVERIFY(!QFile::exists(socket()));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
