#include "creation/CreateRequest.h"
#include "extension/MenuModel.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {

const QStringList allBuiltInLabels{
    "New Text File",    "New Markdown",      "New JSON", "New Rich Text",
    "New Shell Script", "New Python Script", "New HTML", "New CSS",
};
const QString markdownId = QStringLiteral("10000000-0000-0000-0000-000000000002");
const QString cssId = QStringLiteral("10000000-0000-0000-0000-000000000008");

ClickedLocation folderAt(const QString& path)
{
    return {QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), path, true};
}

QStringList labels(const std::optional<ExtensionMenu>& menu)
{
    QStringList result;
    if (menu) {
        for (const MenuEntry& entry : menu->entries)
            result.append(entry.label);
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<ClickedLocation>)

// The menu reads the shared settings file of a throw-away home, written the way the application
// writes it.
class TestMenuModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void offeredOnlyForOneLocalFolder_data();
    void offeredOnlyForOneLocalFolder();
    void labelsFollowTheStoredSettings_data();
    void labelsFollowTheStoredSettings();
    void entriesNameTheTemplateTheApplicationWillServe();
    void urlCarriesAnyFolderNameIntact_data();
    void urlCarriesAnyFolderNameIntact();
    void unreadableSettingsGiveTheBuiltIns_data();
    void unreadableSettingsGiveTheBuiltIns();

private:
    std::unique_ptr<TemporaryHome> m_home;
};

void TestMenuModel::init()
{
    m_home = std::make_unique<TemporaryHome>();
}

void TestMenuModel::cleanup()
{
    m_home.reset();
}

void TestMenuModel::offeredOnlyForOneLocalFolder_data()
{
    QTest::addColumn<bool>("background");
    QTest::addColumn<QList<ClickedLocation>>("clicked");
    QTest::addColumn<bool>("offered");

    const ClickedLocation folder = folderAt(QStringLiteral("/home/ada/Notes"));
    const ClickedLocation file{QStringLiteral("file:///home/ada/Notes/a.txt"), QStringLiteral("/home/ada/Notes/a.txt"),
                               false};
    QTest::newRow("background of a folder") << true << QList{folder} << true;
    QTest::newRow("one selected folder") << false << QList{folder} << true;
    QTest::newRow("one selected file") << false << QList{file} << false;
    QTest::newRow("two selected folders") << false << QList{folder, folderAt(QStringLiteral("/home/ada/B"))} << false;
    QTest::newRow("nothing selected") << false << QList<ClickedLocation>{} << false;
    QTest::newRow("trash") << true << QList{ClickedLocation{QStringLiteral("trash:///"), QString(), true}} << false;
    QTest::newRow("recent") << true << QList{ClickedLocation{QStringLiteral("recent:///"), QString(), true}} << false;
    QTest::newRow("network") << true << QList{ClickedLocation{QStringLiteral("network:///"), QString(), true}} << false;
    // A remote folder that a local bridge also shows under a path is still not a local folder.
    QTest::newRow("remote folder with a bridged path")
        << true
        << QList{ClickedLocation{QStringLiteral("sftp://host/srv"),
                                 QStringLiteral("/run/user/1000/gvfs/sftp:host=host/srv"), true}}
        << false;
    QTest::newRow("file URI without a path")
        << true << QList{ClickedLocation{QStringLiteral("file:///x"), QString(), true}} << false;
}

void TestMenuModel::offeredOnlyForOneLocalFolder()
{
    QFETCH(bool, background);
    QFETCH(QList<ClickedLocation>, clicked);
    QFETCH(bool, offered);
    const MenuModel model;
    const std::optional<ExtensionMenu> menu =
        background ? model.forBackground(clicked.constFirst()) : model.forSelection(clicked);
    QCOMPARE(menu.has_value(), offered);
    if (offered) {
        QCOMPARE(menu->title, QStringLiteral("New File"));
        QCOMPARE(labels(menu), allBuiltInLabels);
    }
}

void TestMenuModel::labelsFollowTheStoredSettings_data()
{
    QTest::addColumn<std::optional<QStringList>>("enabledBuiltIns"); // nothing = not stored
    QTest::addColumn<QStringList>("customNames");
    QTest::addColumn<QStringList>("expected"); // empty = no menu

    QTest::newRow("nothing stored") << std::optional<QStringList>() << QStringList{} << allBuiltInLabels;
    QTest::newRow("custom templates after the built-ins") << std::optional<QStringList>() << QStringList{"Memo", "Log"}
                                                          << allBuiltInLabels + QStringList{"New Memo", "New Log"};
    QTest::newRow("two built-ins in catalogue order, then the custom ones in stored order")
        << std::optional(QStringList{cssId, markdownId}) << QStringList{"Zeta", "Alpha"}
        << QStringList{"New Markdown", "New CSS", "New Zeta", "New Alpha"};
    QTest::newRow("built-ins off") << std::optional(QStringList{}) << QStringList{"Memo"} << QStringList{"New Memo"};
    QTest::newRow("nothing enabled: no menu") << std::optional(QStringList{}) << QStringList{} << QStringList{};
}

