#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "extension/MenuModel.h"
#include "support/Table.h"
#include "support/TestEnvironment.h"

#include <QtTest>

namespace {

const QStringList allBuiltIns{"New Text File",    "New Markdown",      "New JSON", "New Rich Text",
                              "New Shell Script", "New Python Script", "New HTML", "New CSS"};

ClickedLocation folderAt(const QString& path, bool isFolder = true)
{
    return {QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded), path, isFolder, !isFolder};
}

// The labels; one whose request, as the application reads it, is not for its own position in
// `folder` shows the request.
QStringList entries(const std::optional<ExtensionMenu>& menu, const QString& folder)
{
    QStringList result;
    for (const MenuEntry& entry : menu ? menu->entries : QList<MenuEntry>()) {
        const std::optional<CreateRequest> request = CreateRequest::parse(entry.requestUrl);
        const bool intact = request && request->index == result.size() && request->directoryPath == folder;
        result << entry.label + (intact ? QString() : " -> " + entry.requestUrl);
    }
    return result;
}

} // namespace

// The menu over the settings of a throw-away home, which it only ever reads.
class TestMenuModel : public QObject {
    Q_OBJECT

    std::optional<TemporaryHome> m_home;

private Q_SLOTS:
    void init() { m_home.emplace(); }
    void cleanup() { m_home.reset(); }

    // "New File" for one local folder, "Save as Template" for one local regular file.
    void offeredOnlyForOneLocalFolderOrFile_data()
    {
        // offers: "new": New File, "save": Save as Template, "": nothing
        const auto row = columns<bool, QList<ClickedLocation>, QString>("background", "clicked", "offers");
        const ClickedLocation folder = folderAt("/home/ada/Notes"), file = folderAt("/home/ada/a.txt", false);
        row("background of a folder", true, {folder}, "new");
        row("one selected folder", false, {folder}, "new save");
        row("one selected file", false, {file}, "save");
        row("one named pipe", false, {{"file:///p", "/p", false, false}}, "");
        row("two selected files", false, {file, file}, "");
        row("two selected folders", false, {folder, folderAt("/home/ada/B")}, "");
        row("nothing selected", false, {}, "");
        row("trash", true, {{"trash:///", QString(), true}}, "");
        // A remote item that a local bridge also shows under a path is still not a local one.
        row("remote folder with a bridged path", true,
            {{"sftp://host/srv", "/run/user/1000/gvfs/sftp:host=host/srv", true}}, "");
        row("remote file with a bridged path", false,
            {{"sftp://host/a", "/run/user/1000/gvfs/sftp:host=host/a", false, true}}, "");
        row("file URI without a path", true, {{"file:///x", {}, true}}, "");
        // Any name comes back intact from the request.
        for (const char* name : {"My issue #12 why?", "A&B=C&t=9&d=/etc", "100% done %20 %zz C++ a+b",
                                 "Café Ünïcødé 日本語 😀", " #?&%+;,:@$!'()*[]~é "}) {
            row(qPrintable(QString("folder named ") + name), true, {folderAt("/home/ada/" + QString(name))}, "new");
            row(qPrintable(QString("file named ") + name), false, {folderAt("/home/ada/" + QString(name), false)},
                "save");
        }
    }
    void offeredOnlyForOneLocalFolderOrFile()
    {
        const auto [background, clicked, offers] =
            fetch<bool, QList<ClickedLocation>, QString>("background", "clicked", "offers");
        const bool offered = offers.contains("new"), saveAsTemplate = offers.contains("save");
        const std::optional<MenuEntry> save = background ? std::nullopt : MenuModel::forFile(clicked);
        const std::optional<ImportRequest> import = ImportRequest::parse(save ? save->requestUrl : QString());
        QCOMPARE(save ? save->label + ' ' + import.value_or(ImportRequest{}).filePath : "-",
                 saveAsTemplate ? "Save as Template " + clicked.constFirst().localPath : "-");
        const MenuModel model;
        const auto menu = background ? model.forBackground(clicked.constFirst()) : model.forSelection(clicked);
        QCOMPARE(menu ? menu->title : "-", offered ? "New File" : "-");
        QCOMPARE(entries(menu, clicked.value(0).localPath), offered ? allBuiltIns : QStringList());
        QVERIFY(!QFile::exists(m_home->suiteFile())); // the extension only ever reads the settings
        if (!menu)
            return;
        // Only URL-safe ASCII reaches the desktop's handler; the folders stay readable.
        const QString url = menu->entries.constFirst().requestUrl;
        for (const QChar c : url.section("&d=", 1))
            QVERIFY2(c.unicode() < 0x80 && !QStringLiteral(" #?&+").contains(c), qPrintable(url));
        QVERIFY2(url.contains("&d=/home/ada/"), qPrintable(url));
    }
};

QTEST_GUILESS_MAIN(TestMenuModel)
#include "tst_MenuModel.moc"
