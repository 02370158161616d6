#include "model/BuiltInTemplates.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

FileTemplate custom(const QString& name, bool isBuiltIn = false)
{
    return FileTemplate{QUuid::createUuid(), name, QStringLiteral("txt"), name + QStringLiteral(" body"), isBuiltIn};
}

QStringList names(const QList<FileTemplate>& templates)
{
    QStringList result;
    for (const FileTemplate& t : templates)
        result.append(t.name);
    return result;
}

QStringList letters(const QString& text)
{
    return text.split(QString(), Qt::SkipEmptyParts);
}

const QString markdownId = QStringLiteral("10000000-0000-0000-0000-000000000002");

} // namespace

// Each case gets its own domain file; the store under test opens it afresh for every operation.
class TestTemplateStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void enabledTemplatesFollowTheStoredSet_data();
    void enabledTemplatesFollowTheStoredSet();
    void enabledTemplatesReloadWhatAnotherProgramWrote();
    void brokenStoredListReadsEmptyAndNextSaveWritesEmptyArray();
    void listChangesAreAnnouncedOnceAndSettingsChangesAreNot();
    void updateTemplateReplacesByIdOnly();
    void moveTemplates_data();
    void moveTemplates();
    void deleteTemplates_data();
    void deleteTemplates();
    void defaultBaseName_data();
    void defaultBaseName();
    void sharedStoreUsesTheSuiteFile();

private:
    SettingsDomain domain() const { return SettingsDomain(m_home->configHome() + QStringLiteral("/suite.json")); }
    std::unique_ptr<TemplateStore> makeStore() const
    {
        return std::make_unique<TemplateStore>([this] { return domain(); });
    }
    void storeCustom(const QStringList& names) const;

    std::unique_ptr<TemporaryHome> m_home;
};

void TestTemplateStore::init()
{
    m_home = std::make_unique<TemporaryHome>();
}

void TestTemplateStore::cleanup()
{
    m_home.reset();
}

void TestTemplateStore::storeCustom(const QStringList& templateNames) const
{
    QList<FileTemplate> list;
    for (const QString& name : templateNames)
        list.append(custom(name));
    domain().setData(QStringLiteral("customTemplates"), FileTemplate::encodeList(list));
}

void TestTemplateStore::enabledTemplatesFollowTheStoredSet_data()
{
    QTest::addColumn<QByteArray>("storedSet"); // JSON of "enabledBuiltIns"; empty = nothing stored
    QTest::addColumn<QStringList>("expected");

    QStringList all;
    for (const FileTemplate& t : builtInTemplates())
        all.append(t.name);
    const QStringList customs{QStringLiteral("Mine"), QStringLiteral("Ours")};

    QTest::newRow("nothing stored: all on") << QByteArray() << all + customs;
    QTest::newRow("empty array: all off") << QByteArray("[]") << customs;
    QTest::newRow("Markdown only") << ("[\"" + markdownId.toLatin1() + "\"]") << QStringList{"Markdown"} + customs;
    QTest::newRow("a number among the texts: all on") << ("[\"" + markdownId.toLatin1() + "\", 5]") << all + customs;
    QTest::newRow("not an array: all on") << QByteArray("\"" + markdownId.toLatin1() + "\"") << all + customs;
    QTest::newRow("unknown ids only") << QByteArray(R"(["not-an-id", "10000000-0000-0000-0000-000000000009"])")
                                      << customs;
    QTest::newRow("catalogue order, not stored order")
        << QByteArray(R"(["10000000-0000-0000-0000-000000000008", "10000000-0000-0000-0000-000000000001"])")
        << QStringList{"Text File", "CSS"} + customs;
}

void TestTemplateStore::enabledTemplatesFollowTheStoredSet()
{
    QFETCH(QByteArray, storedSet);
    QFETCH(QStringList, expected);
    writeAll(domain().filePath(), storedSet.isEmpty() ? QByteArray("{}") : R"({"enabledBuiltIns": )" + storedSet + "}");
    storeCustom({QStringLiteral("Mine"), QStringLiteral("Ours")});
    QCOMPARE(names(makeStore()->enabledTemplates()), expected);
}

