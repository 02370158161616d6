#include "creation/FileCreationService.h"
#include "model/BuiltInTemplates.h"
#include "platform/SecurityScope.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FileCreationError)

namespace {

// 2026-12-05 06:46:40 UTC
const QDateTime instant = QDateTime::fromSecsSinceEpoch(1796453200, Qt::UTC);

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

FileTemplate withExtension(const QString& extension, const QString& content = QStringLiteral("{{folder}}"))
{
    return FileTemplate{QUuid::createUuid(), QStringLiteral("T"), extension, content, false};
}

// Another program that takes each name the engine is about to write, the first `times` times.
class RacingWriter final : public FileWriter {
public:
    RacingWriter(FileWriter& inner, int times) : m_inner(inner), m_times(times) {}
    std::optional<PlatformError> createNew(const QString& directory, const QString& name,
                                           const QByteArray& bytes) override
    {
        m_attempts.append(name);
        if (m_times-- > 0) {
            QProcess::execute(QStringLiteral("/bin/sh"),
                              {QStringLiteral("-c"), QStringLiteral("printf theirs > \"$1\""), QStringLiteral("sh"),
                               directory + QLatin1Char('/') + name});
        }
        return m_inner.createNew(directory, name, bytes);
    }
    QStringList m_attempts;

private:
    FileWriter& m_inner;
    int m_times;
};

} // namespace

class TestFileCreationService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void choosesTheFirstFreeName_data();
    void choosesTheFirstFreeName();
    void fallsBackToTheClockWhenAllNumbersAreTaken();
    void createsTheExpandedTextWithTheStoredBaseName();
    void folderChecksCreateNothing_data();
    void folderChecksCreateNothing();
    void writeFailuresMapToErrors();
    void movesOnWhenTheNameIsTakenAtTheWrite();
    void givesUpWhenEvenTheFallbackIsTaken();
    void errorMessages_data();
    void errorMessages();

private:
    FileCreationService service(FileWriter* writer = nullptr);
    QString folder() const { return m_home->path() + QStringLiteral("/Notes"); }
    QUrl folderUrl() const { return QUrl::fromLocalFile(folder()); }
    void touch(const QStringList& names) const;

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<TemplateStore> m_store;
    CountedSecurityScope m_scope;
    std::unique_ptr<ConfinedFileWriter> m_writer;
    FakeClock m_clock{instant};
    FakeUserAccount m_account;
};

void TestFileCreationService::init()
{
    m_home = std::make_unique<TemporaryHome>();
    QVERIFY(QDir().mkpath(folder()));
    m_store = std::make_unique<TemplateStore>(
        [home = m_home->path()] { return SettingsDomain(home + QStringLiteral("/settings.json")); });
    QVERIFY(m_scope.startAccessing(m_home->path()));
    m_writer = std::make_unique<ConfinedFileWriter>(m_scope);
}

void TestFileCreationService::cleanup()
{
    m_scope.stopAccessing(m_home->path());
    m_home.reset();
}

FileCreationService TestFileCreationService::service(FileWriter* writer)
{
    return FileCreationService(*m_store, writer ? *writer : *m_writer, m_clock, m_account);
}

void TestFileCreationService::touch(const QStringList& names) const
{
    for (const QString& name : names)
        writeAll(folder() + QLatin1Char('/') + name, "existing");
}

void TestFileCreationService::choosesTheFirstFreeName_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("expected");

    const QString untitled = QStringLiteral("Untitled");
    QTest::newRow("empty folder") << QStringList() << untitled << "txt"
                                  << "Untitled.txt";
    QTest::newRow("first two taken") << QStringList{"Untitled.txt", "Untitled 2.txt"} << untitled << "txt"
                                     << "Untitled 3.txt";
    QTest::newRow("only the second taken") << QStringList{"Untitled 2.txt"} << untitled << "txt"
                                           << "Untitled.txt";
    QTest::newRow("a gap") << QStringList{"Untitled.txt", "Untitled 3.txt"} << untitled << "txt"
                           << "Untitled 2.txt";
    QTest::newRow("never number one") << QStringList{"Untitled.txt", "Untitled 1.txt"} << untitled << "txt"
                                      << "Untitled 2.txt";
    QTest::newRow("other extensions do not count") << QStringList{"Untitled.md"} << untitled << "txt"
                                                   << "Untitled.txt";
    QTest::newRow("empty extension keeps its dot") << QStringList() << untitled << ""
                                                   << "Untitled.";
    QTest::newRow("empty extension, taken") << QStringList{"Untitled."} << untitled << ""
                                            << "Untitled 2.";
    QTest::newRow("a dot in the extension is kept") << QStringList() << untitled << "tar.gz"
                                                    << "Untitled.tar.gz";
    QTest::newRow("spaces in the base name") << QStringList{"My  Draft .md"} << "My  Draft "
                                             << "md"
                                             << "My  Draft  2.md";
    QTest::newRow("empty base name") << QStringList() << ""
                                     << "txt"
                                     << ".txt";
    QTest::newRow("a slash in the base name") << QStringList() << "a/../b"
                                              << "txt"
                                              << "a-..-b.txt";
    QTest::newRow("a slash in the extension") << QStringList() << untitled << "/etc"
                                              << "Untitled.-etc";
    QTest::newRow("a NUL") << QStringList() << QStringLiteral("a") + QChar(0) << "txt"
                           << "a-.txt";
    QTest::newRow("a folder holds the name") << QStringList{"Untitled.txt/"} << untitled << "txt"
                                             << "Untitled 2.txt";
}

