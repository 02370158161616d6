#include "platform/PortalFolderPicker.h"
#include "support/Fakes.h"
#include "support/Table.h"

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
    int response = 0; // -1: never answers, -2: refuses the call
    QVariantMap options;
    QString title;

public Q_SLOTS:
    QDBusObjectPath OpenFile(const QString&, const QString& title, const QVariantMap& options, const QDBusMessage& call)
    {
        if (response == -2) {
            call.setDelayedReply(true);
            QDBusConnection("portal").send(call.createErrorReply("x.Denied", ""));
            return {};
        }
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
    QTemporaryFile m_config;
    QTemporaryDir m_busDir; // the bus's socket, which a killed daemon leaves behind
    QProcess m_bus;

private Q_SLOTS:
    void initTestCase()
    {
        // The usual session bus, but one that starts no services: no installed portal answers in the fake's place.
        QFile session("/usr/share/dbus-1/session.conf");
        QVERIFY(session.open(QIODevice::ReadOnly) && m_config.open());
        m_config.write(session.readAll().replace("<standard_session_servicedirs />", ""));
        m_config.flush();
        m_bus.start("dbus-daemon", {"--config-file=" + m_config.fileName(), "--nofork", "--print-address=1",
                                    "--address=unix:dir=" + m_busDir.path()});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon is needed (scripts/bootstrap installs it)");
        QTRY_VERIFY(m_bus.canReadLine());
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(address, "portal").isConnected());
        QVERIFY(QDBusConnection::connectToBus(address, "program").isConnected());
    }
    void cleanupTestCase() { m_bus.kill(), m_bus.waitForFinished(); }

    void answersOnceFromThePortalOrTheFallback_data()
    {
        // version: 0: no portal on the bus
        // answer: "fallback": the dialog was asked; "-": cancelled
        addColumns<uint, int, QString>("version", "response", "answer");
        QTest::newRow("chosen, the first version that chooses folders") << 3u << 0 << "/home/ada/My Files";
        QTest::newRow("cancelled") << 4u << 1 << "-";
        QTest::newRow("chooser ended otherwise") << 4u << 2 << "-";
        QTest::newRow("portal leaves unanswered") << 4u << -1 << "-";
        QTest::newRow("no portal") << 0u << 0 << "fallback";
        QTest::newRow("portal without folders") << 2u << 0 << "fallback";
        QTest::newRow("portal refusing the call") << 4u << -2 << "fallback";
    }
    void answersOnceFromThePortalOrTheFallback()
    {
        const auto [version, response, answer] = fetch<uint, int, QString>("version", "response", "answer");
        QDBusConnection portalBus("portal");
        FakePortal portal;
        portal.version = version, portal.response = response;
        QVERIFY(!version || (portalBus.registerObject("/org/freedesktop/portal/desktop", &portal,
                                                      QDBusConnection::ExportAllContents) &&
                             portalBus.registerService("org.freedesktop.portal.Desktop")));
        const auto unregister = [&] {
            portalBus.unregisterService("org.freedesktop.portal.Desktop");
            portalBus.unregisterObject("/org/freedesktop/portal/desktop");
        };
        const auto atEnd = qScopeGuard(unregister);
        FakeFolderPicker fallback;
        PortalFolderPicker picker(fallback, QDBusConnection("program"));
        QList<std::optional<QString>> answers;
        // Asked at once: the request waits until the portal is found or not.
        picker.pickFolder({"Grant Folder Access", "Select your home", "Grant Access", "/home/ada"}, nullptr,
                          [&answers](const std::optional<QString>& folder) { answers << folder; });
        if (response == -1) {
            QTRY_VERIFY(!portal.options.isEmpty());
            unregister();
        }
        if (answer == "fallback") {
            QTRY_COMPARE(fallback.requests.size(), 1);
            fallback.answer("/home/ada");
        }
        QTRY_COMPARE(answers.size(), 1);
        QCOMPARE(answers.first().value_or("-"), answer == "fallback" ? "/home/ada" : answer);
        const bool asked = answer != "fallback";
        QCOMPARE(std::tuple(portal.title + portal.options.value("accept_label").toString(),
                            portal.options.value("current_folder").toByteArray(),
                            portal.options.value("directory").toBool()),
                 asked ? std::tuple(QString("Grant Folder AccessGrant Access"), QByteArray("/home/ada", 10), true)
                       : std::tuple(QString(), QByteArray(), false));
        QTest::qWait(50);
        QCOMPARE(answers.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestPortalFolderPicker)
#include "tst_PortalFolderPicker.moc"