void TestTemplateStore::enabledTemplatesReloadWhatAnotherProgramWrote()
{
    auto store = makeStore();
    QCOMPARE(store->enabledTemplates().size(), 8);

    // Custom records flagged built-in are filtered by the flag, not by where they came from.
    FileTemplate flaggedOn = custom(QStringLiteral("Flagged on"), true);
    flaggedOn.id = *FileTemplate::parseId(markdownId);
    const QList<FileTemplate> written{custom(QStringLiteral("New")), custom(QStringLiteral("Flagged off"), true),
                                      flaggedOn};
    domain().setData(QStringLiteral("customTemplates"), FileTemplate::encodeList(written));
    domain().setArray(QStringLiteral("enabledBuiltIns"), {markdownId});

    QCOMPARE(names(store->enabledTemplates()), (QStringList{"Markdown", "New", "Flagged on"}));
    QCOMPARE(store->customTemplates(), written);
}

void TestTemplateStore::brokenStoredListReadsEmptyAndNextSaveWritesEmptyArray()
{
    const QByteArray broken = R"([{"id":"10000000-0000-0000-0000-00000000000A","name":"x","fileExtension":"txt",)"
                              R"("content":""}])"; // no isBuiltIn
    domain().setData(QStringLiteral("customTemplates"), broken);
    auto store = makeStore();
    QVERIFY(store->customTemplates().isEmpty());
    QCOMPARE(domain().data(QStringLiteral("customTemplates")), broken); // loading writes nothing back
    store->save();
    QCOMPARE(domain().data(QStringLiteral("customTemplates")), QByteArray("[]"));
}

void TestTemplateStore::listChangesAreAnnouncedOnceAndSettingsChangesAreNot()
{
    auto store = makeStore();
    QSignalSpy spy(store.get(), &TemplateStore::didChange);

    store->customTemplates().append(custom(QStringLiteral("A")));
    store->save();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(names(*FileTemplate::decodeList(*domain().data(QStringLiteral("customTemplates")))), QStringList{"A"});

    store->setEnabledBuiltIns({markdownId});
    QCOMPARE(spy.count(), 2);
    QCOMPARE(store->enabledBuiltIns(), QSet<QString>{markdownId});

    store->setDefaultBaseName(QStringLiteral("Draft"));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(store->defaultBaseName(), QStringLiteral("Draft"));

    store->setEnabledBuiltIns({});
    QCOMPARE(domain().array(QStringLiteral("enabledBuiltIns"))->size(), 0);
    QVERIFY(store->enabledBuiltIns().isEmpty());
}

void TestTemplateStore::updateTemplateReplacesByIdOnly()
{
    storeCustom({QStringLiteral("A"), QStringLiteral("B")});
    auto store = makeStore();
    QSignalSpy spy(store.get(), &TemplateStore::didChange);
    const QByteArray before = readAll(domain().filePath());

    store->updateTemplate(custom(QStringLiteral("Stranger")));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(readAll(domain().filePath()), before);

    FileTemplate changed = store->customTemplates().at(1);
    changed.name = QStringLiteral("B2");
    changed.fileExtension = QStringLiteral("md");
    changed.content = QStringLiteral("new body");
    store->updateTemplate(changed);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(makeStore()->customTemplates().at(1), changed);
    QCOMPARE(names(store->customTemplates()), (QStringList{"A", "B2"}));
}

