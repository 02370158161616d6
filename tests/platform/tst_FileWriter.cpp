#include "platform/FileWriter.h"
#include "platform/SecurityScope.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

Q_DECLARE_METATYPE(ConfinedFileWriter::Temporary)

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestFileWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void createsWholeFileWithOrdinaryMode_data();
    void createsWholeFileWithOrdinaryMode();
    void neverReplaces_data();
    void neverReplaces();
    void confinedToFoldersUnderAccess_data();
    void confinedToFoldersUnderAccess();
    void accessIsCountedAndSurvivesAMovedFolder();
    void refusesNamesThatAreNotOneComponent_data();
    void refusesNamesThatAreNotOneComponent();

private:
    QTemporaryDir m_dir;
    QString m_granted;
    QString m_outside;
};

void TestFileWriter::init()
{
    QVERIFY(m_dir.isValid());
    m_granted = m_dir.filePath(QStringLiteral("home"));
    m_outside = m_dir.filePath(QStringLiteral("outside"));
    for (const QString& folder : {m_granted, m_outside}) {
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
    }
}

void TestFileWriter::createsWholeFileWithOrdinaryMode_data()
{
    QTest::addColumn<ConfinedFileWriter::Temporary>("temporary");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("expectedMode");
    for (const auto& [label, kind] : {std::pair{"unnamed", ConfinedFileWriter::Temporary::Unnamed},
                                      std::pair{"hidden", ConfinedFileWriter::Temporary::Hidden}}) {
        QTest::addRow("%s temporary, umask 022", label) << kind << 022 << 0644;
        QTest::addRow("%s temporary, umask 077", label) << kind << 077 << 0600;
        QTest::addRow("%s temporary, umask 002", label) << kind << 002 << 0664;
    }
}

void TestFileWriter::createsWholeFileWithOrdinaryMode()
{
    QFETCH(ConfinedFileWriter::Temporary, temporary);
    QFETCH(int, mask);
    QFETCH(int, expectedMode);
    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(m_granted));
    ConfinedFileWriter writer(scope, temporary);

    const mode_t previous = ::umask(mode_t(mask));
    const QByteArray bytes = QByteArray("caf\xc3\xa9\n") + QByteArray(100'000, 'x');
    const std::optional<PlatformError> error = writer.createNew(m_granted, QStringLiteral("new file.txt"), bytes);
    ::umask(previous);

    QVERIFY2(!error, error ? qPrintable(error->description) : "");
    const QString path = m_granted + QStringLiteral("/new file.txt");
    QCOMPARE(readAll(path), bytes);
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), expectedMode);
    QCOMPARE(entries(m_granted), QStringList{QStringLiteral("new file.txt")});
}

void TestFileWriter::neverReplaces_data()
{
    QTest::addColumn<ConfinedFileWriter::Temporary>("temporary");
    QTest::addColumn<bool>("danglingLink"); // else a regular file holds the name
    QTest::newRow("unnamed, file") << ConfinedFileWriter::Temporary::Unnamed << false;
    QTest::newRow("unnamed, dangling link") << ConfinedFileWriter::Temporary::Unnamed << true;
    QTest::newRow("hidden, file") << ConfinedFileWriter::Temporary::Hidden << false;
    QTest::newRow("hidden, dangling link") << ConfinedFileWriter::Temporary::Hidden << true;
}

void TestFileWriter::neverReplaces()
{
    QFETCH(ConfinedFileWriter::Temporary, temporary);
    QFETCH(bool, danglingLink);
    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(m_granted));
    ConfinedFileWriter writer(scope, temporary);
    const QString taken = m_granted + QStringLiteral("/taken.txt");
    if (danglingLink)
        QVERIFY(QFile::link(m_outside + QStringLiteral("/not-there"), taken));
    else
        writeAll(taken, "theirs");

    const std::optional<PlatformError> error = writer.createNew(m_granted, QStringLiteral("taken.txt"), "mine");
    QVERIFY(error);
    QCOMPARE(error->code, PlatformError::nameTaken);
    QCOMPARE(entries(m_granted), QStringList{QStringLiteral("taken.txt")});
    QCOMPARE(entries(m_outside), QStringList());
    if (!danglingLink)
        QCOMPARE(readAll(taken), QByteArray("theirs"));
}

