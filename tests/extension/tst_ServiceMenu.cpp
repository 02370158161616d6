// The KDE service menu as desktop tools read it, and its commands run for real: the `quintara`
// program with --new, in a throw-away home with a granted folder.
#include "creation/CreateRequest.h"
#include "extension/ServiceMenu.h"
#include "model/BuiltInTemplates.h"
#include "store/TemplateStore.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>

namespace {

// Every value of `key` in the menu's actions, in file order, its escapes undone; U+FFFD marks one
// that a desktop entry may not hold.
QStringList actionValues(const QString& menuPath, const QString& key)
{
    static const QHash<QChar, QChar> escapes{{u's', u' '}, {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u'\\', u'\\'}};
    QFile file(menuPath);
    const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    QStringList values;
    for (const QString& line : text.mid(text.indexOf(QLatin1String("\n["))).split(QLatin1Char('\n'))) {
        if (!line.startsWith(key + QLatin1Char('=')))
            continue;
        QString value;
        for (qsizetype i = key.size() + 1; i < line.size(); ++i)
            value +=
                line.at(i) != u'\\' ? line.at(i) : escapes.value(++i < line.size() ? line.at(i) : QChar(), u'\uFFFD');
        values.append(value);
    }
    return values;
}

} // namespace

class TestServiceMenu : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;
    QString home() const { return m_home->path(); }
    int run(QProcess& process, const QStringList& arguments, bool wait = true) const
    {
        process.setWorkingDirectory(home());
        process.start(arguments.constFirst(), arguments.mid(1));
        return wait && process.waitForFinished(30'000) ? process.exitCode() : -1;
    }

private Q_SLOTS:
    void init()
    {
        m_home.emplace();
        // As a file manager starts the program: without a display or bus, it serves offscreen and leaves.
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            qunsetenv(name);
        qputenv("DBUS_SESSION_BUS_ADDRESS", QFile::encodeName("unix:path=" + home() + "/no-bus"));
        // The first built-in, then one of the user's with a name that needs every escape and a type
        // the desktop does not know.
        TemplateStore store;
        store.setEnabledBuiltIns({builtInTemplates().constFirst().idText()});
        store.customTemplates() = {{QUuid::createUuid(), QStringLiteral(" Notes & \"Ideas\"\t100% \\ $HOME `x`"),
                                    QStringLiteral("qntzz"), QStringLiteral("# notes\n"), false}};
        store.save();
        QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(home())));
    }

    void menuValidatesAndItsCommandsCreateTheFiles()
    {
        const QString menuPath = home() + QStringLiteral("/menu.desktop");
        const QString program = home() + QStringLiteral(R"(/my "bin" \ $PATH `x` 100%1/quintara)");
        QVERIFY(QDir().mkpath(QFileInfo(program).path()) && QFile::link(QStringLiteral(QUINTARA_BINARY), program));
        const ServiceMenu menu(MenuModel(), program);
        // A link planted where the menu goes is replaced, its target never written.
        writeAll(home() + "/target", "mine");
        QVERIFY(QFile::link(home() + "/target", menuPath) && menu.write(menuPath));
        QVERIFY(!QFileInfo(menuPath).isSymLink() && readAll(home() + "/target") == "mine");
        const QString fileMenuPath = ServiceMenu::fileMenuPath(menuPath);
        for (const QString& path : {menuPath, fileMenuPath}) {
            QVERIFY(QFileInfo(path).permissions() & QFile::ExeOwner);
            QProcess validator;
            validator.setProcessChannelMode(QProcess::MergedChannels);
            validator.start(QStringLiteral("desktop-file-validate"), {path});
            QVERIFY2(validator.waitForFinished(), "desktop-file-validate is needed (scripts/bootstrap installs it)");
            QCOMPARE(validator.readAll() + QByteArray::number(validator.exitCode()), QByteArray("0"));
        }
        QCOMPARE(actionValues(menuPath, "Name") + actionValues(menuPath, "Icon") + actionValues(fileMenuPath, "Name"),
                 QStringList({"New Text File", R"(New  Notes & "Ideas" 100% \ $HOME `x`)", "text-plain",
                              "text-x-generic", "Save as Template"}));

        // Exec quoting is the shell's double quoting. With no instance running, a create is served by
        // the command alone: the program, which writes its own menu at start-up, is not started. An
        // import starts it, and later commands hand their requests to it; a folder typed by hand may
        // be relative.
        const QString first = home() + QStringLiteral(R"(/A "quoted" $folder)"), second = home() + QStringLiteral("/B");
        QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
        const auto shell = [&](int entry, const QString& folder, const QString& menu = {}) {
            QString exec = actionValues(menu.isEmpty() ? menuPath : menu, "Exec").value(entry);
            return QStringList{"/bin/sh", "-c", exec.replace("%f", "'" + folder + "'").replace("%%", "%")};
        };
        QProcess direct, instance, typed, importing;
        QCOMPARE(run(direct, shell(1, first)), 0);
        QVERIFY(QFile::exists(first + QStringLiteral("/Untitled.qntzz")) && !QFile::exists(ServiceMenu::defaultPath()));
        // Each --new takes the next argument that is not a URL as its folder.
        QCOMPARE(run(typed, {QStringLiteral(QUINTARA_BINARY), "--new", "0", "B", CreateRequest::url(1, first), "--new",
                             "1", QStringLiteral(R"(A "quoted" $folder)")}),
                 0);
        QVERIFY(QFile::exists(first + QStringLiteral("/Untitled 3.qntzz")) && QFile::exists(second + "/Untitled.txt"));
        // The files' menu makes a template of the file.
        QCOMPARE(run(importing, shell(0, second + QStringLiteral("/Untitled.txt"), fileMenuPath)), 0);
        QCOMPARE(TemplateStore().customTemplates().value(1).name, QStringLiteral("Untitled"));
        // and puts it in Dolphin's menu at once, as the program would.
        QCOMPARE(actionValues(ServiceMenu::defaultPath(), "Name").value(2), QStringLiteral("New Untitled"));
        QVERIFY(QFile::remove(ServiceMenu::defaultPath()));
        // Asking for names takes the program (without a display, it then names the file itself).
        TemplateStore asking;
        asking.setAsksForFileName(true);
        run(instance, shell(0, second), false);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(second + QStringLiteral("/Untitled 2.txt")), 10'000);
        QTRY_VERIFY(QFile::exists(ServiceMenu::defaultPath()));
        asking.setAsksForFileName(false);
        // A folder named by bytes that are not UTF-8 is the one served, not the folder whose name
        // reads alike, and a URL holding such bytes unencoded is refused; a path through /proc/self
        // is the launch's own folder, not the instance's.
        const std::string odd = QFile::encodeName(home()).toStdString() + "/\xff";
        QVERIFY(std::filesystem::create_directory(odd) && QDir().mkdir(home() + "/\uFFFD"));
        const auto script = [&](const char* text) {
            QProcess process;
            return run(process, {"/bin/sh", "-c", text, QStringLiteral(QUINTARA_BINARY)});
        };
        QCOMPARE(script("exec \"$0\" --new 0 \"$(printf '\\377')\""), 0);
        QCOMPARE(script("exec \"$0\" \"quintara://create?t=0&d=$PWD/$(printf '\\377')\""), 2);
        QCOMPARE(script("cd B && exec \"$0\" --new 0 /proc/self/cwd"), 0);
        QCOMPARE(script("exec \"$0\" --import \"$(printf '\\377')/Untitled.txt\""), 0);
        QTRY_COMPARE(TemplateStore().customTemplates().value(2).name, QStringLiteral("Untitled 2"));
        QCOMPARE(script("exec \"$0\" --import /dev/stdin < B/Untitled.txt"), 0);
        QTRY_COMPARE(TemplateStore().customTemplates().value(3).name, QStringLiteral("Untitled 3"));
        QVERIFY(QFile::exists(second + "/Untitled 3.txt"));
        QCOMPARE(entries(home() + "/\uFFFD"), QStringList());
        std::filesystem::remove_all(odd); // Qt cannot spell its name to remove it
        QVERIFY(instance.waitForFinished(30'000));

        // The program wrote its own menu at start-up, naming itself.
        QCOMPARE(actionValues(ServiceMenu::defaultPath(), "Exec").value(1),
                 QStringLiteral("\"%1\" --from dolphin --new 1 %f")
                     .arg(QFileInfo(QStringLiteral(QUINTARA_BINARY)).canonicalFilePath()));

        // A folder's Save as Template makes a folder template; its entry makes the tree, variables filled in.
        writeAll(home() + "/Site/{{folder}}/notes.txt", "in {{folder}}");
        QProcess folderImport, folderCreate;
        QCOMPARE(run(folderImport, shell(0, home() + "/Site", fileMenuPath)), 0);
        const qsizetype position = TemplateStore().enabledTemplates().size() - 1;
        QCOMPARE(run(folderCreate, {QStringLiteral(QUINTARA_BINARY), "--new", QString::number(position), second}), 0);
        QCOMPARE(readAll(second + "/Site/B/notes.txt"), QByteArray("in B"));
        // A second template of it is "Site 2", and still makes folders named "Site".
        QCOMPARE(run(folderImport, shell(0, home() + "/Site", fileMenuPath)), 0);
        QCOMPARE(run(folderCreate, {QStringLiteral(QUINTARA_BINARY), "--new", QString::number(position + 1), first}),
                 0);
        QVERIFY(QFileInfo(first + "/Site").isDir());

        // Fifteen templates: the file manager orders the actions by id, as text; each is named in every language.
        // A group's entries come first, named with it, and still create from their own template.
        TemplateStore store;
        store.setEnabledBuiltIns({});
        store.customTemplates().clear();
        for (int i = 0; i < 15; ++i)
            store.customTemplates().append({QUuid::createUuid(), QString::number(i), "txt", {}, false});
        store.customTemplates().last().group = "G";
        store.save();
        const QString text = QString::fromUtf8(menu.contents().value());
        static const QRegularExpression actionsLine("\nActions=(.*);\n");
        QStringList ids = actionsLine.match(text).captured(1).split(';');
        std::sort(ids.begin(), ids.end());
        QStringList shown, german;
        for (const QString& id : ids) {
            const QString group = "\n" + text.section("[Desktop Action " + id + "]\n", 1).section("\n\n", 0, 0);
            shown.append(group.section("\nName=", 1).section('\n', 0, 0));
            german.append(group.section("\nName[de]=", 1).section('\n', 0, 0));
        }
        QCOMPARE(shown.size(), 15);
        QCOMPARE(shown.first() + shown.last() + german.first() + german.last(), "G › New 14New 13G › Neu: 14Neu: 13");
        QVERIFY(text.contains(QRegularExpression(R"(Name=G › New 14\n((?!\[Desktop).*\n)*?Exec=.*--new 14 %f)")));
        QVERIFY(text.contains("\nX-KDE-Submenu=New File\nX-KDE-Submenu[de]=Neue Datei\n"));
        store.customTemplates().clear();
        store.save();
        QVERIFY(menu.write(menuPath) && !QFile::exists(menuPath)); // no template, no menu for folders
        QVERIFY(QFile::exists(fileMenuPath));
    }

    void badRequestsCreateNothing_data()
    {
        const auto row = columns<QStringList, QString, int>("arguments", "message", "exitCode");
        row("not a number", {"--new", "x", "."}, "'x' is not a template position", 2);
        row("negative", {"--new", "-1", "."}, "'-1' is not a template position", 2);
        row("past the list", {"--new", "2", "."}, "no enabled template at position 2 (2 enabled", 2);
        row("no such folder", {"--new", "0", "gone"}, "'gone' is not a folder", 2);
        row("a file", {"--new", "0", "config/group.app.quintara.Quintara.json"}, "is not a folder", 2);
        row("no folder", {"--new", "0"}, "--new needs a template position and a folder", 2);
        row("an empty folder", {"--new", "0", ""}, "'' is not a folder", 2);
        row("a sign alone", {"--new", "+", "."}, "'+' is not a template position", 2);
        row("import a pipe", {"--import", "odd/fifo"}, "'odd/fifo' is not a file or folder", 2);
        // Every item that keeps a folder from being a template is named.
        row("import a folder holding a pipe and a binary", {"--import", "odd"},
            "quintara: HOME/odd: holds items a template cannot: fifo: a pipe, socket or device; binary.dat: not UTF-8 "
            "text",
            1);
        row("import nothing", {"--import"}, "--import needs a file", 2);
        row("from nowhere", {"--from", "nowhere", "--new", "0", "."}, "--from needs one of", 2);
        // Refused by what the file holds, not by its name: the reason, and no template.
        row("import a binary", {"--import", "binary.dat"}, "binary.dat: not UTF-8 text", 1);
        // Asked about first, which needs a display.
        row("a link's import", {"quintara://import?f=HOME/notes.txt"}, "notes.txt: needs your confirmation", 1);
        row("import a private file", {"--import", "private.txt"}, "private.txt: needs your confirmation", 1);
        row("import a folder holding one", {"--import", "kit"}, "kit: needs your confirmation", 1);
    }
    void badRequestsCreateNothing()
    {
        const auto [arguments, message, exitCode] =
            fetch<QStringList, QString, int>("arguments", "message", "exitCode");
        writeAll(home() + "/binary.dat", QByteArray("a\0b", 3));
        writeAll(home() + "/odd/binary.dat", QByteArray("a\0b", 3));
        QCOMPARE(::mkfifo(QFile::encodeName(home() + "/odd/fifo").constData(), 0600), 0);
        writeAll(home() + "/notes.txt", "notes");
        writeAll(home() + "/private.txt", "secret");
        writeAll(home() + "/kit/private.txt", "secret");
        for (const char* secret : {"/private.txt", "/kit/private.txt"})
            QVERIFY(QFile::setPermissions(home() + secret, QFile::ReadOwner | QFile::WriteOwner));
        QProcess process;
        QCOMPARE(run(process, QStringList{QStringLiteral(QUINTARA_BINARY)} +
                                  QStringList(arguments).replaceInStrings("HOME", home())),
                 exitCode);
        QCOMPARE(TemplateStore().customTemplates().size(), 1);
        QVERIFY(QString::fromUtf8(process.readAllStandardError()).contains(QString(message).replace("HOME", home())));
        QCOMPARE(QDir(home()).entryList({QStringLiteral("Untitled*")}), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestServiceMenu)
#include "tst_ServiceMenu.moc"