void TestFileCreationService::choosesTheFirstFreeName()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, baseName);
    QFETCH(QString, extension);
    QFETCH(QString, expected);
    for (const QString& name : existing) {
        if (name.endsWith(QLatin1Char('/')))
            QVERIFY(QDir().mkpath(folder() + QLatin1Char('/') + name));
        else
            touch({name});
    }
    QCOMPARE(service().uniqueFileName(baseName, extension, folderUrl()), expected);

    const FileCreationService::Result result = service().createFile(withExtension(extension), folderUrl(), baseName);
    const QUrl* created = std::get_if<QUrl>(&result);
    QVERIFY(created);
    QCOMPARE(created->fileName(), expected);
    QCOMPARE(QFileInfo(created->toLocalFile()).absolutePath(), folder());
    QCOMPARE(readAll(created->toLocalFile()), QByteArray("Notes"));
}

void TestFileCreationService::fallsBackToTheClockWhenAllNumbersAreTaken()
{
    QStringList all{QStringLiteral("Untitled.txt")};
    for (int n = 2; n <= 999; ++n)
        all.append(QStringLiteral("Untitled %1.txt").arg(n));
    touch(all);
    const QString expected = QStringLiteral("Untitled %1.txt").arg(instant.toSecsSinceEpoch());
    QCOMPARE(service().uniqueFileName(QStringLiteral("Untitled"), QStringLiteral("txt"), folderUrl()), expected);

    touch({QStringLiteral("Untitled 1000.txt")}); // not a candidate: the fallback comes straight after 999
    const FileCreationService::Result result = service().createFile(withExtension(QStringLiteral("txt")), folderUrl());
    QCOMPARE(std::get<QUrl>(result).fileName(), expected);
    QCOMPARE(entries(folder()).size(), 1000 + 1);
}

void TestFileCreationService::createsTheExpandedTextWithTheStoredBaseName()
{
    const FileTemplate css = builtInTemplates().at(7);
    std::get<QUrl>(service().createFile(css, folderUrl()));
    QCOMPARE(readAll(folder() + QStringLiteral("/Untitled.css")), QByteArray("/* Notes \xe2\x80\x94 12/5/26 */\n\n"));

    // Read afresh at every call, used exactly as stored.
    m_store->setDefaultBaseName(QStringLiteral(" Draft "));
    const QUrl second = std::get<QUrl>(service().createFile(builtInTemplates().at(0), folderUrl()));
    QCOMPARE(second.fileName(), QStringLiteral(" Draft .txt"));
    QCOMPARE(readAll(second.toLocalFile()), QByteArray()); // nothing added to an empty body

    // A given base name wins over the stored one.
    const QUrl third = std::get<QUrl>(service().createFile(css, folderUrl(), QStringLiteral("Given")));
    QCOMPARE(third.fileName(), QStringLiteral("Given.css"));
}

void TestFileCreationService::folderChecksCreateNothing_data()
{
    QTest::addColumn<QString>("target"); // relative to the temporary home, or absolute
    QTest::addColumn<int>("expectedCase");
    const int notFound = int(FileCreationError::Case::directoryNotFound);
    QTest::newRow("missing") << "Notes/missing" << notFound;
    QTest::newRow("a regular file") << "Notes/file.txt" << int(FileCreationError::Case::notADirectory);
    QTest::newRow("a dangling link") << "Notes/dangling" << notFound;
    QTest::newRow("a relative path") << "relative:Notes" << notFound;
    QTest::newRow("not a file URL") << "url:https://example.invalid/Notes" << notFound;
}

void TestFileCreationService::folderChecksCreateNothing()
{
    QFETCH(QString, target);
    QFETCH(int, expectedCase);
    touch({QStringLiteral("file.txt")});
    QFile::link(m_home->path() + QStringLiteral("/gone"), folder() + QStringLiteral("/dangling"));
    QDir::setCurrent(m_home->path()); // a relative path must not be taken from here

    QUrl url = QUrl::fromLocalFile(m_home->path() + QLatin1Char('/') + target);
    if (target.startsWith(QStringLiteral("relative:")))
        url = QUrl::fromLocalFile(target.mid(9));
    else if (target.startsWith(QStringLiteral("url:")))
        url = QUrl(target.mid(4));
    const QStringList before = entries(folder());

    const FileCreationService::Result result = service().createFile(withExtension(QStringLiteral("txt")), url);
    const FileCreationError* error = std::get_if<FileCreationError>(&result);
    QVERIFY(error);
    QCOMPARE(int(error->errorCase()), expectedCase);
    QCOMPARE(entries(folder()), before);
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/Untitled.txt")));
}