void TestFileWriter::confinedToFoldersUnderAccess_data()
{
    QTest::addColumn<QString>("target"); // relative to the temporary folder
    QTest::addColumn<bool>("allowed");
    QTest::newRow("the granted folder") << "home" << true;
    QTest::newRow("a folder below it") << "home/sub" << true;
    QTest::newRow("dot-dot out of it") << "home/sub/../../outside" << false;
    QTest::newRow("a link inside pointing out") << "home/escape" << false;
    QTest::newRow("a link outside pointing in") << "inward" << true;
    QTest::newRow("a sibling sharing its prefix") << "home2" << false;
    QTest::newRow("the parent") << "." << false;
}

void TestFileWriter::confinedToFoldersUnderAccess()
{
    QFETCH(QString, target);
    QFETCH(bool, allowed);
    QVERIFY(QDir().mkpath(m_granted + QStringLiteral("/sub")));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("home2"))));
    QFile::link(m_outside, m_granted + QStringLiteral("/escape"));
    QFile::link(m_granted, m_dir.filePath(QStringLiteral("inward")));

    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(m_granted));
    ConfinedFileWriter writer(scope);
    const QString folder = m_dir.filePath(target);
    const std::optional<PlatformError> error = writer.createNew(folder, QStringLiteral("f.txt"), "x");
    QCOMPARE(!error, allowed);
    QCOMPARE(QFile::exists(folder + QStringLiteral("/f.txt")), allowed);
    if (!allowed) {
        QCOMPARE(error->code, PlatformError::permissionDenied);
        QVERIFY2(error->description.contains(QStringLiteral("“f.txt”")), qPrintable(error->description));
    }
    QDir(m_dir.filePath(QStringLiteral("home2"))).removeRecursively();
    QFile::remove(m_dir.filePath(QStringLiteral("inward")));
}

void TestFileWriter::accessIsCountedAndSurvivesAMovedFolder()
{
    CountedSecurityScope scope;
    ConfinedFileWriter writer(scope);
    const auto canWrite = [&](const QString& name) {
        return !writer.createNew(m_granted, name, "x");
    };

    QVERIFY(!canWrite(QStringLiteral("before.txt")));
    QVERIFY(!scope.startAccessing(m_dir.filePath(QStringLiteral("missing"))));
    QVERIFY(scope.startAccessing(m_granted));
    QVERIFY(scope.startAccessing(m_granted + QStringLiteral("/")));
    scope.stopAccessing(m_granted);
    QVERIFY(canWrite(QStringLiteral("one start left.txt")));
    scope.stopAccessing(m_granted);
    QVERIFY(!canWrite(QStringLiteral("none left.txt")));

    // Stopping finds the access it started even when the folder has gone since.
    QVERIFY(scope.startAccessing(m_granted));
    QVERIFY(QDir(m_dir.path()).rename(QStringLiteral("home"), QStringLiteral("moved")));
    scope.stopAccessing(m_granted);
    QVERIFY(!scope.contains(QDir(m_dir.filePath(QStringLiteral("moved"))).canonicalPath()));
    QVERIFY(QDir(m_dir.path()).rename(QStringLiteral("moved"), QStringLiteral("home")));
}

void TestFileWriter::refusesNamesThatAreNotOneComponent_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("dot") << ".";
    QTest::newRow("dot-dot") << "..";
    QTest::newRow("separator") << "sub/f.txt";
    QTest::newRow("climbing") << "../f.txt";
    QTest::newRow("NUL") << QStringLiteral("f") + QChar(0) + QStringLiteral(".txt");
}

void TestFileWriter::refusesNamesThatAreNotOneComponent()
{
    QFETCH(QString, name);
    QVERIFY(QDir().mkpath(m_granted + QStringLiteral("/sub")));
    CountedSecurityScope scope;
    QVERIFY(scope.startAccessing(m_dir.path()));
    ConfinedFileWriter writer(scope);
    const std::optional<PlatformError> error = writer.createNew(m_granted, name, "x");
    QVERIFY(error);
    QVERIFY(error->code != PlatformError::permissionDenied && error->code != PlatformError::nameTaken);
    QCOMPARE(entries(m_granted), QStringList{QStringLiteral("sub")});
    QCOMPARE(entries(m_granted + QStringLiteral("/sub")), QStringList());
    QCOMPARE(entries(m_dir.path()), (QStringList{QStringLiteral("home"), QStringLiteral("outside")}));
}

QTEST_GUILESS_MAIN(TestFileWriter)
#include "tst_FileWriter.moc"
