#include "platform/InstanceChannel.h"

#include "model/AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qsizetype maximumMessage = 1 << 20;
// Bounds on what callers that never finish their message can hold: a real launch sends its whole
// line at once, so none of these is near what it needs.
constexpr int maximumConnections = 64;
// Descriptors left over for serving a request (settings, the folder, the new file, the desktop),
// however many callers are connected.
constexpr int descriptorsForWork = 16;
constexpr qint64 maximumBuffered = 8 << 20; // over all connections
constexpr int messageTimeoutMs = 2000;
// After an accept failed for want of memory or buffers, try again later rather than at once.
constexpr int acceptRetryMs = 100;

struct Message {
    QStringList urls;
    QString activationToken;
};

// A token that cannot be used is dropped; the URLs are served all the same.
std::optional<Message> decodeMessage(const QByteArray& line)
{
    const QJsonObject document = QJsonDocument::fromJson(line).object();
    const QJsonValue urls = document.value(QLatin1String("urls"));
    if (!urls.isArray())
        return std::nullopt;
    Message result;
    for (const QJsonValue& url : urls.toArray()) {
        if (!url.isString())
            return std::nullopt;
        result.urls.append(url.toString());
    }
    const QString token = document.value(QLatin1String("token")).toString();
    if (InstanceChannel::isUsableActivationToken(token))
        result.activationToken = token;
    return result;
}

// The peer of an accepted connection runs as this user; the folder's mode should already ensure it.
bool peerIsThisUser(int descriptor)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::geteuid();
}

} // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    for (QLocalSocket* socket : std::as_const(m_connections))
        socket->abort();
    if (m_listener < 0)
        return;
    delete m_acceptNotifier; // before its descriptor goes
    ::close(m_listener);
    if (m_spare >= 0)
        ::close(m_spare);
    const QByteArray path = QFile::encodeName(socketPath());
    struct stat info {};
    if (::lstat(path.constData(), &info) == 0 && quint64(info.st_ino) == m_socketInode)
        ::unlink(path.constData());
}

std::unique_ptr<InstanceChannel> InstanceChannel::claimOrDeliver(const QStringList& urls, Delivery* delivered,
                                                                 const QString& activationToken)
{
    const QString path = socketPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path + QLatin1String(".lock"));
    lock->setStaleLockTime(0); // held for the whole run; only a dead owner makes it stale
    // Whoever holds the lock either listens already or is about to: keep offering the message
    // until it is taken, or until the lock frees up because its owner went away.
    for (int attempt = 0; attempt < 200; ++attempt) {
        *delivered = send(urls, 30'000, activationToken);
        if (*delivered != Delivery::NoInstance)
            return nullptr;
        if (lock->tryLock(0)) {
            auto channel = std::make_unique<InstanceChannel>();
            channel->m_lock = std::move(lock);
            return channel;
        }
        QThread::msleep(50);
    }
    *delivered = Delivery::Failed;
    return nullptr;
}

bool InstanceChannel::listen()
{
    // Our own socket rather than a QLocalServer, which stops listening and removes its socket for
    // good when one accept fails (as it does when the process runs out of descriptors).
    const QByteArray path = QFile::encodeName(socketPath());
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    ::unlink(path.constData()); // we hold the lock, so whatever socket is there is stale
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    struct stat info {};
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(m_listener, SOMAXCONN) != 0 ||
        ::lstat(path.constData(), &info) != 0) {
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_socketInode = quint64(info.st_ino);
    m_spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // Descriptors are handed out lowest first, so the spare's number is about how many are in use.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        m_maximumConnections = int(std::clamp<rlim_t>(
            limit.rlim_cur - rlim_t(std::max(m_spare, 0)) - descriptorsForWork, 1, maximumConnections));
    m_acceptNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &InstanceChannel::acceptConnections);
    return true;
}

void InstanceChannel::acceptConnections()
{
    for (;;) {
        const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            adopt(descriptor);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        if ((errno == EMFILE || errno == ENFILE) && !m_connections.isEmpty()) {
            drop(m_connections.first()); // the oldest has had the longest to send its message
            continue;
        }
        if ((errno == EMFILE || errno == ENFILE) && m_spare >= 0) {
            // Out of descriptors with no caller of ours to let go: refuse the waiting one, so that
            // it does not wake us again and again, and keep listening for the next.
            ::close(m_spare);
            const int refused = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (refused >= 0)
                ::close(refused);
            m_spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            continue;
        }
        m_acceptNotifier->setEnabled(false);
        QTimer::singleShot(acceptRetryMs, m_acceptNotifier,
                           [notifier = m_acceptNotifier] { notifier->setEnabled(true); });
        return;
    }
}

void InstanceChannel::adopt(int descriptor)
{
    if (!peerIsThisUser(descriptor)) {
        ::close(descriptor);
        return;
    }
    if (m_connections.size() >= m_maximumConnections)
        drop(m_connections.first());
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete socket;
        return;
    }
    socket->setReadBufferSize(maximumMessage);
    m_connections.append(socket);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
    QTimer::singleShot(messageTimeoutMs, socket, [this, socket] { drop(socket); });
}

void InstanceChannel::drop(QLocalSocket* socket)
{
    m_connections.removeOne(socket);
    socket->abort();
    socket->deleteLater();
}

void InstanceChannel::serve(QLocalSocket* socket)
{
    if (!m_connections.contains(socket)) // served already: one message per connection
        return;
    if (!socket->canReadLine()) {
        qint64 buffered = 0;
        for (const QLocalSocket* each : std::as_const(m_connections))
            buffered += each->bytesAvailable();
        if (socket->bytesAvailable() >= maximumMessage || buffered > maximumBuffered)
            drop(socket);
        return;
    }
    const std::optional<Message> message = decodeMessage(socket->readLine(maximumMessage));
    if (!message) {
        drop(socket);
        return;
    }
    m_connections.removeOne(socket); // served: it no longer counts against the callers still sending
    if (message->urls.isEmpty())
        Q_EMIT reopenRequested();
    else
        Q_EMIT urlsReceived(message->urls, message->activationToken);
    socket->write(InstanceChannel::acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
}
