#include "platform/FileWriter.h"
#include "platform/SecurityScope.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ConfinedFileWriter::Temporary)

class TestFileWriter : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString m_granted;
    QString m_outside;
    std::optional<CountedSecurityScope> m_scope;

    void kinds_data() const
    {
        QTest::addColumn<ConfinedFileWriter::Temporary>("temporary");
        QTest::newRow("unnamed temporary") << ConfinedFileWriter::Temporary::Unnamed;
        QTest::newRow("hidden temporary") << ConfinedFileWriter::Temporary::Hidden;
    }

private Q_SLOTS:
    void init()
    {
        m_dir.emplace();
        m_granted = m_dir->filePath(QStringLiteral("home"));
        m_outside = m_dir->filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(m_granted) && QDir().mkpath(m_outside));
        m_scope.emplace();
        QVERIFY(m_scope->startAccessing(m_granted));
    }

    void createsWholeFileWithOrdinaryModeAndNeverReplaces_data() { kinds_data(); }
    void createsWholeFileWithOrdinaryModeAndNeverReplaces()
    {
        QFETCH(ConfinedFileWriter::Temporary, temporary);
        ConfinedFileWriter writer(*m_scope, temporary);
        const QByteArray bytes = QByteArray("caf\xc3\xa9\n") + QByteArray(100'000, 'x');
        const mode_t previous = ::umask(002);
        const std::optional<PlatformError> error = writer.createNew(m_granted, QStringLiteral("new file.txt"), bytes);
        ::umask(previous);
        QVERIFY2(!error, error ? qPrintable(error->description) : "");
        const QString path = m_granted + QStringLiteral("/new file.txt");
        QCOMPARE(readAll(path), bytes);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 07777), 0664);

        // A name held by a file or by a dangling link is never replaced or written through.
        QVERIFY(QFile::link(m_outside + QStringLiteral("/not-there"), m_granted + QStringLiteral("/link.txt")));
        for (const QString name : {"new file.txt", "link.txt"})
            QCOMPARE(writer.createNew(m_granted, name, "mine")->code, PlatformError::nameTaken);
        QCOMPARE(readAll(path), bytes);
        QCOMPARE(entries(m_granted), (QStringList{"link.txt", "new file.txt"}));
        QCOMPARE(entries(m_outside), QStringList());
    }

    void confinedToFoldersUnderAccess_data()
    {
        QTest::addColumn<QString>("target"); // relative to the temporary folder
        QTest::addColumn<bool>("allowed");
        QTest::newRow("a folder below the granted one") << "home/sub" << true;
        QTest::newRow("dot-dot out of it") << "home/sub/../../outside" << false;
        QTest::newRow("a link inside pointing out") << "home/escape" << false;
        QTest::newRow("a link outside pointing in") << "inward" << true;
        QTest::newRow("a sibling sharing its prefix") << "home2" << false;
    }
    void confinedToFoldersUnderAccess()
    {
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        QVERIFY(QDir().mkpath(m_granted + QStringLiteral("/sub")));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("home2"))));
        QFile::link(m_outside, m_granted + QStringLiteral("/escape"));
        QFile::link(m_granted, m_dir->filePath(QStringLiteral("inward")));
        const QString folder = m_dir->filePath(target);
        const std::optional<PlatformError> error = ConfinedFileWriter(*m_scope).createNew(folder, "f.txt", "x");
        QCOMPARE(!error, allowed);
        QCOMPARE(QFile::exists(folder + QStringLiteral("/f.txt")), allowed);
        if (error)
            QCOMPARE(error->code, PlatformError::permissionDenied);
    }

    void accessIsCountedAndSurvivesAMovedFolder()
    {
        ConfinedFileWriter writer(*m_scope);
        const auto canWrite = [&](const QString& name) {
            return !writer.createNew(m_granted, name, "x");
        };
        QVERIFY(!m_scope->startAccessing(m_dir->filePath(QStringLiteral("missing"))));
        QVERIFY(m_scope->startAccessing(m_granted + QStringLiteral("/")));
        m_scope->stopAccessing(m_granted);
        QVERIFY(canWrite(QStringLiteral("one start left.txt")));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!canWrite(QStringLiteral("none left.txt")));
        // Stopping finds the access it started even when the folder has moved since.
        QVERIFY(m_scope->startAccessing(m_granted));
        QVERIFY(QDir(m_dir->path()).rename(QStringLiteral("home"), QStringLiteral("moved")));
        m_scope->stopAccessing(m_granted);
        QVERIFY(!m_scope->contains(QDir(m_dir->filePath(QStringLiteral("moved"))).canonicalPath()));
        QVERIFY(QDir(m_dir->path()).rename(QStringLiteral("moved"), QStringLiteral("home")));
    }

    void refusesNamesThatAreNotOneComponent_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"", ".", "..", "sub/f.txt", "../f.txt"})
            QTest::newRow(name) << QString::fromLatin1(name);
        QTest::newRow("NUL") << QStringLiteral("f") + QChar(0) + QStringLiteral(".txt");
    }
    void refusesNamesThatAreNotOneComponent()
    {
        QFETCH(QString, name);
        QVERIFY(QDir().mkpath(m_granted + QStringLiteral("/sub")));
        QVERIFY(m_scope->startAccessing(m_dir->path()));
        const std::optional<PlatformError> error = ConfinedFileWriter(*m_scope).createNew(m_granted, name, "x");
        QVERIFY(error && error->code != PlatformError::permissionDenied && error->code != PlatformError::nameTaken);
        QCOMPARE(entries(m_granted), QStringList{"sub"});
        QCOMPARE(entries(m_granted + QStringLiteral("/sub")), QStringList());
        QCOMPARE(entries(m_dir->path()), (QStringList{"home", "outside"}));
    }
};

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_FileWriter.moc"
