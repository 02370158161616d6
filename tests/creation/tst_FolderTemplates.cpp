#include "creation/FolderCreationService.h"
#include "platform/ConfinedFolderWriter.h"
#include "platform/DescriptorFolderReader.h"
#include "platform/SecurityScope.h"
#include "store/FolderTemplateTree.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QDirIterator>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <latch>
#include <sys/stat.h>
#include <thread>

namespace {

// A source tree, one item a line: "d PATH" a folder, "f PATH=TEXT" a file, "p PATH" a named pipe, "l PATH=TARGET" a
// link, "n PATH=COUNT" that many empty files in a new folder, "s PATH=SIZE" a file of that many bytes of text,
// "x PATH=TEXT" a file anyone may run, "o PATH=TEXT" a file only its owner may read.
void makeTree(const QString& root, const QStringList& items)
{
    for (const QString& item : items) {
        const QChar kind = item.at(0);
        const QString path = root + '/' + item.mid(2).section('=', 0, 0), arg = item.section('=', 1);
        if (kind == 'd')
            QDir().mkpath(path);
        else if (kind == 'f' || kind == 's' || kind == 'x' || kind == 'o')
            writeAll(path, kind == 's' ? QByteArray(arg.toLongLong(), 'x') : arg.toUtf8());
        if (kind == 'x' || kind == 'o')
            QFile::setPermissions(path, kind == 'x' ? QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                                          QFile::ExeOther
                                                    : QFile::ReadOwner | QFile::WriteOwner);
        else if (kind == 'p')
            ::mkfifo(QFile::encodeName(path).constData(), 0600);
        else if (kind == 'l')
            QFile::link(arg, path);
        for (int i = 0; kind == 'n' && i < arg.toInt(); ++i)
            writeAll(path + QStringLiteral("/e%1").arg(i), {});
    }
}

// Folders end in "/", files are followed by their content: "a/", "a/b.txt=text".
QStringList tree(const QString& root)
{
    QStringList result;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo item = it.nextFileInfo();
        const QString path = QDir(root).relativeFilePath(item.filePath());
        result.append(item.isDir() ? path + '/' : path + '=' + QString::fromUtf8(readAll(item.filePath())));
    }
    result.sort();
    return result;
}

QStringList visible(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Three levels of folders and 50 files, with variables in names and contents.
const QStringList deepTemplate = [] {
    QStringList items{"d L1 {{username}}", "d L1 {{username}}/L2", "d L1 {{username}}/L2/L3 {{folder}}"};
    const QStringList levels{"", "L1 {{username}}/", "L1 {{username}}/L2/", "L1 {{username}}/L2/L3 {{folder}}/"};
    for (int i = 0; i < 50; ++i)
        items.append(QStringLiteral("f %1f{{folder}}%2={{username}} %2 in {{folder}}").arg(levels.at(i % 4)).arg(i));
    return items;
}();

FolderCreationService::Result create(const SecurityScope& scope, const FileTemplate& folderTemplate,
                                     const QString& where, const std::optional<QString>& baseName = {},
                                     const UserAccount& account = FakeUserAccount("Ada/Lovelace"),
                                     ConfinedFolderWriter::Claim claim = ConfinedFolderWriter::Claim::Exclusive)
{
    static TemplateStore unused([] { return SettingsDomain("/nonexistent/settings.json"); });
    const FileCreationService files(unused, FileWriter::system(), Clock::system(), account);
    ConfinedFolderWriter writer(scope, claim);
    const FolderCreationService folders(files, FolderTemplateTree(), writer);
    if (baseName && baseName->startsWith('=')) // a name typed in the naming window
        return folders.createNamedFolder(folderTemplate, QUrl::fromLocalFile(where), baseName->mid(1));
    return folders.createFolder(folderTemplate, QUrl::fromLocalFile(where), baseName);
}

} // namespace