void TestFileCreationService::writeFailuresMapToErrors()
{
    // Outside every folder under access: refused as the platform refuses it, code 513.
    QTemporaryDir elsewhere;
    const FileCreationService::Result refused =
        service().createFile(withExtension(QStringLiteral("txt")), QUrl::fromLocalFile(elsewhere.path()));
    QCOMPARE(std::get<FileCreationError>(refused).errorCase(), FileCreationError::Case::permissionDenied);
    QCOMPARE(entries(elsewhere.path()), QStringList());

    // Any other failure keeps the platform's own error and message.
    const QString tooLong(300, QLatin1Char('n'));
    const FileCreationService::Result failed =
        service().createFile(withExtension(QStringLiteral("txt")), folderUrl(), tooLong);
    const FileCreationError& error = std::get<FileCreationError>(failed);
    QCOMPARE(error.errorCase(), FileCreationError::Case::unknownError);
    QVERIFY(error.underlying());
    QCOMPARE(error.errorDescription(), error.underlying()->description);
    QVERIFY2(error.errorDescription().contains(QStringLiteral("File name too long")),
             qPrintable(error.errorDescription()));
    QCOMPARE(entries(folder()), QStringList()); // no partial or temporary file
}

void TestFileCreationService::movesOnWhenTheNameIsTakenAtTheWrite()
{
    RacingWriter racer(*m_writer, 2);
    const QUrl created = std::get<QUrl>(service(&racer).createFile(withExtension(QStringLiteral("txt")), folderUrl()));
    QCOMPARE(created.fileName(), QStringLiteral("Untitled 3.txt"));
    QCOMPARE(racer.m_attempts, (QStringList{"Untitled.txt", "Untitled 2.txt", "Untitled 3.txt"}));
    QCOMPARE(readAll(folder() + QStringLiteral("/Untitled.txt")), QByteArray("theirs"));
    QCOMPARE(readAll(folder() + QStringLiteral("/Untitled 2.txt")), QByteArray("theirs"));
    QCOMPARE(entries(folder()).size(), 3);

    // A dangling link on the first name looks free to the check but is never written through.
    QFile::link(m_home->path() + QStringLiteral("/target"), folder() + QStringLiteral("/Link.md"));
    const QUrl next =
        std::get<QUrl>(service().createFile(withExtension(QStringLiteral("md")), folderUrl(), QStringLiteral("Link")));
    QCOMPARE(next.fileName(), QStringLiteral("Link 2.md"));
    QVERIFY(!QFile::exists(m_home->path() + QStringLiteral("/target")));
}

void TestFileCreationService::givesUpWhenEvenTheFallbackIsTaken()
{
    QStringList all{QStringLiteral("Untitled.txt")};
    for (int n = 2; n <= 999; ++n)
        all.append(QStringLiteral("Untitled %1.txt").arg(n));
    touch(all);
    RacingWriter racer(*m_writer, 1); // takes the time-stamped name too
    const FileCreationService::Result result =
        service(&racer).createFile(withExtension(QStringLiteral("txt")), folderUrl());
    QCOMPARE(std::get<FileCreationError>(result).errorCase(), FileCreationError::Case::tooManyConflicts);
    QCOMPARE(racer.m_attempts.size(), 1);
    QCOMPARE(readAll(folder() + QLatin1Char('/') + racer.m_attempts.first()), QByteArray("theirs"));
}

void TestFileCreationService::errorMessages_data()
{
    using Case = FileCreationError::Case;
    QTest::addColumn<FileCreationError>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknownError") << FileCreationError::unknownError({28, QStringLiteral("No space left on device")})
                                  << "No space left on device";
    QTest::newRow("directoryNotFound") << FileCreationError(Case::directoryNotFound)
                                       << "The target directory could not be found.";
    QTest::newRow("notADirectory") << FileCreationError(Case::notADirectory) << "The target path is not a directory.";
    QTest::newRow("readOnlyDirectory") << FileCreationError(Case::readOnlyDirectory)
                                       << "This directory is read-only. Check permissions.";
    QTest::newRow("permissionDenied") << FileCreationError(Case::permissionDenied)
                                      << "Permission denied. Cannot write to this location.";
    QTest::newRow("tooManyConflicts") << FileCreationError(Case::tooManyConflicts)
                                      << "Could not find a unique file name after many attempts.";
}

void TestFileCreationService::errorMessages()
{
    QFETCH(FileCreationError, error);
    QFETCH(QString, message);
    QCOMPARE(error.errorDescription(), message);
    QCOMPARE(QString::fromUtf8(error.what()), message);
    const FileCreationError copy = error; // shares the carried platform error
    QCOMPARE(copy.underlying(), error.underlying());
    QCOMPARE(copy.errorDescription(), message);
}

QTEST_GUILESS_MAIN(TestFileCreationService)
#include "tst_FileCreationService.moc"
