#include "store/TemplateStore.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTest>

namespace {

// A bookmark service that always reports its data stale and can be told to fail making new data.
class StaleBookmarks final : public Bookmark {
public:
    std::optional<QByteArray> make(const QString& folderPath, QString* error) const override
    {
        if (failMaking) {
            *error = QStringLiteral("The volume is read-only.");
            return std::nullopt;
        }
        return folderPath.toUtf8();
    }
    std::optional<Resolved> resolve(const QByteArray& data, QString*) const override
    {
        return Resolved{QString::fromUtf8(data), true};
    }
    bool failMaking = false;
};

} // namespace

class TestHomeFolderGrant : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void nothingStored();
    void emptyDataCountsAsGrantedButDoesNotResolve();
    void saveThenResolve();
    void failedSaveKeepsTheEarlierGrantAndRecordsTheError();
    void replacedFolderIsRenewedDuringResolution();
    void staleGrantResolvesEvenWhenRenewalFails();
    void goneFolderFailsAndKeepsTheData();

private:
    SettingsDomain domain() const { return SettingsDomain(m_home->configHome() + QStringLiteral("/suite.json")); }
    std::unique_ptr<TemplateStore> makeStore(const Bookmark& bookmarks = Bookmark::system()) const
    {
        return std::make_unique<TemplateStore>([this] { return domain(); }, bookmarks);
    }
    QString folder(const QString& name) const
    {
        const QString path = m_home->path() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }

    std::unique_ptr<TemporaryHome> m_home;
};

void TestHomeFolderGrant::init()
{
    m_home = std::make_unique<TemporaryHome>();
}

void TestHomeFolderGrant::cleanup()
{
    m_home.reset();
}

void TestHomeFolderGrant::nothingStored()
{
    auto store = makeStore();
    LogCapture log;
    QVERIFY(!store->hasHomeFolderBookmark());
    QCOMPARE(store->resolveHomeFolderURL(), std::nullopt);
    QCOMPARE(log.lines(), QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults"});
}

void TestHomeFolderGrant::emptyDataCountsAsGrantedButDoesNotResolve()
{
    domain().setData(QStringLiteral("homeFolderBookmark"), QByteArray());
    auto store = makeStore();
    LogCapture log;
    QVERIFY(store->hasHomeFolderBookmark());
    QCOMPARE(store->resolveHomeFolderURL(), std::nullopt);
    QCOMPARE(log.lines(), QStringList{"[QNT] resolveHomeFolderURL: resolution FAILED: The bookmark data isn’t in the "
                                      "correct format."});
}

void TestHomeFolderGrant::saveThenResolve()
{
    auto store = makeStore();
    const QString home = folder(QStringLiteral("me"));
    LogCapture log;
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(home)));
    QVERIFY(store->hasHomeFolderBookmark());
    QCOMPARE(store->resolveHomeFolderURL(), QUrl::fromLocalFile(home));
    QCOMPARE(log.lines(), QStringList());
    QVERIFY(!domain().text(QStringLiteral("bookmarkLastError")));
}

void TestHomeFolderGrant::failedSaveKeepsTheEarlierGrantAndRecordsTheError()
{
    auto store = makeStore();
    const QString home = folder(QStringLiteral("me"));
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(home)));
    const QByteArray earlier = *domain().data(QStringLiteral("homeFolderBookmark"));

    LogCapture log;
    const QString missing = m_home->path() + QStringLiteral("/missing");
    QVERIFY(!store->saveHomeFolderBookmark(QUrl::fromLocalFile(missing)));
    const QString description =
        QStringLiteral("The folder “%1” couldn’t be found: No such file or directory.").arg(missing);
    QCOMPARE(log.take(), QStringList{"[QNT] bookmark save FAILED: " + description});
    QCOMPARE(domain().text(QStringLiteral("bookmarkLastError")), QStringLiteral("ERROR: ") + description);
    QCOMPARE(domain().data(QStringLiteral("homeFolderBookmark")), earlier);

    // Success later does not clear the record of the failure.
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(folder(QStringLiteral("other")))));
    QCOMPARE(domain().text(QStringLiteral("bookmarkLastError")), QStringLiteral("ERROR: ") + description);
    QCOMPARE(store->resolveHomeFolderURL(), QUrl::fromLocalFile(folder(QStringLiteral("other"))));
}

void TestHomeFolderGrant::replacedFolderIsRenewedDuringResolution()
{
    auto store = makeStore();
    const QString home = folder(QStringLiteral("me"));
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(home)));
    const QByteArray before = *domain().data(QStringLiteral("homeFolderBookmark"));
    QVERIFY(QDir(m_home->path()).rename(QStringLiteral("me"), QStringLiteral("me.old")));
    folder(QStringLiteral("me"));

    LogCapture log;
    QCOMPARE(store->resolveHomeFolderURL(), QUrl::fromLocalFile(home));
    const QByteArray after = *domain().data(QStringLiteral("homeFolderBookmark"));
    QVERIFY(after != before);
    QVERIFY(!Bookmark::system().resolve(after, nullptr)->isStale);
    QCOMPARE(log.lines(), QStringList{"[QNT] resolveHomeFolderURL: renewed stale bookmark for " + home});
}

void TestHomeFolderGrant::staleGrantResolvesEvenWhenRenewalFails()
{
    StaleBookmarks bookmarks;
    auto store = makeStore(bookmarks);
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(QStringLiteral("/granted"))));
    bookmarks.failMaking = true;
    LogCapture log;
    QCOMPARE(store->resolveHomeFolderURL(), QUrl::fromLocalFile(QStringLiteral("/granted")));
    QCOMPARE(log.lines(), QStringList{"[QNT] bookmark save FAILED: The volume is read-only."});
    QCOMPARE(domain().text(QStringLiteral("bookmarkLastError")), QStringLiteral("ERROR: The volume is read-only."));
    QCOMPARE(domain().data(QStringLiteral("homeFolderBookmark")), QByteArray("/granted"));
}

void TestHomeFolderGrant::goneFolderFailsAndKeepsTheData()
{
    auto store = makeStore();
    const QString home = folder(QStringLiteral("me"));
    QVERIFY(store->saveHomeFolderBookmark(QUrl::fromLocalFile(home)));
    const QByteArray data = *domain().data(QStringLiteral("homeFolderBookmark"));
    QVERIFY(QDir(home).removeRecursively());
    LogCapture log;
    QCOMPARE(store->resolveHomeFolderURL(), std::nullopt);
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(
        log.lines().first().startsWith(QStringLiteral("[QNT] resolveHomeFolderURL: resolution FAILED: The folder “")));
    QVERIFY(store->hasHomeFolderBookmark());
    QCOMPARE(domain().data(QStringLiteral("homeFolderBookmark")), data);
}

QTEST_GUILESS_MAIN(TestHomeFolderGrant)
#include "tst_HomeFolderGrant.moc"
