#include "creation/CreateRequest.h"
#include "creation/FileCreationService.h"
#include "creation/ImportRequest.h"
#include "support/Fakes.h"
#include "support/StoreFixture.h"
#include "support/Table.h"

#include <QtTest>

#include <cstdio>
#include <filesystem>

namespace {

// 2026-12-05 06:46:40 UTC; the in-process cases run with TZ=UTC and LC_ALL=en_US.UTF-8 (see main).
const QDateTime instant = QDateTime::fromSecsSinceEpoch(1796453200, Qt::UTC);

QString expand(const QString& content, const QString& folder, const FakeClock& clock)
{
    static TemplateStore store([] { return SettingsDomain("/nonexistent/settings.json"); });
    const FakeUserAccount account("Ada {{folder}}");
    return FileCreationService(store, FileWriter::system(), clock, account)
        .expandVariables(content, QUrl::fromLocalFile(folder));
}

// Another program that takes each name the engine is about to write, the first `times` times.
struct RacingWriter final : FileWriter {
    RacingWriter(FileWriter& inner, int times) : inner(inner), times(times) {}
    std::optional<PlatformError> createNew(const QString& directory, const QString& name,
                                           const QByteArray& bytes) override
    {
        attempts.append(name);
        if (times-- > 0)
            writeAll(directory + '/' + name, "theirs");
        return inner.createNew(directory, name, bytes);
    }
    FileWriter& inner;
    int times;
    QStringList attempts;
};

} // namespace

