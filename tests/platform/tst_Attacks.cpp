// Hostile input and a hostile environment, aimed at one unit at a time.
#include "platform/Bookmark.h"
#include "platform/FileWriter.h"
#include "platform/InstanceChannel.h"
#include "platform/Log.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList s_log;

void capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    s_log.append(message);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

class TestAttacks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        s_log.clear();
        qInstallMessageHandler(capture);
    }
    void cleanup() { qInstallMessageHandler(nullptr); }

    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick_data();
    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick();
    void confinementComparesBytes_data();
    void confinementComparesBytes();
    void settingsLockThatCannotBeTakenFailsSoonAndIsLogged_data();
    void settingsLockThatCannotBeTakenFailsSoonAndIsLogged();
    void oversizedSettingsFileReadsAsCorrupt_data();
    void oversizedSettingsFileReadsAsCorrupt();
    void runtimeFolderOrListenerOfOthersGetsNothing_data();
    void runtimeFolderOrListenerOfOthersGetsNothing();
    void logEscapesUnicodeBreaksAndBidiControls_data();
    void logEscapesUnicodeBreaksAndBidiControls();
    void abandonedTemporariesAreRemovedOthersKept();

private:
    QString path(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAttacks::staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick_data()
{
    QTest::addColumn<QString>("granted"); // the path the user picked
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("renewed");
    QTest::newRow("link to another folder where the folder was") << "work"
                                                                 << "link" << false;
    QTest::newRow("granted link re-pointed") << "granted-link"
                                             << "repoint" << false;
    QTest::newRow("folder of another user") << "work"
                                            << "foreign" << false;
    QTest::newRow("real folder of the user's") << "work"
                                               << "folder" << true;
}

void TestAttacks::staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick()
{
    QFETCH(QString, granted);
    QFETCH(QString, replacement);
    QFETCH(bool, renewed);
    if (replacement == QLatin1String("foreign") && ::geteuid() != 0)
        QSKIP("giving a folder to another user needs root");
    QVERIFY(QDir().mkpath(path("work")) && QDir().mkpath(path("other")));
    QVERIFY(QFile::link(path("work"), path("granted-link")));
    const QString settingsFile = path("suite.json");
    TemplateStore store([settingsFile] { return SettingsDomain(settingsFile); }, Bookmark::system());
    QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(path(granted))));
    const QByteArray before = *SettingsDomain(settingsFile).data(QStringLiteral("homeFolderBookmark"));

    if (replacement == QLatin1String("repoint")) {
        QVERIFY(QFile::remove(path("granted-link")) && QFile::link(path("other"), path("granted-link")));
    } else {
        QVERIFY(QDir(m_dir->path()).rename(QStringLiteral("work"), QStringLiteral("work.old"))); // no inode reuse
        if (replacement == QLatin1String("link"))
            QVERIFY(QFile::link(path("other"), path("work")));
        else
            QVERIFY(QDir().mkpath(path("work")));
        if (replacement == QLatin1String("foreign"))
            QCOMPARE(::chown(encoded(path("work")).constData(), 65534, 65534), 0);
    }
    s_log.clear();
    const std::optional<QUrl> resolved = store.resolveHomeFolderURL();
    QCOMPARE(resolved.has_value(), renewed);
    QCOMPARE(s_log.size(), 1);
    QVERIFY2(s_log.first().startsWith(renewed
                                          ? "[QNT] resolveHomeFolderURL: renewed stale bookmark for " + path(granted)
                                          : QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: ")),
             qPrintable(s_log.first()));
    const QByteArray after = *SettingsDomain(settingsFile).data(QStringLiteral("homeFolderBookmark"));
    QCOMPARE(after != before, renewed);
}

void TestAttacks::confinementComparesBytes_data()
{
    QTest::addColumn<QByteArray>("grantedName");
    QTest::addColumn<QByteArray>("siblingName");
    QTest::newRow("Latin-1 sibling") << QByteArray("caf\xe9") << QByteArray("caf\xe8");
    QTest::newRow("invalid byte against U+FFFD") << QByteArray("x\xef\xbf\xbd") << QByteArray("x\xff");
}

