#include "creation/FileCreationService.h"
#include "model/BuiltInTemplates.h"
#include "platform/SecurityScope.h"
#include "support/Fakes.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// 2026-12-05 06:46:40 UTC
const QDateTime instant = QDateTime::fromSecsSinceEpoch(1796453200, Qt::UTC);

// Another program that takes each name the engine is about to write, the first `times` times.
class RacingWriter final : public FileWriter {
public:
    RacingWriter(FileWriter& inner, int times) : m_inner(inner), m_times(times) {}
    std::optional<PlatformError> createNew(const QString& directory, const QString& name,
                                           const QByteArray& bytes) override
    {
        attempts.append(name);
        if (m_times-- > 0)
            writeAll(directory + '/' + name, "theirs");
        return m_inner.createNew(directory, name, bytes);
    }
    QStringList attempts;

private:
    FileWriter& m_inner;
    int m_times;
};

} // namespace

class TestFileCreationService : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::optional<CountedSecurityScope> m_scope;
    std::optional<ConfinedFileWriter> m_writer;
    QString m_folder;

    FileCreationService::Result create(const QUrl& where, const QString& extension = "txt",
                                       std::optional<QString> baseName = {}, FileWriter* writer = nullptr)
    {
        static const FakeClock clock(instant);
        static const FakeUserAccount account;
        const FileTemplate body{QUuid::createUuid(), "T", extension, "{{folder}}", false};
        return FileCreationService(m_fixture->store, writer ? *writer : *m_writer, clock, account)
            .createFile(body, where, baseName);
    }
    QUrl folderUrl() const { return QUrl::fromLocalFile(m_folder); }
    void fillToTheFallback() const
    {
        writeAll(m_folder + "/Untitled.txt", "");
        for (int n = 2; n <= 999; ++n)
            writeAll(m_folder + QStringLiteral("/Untitled %1.txt").arg(n), "");
    }

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

    void choosesTheFirstFreeName_data()
    {
        QTest::addColumn<QStringList>("existing"); // a trailing slash makes a folder
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first two taken") << QStringList{"Untitled.txt", "Untitled 2.txt"} << "Untitled"
                                         << "txt"
                                         << "Untitled 3.txt";
        QTest::newRow("only the second taken") << QStringList{"Untitled 2.txt"} << "Untitled"
                                               << "txt"
                                               << "Untitled.txt";
        QTest::newRow("never number one; a folder counts")
            << QStringList{"Untitled.txt/", "Untitled 1.txt"} << "Untitled"
            << "txt"
            << "Untitled 2.txt";
        QTest::newRow("other extensions do not count") << QStringList{"Untitled.md"} << "Untitled"
                                                       << "txt"
                                                       << "Untitled.txt";
        QTest::newRow("empty extension, taken") << QStringList{"Untitled."} << "Untitled"
                                                << ""
                                                << "Untitled 2.";
        QTest::newRow("spaces kept") << QStringList{"My  Draft .tar.gz"} << "My  Draft "
                                     << "tar.gz"
                                     << "My  Draft  2.tar.gz";
        QTest::newRow("slashes and NUL stay inside the folder")
            << QStringList() << QStringLiteral("a/../b") + QChar(0) << "/etc"
            << "a-..-b-.-etc";
    }
    void choosesTheFirstFreeName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, baseName);
        QFETCH(QString, extension);
        QFETCH(QString, expected);
        for (const QString& name : existing)
            name.endsWith('/') ? void(QDir().mkpath(m_folder + '/' + name)) : writeAll(m_folder + '/' + name, "x");
        QCOMPARE(FileCreationService(m_fixture->store).uniqueFileName(baseName, extension, folderUrl()), expected);
        const QUrl created = std::get<QUrl>(create(folderUrl(), extension, baseName));
        QCOMPARE(created, QUrl::fromLocalFile(m_folder + '/' + expected));
        QCOMPARE(readAll(created.toLocalFile()), QByteArray("Notes"));
    }

    void usesTheStoredBaseNameAsItIsAndTheClockLast()
    {
        const FakeClock clock(instant);
        const FakeUserAccount account;
        std::get<QUrl>(FileCreationService(m_fixture->store, *m_writer, clock, account)
                           .createFile(builtInTemplates().at(7), folderUrl()));
        QCOMPARE(readAll(m_folder + "/Untitled.css"), QByteArray("/* Notes \xe2\x80\x94 12/5/26 */\n\n"));
        fillToTheFallback();
        writeAll(m_folder + "/Untitled 1000.txt", ""); // not a candidate: the clock comes straight after 999
        QCOMPARE(std::get<QUrl>(create(folderUrl())).fileName(),
                 QStringLiteral("Untitled %1.txt").arg(instant.toSecsSinceEpoch()));
        m_fixture->store.setDefaultBaseName(" Draft ");
        QCOMPARE(std::get<QUrl>(create(folderUrl())).fileName(), " Draft .txt");
    }

    void failuresCreateNothing_data()
    {
        QTest::addColumn<QString>("target"); // below the home; "relative:" and "url:" taken as they are
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<int>("expectedCase");
        using Case = FileCreationError::Case;
        QTest::newRow("missing") << "Notes/missing"
                                 << "" << int(Case::directoryNotFound);
        QTest::newRow("a regular file") << "Notes/file.txt"
                                        << "" << int(Case::notADirectory);
        QTest::newRow("a dangling link") << "Notes/dangling"
                                         << "" << int(Case::directoryNotFound);
        QTest::newRow("a relative path") << "relative:Notes"
                                         << "" << int(Case::directoryNotFound);
        QTest::newRow("not a file URL") << "url:https://example.invalid/Notes"
                                        << "" << int(Case::directoryNotFound);
        QTest::newRow("outside every folder under access") << "elsewhere"
                                                           << "" << int(Case::permissionDenied);
        QTest::newRow("name too long") << "Notes" << QString(300, 'n') << int(Case::unknownError);
    }
    void failuresCreateNothing()
    {
        QFETCH(QString, target);
        QFETCH(QString, baseName);
        QFETCH(int, expectedCase);
        writeAll(m_folder + "/file.txt", "x");
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

        const auto result = create(url, "txt", baseName.isEmpty() ? std::nullopt : std::optional(baseName));
        const FileCreationError error = std::get<FileCreationError>(result);
        QCOMPARE(int(error.errorCase()), expectedCase);
        if (error.errorCase() == FileCreationError::Case::unknownError) // the platform's own message
            QVERIFY2(error.errorDescription().contains("File name too long"), qPrintable(error.errorDescription()));
        QCOMPARE(entries(m_folder), (QStringList{"dangling", "file.txt"}));
        QVERIFY(!QFile::exists(m_fixture->home.path() + "/Untitled.txt"));
        QCOMPARE(entries(elsewhere.path()), QStringList());
    }

    void movesOnWhenTheNameIsTakenAtTheWrite()
    {
        RacingWriter racer(*m_writer, 2);
        QCOMPARE(std::get<QUrl>(create(folderUrl(), "txt", {}, &racer)).fileName(), "Untitled 3.txt");
        QCOMPARE(racer.attempts, (QStringList{"Untitled.txt", "Untitled 2.txt", "Untitled 3.txt"}));
        QCOMPARE(readAll(m_folder + "/Untitled 2.txt"), QByteArray("theirs"));
        // A dangling link looks free to the check but is never written through.
        QFile::link(m_fixture->home.path() + "/target", m_folder + "/Link.md");
        QCOMPARE(std::get<QUrl>(create(folderUrl(), "md", "Link")).fileName(), "Link 2.md");
        QVERIFY(!QFile::exists(m_fixture->home.path() + "/target"));
        // When even the time-stamped name is taken at the write, it gives up.
        fillToTheFallback();
        RacingWriter last(*m_writer, 1);
        const auto result = create(folderUrl(), "txt", {}, &last);
        QCOMPARE(std::get<FileCreationError>(result).errorCase(), FileCreationError::Case::tooManyConflicts);
        QCOMPARE(last.attempts.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFileCreationService)
#include "tst_FileCreationService.moc"