// The create request, the variables of a template, and the engine that writes the new file.
class TestCreation : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::optional<CountedSecurityScope> m_scope;
    std::optional<ConfinedFileWriter> m_writer;
    QString m_folder;
    const FakeClock m_clock{instant};
    const FakeUserAccount m_account;

    FileCreationService::Result create(const QUrl& where, const QString& extension = "txt",
                                       std::optional<QString> baseName = {}, FileWriter* writer = nullptr)
    {
        FileTemplate body{QUuid::createUuid(), "T", extension, "{{folder}} \u2014", false};
        const FileCreationService engine(m_fixture->store, writer ? *writer : *m_writer, m_clock, m_account);
        if (baseName && baseName->startsWith("own:")) // the template's own
            body.baseName = baseName->mid(4), baseName.reset();
        if (baseName && baseName->startsWith('=')) // a name chosen, as typed
            return engine.createNamedFile(body, where, FileCreationService::completedName(baseName->mid(1), extension));
        return engine.createFile(body, where, baseName);
    }
    QUrl folderUrl() const { return QUrl::fromLocalFile(m_folder); }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_folder = m_fixture->home.folder("Notes");
        m_scope.emplace();
        QVERIFY(m_scope->startAccessing(m_fixture->home.path()));
        m_writer.emplace(*m_scope);
    }
    void cleanup() { m_writer.reset(), m_scope.reset(), m_fixture.reset(); }

    void parsesTheRequest_data()
    {
        // expected: "index directory", "import file"; empty when rejected
        addColumns<QString, QString>("url", "expected");
        const auto row = [](const QString& url, const QString& expected = {}) {
            QTest::newRow(qPrintable(url)) << url << expected;
        };
        row("quintara://create?x=1&d=/n&t=2", "2 /n"); // other order, extras ignored
        row("quintara://create/p?t=+01&d=/x#f", "1 /x");
        row("quintara://create?t=9223372036854775807&d=/x", "9223372036854775807 /x");
        row("quintara://create?t=0&d=/a+b/My%20%23%3F%26%25/caf%C3%A9", "0 /a+b/My #?&%/caf\u00e9"); // plus stays plus
        row("quintara://create?t=0&d=/x%FF", QStringView(u"0 /x\xDCFF").toString()); // a byte that is not UTF-8
        row("quintara://create?t=0&d=/x%00y");
        for (const char* query :
             {"?t=0&d", "?t=0", "?t&d=/x", "?t=&d=/x", "?t=1.0&d=/x", "?t=%201&d=/x", "?t=9223372036854775808&d=/x",
              "?t=-9223372036854775809&d=/x", "?t=++1&d=/x", "?t=%EF%BC%91&d=/x" /* a fullwidth one */})
            row("quintara://create" + QString(query));
        for (const char* url : {"quintara://open?t=0&d=/x", "quintara:create?t=0&d=/x", "Quintara://create?t=0&d=/x"})
            row(url);
        row("quintara://import?x&f=/a+b/My%20%23%3F%26%25/caf%C3%A9.txt&f=/y", "import /a+b/My #?&%/caf\u00e9.txt");
        for (const char* query : {"", "?f", "?f=", "?f=notes.txt", "?f=%2Fx%00.txt", "?f=/x%zz", "?t=0&d=/x"})
            row("quintara://import" + QString(query));
        for (const char* url : {"Quintara://import?f=/x", "quintara:import?f=/x", "quintara://create?f=/x"})
            row(url);
    }
    void parsesTheRequest()
    {
        const auto [url, expected] = fetch<QString, QString>("url", "expected");
        const std::optional<CreateRequest> request = CreateRequest::parse(url);
        const std::optional<ImportRequest> import = ImportRequest::parse(url);
        QCOMPARE(request  ? QString::number(request->index) + ' ' + request->directoryPath
                 : import ? "import " + import->filePath
                          : QString(),
                 expected);
        if (import) // and back through the URL a sender writes
            QCOMPARE(ImportRequest::parse(ImportRequest::url(import->filePath))->filePath, import->filePath);
    }

    void expandsVariables_data()
    {
        const auto row = columns<QString, QString, QString>("content", "folder", "expected");
        const QString notes = QStringLiteral("/home/ada/Notes");
        // Qt's short time for en_US may put U+202F NARROW NO-BREAK SPACE before the day period.
        const QString time = expand("{{time}}", notes, FakeClock(instant));
        QVERIFY(time == "6:46 AM" || time == "6:46\u202fAM");
        // Each placeholder is replaced in turn; text put in is searched only by the later ones: the
        // user's name holds "{{folder}}".
        row("all five", "# {{date}}|{{time}}|{{folder}}|{{username}}|{{year}}", notes,
            "# 12/5/26|" + time + "|Notes|Ada {{folder}}|2026");
        row("near misses stay", "{{Date}} {{ date }} {date} {{month}} {{year}", notes,
            "{{Date}} {{ date }} {date} {{month}} {{year}");
        row("every occurrence, doubled braces", "{{year}}-{{{{year}}}}", notes, "2026-{{2026}}");
        row("folder inserts a later placeholder", "{{folder}}", "/tmp/{{year}}", "2026");
        row("root folder", "{{folder}}", "/", "/");
        row("trailing slashes", "{{folder}}", "/home/ada/Caf\u00e9 2//", "Caf\u00e9 2");
    }
    void expandsVariables()
    {
        const auto [content, folder, expected] = fetch<QString, QString, QString>("content", "folder", "expected");
        QCOMPARE(expand(content, folder, FakeClock(instant)), expected);
    }

    void followsTheUsersLocaleAndTimeZone()
    {
        // This program again, as a child with the user's settings, on a clock that moves an hour at every
        // question: 2027-01-01 09:30 UTC is still 2026 in Honolulu, for half an hour.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "de_DE.UTF-8");
        env.insert("TZ", "Pacific/Honolulu");
        const qint64 seconds = QDateTime(QDate(2027, 1, 1), QTime(9, 30), Qt::UTC).toSecsSinceEpoch();
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--expand", QString::number(seconds)});
        QVERIFY(child.waitForFinished(30'000));
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), "31.12.26 23:30 2026");
        // The name is the first field of the account's description, in UTF-8.
        QCOMPARE(UserAccount::fullNameFromGecos("Jos\xc3\xa9 M,Room 1,555-0100,"), "Jos\u00e9 M");
    }

    void createsUnderTheFirstFreeNameOrNothing_data()
    {
        // existing: in Notes; a trailing slash makes a folder
        // target: below the home; "relative:" and "url:" taken as they are
        // baseName: "=NAME": the name chosen, as typed, instead of a base name; "own:NAME": the template's own
        // expected: the new file's name, or the error's description
        const auto add = columns<QStringList, QString, QString, QString, QString>("existing", "target", "baseName",
                                                                                  "extension", "expected");
        const auto row = [&add](const char* tag, const QStringList& existing, const QString& base,
                                const QString& extension, const QString& expected) {
            add(tag, existing, "Notes", base, extension, expected);
        };
        row("first two taken", {"Untitled.txt", "Untitled 2.txt"}, "Untitled", "txt", "Untitled 3.txt");
        row("never number one; a folder counts", {"Untitled.txt/", "Untitled 1.txt"}, "Untitled", "txt",
            "Untitled 2.txt");
        row("other extensions do not count", {"Untitled.md"}, "Untitled", "txt", "Untitled.txt");
        row("no extension, taken", {"Untitled"}, "Untitled", "", "Untitled 2");
        row("spaces kept", {"My  Draft .tar.gz"}, "My  Draft ", "tar.gz", "My  Draft  2.tar.gz");
        row("slashes and NUL stay inside the folder", {}, QStringLiteral("a/../b") + QChar(0), "/etc", "a-..-b-.-etc");
        row("own base name, filled in", {"On Notes-.txt"}, "own:On {{folder}}/", "txt", "On Notes- 2.txt");
        row("own base name, blank", {}, "own: \t", "txt", "Untitled.txt");
        // A chosen name gets the template's extension only when it has none, and is never replaced.
        row("chosen, extension added", {"Draft"}, "=Draft", "txt", "Draft.txt");
        row("chosen, trailing dot completed", {}, "=Draft.", "tar.gz", "Draft.tar.gz");
        row("chosen, own extension kept", {"Draft.txt"}, "=Draft.md", "txt", "Draft.md");
        row("chosen, hidden name kept", {}, "=.env", "txt", ".env");
        row("chosen, no extension to add", {}, "=Draft", "", "Draft");
        row("chosen, 255 bytes", {}, "=" + QString(251, 'n'), "txt", QString(251, 'n') + ".txt");
        const char* taken = "An item with this name already exists";
        row("chosen, taken once completed", {"Draft.txt"}, "=Draft", "txt", taken);
        row("chosen, a folder is taken too", {"Draft.txt/"}, "=Draft.txt", "txt", taken);
        for (const QString& name :
             {QString("="), QString("=."), QString("=.."), QString("=../Draft"), QString("=   "), QString("= \t.md"),
              QString("=a") + QChar(0), "=" + QString(252, 'n'), "=" + QString(128, u'é')})
            row(qPrintable("chosen, invalid: " + name.left(8)), {}, name, name.contains(u'é') ? "" : "txt",
                "The file name is not valid.");
        const auto fails = [&add](const char* target, const char* expected, const QString& baseName = {}) {
            add(target, {"file.txt"}, target, baseName, "txt", expected);
        };
        const char* notFound = "The target directory could not be found.";
        fails("Notes/missing", notFound);
        fails("Notes/file.txt", "The target path is not a directory.");
        fails("Notes/dangling", notFound);
        fails("relative:Notes", notFound);
        fails("url:https://example.invalid/Notes", notFound);
        fails("elsewhere", "Permission denied. Cannot write to this location."); // outside every folder under access
        fails("Notes", "File name too long", QString(300, 'n'));                 // the platform's own message
        fails("elsewhere", "Permission denied. Cannot write to this location.", "=Draft");
        fails("Notes/missing", notFound, "=Draft");
    }
    void createsUnderTheFirstFreeNameOrNothing()
    {
        auto [existing, target, baseName, extension, expected] = fetch<QStringList, QString, QString, QString, QString>(
            "existing", "target", "baseName", "extension", "expected");
        for (const QString& name : existing)
            name.endsWith('/') ? void(QDir().mkpath(m_folder + '/' + name)) : writeAll(m_folder + '/' + name, "x");
        QFile::link(m_fixture->home.path() + "/gone", m_folder + "/dangling");
        QDir::setCurrent(m_fixture->home.path()); // a relative path must not be taken from here
        const QTemporaryDir elsewhere;
        QUrl url = QUrl::fromLocalFile(m_fixture->home.path() + '/' + target);
        if (target.startsWith("relative:"))
            url = QUrl::fromLocalFile(target.mid(9));
        else if (target.startsWith("url:"))
            url = QUrl(target.mid(4));
        else if (target == "elsewhere")
            url = QUrl::fromLocalFile(elsewhere.path());
        const auto result = create(url, extension, baseName.isEmpty() ? std::nullopt : std::optional(baseName));
        QStringList after = existing.replaceInStrings("/", "") << "dangling";
        if (const QUrl* created = std::get_if<QUrl>(&result)) {
            QCOMPARE(*created, QUrl::fromLocalFile(m_folder + '/' + expected));
            QCOMPARE(readAll(created->toLocalFile()), QByteArray("Notes \xe2\x80\x94")); // expanded, in UTF-8
            after.append(expected);
        } else {
            const QString description = std::get<FileCreationError>(result).errorDescription();
            QVERIFY2(description.contains(expected), qPrintable(description));
        }
        after.sort();
        QCOMPARE(entries(m_folder) + entries(elsewhere.path()), after);
        QVERIFY(!QFile::exists(m_fixture->home.path() + "/Untitled.txt"));
    }

    void movesOnWhenTheNameIsTakenThenToTheClockThenGivesUp()
    {
        RacingWriter racer(*m_writer, 2);
        QCOMPARE(std::get<QUrl>(create(folderUrl(), "txt", {}, &racer)).fileName(), "Untitled 3.txt");
        QCOMPARE(racer.attempts, (QStringList{"Untitled.txt", "Untitled 2.txt", "Untitled 3.txt"}));
        QCOMPARE(readAll(m_folder + "/Untitled 2.txt"), QByteArray("theirs"));
        for (int n = 4; n <= 999; ++n) // the clock comes straight after 999
            writeAll(m_folder + QStringLiteral("/Untitled %1.txt").arg(n), "");
        const QString stamped = QStringLiteral("Untitled %1.txt").arg(instant.toSecsSinceEpoch());
        QCOMPARE(std::get<QUrl>(create(folderUrl())).fileName(), stamped);
        // When even the time-stamped name is taken at the write, it gives up.
        QFile::remove(m_folder + '/' + stamped);
        RacingWriter last(*m_writer, 1);
        const auto result = create(folderUrl(), "txt", {}, &last);
        QCOMPARE(std::get<FileCreationError>(result).errorCase(), FileCreationError::Case::tooManyConflicts);
        QCOMPARE(last.attempts.size(), 1);
        // In a folder whose name is not UTF-8, its own entries count and the file is written there.
        const std::string odd = QFile::encodeName(m_folder).toStdString() + "/\xff";
        QVERIFY(std::filesystem::create_directories(odd + "/Untitled.txt"));
        const QUrl oddUrl = QUrl::fromLocalFile(m_folder + '/' + QChar(0xDCFF));
        const FileCreationService engine(m_fixture->store, *m_writer, m_clock, m_account);
        QCOMPARE(engine.uniqueFileName("Untitled", "txt", oddUrl), "Untitled 2.txt");
        QCOMPARE(std::get<QUrl>(create(oddUrl)).fileName(), "Untitled 2.txt");
        QVERIFY(std::filesystem::exists(odd + "/Untitled 2.txt"));
        std::filesystem::remove_all(odd); // Qt cannot spell its name to remove it

        m_fixture->store.setDefaultBaseName(" Draft "); // used as it is
        QCOMPARE(std::get<QUrl>(create(folderUrl())).fileName(), " Draft .txt");
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--expand") == 0) {
        QCoreApplication app(argc, argv);
        const FakeClock clock(QDateTime::fromSecsSinceEpoch(QByteArray(argv[2]).toLongLong(), Qt::UTC), 3600);
        std::fputs(expand("{{date}} {{time}} {{year}}", "/", clock).toUtf8().constData(), stdout);
        return 0;
    }
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    TestCreation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Creation.moc"
