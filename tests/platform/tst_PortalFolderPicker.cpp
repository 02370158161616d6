#include "platform/PortalFolderPicker.h"
#include "support/Fakes.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QtTest>

// Stands in for the desktop portal on a private bus: answers each chooser request as told.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.FileChooser")
    Q_PROPERTY(uint version MEMBER version)

public:
    uint version = 4;
    int response = 0; // -1: never answers
    QVariantMap options;
    QString title;

public Q_SLOTS:
    QDBusObjectPath OpenFile(const QString&, const QString& title, const QVariantMap& options, const QDBusMessage& call)
    {
        this->title = title, this->options = options;
        QString sender = call.service().mid(1).replace('.', '_');
        const QString path =
            "/org/freedesktop/portal/desktop/request/" + sender + '/' + options["handle_token"].toString();
        if (response >= 0) {
            QDBusMessage answer = QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            answer << uint(response) << QVariantMap{{"uris", QStringList{"file:///home/ada/My%20Files"}}};
            QTimer::singleShot(0, this, [answer] { QDBusConnection(QStringLiteral("portal")).send(answer); });
        }
        return QDBusObjectPath(path);
    }
};

class TestPortalFolderPicker : public QObject {
    Q_OBJECT
    QProcess m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
        QTRY_VERIFY(m_bus.canReadLine());
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(address, "portal").isConnected());
        QVERIFY(QDBusConnection::connectToBus(address, "program").isConnected());
    }
    void cleanupTestCase() { m_bus.kill(), m_bus.waitForFinished(); }

    void answersOnceFromThePortalOrTheFallback_data()
    {
        QTest::addColumn<bool>("registered");
        QTest::addColumn<uint>("version");
        QTest::addColumn<int>("response");
        QTest::addColumn<QString>("answer"); // "fallback": the dialog was asked; "-": cancelled
        QTest::newRow("chosen") << true << 4u << 0 << "/home/ada/My Files";
        QTest::newRow("cancelled") << true << 4u << 1 << "-";
        QTest::newRow("chooser ended otherwise") << true << 4u << 2 << "-";
        QTest::newRow("portal leaves unanswered") << true << 4u << -1 << "-";
        QTest::newRow("no portal") << false << 4u << 0 << "fallback";
        QTest::newRow("portal without folders") << true << 2u << 0 << "fallback";
    }
    void answersOnceFromThePortalOrTheFallback()
    {
        QFETCH(bool, registered);
        QFETCH(uint, version);
        QFETCH(int, response);
        QFETCH(QString, answer);
        QDBusConnection portalBus("portal");
        FakePortal portal;
        portal.version = version, portal.response = response;
        if (registered) {
            QVERIFY(portalBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
            QVERIFY(portalBus.registerService("org.freedesktop.portal.Desktop"));
        }
        const auto unregister = [&] {
            portalBus.unregisterService("org.freedesktop.portal.Desktop");
            portalBus.unregisterObject("/org/freedesktop/portal/desktop");
        };
        const auto atEnd = qScopeGuard(unregister);
        FakeFolderPicker fallback;
        PortalFolderPicker picker(fallback, QDBusConnection("program"));
        QList<std::optional<QString>> answers;
        // Asked at once: the request waits for the portal to be found.
        picker.pickFolder({"Grant Folder Access", "Select your home", "Grant Access", "/home/ada"}, nullptr,
                          [&answers](const std::optional<QString>& folder) { answers << folder; });
        if (response < 0) {
            QTRY_VERIFY(!portal.options.isEmpty());
            unregister();
        }
        if (answer == "fallback") {
            QTRY_COMPARE(fallback.requests.size(), 1);
            fallback.answer("/home/ada");
        }
        QTRY_COMPARE(answers.size(), 1);
        QCOMPARE(answers.first().value_or("-"), answer == "fallback" ? "/home/ada" : answer);
        if (answer != "fallback")
            QCOMPARE(portal.title + ' ' + portal.options["accept_label"].toString(),
                     "Grant Folder Access Grant Access");
        QCOMPARE(portal.options.value("current_folder").toByteArray(),
                 registered && version > 2 ? QByteArray("/home/ada", 10) : "");
        QCOMPARE(portal.options.value("directory").toBool(), answer != "fallback");
        QTest::qWait(50);
        QCOMPARE(answers.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPortalFolderPicker)
#include "tst_PortalFolderPicker.moc"
