// The KDE service menu, read as a desktop entry reader reads it, and its commands run for real:
// the `quintara` program with --new, in a throw-away home with a granted folder.
#include "extension/ServiceMenu.h"
#include "model/BuiltInTemplates.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Action {
    QString name, icon, exec;
};

// The actions of a service menu file in file order, values unescaped as a desktop entry reader
// unescapes them.
QList<Action> readActions(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Action> actions;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("[Desktop Action ")))
            actions.append(Action{});
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (actions.isEmpty() || equals < 0)
            continue;
        QString value;
        for (qsizetype i = equals + 1; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c != u'\\' || i + 1 == line.size()) {
                value += c;
                continue;
            }
            value += line.at(++i);
        }
        const QStringView key = QStringView(line).left(equals);
        if (key == u"Name")
            actions.last().name = value;
        else if (key == u"Icon")
            actions.last().icon = value;
        else if (key == u"Exec")
            actions.last().exec = value;
    }
    return actions;
}

// The command line of an Exec value, split by its quoting rules, with %f standing for `folder`;
// nothing when the value breaks those rules.
QStringList commandLine(const QString& exec, const QString& folder)
{
    QStringList arguments;
    QString current;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i), next = i + 1 < exec.size() ? exec.at(i + 1) : QChar();
        if (c == u'%' && (next == u'%' || (next == u'f' && !quoted))) {
            current += next == u'%' ? QStringLiteral("%") : folder;
            started = true;
            ++i;
        } else if (c == u'%' || (quoted && (c == u'$' || c == u'`'))) {
            return {}; // an unknown field code, or shell syntax left unescaped
        } else if (quoted && c == u'\\') {
            current += next;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
            started = true;
        } else if (!quoted && c == u' ') {
            if (started)
                arguments.append(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.append(current);
    return arguments;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestServiceMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void menuValidatesAndItsCommandsCreateTheFiles();
    void menuGoesWhenNoTemplateIsEnabled();
    void badRequestsCreateNothing_data();
    void badRequestsCreateNothing();
    void iconsNameTheFileType_data();
    void iconsNameTheFileType();

private:
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString menuPath() const { return home() + QStringLiteral("/menu/quintara.desktop"); }
    // The program as the file manager starts it: no display, no session bus, so it serves on the
    // offscreen platform and leaves once idle.
    void startProgram(QProcess& process, const QStringList& arguments) const;

    QTemporaryDir m_dir;
};

void TestServiceMenu::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("HOME", QFile::encodeName(home()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home() + QStringLiteral("/.local/share")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path())); // private to this user already
}

void TestServiceMenu::init()
{
    QDir(home()).removeRecursively();
    QVERIFY(QDir().mkpath(home()));
    // Two templates: the first built-in, and one of the user's whose name needs every escape.
    TemplateStore store;
    store.setEnabledBuiltIns({builtInTemplates().constFirst().idText()});
    store.customTemplates() = {{QUuid::createUuid(), QStringLiteral(" Notes & \"Ideas\"\t100% \\ $HOME"),
                                QStringLiteral("py"), QStringLiteral("# notes\n"), false}};
    store.save();
    QVERIFY(store.saveHomeFolderBookmark(QUrl::fromLocalFile(home())));
}

void TestServiceMenu::startProgram(QProcess& process, const QStringList& arguments) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + m_dir.path() + "/no-bus");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home());
    process.start(arguments.constFirst(), arguments.mid(1));
    QVERIFY(process.waitForStarted());
}

