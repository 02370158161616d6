// The real program under attack: callers that exhaust its instance channel, no display, hostile
// arguments. Each test starts it in a throw-away home.
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

private Q_SLOTS:
    void init();
    void cleanup();
    void channelOutlastsIdleAndFloodingCallers_data();
    void channelOutlastsIdleAndFloodingCallers();
    void withoutDisplay_data();
    void withoutDisplay();
    void rejectedArgumentIsEscaped();

private:
    QString path(const QString& name) const { return m_home->path() + QLatin1Char('/') + name; }
    QString request() const { return QStringLiteral("quintara://create?t=0&d=") + path("notes"); }
    QProcess& start(const QStringList& arguments, const QProcessEnvironment& environment, rlim_t descriptors = 0);
    int runToEnd(const QStringList& arguments, QByteArray* errors = nullptr);

    std::unique_ptr<QTemporaryDir> m_home;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QProcessEnvironment m_environment;
};

void TestLaunchAttacks::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(path("runtime")) && QDir().mkpath(path("notes")));
    QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", QFile::encodeName(m_home->path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("runtime")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
}

void TestLaunchAttacks::cleanup()
{
    for (auto& process : m_processes) {
        process->terminate();
        process->waitForFinished(10'000);
    }
    m_processes.clear();
}

QProcess& TestLaunchAttacks::start(const QStringList& arguments, const QProcessEnvironment& environment,
                                   rlim_t descriptors)
{
    auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
    process.setProcessEnvironment(environment);
    if (descriptors) {
        process.setChildProcessModifier([descriptors] {
            const rlimit limit{descriptors, descriptors};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    process.start(QStringLiteral(QUINTARA_BINARY), arguments);
    process.waitForStarted();
    return process;
}

int TestLaunchAttacks::runToEnd(const QStringList& arguments, QByteArray* errors)
{
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(QStringLiteral(QUINTARA_BINARY), arguments);
    if (!process.waitForFinished(60'000))
        return -1;
    if (errors)
        *errors = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestLaunchAttacks::channelOutlastsIdleAndFloodingCallers_data()
{
    QTest::addColumn<int>("descriptors"); // the instance's open-file limit
    QTest::newRow("descriptors run out before the connection bound") << 40;
    QTest::newRow("connection bound reached first") << 1024;
}

void TestLaunchAttacks::channelOutlastsIdleAndFloodingCallers()
{
    QFETCH(int, descriptors);
    QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    QProcess& instance = start({}, m_environment, rlim_t(descriptors));
    const QByteArray socketPath = QFile::encodeName(path("runtime/app.quintara.Quintara.socket"));
    QTRY_VERIFY(QFile::exists(QString::fromLocal8Bit(socketPath)));
    const QString descriptorFolder = QStringLiteral("/proc/%1/fd").arg(instance.processId());
    const auto openDescriptors = [&] {
        return QDir(descriptorFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
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
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd); // the backlog is full: that much of the attack is already fended off
            continue;
        }
        if (i % 2)
            ::send(fd, flood.constData(), size_t(flood.size()), MSG_NOSIGNAL);
        attackers.push_back(fd);
    }
    // A real launch, queued behind all of them, is served while they are all still connected.
    QCOMPARE(runToEnd({request()}), 0);
    QVERIFY(QFile::exists(path("notes/Untitled.txt")));
    QVERIFY2(openDescriptors() <= before + 64, qPrintable(QString::number(openDescriptors())));
    // Callers that never finish are let go, and listening goes on.
    const auto closedByInstance = [](int fd) {
        char byte;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
        return n == 0 || (n < 0 && errno != EAGAIN);
    };
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(attackers.begin(), attackers.end(), closedByInstance), 20'000);
    for (const int fd : attackers)
        ::close(fd);
    QCOMPARE(runToEnd({request()}), 0);
    QVERIFY(QFile::exists(path("notes/Untitled 2.txt")));
    QCOMPARE(instance.state(), QProcess::Running);
}

void TestLaunchAttacks::withoutDisplay_data()
{
    QTest::addColumn<bool>("withRequest");
    QTest::addColumn<bool>("granted");
    QTest::addColumn<QString>("expected"); // in standard error, once
    QTest::newRow("request with a grant") << true << true << "[QNT] processCreateURL: created ";
    QTest::newRow("request without a grant")
        << true << false << "[QNT] present: no display available, window “Welcome to Quintara” not shown";
    QTest::newRow("nothing to do") << false << false << "neither DISPLAY nor WAYLAND_DISPLAY";
}

void TestLaunchAttacks::withoutDisplay()
{
    QFETCH(bool, withRequest);
    QFETCH(bool, granted);
    QFETCH(QString, expected);
    if (granted)
        QVERIFY(TemplateStore().saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    QProcessEnvironment environment = m_environment;
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4242")); // no server there
    QProcess& launch = start(withRequest ? QStringList{request()} : QStringList{}, environment);
    // It ends by itself: once idle after serving, or at once with nothing to do.
    QVERIFY(launch.waitForFinished(30'000));
    QCOMPARE(launch.exitStatus(), QProcess::NormalExit);
    QCOMPARE(launch.exitCode(), withRequest ? 0 : 1);
    const QString errors = QString::fromUtf8(launch.readAllStandardError());
    QCOMPARE(errors.count(expected), 1);
    QCOMPARE(QFile::exists(path("notes/Untitled.txt")), granted);
}

void TestLaunchAttacks::rejectedArgumentIsEscaped()
{
    QByteArray errors;
    QCOMPARE(runToEnd({QStringLiteral("Notes\u0085\u001b[2J\u202Etxt.exe")}, &errors), 2);
    QVERIFY2(errors.contains("'Notes\\u0085\\u001b[2J\\u202etxt.exe' is not a URL"), errors.constData());
}

QTEST_GUILESS_MAIN(TestLaunchAttacks)
#include "tst_LaunchAttacks.moc"
