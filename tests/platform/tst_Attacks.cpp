// Hostile input and a hostile environment, aimed at one unit at a time.
#include "platform/Bookmark.h"
#include "platform/FileWriter.h"
#include "platform/InstanceChannel.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

class TestAttacks : public QObject {
    Q_OBJECT

    QString path(const QString& name) const { return m_dir->path() + QLatin1Char('/') + name; }
    std::unique_ptr<QTemporaryDir> m_dir;
    inline static QStringList s_log;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        s_log.clear();
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) { s_log.append(text); });
    }
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        std::filesystem::remove_all(QFile::encodeName(m_dir->path()).toStdString()); // names Qt cannot spell too
    }

    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick_data()
    {
        QTest::addColumn<QString>("granted"); // the path the user picked: a folder, or a link to one
        QTest::addColumn<QString>("replacement");
        QTest::newRow("link to another folder where the folder was") << QString("work") << QString("link");
        QTest::newRow("granted link re-pointed") << QString("link") << QString("link");
        QTest::newRow("folder of another user") << QString("work") << QString("foreign");
        QTest::newRow("real folder of the user's") << QString("work") << QString("folder");
    }
    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick()
    {
        QFETCH(QString, granted);
        QFETCH(QString, replacement);
        if (replacement == QLatin1String("foreign") && ::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QVERIFY(QDir().mkpath(path("work")) && QDir().mkpath(path("other")));
        QVERIFY(QFile::link(path("work"), path("link")));
        const SettingsDomain domain(path("suite.json"));
        TemplateStore store([domain] { return domain; }, Bookmark::system());
        QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(path(granted))));
        const QByteArray before = *domain.data(QStringLiteral("homeFolderBookmark"));

        QVERIFY(QFile::rename(path(granted), path(granted + ".old"))); // kept, so its inode is not reused
        if (replacement == QLatin1String("link"))
            QVERIFY(QFile::link(path("other"), path(granted)));
        else
            QVERIFY(QDir().mkpath(path(granted)));
        if (replacement == QLatin1String("foreign"))
            QCOMPARE(::chown(QFile::encodeName(path(granted)).constData(), 65534, 65534), 0);
        s_log.clear();
        const bool renewed = replacement == QLatin1String("folder");
        QCOMPARE(store.resolveHomeFolderURL().has_value(), renewed);
        const QString expected = renewed ? "[QNT] resolveHomeFolderURL: renewed stale bookmark for " + path(granted)
                                         : QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: ");
        QVERIFY2(s_log.size() == 1 && s_log.first().startsWith(expected), qPrintable(s_log.join('\n')));
        QCOMPARE(*domain.data(QStringLiteral("homeFolderBookmark")) != before, renewed);
    }

    void confinementComparesBytes_data()
    {
        QTest::addColumn<QByteArray>("grantedName");
        QTest::addColumn<QByteArray>("siblingName");
        QTest::newRow("Latin-1 sibling") << QByteArray("caf\xe9") << QByteArray("caf\xe8");
        QTest::newRow("invalid byte against U+FFFD") << QByteArray("x\xef\xbf\xbd") << QByteArray("x\xff");
    }
    void confinementComparesBytes()
    {
        QFETCH(QByteArray, grantedName);
        QFETCH(QByteArray, siblingName);
        // Names that are not UTF-8 cannot be given as text; links with plain names lead to them.
        const QByteArray root = QFile::encodeName(m_dir->path()) + '/';
        for (const QByteArray& name : {grantedName, siblingName})
            QCOMPARE(::mkdir(root + name, 0700), 0);
        QCOMPARE(::symlink(root + grantedName, root + "granted"), 0);
        QCOMPARE(::symlink(root + siblingName, root + "sibling"), 0);
        CountedSecurityScope scope;
        QVERIFY(scope.startAccessing(path("granted")));
        ConfinedFileWriter writer(scope);

        const std::optional<PlatformError> refused = writer.createNew(path("sibling"), QStringLiteral("a.txt"), "x");
        QCOMPARE(refused.value_or(PlatformError{}).code, PlatformError::permissionDenied);
        QCOMPARE(::access(root + siblingName + "/a.txt", F_OK), -1);
        QCOMPARE(writer.createNew(path("granted"), QStringLiteral("a.txt"), "x"), std::nullopt);
    }

    void settingsLockHeldByALiveWriterFailsSoonAndIsLogged()
    {
        const QString file = path("suite.json");
        QLockFile held(file + QStringLiteral(".lock")); // by this process, alive
        QVERIFY(held.tryLock(0));
        QVERIFY(!SettingsDomain(file).setText(QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(!QFile::exists(file));
        QVERIFY2(s_log.size() == 1 && s_log.first().startsWith("[QNT] settings write FAILED: " + file),
                 qPrintable(s_log.join('\n')));
    }

    void oversizedSettingsFileReadsAsCorrupt_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::newRow("64 GiB, sparse") << (qint64(64) << 30);
        QTest::newRow("one byte over 16 MiB, valid but for its size") << (qint64(16) << 20) + 1;
    }
    void oversizedSettingsFileReadsAsCorrupt()
    {
        QFETCH(qint64, size);
        const QString file = path("suite.json");
        const QByteArray valid = "{\"k\":\"old\"}";
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(size < (qint64(1) << 30) ? valid + QByteArray(size - valid.size(), ' ') : valid);
        out.close();
        QVERIFY(QFile::resize(file, size)); // sparse where it grows
        SettingsDomain domain(file);
        QCOMPARE(domain.text(QStringLiteral("k")), std::nullopt);
        QVERIFY(domain.setText(QStringLiteral("n"), QStringLiteral("v")));
        QCOMPARE(domain.text(QStringLiteral("n")), QStringLiteral("v"));
        QCOMPARE(QFileInfo(file + QStringLiteral(".corrupt")).size(), size); // kept aside, not deleted
    }

    void runtimeFolderOrListenerOfOthersGetsNothing_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<uid_t>("listener");
        QTest::newRow("runtime folder open to others") << 01777 << ::geteuid();
        QTest::newRow("listener of another user") << 0700 << uid_t(65534);
    }
    void runtimeFolderOrListenerOfOthersGetsNothing()
    {
        QFETCH(int, folderMode);
        QFETCH(uid_t, listener);
        if (listener != ::geteuid() && ::geteuid() != 0)
            QSKIP("listening as another user needs root");
        const QByteArray runtime = QFile::encodeName(path("runtime"));
        QVERIFY(::mkdir(runtime, 0700) == 0 && ::chmod(runtime, mode_t(folderMode)) == 0);
        qputenv("XDG_RUNTIME_DIR", runtime);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, runtime + "/app.quintara.Quintara.socket");
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            // A peer's credentials are those of whoever called listen(); the exit status tells
            // whether any byte of the request arrived.
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const timeval wait{3, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                ::setresuid(listener, listener, listener) != 0 || ::listen(fd, 4) != 0 ||
                ::write(ready[1], "L", 1) != 1)
                ::_exit(2);
            const int peer = ::accept(fd, nullptr, nullptr);
            ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            char byte;
            ::_exit(peer >= 0 && ::recv(peer, &byte, 1, 0) > 0 ? 1 : 0);
        }
        char byte = 0;
        QCOMPARE(::read(ready[0], &byte, 1), 1);
        const InstanceChannel::Delivery delivery =
            InstanceChannel::send({QStringLiteral("quintara://x?d=/secret")}, 1000);
        int status = -1;
        ::waitpid(child, &status, 0);
        ::close(ready[0]);
        ::close(ready[1]);
        QVERIFY(delivery != InstanceChannel::Delivery::Delivered);
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void fallbackRuntimeFolderTakenByAnotherUserIsNotUsed()
    {
        if (::geteuid() != 0)
            QSKIP("making a folder of another user's needs root");
        const QByteArray open = QFile::encodeName(path("open")), tmp = QFile::encodeName(path("tmp"));
        QVERIFY(::mkdir(open, 0700) == 0 && ::chmod(open, 01777) == 0 && ::mkdir(tmp, 0700) == 0);
        const QByteArray taken = tmp + "/quintara-runtime-" + QByteArray::number(::geteuid());
        QVERIFY(::mkdir(taken, 0777) == 0 && ::chown(taken, 65534, 65534) == 0);
        qputenv("XDG_RUNTIME_DIR", open);
        qputenv("TMPDIR", tmp);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path("cache")));
        QCOMPARE(InstanceChannel::socketPath(), path("cache/quintara-runtime/app.quintara.Quintara.socket"));
    }

    void abandonedTemporariesAreRemovedOthersKept()
    {
        CountedSecurityScope scope;
        QVERIFY(scope.startAccessing(m_dir->path()));
        for (const QString name : {".quintara-abandoned1.tmp", ".quintara-held1.tmp", ".quintara-notes.txt", "x.tmp"})
            QVERIFY(QFile(path(name)).open(QIODevice::WriteOnly));
        // A writer that is still at work holds its temporary locked.
        const int held = ::open(QFile::encodeName(path(".quintara-held1.tmp")).constData(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        ConfinedFileWriter writer(scope, ConfinedFileWriter::Temporary::Hidden);
        QCOMPARE(writer.createNew(m_dir->path(), QStringLiteral("new.txt"), "x"), std::nullopt);
        ::close(held);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{".quintara-held1.tmp", ".quintara-notes.txt", "new.txt", "x.tmp"}));
    }
};

QTEST_GUILESS_MAIN(TestAttacks)
#include "tst_Attacks.moc"
