#include "model/BuiltInTemplates.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "support/Table.h"

#include <QtTest>

namespace {

const QString markdownId = QStringLiteral("10000000-0000-0000-0000-000000000002");
const QString grantKey = QStringLiteral("homeFolderBookmark");

// Always reports its data stale, and fails to make new data.
class StaleBookmarks final : public Bookmark {
public:
    std::optional<QByteArray> make(const QString&, QString* error) const override
    {
        *error = QStringLiteral("The volume is read-only.");
        return std::nullopt;
    }
    std::optional<Resolved> resolve(const QByteArray& data, QString*) const override
    {
        return Resolved{QString::fromUtf8(data), true};
    }
};

} // namespace

// The store and the manager over it; the store opens its settings file afresh for every operation.
class TestTemplateStore : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    TemplateStore& store() { return m_fixture->store; }

private Q_SLOTS:
    void init() { m_fixture.emplace(); }
    void cleanup() { m_fixture.reset(); }

    void enabledTemplatesFollowTheStoredSet_data()
    {
        // storedSet: JSON of "enabledBuiltIns"; empty = nothing stored
        addColumns<QByteArray, QStringList>("storedSet", "expected");
        const QStringList all = names(builtInTemplates()) + QStringList{"Mine", "Ours"};
        const QByteArray markdown = '"' + markdownId.toLatin1() + '"';
        QTest::newRow("nothing stored: all on") << QByteArray() << all;
        QTest::newRow("empty array: all off") << QByteArray("[]") << QStringList{"Mine", "Ours"};
        QTest::newRow("a number among the texts: all on") << "[" + markdown + ", 5]" << all;
        QTest::newRow("not an array: all on") << markdown << all;
        QTest::newRow("catalogue order, not stored order, unknown ids ignored")
            << QByteArray(R"(["10000000-0000-0000-0000-000000000008", "x", "10000000-0000-0000-0000-000000000001"])")
            << QStringList{"Text File", "CSS", "Mine", "Ours"};
    }
    void enabledTemplatesFollowTheStoredSet()
    {
        const auto [storedSet, expected] = fetch<QByteArray, QStringList>("storedSet", "expected");
        writeAll(m_fixture->settingsFile,
                 QByteArray("{") + (storedSet.isEmpty() ? QByteArray() : R"("enabledBuiltIns": )" + storedSet) + "}");
        m_fixture->storeCustom({"Mine", "Ours"});
        QCOMPARE(names(store().enabledTemplates()), expected);
    }

    void loadsWhatAnotherProgramWroteAndLosesNoList()
    {
        // Custom records flagged built-in are filtered by the flag, not by where they came from.
        const QList<FileTemplate> written{customTemplate("New"),
                                          {QUuid::createUuid(), "Flagged off", "txt", "", true},
                                          {*FileTemplate::parseId(markdownId), "Flagged on", "txt", "", true}};
        m_fixture->domain().setData("customTemplates", FileTemplate::encodeList(written));
        m_fixture->domain().setArray("enabledBuiltIns", {markdownId});
        QCOMPARE(names(store().enabledTemplates()), (QStringList{"Markdown", "New", "Flagged on"}));
        QCOMPARE(store().customTemplates(), written);

        // One record that does not decode costs only itself, and is kept aside before a save replaces it.
        const QByteArray broken = "[" + customTemplate("Kept").toJson() + "," +
                                  customTemplate("x").toJson().replace("false", "\"false\"") + "]";
        m_fixture->domain().setData("customTemplates", broken);
        store().load();
        QCOMPARE(names(store().customTemplates()), QStringList{"Kept"});
        QCOMPARE(m_fixture->domain().data("customTemplates"), broken); // loading writes nothing
        LogCapture log;
        QVERIFY(store().save() && store().save());
        QCOMPARE(m_fixture->storedNames(), QStringList{"Kept"});
        const QString kept = m_fixture->settingsFile + ".customTemplates.kept";
        QCOMPARE(SettingsDomain(kept).data("customTemplates"), broken);
        QCOMPARE(
            log.take(),
            QStringList{"[QNT] settings: the stored customTemplates does not decode in full; kept aside as " + kept});
        QCOMPARE(QFileInfo(kept).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

        // A list too large to read back is not written (a control character takes six bytes in JSON, eight in base64).
        store().customTemplates().append(customTemplate("Huge", QString(3 << 20, QChar(1))));
        QSignalSpy didChange(&store(), &TemplateStore::didChange);
        QCOMPARE(store().save().failure, SettingsDomain::WriteResult::Failure::tooLarge);
        QCOMPARE(std::tuple(names(store().customTemplates()), m_fixture->storedNames(), int(didChange.count())),
                 std::tuple(QStringList{"Kept"}, QStringList{"Kept"}, 1));
        QVERIFY(log.lines().value(0).startsWith("[QNT] settings write FAILED: " + m_fixture->settingsFile));
    }

    void changesAreAnnouncedAndReachTheManagerOnTheNextTurn()
    {
        QSignalSpy didChange(&store(), &TemplateStore::didChange);
        QSignalSpy willChange(&m_fixture->manager, &TemplateManager::objectWillChange);
        QSignalSpy changed(&m_fixture->manager, &TemplateManager::customTemplatesChanged);
        m_fixture->storeCustom({"A", "B"});
        QCOMPARE(std::pair(int(didChange.count()), m_fixture->storedNames()), std::pair(1, QStringList{"A", "B"}));
        QVERIFY(m_fixture->manager.customTemplates().isEmpty()); // not inside the store operation
        QTRY_COMPARE(names(m_fixture->manager.customTemplates()), (QStringList{"A", "B"}));
        QCOMPARE(std::pair(int(changed.count()), int(willChange.count())),
                 std::pair(1, 2)); // before, and after the refresh

        store().setEnabledBuiltIns({markdownId});
        QCOMPARE(std::pair(int(didChange.count()), store().enabledBuiltIns()), std::pair(2, QSet<QString>{markdownId}));
        QTRY_COMPARE(changed.count(), 2);
        store().setDefaultBaseName("Draft");                // a setting, not a change of the list
        store().updateTemplate(customTemplate("Stranger")); // no such id: nothing
        QCOMPARE(didChange.count(), 2);
        // A template is replaced by its id, and only it.
        const FileTemplate edited{store().customTemplates().at(1).id, "B2", "md", "new body", false};
        store().updateTemplate(edited);
        store().load();
        QCOMPARE(std::tuple(int(didChange.count()), m_fixture->storedNames(), store().customTemplates().at(1)),
                 std::tuple(3, QStringList{"A", "B2"}, edited));
        // A manager gone before its refresh is not called (caught under the sanitizers).
        auto gone = std::make_unique<TemplateManager>(store());
        store().save();
        gone.reset();
        flushEventLoop();
    }

    void moveAndDelete_data()
    {
        // destination: -99: delete instead
        const auto row = columns<QList<qsizetype>, qsizetype, QString>("positions", "destination", "expected");
        row("first to before last", {0}, 3, "BCAD");
        row("last to front", {3}, 0, "DABC");
        row("two to the end", {2, 0}, 4, "BDAC");
        row("onto itself", {1}, 1, "ABCD");
        row("just after itself", {1}, 2, "ABCD");
        row("stale among valid", {9, 2, -1}, 0, "CABD");
        row("destination past the end", {0}, 99, "BCDA");
        row("negative destination", {2}, -5, "CABD");
        row("delete first and last", {3, 0}, -99, "BC");
        row("delete repeated and stale", {-1, 2, 2, 40}, -99, "ABD");
    }
    void moveAndDelete()
    {
        const auto [positions, destination, expected] =
            fetch<QList<qsizetype>, qsizetype, QString>("positions", "destination", "expected");
        m_fixture->storeCustom({"A", "B", "C", "D"});
        QSignalSpy spy(&store(), &TemplateStore::didChange);
        destination == -99 ? store().deleteTemplates(positions) : store().moveTemplates(positions, destination);
        QCOMPARE(std::tuple(names(store().customTemplates()).join(""), m_fixture->storedNames().join(""), spy.count()),
                 std::tuple(expected, expected, qsizetype(1)));
    }

    void homeFolderGrant()
    {
        LogCapture log;
        QVERIFY(!store().hasHomeFolderBookmark());
        QCOMPARE(store().resolveHomeFolderURL(), std::nullopt);
        QCOMPARE(log.take(), QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults"});
        const QString me = m_fixture->home.folder("me");
        QVERIFY(store().saveHomeFolderBookmark(QUrl::fromLocalFile(me)));
        QCOMPARE(store().resolveHomeFolderURL(), QUrl::fromLocalFile(me));
        const QByteArray granted = *m_fixture->domain().data(grantKey);

        // A failed save is logged and recorded, and keeps the earlier grant.
        const QString missing = m_fixture->home.path() + "/missing";
        QVERIFY(!store().saveHomeFolderBookmark(QUrl::fromLocalFile(missing)));
        const QString error =
            QStringLiteral("The folder “%1” couldn’t be found: No such file or directory.").arg(missing);
        QCOMPARE(log.take(), QStringList{"[QNT] bookmark save FAILED: " + error});
        QCOMPARE(std::pair(m_fixture->domain().text("bookmarkLastError"), m_fixture->domain().data(grantKey)),
                 std::pair(std::optional("ERROR: " + error), std::optional(granted)));

        // A folder that is gone fails, and the data stays. (Renewal is the attack test's.)
        QVERIFY(QDir(me).removeRecursively());
        QCOMPARE(store().resolveHomeFolderURL(), std::nullopt);
        QVERIFY(log.take().first().startsWith("[QNT] resolveHomeFolderURL: resolution FAILED: The folder “"));
        QCOMPARE(m_fixture->domain().data(grantKey), granted);

        // Empty data counts as a grant, but does not resolve.
        m_fixture->domain().setData(grantKey, QByteArray());
        QVERIFY(store().hasHomeFolderBookmark());
        QCOMPARE(store().resolveHomeFolderURL(), std::nullopt);

        // Stale data still resolves when its renewal fails, which is logged and recorded.
        const StaleBookmarks bookmarks;
        TemplateStore stale([this] { return m_fixture->domain(); }, bookmarks);
        m_fixture->domain().setData(grantKey, "/granted");
        log.take();
        QCOMPARE(stale.resolveHomeFolderURL(), QUrl::fromLocalFile("/granted"));
        QCOMPARE(log.lines(), QStringList{"[QNT] bookmark save FAILED: The volume is read-only."});
        QCOMPARE(std::pair(m_fixture->domain().text("bookmarkLastError"), m_fixture->domain().data(grantKey)),
                 std::pair(std::optional<QString>("ERROR: The volume is read-only."),
                           std::optional<QByteArray>("/granted")));
    }
};

QTEST_GUILESS_MAIN(TestTemplateStore)
#include "tst_TemplateStore.moc"
