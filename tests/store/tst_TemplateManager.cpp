#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

namespace {

FileTemplate custom(const QString& name)
{
    return FileTemplate{QUuid::createUuid(), name, QStringLiteral("txt"), QString(), false};
}

} // namespace

class TestTemplateManager : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refreshesOnTheNextTurnOfTheEventLoop();
    void twoChangesInOneTurnRefreshTwiceWithTheLatestList();
    void enabledSetChangeRepublishes();
    void reloadForACreateRequestIsNotAnnounced();
    void aManagerGoneBeforeTheRefreshIsNotCalled();

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<TemplateStore> m_store;
};

void TestTemplateManager::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_store = std::make_unique<TemplateStore>(
        [path = m_home->configHome() + QStringLiteral("/suite.json")] { return SettingsDomain(path); });
    m_store->customTemplates().append(custom(QStringLiteral("Stored")));
    m_store->save();
    QCoreApplication::processEvents();
}

void TestTemplateManager::cleanup()
{
    m_store.reset();
    m_home.reset();
}

void TestTemplateManager::refreshesOnTheNextTurnOfTheEventLoop()
{
    TemplateManager manager(*m_store);
    QCOMPARE(&manager.store(), m_store.get());
    QCOMPARE(manager.customTemplates(), m_store->customTemplates());
    QSignalSpy willChange(&manager, &TemplateManager::objectWillChange);
    QSignalSpy changed(&manager, &TemplateManager::customTemplatesChanged);

    m_store->customTemplates().append(custom(QStringLiteral("Added")));
    m_store->save();
    QCOMPARE(m_store->customTemplates().size(), 2);
    QCOMPARE(manager.customTemplates().size(), 1); // not inside the store operation
    QCOMPARE(willChange.count(), 0);

    QTRY_COMPARE(manager.customTemplates().size(), 2);
    QCOMPARE(manager.customTemplates(), m_store->customTemplates());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(willChange.count(), 2); // before the change, and once more after the refresh
}

void TestTemplateManager::twoChangesInOneTurnRefreshTwiceWithTheLatestList()
{
    TemplateManager manager(*m_store);
    QList<QStringList> seen;
    connect(&manager, &TemplateManager::customTemplatesChanged, this, [&] {
        QStringList names;
        for (const FileTemplate& t : manager.customTemplates())
            names.append(t.name);
        seen.append(names);
    });
    m_store->customTemplates().append(custom(QStringLiteral("One")));
    m_store->save();
    m_store->deleteTemplates({0});
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(seen.at(0), QStringList{"One"});
    QCOMPARE(seen.at(1), QStringList{"One"});
}

void TestTemplateManager::enabledSetChangeRepublishes()
{
    TemplateManager manager(*m_store);
    QSignalSpy willChange(&manager, &TemplateManager::objectWillChange);
    QSignalSpy changed(&manager, &TemplateManager::customTemplatesChanged);
    m_store->setEnabledBuiltIns({});
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(willChange.count(), 2);
}

void TestTemplateManager::reloadForACreateRequestIsNotAnnounced()
{
    TemplateManager manager(*m_store);
    QSignalSpy willChange(&manager, &TemplateManager::objectWillChange);
    // Another program replaces the list; a create request makes the store load it.
    SettingsDomain(m_home->configHome() + QStringLiteral("/suite.json"))
        .setData(QStringLiteral("customTemplates"), FileTemplate::encodeList({custom(QStringLiteral("Other"))}));
    QCOMPARE(m_store->enabledTemplates().last().name, QStringLiteral("Other"));
    QCoreApplication::processEvents();
    QCOMPARE(willChange.count(), 0);
    QCOMPARE(manager.customTemplates().first().name, QStringLiteral("Stored"));
}

void TestTemplateManager::aManagerGoneBeforeTheRefreshIsNotCalled()
{
    auto manager = std::make_unique<TemplateManager>(*m_store);
    m_store->save();
    manager.reset();
    QCoreApplication::processEvents(); // would touch freed memory (caught under the sanitizers)
    QVERIFY(m_store->customTemplates().size() == 1);
}

QTEST_GUILESS_MAIN(TestTemplateManager)
#include "tst_TemplateManager.moc"
