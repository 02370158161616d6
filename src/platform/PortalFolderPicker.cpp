#include "platform/PortalFolderPicker.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QUrl>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString chooserInterface = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Choosing folders came with version 3 of the chooser.
constexpr uint folderChoosingVersion = 3;
// The portal answers calls at once (the chooser shows later); one that has not answered by then is
// taken for missing. Starting a portal on demand may take a few seconds.
constexpr int callTimeoutMs = 10000;

} // namespace

struct PortalFolderPicker::Pending {
    QString token;
    QString handle; // the request object the answer comes from
    Request request;
    QWidget* parent;
    Completion done;
};

PortalFolderPicker::PortalFolderPicker(FolderPicker& fallback, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_fallback(fallback), m_bus(bus)
{
    if (!m_bus.isConnected())
        m_portal = Portal::Absent;
}

void PortalFolderPicker::findPortal()
{
    auto* watcher = new QDBusServiceWatcher(portalService, m_bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &PortalFolderPicker::portalLeft);
    // Asking for the chooser's version also starts a portal that the bus starts on demand.
    QDBusMessage get = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << chooserInterface << QStringLiteral("version");
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(get, callTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        portalFound(!reply.isError() && reply.value().variant().toUInt() >= folderChoosingVersion);
    });
}

PortalFolderPicker::~PortalFolderPicker()
{
    for (Pending* pending : std::exchange(m_pending, {}) + std::exchange(m_waiting, {})) {
        pending->done(std::nullopt);
        delete pending;
    }
}

void PortalFolderPicker::pickFolder(const Request& request, QWidget* parent, Completion done)
{
    if (m_portal == Portal::Unknown) {
        if (m_waiting.isEmpty())
            findPortal();
        m_waiting.append(new Pending{{}, {}, request, parent, std::move(done)});
    } else if (m_portal == Portal::Absent)
        m_fallback.pickFolder(request, parent, std::move(done));
    else
        ask(request, parent, std::move(done));
}

void PortalFolderPicker::portalFound(bool present)
{
    m_portal = present ? Portal::Present : Portal::Absent;
    for (Pending* waiting : std::exchange(m_waiting, {})) {
        pickFolder(waiting->request, waiting->parent, std::move(waiting->done));
        delete waiting;
    }
}

void PortalFolderPicker::ask(const Request& request, QWidget* parent, Completion done)
{
    const QString token = QStringLiteral("quintara%1").arg(++m_nextToken);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    auto* pending = new Pending{token, portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token,
                                request, parent, std::move(done)};
    m_pending.append(pending);
    // Subscribed before the call, so that an answer as quick as the call's own reply is not missed.
    followHandle(*pending, pending->handle);

    QByteArray folder = request.startFolder.toLocal8Bit();
    folder.append('\0');
    const QVariantMap options{
        {QStringLiteral("handle_token"), token}, {QStringLiteral("accept_label"), request.prompt},
        {QStringLiteral("directory"), true},     {QStringLiteral("multiple"), false},
        {QStringLiteral("modal"), false},        {QStringLiteral("current_folder"), folder},
    };
    QDBusMessage open =
        QDBusMessage::createMethodCall(portalService, portalPath, chooserInterface, QStringLiteral("OpenFile"));
    open << QString() << request.title << options;
    auto* call = new QDBusPendingCallWatcher(m_bus.asyncCall(open, callTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, token](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const auto found =
            std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending* p) { return p->token == token; });
        if (found == m_pending.end())
            return; // answered already
        Pending* pending = *found;
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        if (reply.isError()) {
            // A portal that cannot show a chooser must not leave the user without one.
            m_pending.removeOne(pending);
            m_fallback.pickFolder(pending->request, pending->parent, std::move(pending->done));
            delete pending;
            return;
        }
        // Older portals do not derive the request's path from the token.
        if (reply.value().path() != pending->handle)
            followHandle(*pending, reply.value().path());
    });
}

void PortalFolderPicker::followHandle(Pending& pending, const QString& handle)
{
    if (handle != pending.handle)
        m_bus.disconnect(portalService, pending.handle, requestInterface, QStringLiteral("Response"), this,
                         SLOT(responded(uint, QVariantMap, QDBusMessage)));
    pending.handle = handle;
    m_bus.connect(portalService, handle, requestInterface, QStringLiteral("Response"), this,
                  SLOT(responded(uint, QVariantMap, QDBusMessage)));
}

void PortalFolderPicker::responded(uint response, const QVariantMap& results, const QDBusMessage& message)
{
    // 0 is a choice; 1 the user's cancel; anything else a chooser that ended some other way.
    const QUrl chosen(results.value(QStringLiteral("uris")).toStringList().value(0));
    answer(message.path(), response == 0 && chosen.isLocalFile() ? std::optional(chosen.toLocalFile()) : std::nullopt);
}

void PortalFolderPicker::answer(const QString& handle, const std::optional<QString>& folder)
{
    const auto found =
        std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending* p) { return p->handle == handle; });
    if (found == m_pending.end())
        return;
    Pending* pending = *found;
    m_pending.erase(found);
    m_bus.disconnect(portalService, handle, requestInterface, QStringLiteral("Response"), this,
                     SLOT(responded(uint, QVariantMap, QDBusMessage)));
    pending->done(folder);
    delete pending;
}

void PortalFolderPicker::portalLeft()
{
    QStringList handles;
    for (const Pending* pending : std::as_const(m_pending))
        handles.append(pending->handle);
    for (const QString& handle : std::as_const(handles))
        answer(handle, std::nullopt);
}
