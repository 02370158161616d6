// The real program, in a throw-away home, against exhausting callers, no display, hostile arguments.
#include "model/Version.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class TestLaunchAttacks : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_home->path() + QLatin1Char('/') + name; }
    // Its name carries characters that would break or reorder a log line shown raw.
    QString notes() const { return path(QStringLiteral("café\u0085\u009b\u2066\u202Enotes")); }
    QString request() const { return "quintara://create?t=0&d=" + QUrl::toPercentEncoding(notes(), "/"); }

    // Started with this test's home; `descriptors` limits the files it may open.
    QProcess& launch(const QStringList& arguments, rlim_t descriptors = 0)
    {
        auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessEnvironment(m_environment);
        process.setChildProcessModifier([descriptors] {
            const rlimit limit{descriptors, descriptors};
            if (descriptors)
                ::setrlimit(RLIMIT_NOFILE, &limit);
        });
        process.start(QStringLiteral(QUINTARA_BINARY), arguments);
        return process;
    }
    int runToEnd(const QStringList& arguments)
    {
        QProcess& process = launch(arguments);
        return process.waitForFinished(60'000) && process.exitStatus() == QProcess::NormalExit ? process.exitCode()
                                                                                               : -1;
    }

    std::unique_ptr<QTemporaryDir> m_home;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcessEnvironment m_environment;

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(path("runtime")) && QDir().mkpath(notes()));
        QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", QFile::encodeName(m_home->path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    }
    void cleanup()
    {
        for (auto& process : m_processes) {
            process->terminate();
            process->waitForFinished(10'000);
        }
        m_processes.clear();
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
        QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
        const QProcess& instance = launch({}, rlim_t(limit));
        const QByteArray socketPath = QFile::encodeName(path("runtime/app.quintara.Quintara.socket"));
        QTRY_VERIFY(QFile::exists(QString::fromLocal8Bit(socketPath)));
        const QString descriptors = QStringLiteral("/proc/%1/fd").arg(instance.processId());
        const auto openDescriptors = [&] {
            return QDir(descriptors).entryList(QDir::AllEntries | QDir::System).size();
        };
        const qsizetype before = openDescriptors();

        // Of the same user, so nothing tells them from a real launch but what they do: half stay
        // silent, half send a large message that never ends.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        std::vector<int> attackers;
        const QByteArray flood(256 << 10, 'x');
        for (int i = 0; i < 200; ++i) {
            attackers.push_back(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
            // A caller the full backlog turns away is one fended off already.
            if (::connect(attackers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && i % 2)
                ::send(attackers.back(), flood.constData(), size_t(flood.size()), MSG_NOSIGNAL);
        }
        // A real launch, queued behind all of them, is served while they are still connected.
        QVERIFY(runToEnd({request()}) == 0 && QFile::exists(notes() + "/Untitled.txt"));
        // At most 64 callers held, and a few descriptors that serving the request itself opened.
        QVERIFY2(openDescriptors() <= before + 64 + 8, qPrintable(QString::number(openDescriptors())));
        // Callers that never finish are let go, and listening goes on.
        const auto closed = [](int fd) {
            char byte;
            const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
            return n == 0 || (n < 0 && errno != EAGAIN);
        };
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(attackers.begin(), attackers.end(), closed), 20'000);
        std::for_each(attackers.begin(), attackers.end(), ::close);
        QVERIFY(runToEnd({request()}) == 0 && QFile::exists(notes() + "/Untitled 2.txt"));
        QCOMPARE(instance.state(), QProcess::Running);
    }

    void endsCleanlyWithoutDisplayOrWithHostileArguments_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "request" stands for a create request
        QTest::addColumn<bool>("granted");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // in what it printed, once
        QTest::newRow("request with a grant")
            << QStringList{"request"} << true << 0 << "café\\u0085\\u009b\\u2066\\u202enotes/Untitled.txt";
        QTest::newRow("request without a grant")
            << QStringList{"request"} << false << 0
            << "[QNT] present: no display available, window “Welcome to Quintara” not shown";
        QTest::newRow("nothing to do") << QStringList{} << false << 1 << "neither DISPLAY nor WAYLAND_DISPLAY";
        QTest::newRow("escapes in a rejected argument") << QStringList{"Notes\u0085\x1b[2J\u202Etxt.exe"} << false << 2
                                                        << "'Notes\\u0085\\u001b[2J\\u202etxt.exe' is not a URL";
        QTest::newRow("help") << QStringList{"--help"} << false << 0 << "Usage: quintara [URL…]";
        QTest::newRow("version") << QStringList{"-v"} << false << 0
                                 << "Quintara " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ")\n";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << false << 2 << "unknown option '--frobnicate'";
    }
    void endsCleanlyWithoutDisplayOrWithHostileArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, granted);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        if (granted)
            QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
        m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        m_environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4242")); // no server there
        QProcess& process = launch(arguments.replaceInStrings(QStringLiteral("request"), request()));
        // It ends by itself: once idle after serving, or at once with nothing to do.
        QVERIFY(process.waitForFinished(30'000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString printed = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QVERIFY2(printed.count(expected) == 1, qPrintable(printed));
        QCOMPARE(QFile::exists(notes() + "/Untitled.txt"), granted);
        QVERIFY(!QFile::exists(path("runtime/app.quintara.Quintara.socket")));
    }
};

QTEST_GUILESS_MAIN(TestLaunchAttacks)
#include "tst_LaunchAttacks.moc"