class TestFolderTemplates : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;
    std::optional<CountedSecurityScope> m_scope;
    QString m_out;
    const FakeUserAccount m_account{"Ada/Lovelace"};

    FileTemplate imported(const QStringList& items, const QString& baseName = {})
    {
        const QString source = m_home->folder("source-" + QUuid::createUuid().toString(QUuid::Id128));
        makeTree(source, items);
        FileTemplate made{QUuid::createUuid(), "Web Project", {}, {}, false, baseName, {}, true};
        const auto summary = FolderTemplateTree().importFolder(source, made.id);
        if (!std::holds_alternative<FolderTemplateTree::Summary>(summary))
            qFatal("the template was not imported");
        return made;
    }

private Q_SLOTS:
    void init()
    {
        m_home.emplace();
        m_out = m_home->folder("Out");
        m_scope.emplace();
        QVERIFY(m_scope->startAccessing(m_home->path()));
    }
    void cleanup() { m_scope.reset(), m_home.reset(); }

    void importsWholeOrNothing_data()
    {
        // expected: "FILES FOLDERS LINKS…" taken, or "PATH: REASON" refused
        const auto row = columns<QStringList, QString>("items", "expected");
        const QStringList text{"f a.txt=A", "d sub", "f sub/b.txt=B"};
        row("links to outside skipped", text + QStringList{"l out=OUTSIDE", "l sub/secret=OUTSIDE/secret.txt"},
            "2 1 out sub/secret");
        // Every item at fault is named; the link beside them is not one.
        row("a pipe and a binary file refuse all",
            text + QStringList{"p sub/fifo", "f sub/logo.png=PK" + QString(QChar(0)), "l out=OUTSIDE"},
            "sub/fifo: a pipe, socket or device; sub/logo.png: not UTF-8 text");
        row("1,000 items", {"n many=999"}, "999 1");
        row("hidden files", {"f .gitignore=x"}, "1 0");
        row("1,001 items", {"n many=1000"}, "many/e*: more than 1,000 items"); // whichever is listed last
        row("16 MiB", {"s a=8388608", "s b=8388608"}, "2 0");
        row("16 MiB and a byte", {"s a=8388608", "s b=8388609"}, "b: more than 16 MiB");
        row("no such folder", {}, ": no such folder");
    }
    void importsWholeOrNothing()
    {
        auto [items, expected] = fetch<QStringList, QString>("items", "expected");
        const QString outside = m_home->folder("outside"), source = m_home->path() + "/source";
        writeAll(outside + "/secret.txt", "secret");
        makeTree(source, items.replaceInStrings("OUTSIDE", outside));
        const QUuid id = QUuid::createUuid();
        const FolderTemplateTree trees;
        const auto result = trees.importFolder(source, id);
        if (const auto* summary = std::get_if<FolderTemplateTree::Summary>(&result)) {
            QCOMPARE(QStringList({QString::number(summary->files), QString::number(summary->folders)}) +
                         summary->skippedLinks,
                     expected.split(' '));
            QCOMPARE(trees.entries(id).size(), summary->files + summary->folders);
            QVERIFY(!tree(FolderTemplateTree::path(id)).join('|').contains("secret"));
        } else {
            const auto& refusal = std::get<FolderTemplateTree::Refusal>(result);
            const QString at = refusal.path == source ? QString() : QDir(source).relativeFilePath(refusal.path);
            const QString shown = refusal.items.isEmpty() ? at + ": " + refusal.reason : refusal.items.join("; ");
            QVERIFY2(
                QRegularExpression(QRegularExpression::wildcardToRegularExpression(expected)).match(shown).hasMatch(),
                qPrintable(shown));
        }
        // Nothing else, and no temporary, is left among the stored trees.
        const QFileInfo stored(FolderTemplateTree::path(id));
        QCOMPARE(entries(stored.path()), result.index() == 0 ? QStringList{stored.fileName()} : QStringList());
    }

    void neverFollowsALinkSwappedInMidWalk()
    {
        // "sub" and "alt" trade places all the time: one is a folder, the other a link to outside.
        const QString source = m_home->folder("source");
        makeTree(source, {"d sub", "f sub/a.txt=A", "l alt=" + m_home->folder("outside")});
        writeAll(m_home->path() + "/outside/secret.txt", "secret");
        std::atomic<bool> done = false;
        std::thread swapper([&] {
            const QByteArray sub = QFile::encodeName(source + "/sub"), alt = QFile::encodeName(source + "/alt");
            while (!done)
                ::renameat2(AT_FDCWD, sub.constData(), AT_FDCWD, alt.constData(), RENAME_EXCHANGE);
        });
        bool alwaysRead = true, secretRead = false; // a link met where a folder was is left out, not a fault
        for (int i = 0; i < 20000; ++i) {
            const auto read = DescriptorFolderReader().read(source, {});
            const auto* walked = std::get_if<FolderReader::Tree>(&read);
            alwaysRead &= walked != nullptr;
            for (const FolderEntry& entry : walked ? walked->entries : QList<FolderEntry>())
                secretRead |= entry.bytes == "secret";
        }
        done = true;
        swapper.join();
        QVERIFY(alwaysRead);
        QVERIFY(!secretRead);
    }

    void createsAFolderOrNothing_data()
    {
        // base: the name asked for, "-" for none, "=NAME" typed in the naming window; expected: the new folder's
        // name or the error's description
        const auto row =
            columns<QString, QString, QString, QString, QString>("user", "base", "ownBase", "target", "expected");
        row("template's name, first free", "Ada/Lovelace", "-", "", "Out", "Web Project 3");
        row("own base name, variables filled", "Ada", "-", "{{folder}} {{username}}", "Out", "Out Ada");
        row("base name asked for, slash to dash", "Ada", "{{folder}}/v2", "{{username}}", "Out", "Out-v2");
        const char* invalid = "The file name is not valid.";
        row("a name empty", "", "-", "", "Out", invalid);
        row("a name dot", ".", "-", "", "Out", invalid);
        row("a name dot dot", "..", "-", "", "Out", invalid);
        row("a base name empty", "Ada", "", "", "Out", invalid);
        row("a typed name, as it stands", "Ada", "={{folder}} 2", "", "Out", "{{folder}} 2");
        row("a typed name, taken", "Ada", "=Web Project 2", "", "Out",
            "An item with this name already exists in the target directory.");
        row("no such folder", "Ada", "-", "", "Out/missing", "The target directory could not be found.");
        row("a file", "Ada", "-", "", "Out/Web Project", "The target path is not a directory.");
        const char* denied = "Permission denied. Cannot write to this location.";
        row("outside every folder under access", "Ada", "-", "", "ELSEWHERE", denied);
        row("a link to outside", "Ada", "-", "", "Out/elsewhere", denied);
    }
    void createsAFolderOrNothing()
    {
        const auto [user, base, ownBase, target, expected] =
            fetch<QString, QString, QString, QString, QString>("user", "base", "ownBase", "target", "expected");
        const QTemporaryDir elsewhere;
        writeAll(m_out + "/Web Project", "taken"); // a file takes the name as well as a folder would
        QDir().mkpath(m_out + "/Web Project 2");
        QFile::link(elsewhere.path(), m_out + "/elsewhere");
        const QStringList before = entries(m_out);
        const FileTemplate folderTemplate = imported({"f {{username}}=by {{username}} in {{folder}}", "d docs",
                                                      "f docs/{{folder}}.md=", "x run.sh=", "o key.txt="},
                                                     ownBase);
        const QString where = target == "ELSEWHERE" ? elsewhere.path() : m_home->path() + '/' + target;
        const auto result = create(*m_scope, folderTemplate, where, base == "-" ? std::nullopt : std::optional(base),
                                   FakeUserAccount(user));
        if (const auto* made = std::get_if<QUrl>(&result)) {
            QCOMPARE(made->fileName(), expected);
            const QString name = QString(user).replace('/', '-');
            QCOMPARE(tree(made->toLocalFile()),
                     QStringList({name + "=by " + user + " in Out", "docs/", "docs/Out.md=", "key.txt=", "run.sh="}));
            QCOMPARE(entries(m_out).size(), before.size() + 1);
            // The modes of any new folder and file, never the temporary's owner-only one.
            QCOMPARE(QFileInfo(made->toLocalFile()).permissions(), QFileInfo(m_out).permissions());
            QCOMPARE(QFileInfo(made->toLocalFile() + "/docs/Out.md").permissions(),
                     QFileInfo(m_out + "/Web Project").permissions());
            // A script stays one, and a secret stays closed to others.
            QCOMPARE(std::pair(QFileInfo(made->toLocalFile() + "/run.sh").isExecutable(),
                               QFileInfo(made->toLocalFile() + "/key.txt").permissions() &
                                   (QFile::ReadGroup | QFile::ReadOther)),
                     std::pair(true, QFile::Permissions()));
        } else {
            QCOMPARE(std::get<FileCreationError>(result).errorDescription(), expected);
            QCOMPARE(entries(m_out), before);
            QCOMPARE(entries(elsewhere.path()), QStringList());
        }
    }

    void concurrentCreatesMakeWholeTreesUnderTheirOwnNames_data()
    {
        columns<ConfinedFolderWriter::Claim>("claim");
        QTest::newRow("exclusive rename") << ConfinedFolderWriter::Claim::Exclusive;
        QTest::newRow("placeholder") << ConfinedFolderWriter::Claim::Placeholder;
    }
    void concurrentCreatesMakeWholeTreesUnderTheirOwnNames()
    {
        const auto [claim] = fetch<ConfinedFolderWriter::Claim>("claim");
        const FileTemplate folderTemplate = imported(deepTemplate);
        writeAll(m_out + "/Web Project 5/mine.txt", "mine");
        std::latch start(200);
        std::atomic<int> made = 0;
        std::vector<std::thread> threads;
        for (int i = 0; i < 200; ++i) {
            threads.emplace_back([&] {
                start.arrive_and_wait();
                made += std::holds_alternative<QUrl>(create(*m_scope, folderTemplate, m_out, {}, m_account, claim));
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(made, 200);
        QCOMPARE(entries(m_out).size(), 201); // nothing hidden left
        QCOMPARE(tree(m_out + "/Web Project 5"), QStringList{"mine.txt=mine"});
        const QStringList whole = tree(m_out + "/Web Project");
        QCOMPARE(whole.size(), 53);
        QVERIFY(whole.contains("L1 Ada-Lovelace/L2/L3 Out/fOut47=Ada/Lovelace 47 in Out"));
        for (const QString& name : visible(m_out)) {
            if (name != "Web Project 5")
                QCOMPARE(tree(m_out + '/' + name), whole);
        }
    }

    void aCreateKilledMidWayLeavesNoVisibleTree()
    {
        const FileTemplate folderTemplate = imported(deepTemplate);
        bool temporaryLeft = false;
        for (int attempt = 0; attempt < 10 && !temporaryLeft; ++attempt) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--create-until-killed", folderTemplate.idText(), m_out, m_home->path()});
            QTRY_VERIFY(visible(m_out).size() > attempt);
            child.kill();
            QVERIFY(child.waitForFinished());
            temporaryLeft = entries(m_out).size() > visible(m_out).size();
        }
        QVERIFY(temporaryLeft);
        const QStringList whole = tree(m_out + "/Web Project");
        for (const QString& name : visible(m_out))
            QCOMPARE(tree(m_out + '/' + name), whole);
        // The next write into the folder removes what the killed one left.
        QVERIFY(std::holds_alternative<QUrl>(create(*m_scope, folderTemplate, m_out)));
        QCOMPARE(entries(m_out), visible(m_out));
    }
};

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--create-until-killed") == 0) {
        QCoreApplication app(argc, argv);
        const FileTemplate folderTemplate{QUuid::fromString(QString::fromUtf8(argv[2])), "Web Project", {}, {}};
        CountedSecurityScope scope;
        scope.startAccessing(QString::fromLocal8Bit(argv[4]));
        for (;;)
            create(scope, folderTemplate, QString::fromLocal8Bit(argv[3]));
    }
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("TZ", "UTC");
    QCoreApplication app(argc, argv);
    TestFolderTemplates test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FolderTemplates.moc"