void TestServiceMenu::menuValidatesAndItsCommandsCreateTheFiles()
{
    // The program's path, too, passes through the Exec quoting intact.
    const QString programFolder = home() + QStringLiteral(R"(/my "bin" $PATH 100%)");
    QVERIFY(QDir().mkpath(programFolder));
    QVERIFY(QFile::link(QStringLiteral(QUINTARA_BINARY), programFolder + QStringLiteral("/quintara")));
    QVERIFY(ServiceMenu(MenuModel(), programFolder + QStringLiteral("/quintara")).write(menuPath()));
    QVERIFY(QFileInfo(menuPath()).permissions() & QFile::ExeOwner);

    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(QStringLiteral("desktop-file-validate"), {menuPath()});
    QVERIFY2(validator.waitForFinished(), "desktop-file-validate is needed (scripts/bootstrap installs it)");
    QCOMPARE(validator.readAll(), QByteArray());
    QCOMPARE(validator.exitCode(), 0);

    const QList<Action> actions = readActions(menuPath());
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.at(0).name, QStringLiteral("New Text File"));
    QCOMPARE(actions.at(1).name, QStringLiteral(R"(New  Notes & "Ideas" 100% \ $HOME)"));
    QCOMPARE(actions.at(1).icon, QStringLiteral("text-x-python"));

    // The first command starts the program, the second hands its request to it.
    const QString first = home() + QStringLiteral(R"(/A "quoted" $folder)");
    const QString second = home() + QStringLiteral("/B 100%");
    QVERIFY(QDir().mkpath(first) && QDir().mkpath(second));
    QProcess instance, handOver, relative;
    startProgram(instance, commandLine(actions.at(1).exec, first));
    QTRY_COMPARE(contentsOf(first + QStringLiteral("/Untitled.py")), QByteArray("# notes\n"));
    startProgram(handOver, commandLine(actions.at(0).exec, second));
    QVERIFY(handOver.waitForFinished());
    QCOMPARE(handOver.exitCode(), 0);
    QTRY_VERIFY(QFile::exists(second + QStringLiteral("/Untitled.txt")));
    // Typed by hand, the folder may be relative to the current one.
    startProgram(relative, {QStringLiteral(QUINTARA_BINARY), "--new", "0", "B 100%"});
    QVERIFY(relative.waitForFinished());
    QTRY_VERIFY(QFile::exists(second + QStringLiteral("/Untitled 2.txt")));
    QVERIFY(instance.waitForFinished(30'000));
    QCOMPARE(instance.exitCode(), 0);

    // The program wrote its own menu, which runs the program itself.
    const QList<Action> written = readActions(ServiceMenu::defaultPath());
    QCOMPARE(written.size(), 2);
    QCOMPARE(commandLine(written.at(1).exec, first).constFirst(),
             QFileInfo(QStringLiteral(QUINTARA_BINARY)).canonicalFilePath());
}

void TestServiceMenu::menuGoesWhenNoTemplateIsEnabled()
{
    const ServiceMenu menu(MenuModel(), QStringLiteral("/usr/bin/quintara"));
    QVERIFY(menu.write(menuPath()));
    QVERIFY(QFile::exists(menuPath()));
    TemplateStore store;
    store.setEnabledBuiltIns({});
    store.customTemplates().clear();
    store.save();
    QVERIFY(menu.write(menuPath()));
    QVERIFY(!QFile::exists(menuPath()));
}

void TestServiceMenu::badRequestsCreateNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("index not a number") << QStringList{"x", "."} << "'x' is not a template position";
    QTest::newRow("negative index") << QStringList{"-1", "."} << "'-1' is not a template position";
    QTest::newRow("index past the list") << QStringList{"2", "."} << "no enabled template at position 2 (2 enabled";
    QTest::newRow("missing folder") << QStringList{"0", "gone"} << "'gone' is not a folder";
    QTest::newRow("file, not folder") << QStringList{"0", ".config/group.app.quintara.Quintara.json"}
                                      << "'.config/group.app.quintara.Quintara.json' is not a folder";
    QTest::newRow("no folder") << QStringList{"0"} << "--new needs a template position and a folder";
}

void TestServiceMenu::badRequestsCreateNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess process;
    startProgram(process, QStringList{QStringLiteral(QUINTARA_BINARY), "--new"} + arguments);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 2);
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
    QCOMPARE(QDir(home()).entryList({QStringLiteral("Untitled*")}), QStringList());
}

void TestServiceMenu::iconsNameTheFileType_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("icon");
    QTest::newRow("known type") << "md"
                                << "text-markdown";
    QTest::newRow("no extension") << ""
                                  << "text-x-generic";
    QTest::newRow("unknown type") << "qntzz"
                                  << "text-x-generic";
}

void TestServiceMenu::iconsNameTheFileType()
{
    QFETCH(QString, extension);
    QFETCH(QString, icon);
    QCOMPARE(MenuModel::iconNameFor(extension), icon);
}

QTEST_GUILESS_MAIN(TestServiceMenu)
#include "tst_ServiceMenu.moc"
