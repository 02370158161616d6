#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "launcher/HandOver.h"
#include "platform/Bookmark.h"
#include "platform/FileWriter.h"
#include "platform/InstanceChannel.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "store/TemplateStore.h"
#include "support/IntegrationMachine.h"
#include "support/LogCapture.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QLocalSocket>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Each file manager (Files, Dolphin, Nemo, Caja, Thunar: 0 to 4) found installed (+) or with the menu
// (m), then "links" when they reach Quintara.
QString summary(const IntegrationState& state)
{
    QString text;
    for (const FileManagerState& each : state.fileManagers) {
        if (each.installed || each.integrated)
            text +=
                QString::number(int(each.fileManager)) + (each.installed ? "+" : "") + (each.integrated ? "m " : " ");
    }
    return text + (state.schemeReachesQuintara ? "links" : "");
}

// The instance's socket, and a connection to it that has sent `message` whole (-1 when not).
sockaddr_un instanceAddress()
{
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, QFile::encodeName(InstanceChannel::socketPath()).constData());
    return address;
}
int sentWhole(const QByteArray& message)
{
    const sockaddr_un address = instanceAddress();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                   ::send(fd, message.constData(), size_t(message.size()), 0) == message.size()
               ? fd
               : (::close(fd), -1);
}

// What the `quintara` command's own hand-over makes of these arguments.
HandOver::Outcome handOverByTheCommand(QByteArrayList arguments)
{
    arguments.prepend("quintara");
    std::vector<char*> argv;
    for (QByteArray& each : arguments)
        argv.push_back(each.data());
    HandOver::Answer received;
    return HandOver::handOver(int(argv.size()), argv.data(), received);
}

} // namespace

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
    QByteArray encoded(const QString& name) const { return QFile::encodeName(path(name)); }

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
        const auto row = columns<QByteArray, QString>("data", "messagePart"); // messagePart: empty: it resolves
        const QString invalid = QStringLiteral("isn’t in the correct format");
        const QByteArray head = R"({"kind":"quintara-bookmark","version":1,"path":)",
                         root = R"("/","device":1,"inode":2})";
        row("not JSON", "bookmark", invalid);
        row("other kind", QByteArray(head).replace("quintara-bookmark", "x") + root, invalid);
        row("other version", QByteArray(head).replace("1", "2") + root, invalid);
        row("relative path", head + R"("tmp","device":1,"inode":2})", invalid);
        row("negative inode", head + R"("/","device":1,"inode":-2})", invalid);
        row("fractional device", head + R"("/","device":1.5,"inode":2})", invalid);
        row("folder gone", head + R"("/nonexistent/f","device":1,"inode":2})", "couldn’t be found");
        // Numbers beyond what a double holds exactly still read, as a whole number.
        row("huge inode", head + R"("/","device":1,"inode":18446744073709549568})", {});
    }
    void bookmarkRejectsAnyOtherData()
    {
        const auto [data, messagePart] = fetch<QByteArray, QString>("data", "messagePart");
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
        // Only the writer with hidden temporaries makes them, and removes those abandoned; one whose
        // writer is still at work is held locked.
        for (const QString name : {".quintara-abandoned1.tmp", ".quintara-held1.tmp", ".quintara-notes.txt", "x.tmp"})
            QVERIFY(QFile(m_granted + '/' + name).open(QIODevice::WriteOnly));
        const int held = ::open(encoded("home/.quintara-held1.tmp"), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
        ConfinedFileWriter writer(*m_scope, temporary);
        const QByteArray bytes = QByteArray("caf\xc3\xa9\n") + QByteArray(100'000, 'x');
        const mode_t previous = ::umask(002);
        const std::optional<PlatformError> error = writer.createNew(m_granted, "new file.txt", bytes);
        ::umask(previous);
        QVERIFY2(!error, error ? qPrintable(error->description) : "");
        struct stat info {};
        QCOMPARE(::stat(encoded("home/new file.txt"), &info), 0);
        QCOMPARE(info.st_mode & 07777, 0664u);
        // A name held by a file or by a dangling link is never replaced or written through.
        QVERIFY(QFile::link(m_outside + "/not-there", m_granted + "/link.txt"));
        for (const char* name : {"new file.txt", "link.txt"})
            QCOMPARE(writer.createNew(m_granted, name, "mine")->code, PlatformError::nameTaken);
        ::close(held);
        QCOMPARE(readAll(m_granted + "/new file.txt"), bytes);
        QStringList left{".quintara-held1.tmp", ".quintara-notes.txt", "link.txt", "new file.txt", "x.tmp"};
        if (temporary == ConfinedFileWriter::Temporary::Unnamed)
            left.prepend(".quintara-abandoned1.tmp");
        QCOMPARE(entries(m_granted) + entries(m_outside), left);
    }

    void writerIsConfinedToFoldersUnderAccess_data()
    {
        addColumns<QString, QString, bool>("folder", "name", "allowed"); // folder: below the home
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
        const auto [folder, name, allowed] = fetch<QString, QString, bool>("folder", "name", "allowed");
        m_home->folder("home/sub"), m_home->folder("home2");
        QFile::link(m_outside, m_granted + "/escape");
        QFile::link(m_granted, path("inward"));
        const std::optional<PlatformError> error = ConfinedFileWriter(*m_scope).createNew(path(folder), name, "x");
        // Refused as out of bounds, or a name refused as it stands; nothing is written anywhere else.
        QVERIFY(!error || (error->code == PlatformError::permissionDenied) == (name == "f.txt"));
        QVERIFY(!error || error->code != PlatformError::nameTaken);
        QCOMPARE(!error, allowed);
        QCOMPARE(entries(m_outside) + entries(path("home2")) + entries(m_granted + "/sub"),
                 folder == "home/sub" ? QStringList{"f.txt"} : QStringList());
        QCOMPARE(QFile::exists(path(folder + "/f.txt")), allowed);
    }

    void accessIsCountedAndSurvivesAMovedFolder()
    {
        ConfinedFileWriter writer(*m_scope);
        QVERIFY(!m_scope->startAccessing(path("missing")) && m_scope->startAccessing(m_granted + "/"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!writer.createNew(m_granted, "one start left.txt", "x"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(writer.createNew(m_granted, "none left.txt", "x"));
        // Stopping finds the access it started even when the folder has moved since.
        QVERIFY(m_scope->startAccessing(m_granted) && QDir(m_home->path()).rename("home", "moved"));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!m_scope->contains(QDir(path("moved")).canonicalPath()));
    }

    void settingsReadOnlyTheirOwnTypes_data()
    {
        // stored: JSON text of the value under "k"; empty = no key
        // readsAs: "data", "array", "text", or "" for none
        addColumns<QByteArray, QString>("stored", "readsAs");
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
        const auto [stored, readsAs] = fetch<QByteArray, QString>("stored", "readsAs");
        writeAll(m_settings, stored.isEmpty() ? QByteArray("{}") : R"({"k": )" + stored + "}");
        const SettingsDomain d(m_settings);
        QCOMPARE(QString(d.data("k") ? "data" : d.array("k") ? "array" : d.text("k") ? "text" : ""), readsAs);
    }

    void settingsKeepOtherKeysAndSetCorruptFilesAside_data()
    {
        QTest::addColumn<qint64>("size"); // of the unreadable file: 0: broken JSON; else valid, padded, then a hole
        QTest::newRow("broken JSON") << qint64(0);
        QTest::newRow("64 GiB, sparse") << (qint64(64) << 30);
        QTest::newRow("one byte over 16 MiB, valid but for its size") << (qint64(16) << 20) + 1;
    }
    void settingsKeepOtherKeysAndSetCorruptFilesAside()
    {
        QFETCH(qint64, size);
        SettingsDomain domain(m_home->configHome() + "/nested/d.json");
        const QByteArray binary("\0\xff\n\"x", 5);
        {
            const SettingsReadScope scope; // reads once, but sees every write of its own
            QVERIFY(domain.setData("bin", binary) && domain.setText("a", "caf\u00e9") &&
                    domain.text("a") == "caf\u00e9");
            // Another program's key written between two of ours survives our next write.
            QVERIFY(SettingsDomain(domain.filePath()).setArray("list", {"x"}) && domain.setText("a", "second"));
            QCOMPARE(std::tuple(domain.data("bin"), domain.text("a"), domain.array("list")->size()),
                     std::tuple(binary, "second", 1));
        }
        QVERIFY(QJsonDocument::fromJson(readAll(domain.filePath())).isObject()); // plain JSON for other programs
        writeAll(domain.filePath(), R"({"a": "by hand"})");
        QCOMPARE(domain.text("a"), "by hand");
        QCOMPARE(entries(m_home->configHome() + "/nested"), QStringList{"d.json"});

        const QByteArray unread = size ? R"({"defaultBaseName":"Draft"})" : R"({"defaultBaseName": "Draft",)";
        writeAll(m_settings, size >> 30 ? unread : unread.leftJustified(size));
        QVERIFY(QFile::resize(m_settings, std::max<qint64>(size, unread.size()))); // sparse where it grows
        const qint64 written = QFileInfo(m_settings).size();
        SettingsDomain corrupt(m_settings);
        QVERIFY(!corrupt.text("defaultBaseName"));
        QCOMPARE(QFileInfo(m_settings).size(), written); // reading alone changes nothing
        LogCapture log;
        QVERIFY(corrupt.setText("k", "v"));
        QCOMPARE(log.lines(), QStringList{"[QNT] settings: " + m_settings + " could not be read; kept aside as " +
                                          m_settings + ".corrupt"});
        // Only its owner may read what it holds: templates, and the grant.
        for (const QString& file : {m_settings, m_settings + ".corrupt"})
            QCOMPARE(QFileInfo(file).permissions() & 0077, 0);
        // A second corrupt file (a JSON array is one too) does not replace the first one kept aside.
        writeAll(m_settings, "[1, 2]");
        QVERIFY(corrupt.setText("k", "w"));
        QCOMPARE(std::pair(QFileInfo(m_settings + ".corrupt").size(), readAll(m_settings + ".corrupt.2")),
                 std::pair(written, QByteArray("[1, 2]")));
        QCOMPARE(corrupt.text("k"), "w");
    }

    void settingsFollowXdgAndFallBackFromTheSuite()
    {
        QCOMPARE(SettingsDomain::configHome(), m_home->configHome());
        qputenv("XDG_CONFIG_HOME", "cfg"); // relative: ignored
        QCOMPARE(SettingsDomain::configHome(), path(".config"));
        qputenv("XDG_CONFIG_HOME", m_home->configHome().toUtf8() + "/");
        QCOMPARE(SettingsDomain::openSuite().filePath(), m_home->suiteFile());
        QVERIFY(QDir().mkpath(m_home->suiteFile())); // a folder where the suite's file belongs
        QCOMPARE(SettingsDomain::openSuite().filePath(), m_home->configHome() + "/app.quintara.Quintara.json");
    }

    void concurrentWritersLoseNoKeyAndALiveLockFailsSoon()
    {
        QProcess first, second;
        first.start(SETTINGS_WRITER, {m_settings, "a", "150"});
        second.start(SETTINGS_WRITER, {m_settings, "b", "150"});
        QVERIFY(first.waitForFinished(120'000) && second.waitForFinished(120'000));
        QCOMPARE(std::pair(first.exitCode(), second.exitCode()), std::pair(0, 0));
        const SettingsSnapshot snapshot = SettingsDomain(m_settings).read();
        for (int n = 0; n < 150; ++n)
            QCOMPARE(snapshot.text(QString("a%1").arg(n)).value_or("") +
                         snapshot.text(QString("b%1").arg(n)).value_or(""),
                     QString::number(n).repeated(2));
        // A lock held by a live process makes a write fail soon, and is logged.
        QLockFile held(m_settings + ".lock"); // by this process, alive
        LogCapture log;
        QVERIFY(held.tryLock(0));
        QVERIFY(!SettingsDomain(m_settings).setText("k", "v") && !SettingsDomain(m_settings).text("k"));
        QVERIFY2(log.lines().size() == 1 &&
                     log.lines().first().startsWith("[QNT] settings write FAILED: " + m_settings),
                 qPrintable(log.lines().join('\n')));
    }

    void aFullDiskKeepsTheSettings()
    {
        // A real file system with one page left: enough for the lock, not for the new file.
        const QString script = R"(set -e; mount -t tmpfs -o size=64k tmpfs "$1"; "$2" "$1/s.json" a 3
            head -c $(( ($(stat -f -c %a "$1") - 1) * $(stat -f -c %S "$1") )) /dev/zero > "$1/fill"
            "$2" "$1/s.json" b 1 || echo "refused"; ls -a "$1"; cat "$1/s.json"; head -c 1M /dev/zero >> "$1/fill" || true
            "$2" "$1/s.json" c 1 || cat "$1/s.json")";
        QProcess namespaced;
        namespaced.start("unshare", {"--user", "--map-root-user", "--mount", "sh", "-c", script, "sh",
                                     m_home->folder("disk"), SETTINGS_WRITER});
        QVERIFY(namespaced.waitForFinished(30'000));
        const QByteArray out = namespaced.readAllStandardOutput(), log = namespaced.readAllStandardError();
        if (namespaced.exitCode() != 0 && log.contains("unshare"))
            QSKIP(qPrintable("this machine makes no private mount: " + log));
        const QStringList lines = QString::fromUtf8(out).split('\n');
        QCOMPARE(lines.mid(0, 5), (QStringList{"refused", ".", "..", "fill", "s.json"}));
        // The second time not even the lock fits; the log says why either way.
        QVERIFY2(log.count(": No space left on device (while writing)") == 1 &&
                     log.count("could not be taken: No space left on device") == 1,
                 log.constData());
        for (const QByteArray& file : out.split('}').mid(0, 2))
            QCOMPARE(QJsonDocument::fromJson(file.mid(file.indexOf('{')) + '}').object().keys(),
                     (QStringList{"a0", "a1", "a2"}));
    }

    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick_data()
    {
        // granted: the path the user picked: a folder, or a link to one
        addColumns<QString, QString>("granted", "replacement");
        QTest::newRow("link to another folder where the folder was") << QString("work") << QString("link");
        QTest::newRow("granted link re-pointed") << QString("link") << QString("link");
        QTest::newRow("folder of another user") << QString("work") << QString("foreign");
        QTest::newRow("real folder of the user's") << QString("work") << QString("folder");
    }
    void staleGrantIsRenewedOnlyOntoWhatTheUserCouldPick()
    {
        const auto [granted, replacement] = fetch<QString, QString>("granted", "replacement");
        if (replacement == "foreign" && ::geteuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QVERIFY(QDir().mkpath(path("work")) && QDir().mkpath(path("other")) && QFile::link(path("work"), path("link")));
        const SettingsDomain domain(path("suite.json"));
        TemplateStore store([domain] { return domain; }, Bookmark::system());
        QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(path(granted))));
        const QByteArray before = *domain.data("homeFolderBookmark");

        QVERIFY(QFile::rename(path(granted), path(granted + ".old"))); // kept, so its inode is not reused
        QVERIFY(replacement == "link" ? QFile::link(path("other"), path(granted)) : QDir().mkpath(path(granted)));
        if (replacement == "foreign")
            QCOMPARE(::chown(encoded(granted), 65534, 65534), 0);
        LogCapture log;
        const bool renewed = replacement == "folder";
        QCOMPARE(store.resolveHomeFolderURL().has_value(), renewed);
        const QString expected = renewed ? "[QNT] resolveHomeFolderURL: renewed stale bookmark for " + path(granted)
                                         : QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: ");
        QVERIFY2(log.lines().size() == 1 && log.lines().first().startsWith(expected),
                 qPrintable(log.lines().join('\n')));
        QCOMPARE(*domain.data("homeFolderBookmark") != before, renewed);
    }

    // U+DC80 to U+DCFF stand for the bytes of a path that is not UTF-8, and the log shows them as those bytes;
    // other lone surrogates stand for none; a pair is one character.
    void pathTextKeepsEveryByte_data()
    {
        // bytes: empty when the text stands for none
        addColumns<QByteArray, QString, QString>("bytes", "text", "logged");
        const auto row = [](const char* tag, const char* bytes, QStringView text, const char* logged) {
            QTest::newRow(tag) << QByteArray(bytes) << text.toString() << QString(logged);
        };
        row("UTF-8", "/caf\xc3\xa9 \xf0\x9f\x98\x80", u"/caf\u00e9 \U0001F600", "/caf\u00e9 \U0001F600");
        row("lone byte", "a\xff", u"a\xDCFF", "a\\xff");
        row("overlong", "\xc0\xaf", u"\xDCC0\xDCAF", "\\xc0\\xaf");
        row("encoded surrogate", "\xed\xa0\x80", u"\xDCED\xDCA0\xDC80", "\\xed\\xa0\\x80");
        row("cut short, then whole", "\xe2\x82\xe2\x82\xac", u"\xDCE2\xDC82\u20AC", "\\xe2\\x82\u20AC");
        row("above U+10FFFF", "\xf4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80", "\\xf4\\x90\\x80\\x80");
        row("byte order mark after a lone byte", "\xff\xef\xbb\xbf", u"\xDCFF\xFEFF", "\\xff\uFEFF");
        row("unpaired high surrogates", "", u"a\xD83Dx\xD83D", "a\\ud83dx\\ud83d");
        row("surrogate just below the bytes", "", u"\xDC7F", "\\udc7f");
        row("surrogate just above the bytes", "", u"\xDD00", "\\udd00");
        QTest::newRow("NUL") << QByteArray() << QString("a") + QChar(0) << QString("a\\u0000");
    }
    void pathTextKeepsEveryByte()
    {
        const auto [bytes, text, logged] = fetch<QByteArray, QString, QString>("bytes", "text", "logged");
        QCOMPARE(LocalPath::toBytes(text), bytes);
        if (!bytes.isEmpty())
            QCOMPARE(LocalPath::fromBytes(bytes), text);
        QCOMPARE(Log::escapeControls(text), logged);
    }

    void confinementComparesBytes()
    {
        // A Latin-1 sibling, and an invalid byte against U+FFFD. Names that are not UTF-8 cannot be
        // given as text; links with plain names lead to them.
        for (const auto& [granted, sibling] : {std::pair("caf\xe9", "caf\xe8"), {"x\xef\xbf\xbd", "x\xff"}}) {
            const QByteArray root = encoded(QString());
            QVERIFY(::mkdir(root + granted, 0700) == 0 && ::mkdir(root + sibling, 0700) == 0);
            QVERIFY(::symlink(root + granted, root + "granted") == 0 &&
                    ::symlink(root + sibling, root + "sibling") == 0);
            CountedSecurityScope scope;
            QVERIFY(scope.startAccessing(path("granted")));
            ConfinedFileWriter writer(scope);
            QCOMPARE(writer.createNew(path("sibling"), "a.txt", "x").value_or(PlatformError{}).code,
                     PlatformError::permissionDenied);
            QCOMPARE(::access(root + sibling + "/a.txt", F_OK), -1);
            QCOMPARE(writer.createNew(path("granted"), "a.txt", "x"), std::nullopt);
            QVERIFY(QFile::remove(path("granted")) && QFile::remove(path("sibling")));
        }
    }

    void commandHandsOverAsTheyAreOnlyRequestsInPlainForm()
    {
        // As the file managers' modules make them: the fast way must take them.
        for (const QString& url :
             {CreateRequest::url(3, "/home/u/My \"Notes\" ü%", "nautilus"), ImportRequest::url("/a b/c\\d.txt")})
            QVERIFY2(HandOver::isPlainRequest(url.toLatin1()), qPrintable(url));
        // Anything a JSON string, the instance or the full command line would read otherwise.
        for (const char* other : {"quintara://create?d=/a b", "quintara://create?d=\"x", "quintara://create?d=\\x",
                                  "quintara://create?d=%2", "quintara://create?d=%zz", "quintara://create?d=/\xc3\xa9",
                                  "quintara://create?t=0#x", "quintara://open?t=0", "--new"})
            QVERIFY2(!HandOver::isPlainRequest(other), other);
    }

    void runtimeFolderOrListenerOfOthersGetsNothing_data()
    {
        addColumns<int, uid_t>("folderMode", "listener");
        QTest::newRow("runtime folder open to others") << 01777 << ::geteuid();
        QTest::newRow("listener of another user") << 0700 << uid_t(65534);
    }
    void runtimeFolderOrListenerOfOthersGetsNothing()
    {
        const auto [folderMode, listener] = fetch<int, uid_t>("folderMode", "listener");
        const uid_t me = ::geteuid();
        if (listener != me && me != 0)
            QSKIP("listening as another user needs root");
        const QByteArray runtime = encoded("rt");
        QVERIFY(::mkdir(runtime, 0700) == 0 && ::chmod(runtime, mode_t(folderMode)) == 0);
        qputenv("XDG_RUNTIME_DIR", runtime);
        sockaddr_un address{AF_UNIX, {}};
        std::strcpy(address.sun_path, runtime + "/app.quintara.Quintara.socket");
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        // A peer's credentials are those of whoever called listen().
        const bool listening = ::seteuid(listener) == 0 && ::listen(fd, 4) == 0;
        QVERIFY(::seteuid(me) == 0 && listening);
        QVERIFY(InstanceChannel::send({{"quintara://x?d=/secret"}}, 1000) != InstanceChannel::Delivery::Delivered);
        QCOMPARE(handOverByTheCommand({"quintara://create?d=/secret"}), HandOver::Outcome::noInstance);
        // Not one byte of either request arrived.
        for (int peer; (peer = ::accept4(fd, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; ::close(peer)) {
            char byte;
            QVERIFY(::recv(peer, &byte, 1, 0) <= 0);
        }
        ::close(fd);
    }

    // The launch's activation token reaches the instance; one it cannot use is dropped, not the URLs.
    void channelCarriesTheActivationToken_data()
    {
        // wayland: the launch's environment, or the raw message when "{"
        const auto row = columns<QByteArray, QByteArray, QString>("wayland", "startup", "received");
        row("Wayland token", "abc-1", {}, "abc-1");
        row("X11 start-up id", {}, "app_TIME42", "app_TIME42");
        row("both: Wayland's", "w", "x", "w");
        row("unusable Wayland token", "a b", "x", "x");
        row("longest", QByteArray(256, 't'), {}, QString(256, 't'));
        row("too long", QByteArray(257, 't'), {}, "");
        row("older launch", "{\"urls\":[\"quintara://u\"]}", {}, "");
        row("control character", "{\"urls\":[\"quintara://u\"],\"token\":\"a\\nb\"}", {}, "");
    }
    void channelCarriesTheActivationToken()
    {
        const auto [wayland, startup, received] =
            fetch<QByteArray, QByteArray, QString>("wayland", "startup", "received");
        const auto restore = qScopeGuard([] { qunsetenv("XDG_ACTIVATION_TOKEN"), qunsetenv("DESKTOP_STARTUP_ID"); });
        InstanceChannel channel;
        QVERIFY(channel.listen());
        QSignalSpy spy(&channel, &InstanceChannel::urlsReceived);
        QLocalSocket socket;
        std::jthread launch;
        if (wayland.startsWith('{')) {
            socket.connectToServer(InstanceChannel::socketPath());
            QVERIFY(socket.waitForConnected() && socket.write(wayland + '\n') > 0);
        } else {
            qputenv("XDG_ACTIVATION_TOKEN", wayland), qputenv("DESKTOP_STARTUP_ID", startup);
            // The channel's client, then the command's own hand-over, which reads the token itself.
            launch = std::jthread([token = InstanceChannel::activationTokenFromEnvironment()] {
                InstanceChannel::send({{"quintara://u"}, token}, 10'000);
                handOverByTheCommand({"quintara://create?t=0"});
            });
            QTRY_COMPARE(spy.count(), 2);
            QCOMPARE(spy.at(1), (QVariantList{QStringList{"quintara://create?t=0"}, received}));
        }
        QTRY_VERIFY(spy.count() >= 1);
        QCOMPARE(spy.at(0), (QVariantList{QStringList{"quintara://u"}, received}));
    }

    void channelServesOnlyThisUser()
    {
        if (::geteuid() != 0)
            QSKIP("connecting as another user needs root");
        InstanceChannel channel;
        QVERIFY(channel.listen());
        QSignalSpy received(&channel, &InstanceChannel::urlsReceived);
        // Opened to everyone, as a mistake elsewhere could leave them: the peer is still checked.
        const sockaddr_un address = instanceAddress();
        QVERIFY(::chmod(encoded(QString()), 0755) == 0 && ::chmod(encoded("runtime"), 0755) == 0 &&
                ::chmod(address.sun_path, 0666) == 0);
        const QByteArray message = "{\"urls\":[\"quintara://create?t=0&d=/tmp\"]}\n";
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool sent = ::seteuid(65534) == 0 &&
                          ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                          ::write(fd, message.constData(), size_t(message.size())) == message.size();
        QVERIFY(::seteuid(0) == 0 && sent);
        // The channel is served by this event loop: it closes the connection (0) or answers (1).
        char byte;
        ssize_t answer = -1;
        QTRY_VERIFY_WITH_TIMEOUT((answer = ::recv(fd, &byte, 1, MSG_DONTWAIT)) >= 0, 10'000);
        QCOMPARE(std::pair(int(answer), int(received.count())), std::pair(0, 0));
        ::close(fd);
    }

    void fallbackRuntimeFolderTakenByAnotherUserIsNotUsed()
    {
        if (::geteuid() != 0)
            QSKIP("making a folder of another user's needs root");
        const QByteArray open = encoded("open"), tmp = encoded("tmp");
        QVERIFY(::mkdir(open, 0700) == 0 && ::chmod(open, 01777) == 0 && ::mkdir(tmp, 0700) == 0);
        const QByteArray taken = tmp + "/quintara-runtime-" + QByteArray::number(::geteuid());
        QVERIFY(::mkdir(taken, 0777) == 0 && ::chown(taken, 65534, 65534) == 0);
        qputenv("XDG_RUNTIME_DIR", open);
        qputenv("TMPDIR", tmp);
        qputenv("XDG_CACHE_HOME", encoded("cache"));
        QCOMPARE(InstanceChannel::socketPath(), path("cache/quintara-runtime/app.quintara.Quintara.socket"));
        // A relative one, even naming a private folder from where this launch runs, is not the same for all.
        const QString here = QDir::currentPath();
        QVERIFY(::mkdir(encoded("relative"), 0700) == 0 && QDir::setCurrent(path("")));
        qputenv("XDG_RUNTIME_DIR", "relative");
        const QString relative = InstanceChannel::socketPath();
        QVERIFY(QDir::setCurrent(here));
        QCOMPARE(relative, path("cache/quintara-runtime/app.quintara.Quintara.socket"));
        // Both taken: no channel at all, rather than one that user reaches.
        QVERIFY(::chown(encoded("cache/quintara-runtime"), 65534, 65534) == 0);
        QCOMPARE(InstanceChannel::socketPath(), QString());
        QCOMPARE(InstanceChannel::send({{"quintara://u"}}, 1000), InstanceChannel::Delivery::NoInstance);
    }

    // An instance that ends serves what reached it; a launch it closed unanswered tries again.
    void anEndingInstanceServesWhatReachedIt()
    {
        std::optional<InstanceChannel> channel(std::in_place);
        QVERIFY(channel->listen());
        QSignalSpy served(&*channel, &InstanceChannel::urlsReceived);
        const sockaddr_un address = instanceAddress();
        const int queued = sentWhole("{\"urls\":[\"quintara://u\"]}\n");
        QVERIFY(queued >= 0);
        bool finished = false;
        channel->finish([&finished] { finished = true; });
        QVERIFY(!QFile::exists(address.sun_path)); // a later launch starts the next instance
        QTRY_VERIFY(finished);
        char answer[8] = {};
        QCOMPARE(std::pair(int(served.count()), ::recv(queued, answer, sizeof answer, 0)), std::pair(1, ssize_t(3)));
        ::close(queued);
        channel.reset();
        // A listener that closes the connection without an answer did not serve it.
        const int closing = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        QVERIFY(::bind(closing, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                ::listen(closing, 4) == 0);
        std::jthread hangUp([closing] {
            char message[64];
            const int peer = ::accept(closing, nullptr, nullptr);
            ::recv(peer, message, sizeof message, 0), ::close(peer);
        });
        QCOMPARE(InstanceChannel::send({{"quintara://u"}}, 10'000), InstanceChannel::Delivery::NoInstance);
        ::close(closing);
    }

    void aBurstBeyondTheConnectionBoundIsServedWhole()
    {
        InstanceChannel channel;
        QVERIFY(channel.listen());
        int served = 0;
        channel.setHandler([&served](const InstanceChannel::Message& message) {
            served += int(message.urls.size());
            return message.direct.value(0) ? QStringList{"refused"} : QStringList();
        });
        // Each sends its whole message before the instance takes any of them in.
        std::vector<int> senders(150);
        for (size_t i = 0; i < senders.size(); ++i) {
            senders[i] = sentWhole(i % 2 ? "{\"urls\":[\"u\"],\"outcome\":true}\n"
                                         : "{\"urls\":[\"u\"],\"direct\":[true],\"outcome\":true}\n");
            QVERIFY(senders[i] >= 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(served, 150, 60000); // a loaded machine takes its time
        for (size_t i = 0; i < senders.size(); ++i) {
            char answer[64] = {};
            QTRY_VERIFY(::recv(senders[i], answer, sizeof answer - 1, MSG_DONTWAIT | MSG_PEEK) > 0);
            QCOMPARE(QByteArray(answer), i % 2 ? "{\"failures\":[]}\n" : "{\"failures\":[\"refused\"]}\n");
            ::close(senders[i]);
        }
    }

    void integrationProbeReadsTheMachine_data()
    {
        // file: made in the machine
        // xdgMime: what xdg-mime runs, or nothing for no xdg-mime
        const auto row = columns<QString, bool, QByteArray, QString>("file", "executable", "xdgMime", "found");
        const QByteArray ours = "echo app.quintara.Quintara.desktop";
        row("program", "bin/caja", true, ours, "3+ links");
        row("program not executable", "bin/caja", false, ours, "links");
        row("module", "modules/thunar.so", false, ours, "4m links");
        row("service menu", "servicemenu.desktop", true, ours, "1m links");
        row("service menu not executable", "servicemenu.desktop", false, ours, "links");
        row("another handler", "bin/nautilus", true, "echo other.desktop", "0+ ");
        row("answer too long", "bin/nemo", true, ours + "; head -c 5000 /dev/zero | tr '\\0' ' '", "2+ ");
        row("xdg-mime failing", "bin/nemo", true, ours + "; exit 1", "2+ ");
        row("no xdg-mime", "bin/nemo", true, {}, "2+ ");
    }
    void integrationProbeReadsTheMachine()
    {
        const auto [file, executable, xdgMime, found] =
            fetch<QString, bool, QByteArray, QString>("file", "executable", "xdgMime", "found");
        IntegrationMachine machine;
        xdgMime.isEmpty() ? void(QFile::remove(machine.path("bin/xdg-mime")))
                          : machine.install("xdg-mime", "#!/bin/sh\n" + xdgMime + '\n');
        QSignalSpy answers(&machine.probe, &IntegrationProbe::stateRead);
        machine.probe.refresh(); // overtaken by the read below: only the newest is reported
        writeAll(machine.path(file), "");
        QFile::setPermissions(machine.path(file), QFile::ReadOwner | QFile::WriteOwner |
                                                      (executable ? QFile::ExeOwner : QFile::Permissions()));
        machine.probe.refresh();
        QVERIFY(answers.wait() && !answers.wait(300));
        QCOMPARE(summary(answers.first().first().value<IntegrationState>()), found);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_Platform.moc"
