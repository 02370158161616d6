#include "platform/Bookmark.h"
#include "platform/FileWriter.h"
#include "platform/InstanceChannel.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "store/TemplateStore.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

Q_DECLARE_METATYPE(ConfinedFileWriter::Temporary)

// The platform services: folder bookmarks, the confined file writer, the settings domain and the
// channel's runtime folder, in a throw-away home with a granted folder "home" and a folder "outside"
// it; and hostile input and a hostile environment aimed at each.
class TestPlatform : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;
    std::optional<CountedSecurityScope> m_scope;
    QString m_granted;
    QString m_outside;
    QString m_settings;
    QString path(const QString& name) const { return m_home->path() + '/' + name; }

private Q_SLOTS:
    void init()
    {
        m_home.emplace();
        m_granted = m_home->folder("home");
        m_outside = m_home->folder("outside");
        m_settings = m_home->configHome() + "/d.json";
        m_scope.emplace();
        QVERIFY(m_scope->startAccessing(m_granted));
    }
    void cleanup()
    {
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        std::filesystem::remove_all(QFile::encodeName(m_home->path()).toStdString()); // names Qt cannot spell too
        m_scope.reset(), m_home.reset();
    }

    void bookmarkResolvesToTheSameFolder()
    {
        const QString folder = m_home->folder("My \"Folder\" \u00e9");
        QString error;
        const std::optional<QByteArray> data = Bookmark::system().make(folder + "/./", &error);
        QVERIFY2(data && data->startsWith(R"({"kind":"quintara-bookmark","version":1,"path":)"), qPrintable(error));
        QCOMPARE(QJsonDocument::fromJson(*data)["path"].toString(), folder);
        QCOMPARE(Bookmark::system().resolve(*data, &error)->isStale, false); // replaced folders: the attacks below
        QVERIFY(!Bookmark::system().make("relative/folder", &error));
    }

    void bookmarkRejectsAnyOtherData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("messagePart"); // empty: the data resolves
        const QString invalid = QStringLiteral("isn’t in the correct format");
        const QByteArray head = R"({"kind":"quintara-bookmark","version":1,"path":)";
        QTest::newRow("not JSON") << QByteArray("bookmark") << invalid;
        QTest::newRow("other kind") << QByteArray(R"({"kind":"x","version":1,"path":"/","device":1,"inode":2})")
                                    << invalid;
        QTest::newRow("other version") << QByteArray(head).replace("1", "2") + R"("/","device":1,"inode":2})"
                                       << invalid;
        QTest::newRow("relative path") << head + R"("tmp","device":1,"inode":2})" << invalid;
        QTest::newRow("negative inode") << head + R"("/","device":1,"inode":-2})" << invalid;
        QTest::newRow("fractional device") << head + R"("/","device":1.5,"inode":2})" << invalid;
        QTest::newRow("folder gone") << head + R"("/nonexistent/f","device":1,"inode":2})"
                                     << QString("couldn’t be found");
        // Numbers beyond what a double holds exactly still read, as a whole number.
        QTest::newRow("huge inode") << head + R"("/","device":1,"inode":18446744073709549568})" << QString();
    }
    void bookmarkRejectsAnyOtherData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, messagePart);
        QString error;
        QCOMPARE(Bookmark::system().resolve(data, &error).has_value(), messagePart.isEmpty());
        QVERIFY2(error.contains(messagePart), qPrintable(error));
    }

    void writesWholeFileWithOrdinaryModeAndNeverReplaces_data()
    {
        QTest::addColumn<ConfinedFileWriter::Temporary>("temporary");
        QTest::newRow("unnamed temporary") << ConfinedFileWriter::Temporary::Unnamed;
        QTest::newRow("hidden temporary") << ConfinedFileWriter::Temporary::Hidden;
    }
    void writesWholeFileWithOrdinaryModeAndNeverReplaces()
    {
        QFETCH(ConfinedFileWriter::Temporary, temporary);
        ConfinedFileWriter writer(*m_scope, temporary);
        const QByteArray bytes = QByteArray("caf\xc3\xa9\n") + QByteArray(100'000, 'x');
        const mode_t previous = ::umask(002);
        const std::optional<PlatformError> error = writer.createNew(m_granted, "new file.txt", bytes);
        ::umask(previous);
        QVERIFY2(!error, error ? qPrintable(error->description) : "");
        QCOMPARE(readAll(m_granted + "/new file.txt"), bytes);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(m_granted + "/new file.txt").constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0664u);
        // A name held by a file or by a dangling link is never replaced or written through.
        QVERIFY(QFile::link(m_outside + "/not-there", m_granted + "/link.txt"));
        for (const char* name : {"new file.txt", "link.txt"})
            QCOMPARE(writer.createNew(m_granted, name, "mine")->code, PlatformError::nameTaken);
        QCOMPARE(readAll(m_granted + "/new file.txt"), bytes);
        QCOMPARE(entries(m_granted) + entries(m_outside), (QStringList{"link.txt", "new file.txt"}));
    }

    void writerIsConfinedToFoldersUnderAccess_data()
    {
        QTest::addColumn<QString>("folder"); // below the home
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");
        for (const auto& [folder, allowed] : {std::pair("home/sub", true),
                                              {"home/sub/../../outside", false},
                                              {"home/escape", false},
                                              {"inward", true},
                                              {"home2", false}})
            QTest::newRow(folder) << QString(folder) << QString("f.txt") << allowed; // links: escape out, inward in
        for (const char* name : {"", ".", "..", "sub/f.txt", "../outside/f.txt"})    // not one component
            QTest::addRow("named '%s'", name) << "home" << name << false;
    }
    void writerIsConfinedToFoldersUnderAccess()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        m_home->folder("home/sub");
        m_home->folder("home2");
        QFile::link(m_outside, m_granted + "/escape");
        QFile::link(m_granted, m_home->path() + "/inward");
        const std::optional<PlatformError> error =
            ConfinedFileWriter(*m_scope).createNew(m_home->path() + '/' + folder, name, "x");
        QCOMPARE(!error, allowed);
        QCOMPARE(QFile::exists(m_home->path() + '/' + folder + "/f.txt"), allowed);
        // Refused as out of bounds, or a name refused as it stands; nothing is written anywhere else.
        QVERIFY(!error || (error->code == PlatformError::permissionDenied) == (name == "f.txt"));
        QVERIFY(!error || error->code != PlatformError::nameTaken);
        QCOMPARE(entries(m_outside) + entries(m_home->path() + "/home2"), QStringList());
        QCOMPARE(entries(m_granted + "/sub").size(), folder == "home/sub" ? 1 : 0);
    }

    void accessIsCountedAndSurvivesAMovedFolder()
    {
        ConfinedFileWriter writer(*m_scope);
        QVERIFY(!m_scope->startAccessing(m_home->path() + "/missing"));
        QVERIFY(m_scope->startAccessing(m_granted + "/"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!writer.createNew(m_granted, "one start left.txt", "x"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(writer.createNew(m_granted, "none left.txt", "x"));
        // Stopping finds the access it started even when the folder has moved since.
        QVERIFY(m_scope->startAccessing(m_granted));
        QVERIFY(QDir(m_home->path()).rename("home", "moved"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!m_scope->contains(QDir(m_home->path() + "/moved").canonicalPath()));
    }

    void settingsReadOnlyTheirOwnTypes_data()
    {
        QTest::addColumn<QByteArray>("stored"); // JSON text of the value under "k"; empty = no key
        QTest::addColumn<QString>("readsAs");   // "data", "array", "text", or "" for none
        QTest::newRow("missing") << QByteArray() << "";
        QTest::newRow("text") << QByteArray(R"("")") << "text";
        QTest::newRow("array") << QByteArray(R"(["a", 1])") << "array";
        QTest::newRow("data") << QByteArray(R"({"data": "AAEC"})") << "data";
        QTest::newRow("data that is not base64") << QByteArray(R"({"data": "**"})") << "";
        QTest::newRow("object with more members") << QByteArray(R"({"data": "", "x": 1})") << "";
        QTest::newRow("number") << QByteArray("42") << "";
    }
    void settingsReadOnlyTheirOwnTypes()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, readsAs);
        writeAll(m_settings, stored.isEmpty() ? QByteArray("{}") : R"({"k": )" + stored + "}");
        const SettingsDomain d(m_settings);
        QCOMPARE(QString(d.data("k") ? "data" : d.array("k") ? "array" : d.text("k") ? "text" : ""), readsAs);
    }

    void settingsKeepOtherKeysAndSetCorruptFilesAside()
    {
        SettingsDomain domain(m_home->configHome() + "/nested/d.json");
        const QByteArray binary("\0\xff\n\"x", 5);
        QVERIFY(domain.setData("bin", binary) && domain.setText("a", "caf\u00e9"));
        // Another program's key written between two of ours survives our next write.
        QVERIFY(SettingsDomain(domain.filePath()).setArray("list", {"x"}));
        QVERIFY(domain.setText("a", "second"));
        QCOMPARE(std::tuple(domain.data("bin"), domain.text("a"), domain.array("list")->size()),
                 std::tuple(binary, "second", 1));
        QVERIFY(QJsonDocument::fromJson(readAll(domain.filePath())).isObject()); // plain JSON for other programs
        QCOMPARE(entries(m_home->configHome() + "/nested"), QStringList{"d.json"});

        const QByteArray broken = R"({"defaultBaseName": "Draft",)";
        writeAll(m_settings, broken);
        SettingsDomain corrupt(m_settings);
        QVERIFY(!corrupt.text("defaultBaseName"));
        QCOMPARE(readAll(m_settings), broken); // reading alone changes nothing
        QVERIFY(corrupt.setText("k", "v"));
        // A second corrupt file (a JSON array is one too) does not replace the first one kept aside.
        writeAll(m_settings, "[1, 2]");
        QVERIFY(corrupt.setText("k", "w"));
        QCOMPARE(readAll(m_settings + ".corrupt") + readAll(m_settings + ".corrupt.2"), broken + "[1, 2]");
        QCOMPARE(corrupt.text("k"), "w");
    }

    void settingsFollowXdgAndFallBackFromTheSuite()
    {
        QCOMPARE(SettingsDomain::configHome(), m_home->configHome());
        qputenv("XDG_CONFIG_HOME", "cfg"); // relative: ignored
        QCOMPARE(SettingsDomain::configHome(), m_home->path() + "/.config");
        qputenv("XDG_CONFIG_HOME", m_home->configHome().toUtf8() + "/");
        QCOMPARE(SettingsDomain::openSuite().filePath(), m_home->suiteFile());
        QVERIFY(QDir().mkpath(m_home->suiteFile())); // a folder where the suite's file belongs
        QCOMPARE(SettingsDomain::openSuite().filePath(), m_home->configHome() + "/app.quintara.Quintara.json");
    }

    void concurrentWritersLoseNoKey()
    {
        QProcess first;
        QProcess second;
        first.start(SETTINGS_WRITER, {m_settings, "a", "150"});
        second.start(SETTINGS_WRITER, {m_settings, "b", "150"});
        QVERIFY(first.waitForFinished(120'000) && second.waitForFinished(120'000));
        QCOMPARE(std::pair(first.exitCode(), second.exitCode()), std::pair(0, 0));
        const SettingsSnapshot snapshot = SettingsDomain(m_settings).read();
        for (int n = 0; n < 150; ++n) {
            QCOMPARE(snapshot.text(QStringLiteral("a%1").arg(n)), QString::number(n));
            QCOMPARE(snapshot.text(QStringLiteral("b%1").arg(n)), QString::number(n));
        }
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
        LogCapture log;
        const bool renewed = replacement == QLatin1String("folder");
        QCOMPARE(store.resolveHomeFolderURL().has_value(), renewed);
        const QString expected = renewed ? "[QNT] resolveHomeFolderURL: renewed stale bookmark for " + path(granted)
                                         : QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: ");
        QVERIFY2(log.lines().size() == 1 && log.lines().first().startsWith(expected),
                 qPrintable(log.lines().join('\n')));
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
        const QByteArray root = QFile::encodeName(m_home->path()) + '/';
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
        LogCapture log;
        QVERIFY(held.tryLock(0));
        QVERIFY(!SettingsDomain(file).setText(QStringLiteral("k"), QStringLiteral("v")));
        QVERIFY(!QFile::exists(file));
        QVERIFY2(log.lines().size() == 1 && log.lines().first().startsWith("[QNT] settings write FAILED: " + file),
                 qPrintable(log.lines().join('\n')));
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
        const QByteArray runtime = QFile::encodeName(path("rt"));
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

    void channelServesOnlyThisUser()
    {
        if (::geteuid() != 0)
            QSKIP("connecting as another user needs root");
        InstanceChannel channel;
        QVERIFY(channel.listen());
        QSignalSpy received(&channel, &InstanceChannel::urlsReceived);
        // Opened to everyone, as a mistake elsewhere could leave them: the peer is still checked.
        const QByteArray socket = QFile::encodeName(InstanceChannel::socketPath());
        for (const QString& folder : {m_home->path(), m_home->path() + "/runtime"})
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
        QCOMPARE(::chmod(socket.constData(), 0666), 0);
        const QByteArray message = R"({"urls":["quintara://create?t=0&d=/tmp"]})"
                                   "\n";
        const pid_t child = ::fork();
        if (child == 0) { // exit status: 2 not connected, 1 answered, 0 refused
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strcpy(address.sun_path, socket.constData());
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const timeval wait{3, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            if (::setresuid(65534, 65534, 65534) != 0 ||
                ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                ::write(fd, message.constData(), size_t(message.size())) != message.size())
                ::_exit(2);
            char byte;
            ::_exit(::recv(fd, &byte, 1, 0) > 0 ? 1 : 0);
        }
        int status = -1;
        bool ended = false; // the channel is served by this event loop while the caller runs
        QTRY_VERIFY_WITH_TIMEOUT(ended = ended || ::waitpid(child, &status, WNOHANG) == child, 10'000);
        QCOMPARE(std::pair(WEXITSTATUS(status), int(received.count())), std::pair(0, 0));
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
        QVERIFY(scope.startAccessing(m_home->path()));
        for (const QString name : {".quintara-abandoned1.tmp", ".quintara-held1.tmp", ".quintara-notes.txt", "x.tmp"})
            QVERIFY(QFile(path(name)).open(QIODevice::WriteOnly));
        // A writer that is still at work holds its temporary locked.
        const int held = ::open(QFile::encodeName(path(".quintara-held1.tmp")).constData(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        ConfinedFileWriter writer(scope, ConfinedFileWriter::Temporary::Hidden);
        QCOMPARE(writer.createNew(m_home->path(), QStringLiteral("new.txt"), "x"), std::nullopt);
        ::close(held);
        QCOMPARE(QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{".quintara-held1.tmp", ".quintara-notes.txt", "new.txt", "x.tmp"}));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_Platform.moc"