void TestAttacks::confinementComparesBytes()
{
    QFETCH(QByteArray, grantedName);
    QFETCH(QByteArray, siblingName);
    // Names that are not UTF-8 cannot be given as text; links with plain names lead to them.
    const QByteArray root = encoded(m_dir->path()) + '/';
    const auto removeRaw = qScopeGuard([&] { // Qt cannot name them to remove them
        for (const QByteArray& name : {grantedName, siblingName}) {
            ::unlink(root + name + "/a.txt");
            ::rmdir(root + name);
        }
    });
    for (const QByteArray& name : {grantedName, siblingName})
        QCOMPARE(::mkdir(root + name, 0700), 0);
    QCOMPARE(::symlink(root + grantedName, root + "granted"), 0);
    QCOMPARE(::symlink(root + siblingName, root + "sibling"), 0);
    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(path("granted")));
    ConfinedFileWriter writer(scope);

    const std::optional<PlatformError> refused = writer.createNew(path("sibling"), QStringLiteral("a.txt"), "x");
    QVERIFY(refused);
    QCOMPARE(refused->code, PlatformError::permissionDenied);
    QCOMPARE(::access(root + siblingName + "/a.txt", F_OK), -1);
    QCOMPARE(writer.createNew(path("granted"), QStringLiteral("a.txt"), "x"), std::nullopt);
}

void TestAttacks::settingsLockThatCannotBeTakenFailsSoonAndIsLogged_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("held by a live process") << "live";
    QTest::newRow("garbage in the lock file") << "garbage";
    QTest::newRow("the lock path a folder") << "folder";
}

void TestAttacks::settingsLockThatCannotBeTakenFailsSoonAndIsLogged()
{
    QFETCH(QString, lock);
    const QString file = path("suite.json");
    const QString lockFile = file + QStringLiteral(".lock");
    QProcess holder;
    if (lock == QLatin1String("live")) {
        holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
        QVERIFY(holder.waitForStarted());
        QFile out(lockFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::number(holder.processId()) + "\n/usr/bin/sleep\n" + QSysInfo::machineHostName().toUtf8() +
                  "\n");
    } else if (lock == QLatin1String("garbage")) {
        QFile out(lockFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("\x01\x02 not a lock\n");
    } else {
        QVERIFY(QDir().mkpath(lockFile));
    }
    SettingsDomain domain(file);
    QVERIFY(!domain.setText(QStringLiteral("k"), QStringLiteral("v")));
    QVERIFY(!QFile::exists(file));
    QCOMPARE(s_log.size(), 1);
    QVERIFY2(s_log.first().startsWith(QStringLiteral("[QNT] settings write FAILED: ") + file),
             qPrintable(s_log.first()));
    holder.kill();
    holder.waitForFinished();
}

void TestAttacks::oversizedSettingsFileReadsAsCorrupt_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("sparse"); // else a valid object padded with spaces
    QTest::newRow("64 GiB, sparse") << (qint64(64) << 30) << true;
    QTest::newRow("one byte over 16 MiB") << (qint64(16 << 20) + 1) << false;
}

void TestAttacks::oversizedSettingsFileReadsAsCorrupt()
{
    QFETCH(qint64, size);
    QFETCH(bool, sparse);
    const QString file = path("suite.json");
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    if (sparse)
        QVERIFY(out.resize(size));
    else
        out.write(QByteArray("{\"k\":\"old\"}") + QByteArray(size - 11, ' '));
    out.close();
    SettingsDomain domain(file);
    QCOMPARE(domain.text(QStringLiteral("k")), std::nullopt);
    QVERIFY(domain.setText(QStringLiteral("n"), QStringLiteral("v")));
    QCOMPARE(domain.text(QStringLiteral("n")), QStringLiteral("v"));
    QCOMPARE(QFileInfo(file + QStringLiteral(".corrupt")).size(), size); // kept aside, not deleted
}

void TestAttacks::runtimeFolderOrListenerOfOthersGetsNothing_data()
{
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<uid_t>("listener");
    QTest::newRow("runtime folder open to others") << 01777 << ::geteuid();
    QTest::newRow("listener of another user") << 0700 << uid_t(65534);
}