void TestMenuModel::labelsFollowTheStoredSettings()
{
    QFETCH(std::optional<QStringList>, enabledBuiltIns);
    QFETCH(QStringList, customNames);
    QFETCH(QStringList, expected);
    {
        TemplateStore store;
        for (const QString& name : customNames)
            store.customTemplates().append({QUuid::createUuid(), name, QStringLiteral("txt"), QString(), false});
        store.save();
        if (enabledBuiltIns)
            store.setEnabledBuiltIns(QSet<QString>(enabledBuiltIns->cbegin(), enabledBuiltIns->cend()));
    }
    const std::optional<ExtensionMenu> menu = MenuModel().forBackground(folderAt(m_home->path()));
    QCOMPARE(menu.has_value(), !expected.isEmpty());
    QCOMPARE(labels(menu), expected);
}

void TestMenuModel::entriesNameTheTemplateTheApplicationWillServe()
{
    TemplateStore writer;
    writer.setEnabledBuiltIns({markdownId, cssId});
    writer.customTemplates() = {{QUuid::createUuid(), QStringLiteral("Memo"), QStringLiteral("txt"), QString(), false}};
    writer.save();

    const std::optional<ExtensionMenu> menu = MenuModel().forSelection({folderAt(m_home->path())});
    QVERIFY(menu);
    QCOMPARE(menu->entries.size(), 3);
    // The application resolves the index against its own list when the request arrives.
    const QList<FileTemplate> served = TemplateStore().enabledTemplates();
    for (const MenuEntry& entry : menu->entries) {
        const std::optional<CreateRequest> request = CreateRequest::parse(entry.createUrl);
        QVERIFY(request);
        QVERIFY(request->index >= 0 && request->index < served.size());
        QCOMPARE(QStringLiteral("New ") + served.at(request->index).name, entry.label);
        QCOMPARE(request->directoryPath, m_home->path());
    }
}

void TestMenuModel::urlCarriesAnyFolderNameIntact_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << QStringLiteral("My Projects");
    QTest::newRow("hash") << QStringLiteral("issue #12");
    QTest::newRow("question mark") << QStringLiteral("why?");
    QTest::newRow("ampersand and equals") << QStringLiteral("A&B=C&t=9&d=/etc");
    QTest::newRow("percent") << QStringLiteral("100% done %20 %zz");
    QTest::newRow("plus") << QStringLiteral("C++ and a+b");
    QTest::newRow("non-ASCII") << QStringLiteral("Café Ünïcødé 日本語 😀");
    QTest::newRow("everything at once") << QStringLiteral(" #?&%+;,:@$!'()*[]~é ");
}

void TestMenuModel::urlCarriesAnyFolderNameIntact()
{
    QFETCH(QString, name);
    const QString folder = m_home->path() + QStringLiteral("/outer ") + name + QLatin1Char('/') + name;
    QVERIFY(QDir().mkpath(folder));

    const std::optional<ExtensionMenu> menu = MenuModel().forBackground(folderAt(folder));
    QVERIFY(menu);
    for (qsizetype i = 0; i < menu->entries.size(); ++i) {
        const QString text = menu->entries.at(i).createUrl;
        const QString encodedPath = text.section(QStringLiteral("&d="), 1);
        // Only URL-safe ASCII reaches the handler; the folders stay readable.
        for (const QChar c : encodedPath)
            QVERIFY2(c.unicode() < 0x80 && !QStringLiteral(" #?&+").contains(c), qPrintable(text));
        QVERIFY2(encodedPath.startsWith(m_home->path() + QStringLiteral("/outer%20")), qPrintable(text));

        const QUrl url(text, QUrl::StrictMode);
        QVERIFY2(url.isValid(), qPrintable(url.errorString()));
        const std::optional<CreateRequest> request = CreateRequest::parse(text);
        QVERIFY2(request, qPrintable(text));
        QCOMPARE(request->index, i);
        QCOMPARE(request->directoryPath, folder);
    }
}

void TestMenuModel::unreadableSettingsGiveTheBuiltIns_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("not JSON") << QStringLiteral("garbage");
    QTest::newRow("a folder in its place") << QStringLiteral("folder");
    QTest::newRow("no read permission") << QStringLiteral("mode 000");
}

void TestMenuModel::unreadableSettingsGiveTheBuiltIns()
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

QTEST_GUILESS_MAIN(TestMenuModel)
#include "tst_MenuModel.moc"
