#include "creation/CreateRequest.h"
#include "extension/MenuModel.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <unistd.h>

namespace {

const QStringList allBuiltIns{"New Text File",    "New Markdown",      "New JSON", "New Rich Text",
                              "New Shell Script", "New Python Script", "New HTML", "New CSS"};

ClickedLocation folderAt(const QString& path)
{
    return {QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), path, true};
}

// The labels, each with the index and folder its request carries as the application reads them.
QStringList entries(const std::optional<ExtensionMenu>& menu)
{
    QStringList result;
    for (const MenuEntry& entry : menu ? menu->entries : QList<MenuEntry>()) {
        const std::optional<CreateRequest> request = CreateRequest::parse(entry.createUrl);
        result << entry.label +
                      (request ? QStringLiteral(" %1 %2").arg(request->index).arg(request->directoryPath) : " -");
    }
    return result;
}

QStringList labels(const QStringList& names, const QString& folder)
{
    QStringList result;
    for (qsizetype i = 0; i < names.size(); ++i)
        result << QStringLiteral("%1 %2 %3").arg(names.at(i)).arg(i).arg(folder);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<ClickedLocation>)

// The menu reads the shared settings file of a throw-away home, written the way the application writes it.
class TestMenuModel : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;

private Q_SLOTS:
    void init() { m_home.emplace(); }
    void cleanup() { m_home.reset(); }

    void offeredOnlyForOneLocalFolder_data()
    {
        QTest::addColumn<bool>("background");
        QTest::addColumn<QList<ClickedLocation>>("clicked");
        QTest::addColumn<bool>("offered");
        const ClickedLocation folder = folderAt("/home/ada/Notes");
        QTest::newRow("background of a folder") << true << QList{folder} << true;
        QTest::newRow("one selected folder") << false << QList{folder} << true;
        QTest::newRow("one selected file")
            << false << QList{ClickedLocation{"file:///a.txt", "/a.txt", false}} << false;
        QTest::newRow("two selected folders") << false << QList{folder, folderAt("/home/ada/B")} << false;
        QTest::newRow("nothing selected") << false << QList<ClickedLocation>{} << false;
        QTest::newRow("trash") << true << QList{ClickedLocation{"trash:///", QString(), true}} << false;
        // A remote folder that a local bridge also shows under a path is still not a local folder.
        QTest::newRow("remote folder with a bridged path")
            << true << QList{ClickedLocation{"sftp://host/srv", "/run/user/1000/gvfs/sftp:host=host/srv", true}}
            << false;
        QTest::newRow("file URI without a path")
            << true << QList{ClickedLocation{"file:///x", QString(), true}} << false;
    }
    void offeredOnlyForOneLocalFolder()
    {
        QFETCH(bool, background);
        QFETCH(QList<ClickedLocation>, clicked);
        QFETCH(bool, offered);
        const MenuModel model;
        const auto menu = background ? model.forBackground(clicked.constFirst()) : model.forSelection(clicked);
        QCOMPARE(menu ? menu->title : "-", offered ? "New File" : "-");
        QCOMPARE(entries(menu), offered ? labels(allBuiltIns, "/home/ada/Notes") : QStringList());
    }

    void entriesFollowTheStoredSettings_data()
    {
        QTest::addColumn<std::optional<QStringList>>("enabledBuiltIns"); // nothing = not stored
        QTest::addColumn<QStringList>("customNames");
        QTest::addColumn<QStringList>("expected"); // empty = no menu
        QTest::newRow("custom templates after the built-ins")
            << std::optional<QStringList>() << QStringList{"Memo"} << allBuiltIns + QStringList{"New Memo"};
        QTest::newRow("built-ins in catalogue order, then the custom ones in stored order")
            << std::optional(
                   QStringList{"10000000-0000-0000-0000-000000000008", "10000000-0000-0000-0000-000000000002"})
            << QStringList{"Zeta", "Alpha"} << QStringList{"New Markdown", "New CSS", "New Zeta", "New Alpha"};
        QTest::newRow("nothing enabled: no menu") << std::optional(QStringList{}) << QStringList{} << QStringList{};
    }
    void entriesFollowTheStoredSettings()
    {
        QFETCH(std::optional<QStringList>, enabledBuiltIns);
        QFETCH(QStringList, customNames);
        QFETCH(QStringList, expected);
        TemplateStore store;
        for (const QString& name : customNames)
            store.customTemplates().append(customTemplate(name));
        store.save();
        if (enabledBuiltIns)
            store.setEnabledBuiltIns(QSet<QString>(enabledBuiltIns->cbegin(), enabledBuiltIns->cend()));
        const std::optional<ExtensionMenu> menu = MenuModel().forSelection({folderAt(m_home->path())});
        QCOMPARE(menu.has_value(), !expected.isEmpty());
        QCOMPARE(entries(menu), labels(expected, m_home->path()));
        // Each entry names the template the application serves for its index when the request arrives.
        QStringList served;
        for (const FileTemplate& t : store.enabledTemplates())
            served << "New " + t.name;
        QCOMPARE(served, expected);
    }

    void urlCarriesAnyFolderNameIntact_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("space, hash, question mark") << "My issue #12 why?";
        QTest::newRow("ampersand and equals") << "A&B=C&t=9&d=/etc";
        QTest::newRow("percent and plus") << "100% done %20 %zz C++ a+b";
        QTest::newRow("non-ASCII") << "Café Ünïcødé 日本語 😀";
        QTest::newRow("everything at once") << " #?&%+;,:@$!'()*[]~é ";
    }
    void urlCarriesAnyFolderNameIntact()
    {
        QFETCH(QString, name);
        const QString folder = m_home->folder("outer " + name + '/' + name);
        const std::optional<ExtensionMenu> menu = MenuModel().forBackground(folderAt(folder));
        QCOMPARE(entries(menu), labels(allBuiltIns, folder));
        // Only URL-safe ASCII reaches the handler; the folders stay readable.
        const QString text = menu->entries.constFirst().createUrl;
        for (const QChar c : text.section("&d=", 1))
            QVERIFY2(c.unicode() < 0x80 && !QStringLiteral(" #?&+").contains(c), qPrintable(text));
        QVERIFY2(text.contains("&d=" + m_home->path() + "/outer%20"), qPrintable(text));
    }

    void unreadableSettingsGiveTheBuiltIns_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not JSON") << "garbage";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("no read permission") << "mode 000";
    }
    void unreadableSettingsGiveTheBuiltIns()
    {
        QFETCH(QString, damage);
        const QString suite = m_home->suiteFile();
        if (damage == "folder")
            QVERIFY(QDir().mkpath(suite));
        else
            writeAll(suite, damage == "garbage" ? R"({"enabledBuiltIns": [], "customTemplates": {"data": "W10="})"
                                                : R"({"enabledBuiltIns": []})");
        if (damage == "mode 000" && geteuid() == 0)
            QSKIP("the superuser reads any file");
        QVERIFY(damage != "mode 000" || QFile::setPermissions(suite, QFileDevice::WriteOwner));
        const QByteArray before = readAll(suite);
        QCOMPARE(entries(MenuModel().forBackground(folderAt(m_home->path()))), labels(allBuiltIns, m_home->path()));
        // The extension only ever reads: a damaged file is left for the application to set aside.
        QCOMPARE(readAll(suite), before);
        QVERIFY(!QFile::exists(suite + ".corrupt"));
    }
};

QTEST_GUILESS_MAIN(TestMenuModel)
#include "tst_MenuModel.moc"