void TestTemplateStore::moveTemplates_data()
{
    QTest::addColumn<QList<qsizetype>>("positions");
    QTest::addColumn<qsizetype>("destination");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first to before last") << QList<qsizetype>{0} << qsizetype(3) << "BCAD";
    QTest::newRow("last to front") << QList<qsizetype>{3} << qsizetype(0) << "DABC";
    QTest::newRow("two to the end") << QList<qsizetype>{0, 2} << qsizetype(4) << "BDAC";
    QTest::newRow("onto itself") << QList<qsizetype>{1} << qsizetype(1) << "ABCD";
    QTest::newRow("just after itself") << QList<qsizetype>{1} << qsizetype(2) << "ABCD";
    QTest::newRow("positions in any order") << QList<qsizetype>{3, 1} << qsizetype(0) << "BDAC";
    QTest::newRow("stale position ignored") << QList<qsizetype>{7} << qsizetype(0) << "ABCD";
    QTest::newRow("stale among valid") << QList<qsizetype>{9, 2, -1} << qsizetype(0) << "CABD";
    QTest::newRow("destination past the end") << QList<qsizetype>{0} << qsizetype(99) << "BCDA";
    QTest::newRow("negative destination") << QList<qsizetype>{2} << qsizetype(-5) << "CABD";
}

void TestTemplateStore::moveTemplates()
{
    QFETCH(QList<qsizetype>, positions);
    QFETCH(qsizetype, destination);
    QFETCH(QString, expected);
    storeCustom(letters(QStringLiteral("ABCD")));
    auto store = makeStore();
    QSignalSpy spy(store.get(), &TemplateStore::didChange);
    store->moveTemplates(positions, destination);
    QCOMPARE(names(store->customTemplates()).join(QString()), expected);
    QCOMPARE(names(makeStore()->customTemplates()).join(QString()), expected);
    QCOMPARE(spy.count(), 1);
}

void TestTemplateStore::deleteTemplates_data()
{
    QTest::addColumn<QList<qsizetype>>("positions");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one") << QList<qsizetype>{1} << "ACD";
    QTest::newRow("first and last") << QList<qsizetype>{3, 0} << "BC";
    QTest::newRow("repeated") << QList<qsizetype>{2, 2} << "ABD";
    QTest::newRow("stale position ignored") << QList<qsizetype>{4} << "ABCD";
    QTest::newRow("stale among valid") << QList<qsizetype>{-1, 2, 40} << "ABD";
    QTest::newRow("all") << QList<qsizetype>{0, 1, 2, 3} << "";
}

void TestTemplateStore::deleteTemplates()
{
    QFETCH(QList<qsizetype>, positions);
    QFETCH(QString, expected);
    storeCustom(letters(QStringLiteral("ABCD")));
    auto store = makeStore();
    store->deleteTemplates(positions);
    QCOMPARE(names(store->customTemplates()).join(QString()), expected);
    QCOMPARE(names(makeStore()->customTemplates()).join(QString()), expected);
}

void TestTemplateStore::defaultBaseName_data()
{
    QTest::addColumn<QByteArray>("stored"); // JSON of "defaultBaseName"; empty = nothing stored
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing stored") << QByteArray() << "Untitled";
    QTest::newRow("empty text") << QByteArray(R"("")") << "";
    QTest::newRow("spaces kept") << QByteArray(R"("  My Draft ")") << "  My Draft ";
    QTest::newRow("not a text") << QByteArray("7") << "Untitled";
}

void TestTemplateStore::defaultBaseName()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);
    writeAll(domain().filePath(), stored.isEmpty() ? QByteArray("{}") : R"({"defaultBaseName": )" + stored + "}");
    QCOMPARE(makeStore()->defaultBaseName(), expected);
}

void TestTemplateStore::sharedStoreUsesTheSuiteFile()
{
    TemplateStore& store = TemplateStore::shared();
    QCOMPARE(&store, &TemplateStore::shared());
    store.setDefaultBaseName(QStringLiteral("Shared"));
    QCOMPARE(SettingsDomain(m_home->suiteFile()).text(QStringLiteral("defaultBaseName")), QStringLiteral("Shared"));
}

QTEST_GUILESS_MAIN(TestTemplateStore)
#include "tst_TemplateStore.moc"