void TestAttacks::runtimeFolderOrListenerOfOthersGetsNothing()
{
    QFETCH(int, folderMode);
    QFETCH(uid_t, listener);
    if (listener != ::geteuid() && ::geteuid() != 0)
        QSKIP("listening as another user needs root");
    const QByteArray runtime = encoded(path("runtime"));
    QCOMPARE(::mkdir(runtime.constData(), 0700), 0);
    QCOMPARE(::chmod(runtime.constData(), mode_t(folderMode)), 0);
    qputenv("XDG_RUNTIME_DIR", runtime);
    const QByteArray socketPath = runtime + "/app.quintara.Quintara.socket";
    int report[2];
    QCOMPARE(::pipe(report), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Binds, then listens as `listener`: the credentials a peer sees are taken at listen().
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::chmod(socketPath.constData(), 0777);
        if (::setresuid(listener, listener, listener) != 0 || ::listen(fd, 4) != 0)
            ::_exit(1);
        ::write(report[1], "L", 1);
        pollfd waiting{fd, POLLIN, 0};
        char received[4096];
        ssize_t total = 0;
        if (::poll(&waiting, 1, 3000) == 1) {
            const int peer = ::accept(fd, nullptr, nullptr);
            pollfd reading{peer, POLLIN, 0};
            if (::poll(&reading, 1, 3000) == 1)
                total = std::max<ssize_t>(0, ::recv(peer, received, sizeof received, 0));
        }
        ::write(report[1], &total, sizeof total);
        ::_exit(0);
    }
    char ready = 0;
    QCOMPARE(::read(report[0], &ready, 1), 1);
    const InstanceChannel::Delivery delivery =
        InstanceChannel::send({QStringLiteral("quintara://create?t=0&d=/secret/folder")}, 1000);
    ssize_t received = -1;
    QCOMPARE(::read(report[0], &received, sizeof received), ssize_t(sizeof received));
    ::waitpid(child, nullptr, 0);
    ::close(report[0]);
    ::close(report[1]);
    QCOMPARE(received, 0);
    QVERIFY(delivery != InstanceChannel::Delivery::Delivered);
}

void TestAttacks::logEscapesUnicodeBreaksAndBidiControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("logged");
    QTest::newRow("next line and right-to-left override")
        << QStringLiteral("a\u0085b\u202Ec") << QStringLiteral("a\\u0085b\\u202ec");
    QTest::newRow("line and paragraph separators")
        << QStringLiteral("\u2028\u2029") << QStringLiteral("\\u2028\\u2029");
    QTest::newRow("C1 control sequence introducer") << QStringLiteral("\u009B2J") << QStringLiteral("\\u009b2J");
    QTest::newRow("isolates and marks") << QStringLiteral("\u2066\u2069\u200F")
                                        << QStringLiteral("\\u2066\\u2069\\u200f");
    QTest::newRow("letters of any script stay") << QStringLiteral("café Ωμέγα") << QStringLiteral("café Ωμέγα");
}

void TestAttacks::logEscapesUnicodeBreaksAndBidiControls()
{
    QFETCH(QString, name);
    QFETCH(QString, logged);
    Log::line(QStringLiteral("[QNT] processCreateURL: created /home/me/") + name + QStringLiteral("/Untitled.txt"));
    QCOMPARE(s_log, QStringList{"[QNT] processCreateURL: created /home/me/" + logged + "/Untitled.txt"});
}

void TestAttacks::abandonedTemporariesAreRemovedOthersKept()
{
    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(m_dir->path()));
    const QStringList names = {".quintara-abandoned1.tmp", ".quintara-held1.tmp", ".quintara-notes.txt", "x.tmp"};
    for (const QString& name : names) {
        QFile out(path(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
    }
    // A writer that is still at work holds its temporary locked.
    const int held = ::open(encoded(path(names.at(1))).constData(), O_RDONLY | O_CLOEXEC);
    QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
    ConfinedFileWriter writer(scope, ConfinedFileWriter::Temporary::Hidden);
    QCOMPARE(writer.createNew(m_dir->path(), QStringLiteral("new.txt"), "x"), std::nullopt);
    ::close(held);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{".quintara-held1.tmp", ".quintara-notes.txt", "new.txt", "x.tmp"}));
}

QTEST_GUILESS_MAIN(TestAttacks)
#include "tst_Attacks.moc"
