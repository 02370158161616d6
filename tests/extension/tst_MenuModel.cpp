#include "creation/CreateRequest.h"
#include "extension/MenuModel.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QtTest>

#include <unistd.h>

namespace {

const QStringList allBuiltInLabels{"New Text File",    "New Markdown",      "New JSON", "New Rich Text",
                                   "New Shell Script", "New Python Script", "New HTML", "New CSS"};
const QString markdownId = QStringLiteral("10000000-0000-0000-0000-000000000002");
const QString cssId = QStringLiteral("10000000-0000-0000-0000-000000000008");

ClickedLocation folderAt(const QString& path)
{
    return {QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), path, true};
}

QStringList labels(const std::optional<ExtensionMenu>& menu)
{
    QStringList result;
    for (const MenuEntry& entry : menu ? menu->entries : QList<MenuEntry>())
        result.append(entry.label);
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
        const ClickedLocation folder = folderAt(QStringLiteral("/home/ada/Notes"));
        const ClickedLocation file{"file:///home/ada/Notes/a.txt", "/home/ada/Notes/a.txt", false};
        QTest::newRow("background of a folder") << true << QList{folder} << true;
        QTest::newRow("one selected folder") << false << QList{folder} << true;
        QTest::newRow("one selected file") << false << QList{file} << false;
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
        const std::optional<ExtensionMenu> menu =
            background ? model.forBackground(clicked.constFirst()) : model.forSelection(clicked);
        QCOMPARE(menu.has_value(), offered);
        if (offered)
            QCOMPARE(std::pair(menu->title, labels(menu)), std::pair(QStringLiteral("New File"), allBuiltInLabels));
    }

    void entriesFollowTheStoredSettings_data()
    {
        QTest::addColumn<std::optional<QStringList>>("enabledBuiltIns"); // nothing = not stored
        QTest::addColumn<QStringList>("customNames");
        QTest::addColumn<QStringList>("expected"); // empty = no menu
        QTest::newRow("custom templates after the built-ins")
            << std::optional<QStringList>() << QStringList{"Memo"} << allBuiltInLabels + QStringList{"New Memo"};
        QTest::newRow("built-ins in catalogue order, then the custom ones in stored order")
            << std::optional(QStringList{cssId, markdownId}) << QStringList{"Zeta", "Alpha"}
            << QStringList{"New Markdown", "New CSS", "New Zeta", "New Alpha"};
        QTest::newRow("nothing enabled: no menu") << std::optional(QStringList{}) << QStringList{} << QStringList{};
    }
    void entriesFollowTheStoredSettings()
    {
        QFETCH(std::optional<QStringList>, enabledBuiltIns);
        QFETCH(QStringList, customNames);
        QFETCH(QStringList, expected);
        {
            TemplateStore store;
            for (const QString& name : customNames)
                store.customTemplates().append(customTemplate(name));
            store.save();
            if (enabledBuiltIns)
                store.setEnabledBuiltIns(QSet<QString>(enabledBuiltIns->cbegin(), enabledBuiltIns->cend()));
        }
        const std::optional<ExtensionMenu> menu = MenuModel().forSelection({folderAt(m_home->path())});
        QCOMPARE(menu.has_value(), !expected.isEmpty());
        QCOMPARE(labels(menu), expected);
        // Each entry names the template the application serves for its index when the request arrives.
        const QList<FileTemplate> served = TemplateStore().enabledTemplates();
        for (const MenuEntry& entry : menu ? menu->entries : QList<MenuEntry>()) {
            const std::optional<CreateRequest> request = CreateRequest::parse(QUrl(entry.createUrl, QUrl::StrictMode));
            QVERIFY(request && request->index >= 0 && request->index < served.size());
            QCOMPARE("New " + served.at(request->index).name, entry.label);
            QCOMPARE(request->directoryPath, m_home->path());
        }
    }

    void urlCarriesAnyFolderNameIntact_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("space, hash, question mark") << QStringLiteral("My issue #12 why?");
        QTest::newRow("ampersand and equals") << QStringLiteral("A&B=C&t=9&d=/etc");
        QTest::newRow("percent and plus") << QStringLiteral("100% done %20 %zz C++ a+b");
        QTest::newRow("non-ASCII") << QStringLiteral("Café Ünïcødé 日本語 😀");
        QTest::newRow("everything at once") << QStringLiteral(" #?&%+;,:@$!'()*[]~é ");
    }
    void urlCarriesAnyFolderNameIntact()
    {
        QFETCH(QString, name);
        const QString folder = m_home->folder("outer " + name + '/' + name);
        const std::optional<ExtensionMenu> menu = MenuModel().forBackground(folderAt(folder));
        QVERIFY(menu);
        for (qsizetype i = 0; i < menu->entries.size(); ++i) {
            const QString text = menu->entries.at(i).createUrl;
            // Only URL-safe ASCII reaches the handler; the folders stay readable.
            for (const QChar c : text.section(QStringLiteral("&d="), 1))
                QVERIFY2(c.unicode() < 0x80 && !QStringLiteral(" #?&+").contains(c), qPrintable(text));
            QVERIFY2(text.contains("&d=" + m_home->path() + "/outer%20"), qPrintable(text));
            const std::optional<CreateRequest> request = CreateRequest::parse(QUrl(text, QUrl::StrictMode));
            QVERIFY2(request, qPrintable(text));
            QCOMPARE(std::pair(request->index, request->directoryPath), std::pair(qint64(i), folder));
        }
    }

    void unreadableSettingsGiveTheBuiltIns_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("not JSON") << QStringLiteral("garbage");
        QTest::newRow("a folder in its place") << QStringLiteral("folder");
        QTest::newRow("no read permission") << QStringLiteral("mode 000");
    }
    void unreadableSettingsGiveTheBuiltIns()
    {
        QFETCH(QString, damage);
        const QString suite = m_home->suiteFile();
        if (damage == QLatin1String("garbage")) {
            writeAll(suite, R"({"enabledBuiltIns": [], "customTemplates": {"data": "W10="})");
        } else if (damage == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(suite));
        } else {
            if (geteuid() == 0)
                QSKIP("the superuser reads any file");
            writeAll(suite, R"({"enabledBuiltIns": []})");
            QVERIFY(QFile::setPermissions(suite, QFileDevice::WriteOwner));
        }
        const QByteArray before = readAll(suite);
        QCOMPARE(labels(MenuModel().forBackground(folderAt(m_home->path()))), allBuiltInLabels);
        // The extension only ever reads: a damaged file is left for the application to set aside.
        QCOMPARE(readAll(suite), before);
        QVERIFY(!QFile::exists(suite + QStringLiteral(".corrupt")));
    }
};

QTEST_GUILESS_MAIN(TestMenuModel)
#include "tst_MenuModel.moc"
