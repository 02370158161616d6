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
#include <poll.h>
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
// A real launch sends its message as soon as it is connected: a caller silent for this long after
// that may give its place to one that waits.
constexpr qint64 placeHeldMs = 100;
const char acceptedAt[] = "quintaraAcceptedAt";
// After an accept failed for want of memory or buffers, try again later rather than at once.
constexpr int acceptRetryMs = 100;

struct Received {
    InstanceChannel::Message message;
    bool wantsOutcome = false;
};

// A token that cannot be used is dropped; the URLs are served all the same.
std::optional<Received> decodeMessage(const QByteArray& line)
{
    const QJsonObject document = QJsonDocument::fromJson(line).object();
    const QJsonValue urls = document.value(QLatin1String("urls"));
    if (!urls.isArray())
        return std::nullopt;
    Received result;
    for (const QJsonValue& url : urls.toArray()) {
        if (!url.isString())
            return std::nullopt;
        result.message.urls.append(url.toString());
    }
    const QString token = document.value(QLatin1String("token")).toString();
    if (InstanceChannel::isUsableActivationToken(token))
        result.message.activationToken = token;
    const QJsonArray direct = document.value(QLatin1String("direct")).toArray();
    for (qsizetype i = 0; i < result.message.urls.size(); ++i)
        result.message.direct.append(direct.at(i).toBool(false));
    result.wantsOutcome = document.value(QLatin1String("outcome")).toBool(false);
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

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent)
{
    m_clock.start();
}

InstanceChannel::~InstanceChannel()
{
    for (QLocalSocket* socket : std::as_const(m_connections))
        socket->abort();
    stopListening();
}

void InstanceChannel::stopListening()
{
    if (m_listener < 0)
        return;
    delete m_acceptNotifier; // before its descriptor goes
    m_acceptNotifier = nullptr;
    ::close(m_listener);
    m_listener = -1;
    if (m_spare >= 0)
        ::close(m_spare);
    m_spare = -1;
    struct stat info {};
    if (::lstat(m_socketPath.constData(), &info) == 0 && quint64(info.st_ino) == m_socketInode)
        ::unlink(m_socketPath.constData());
}

void InstanceChannel::finish(std::function<void()> finished)
{
    // Callers the kernel has queued already are taken in while there is room; any left over find
    // their connection closed unanswered, and try again with the instance that follows this one.
    acceptConnections();
    stopListening();
    m_finished = std::move(finished);
    finishIfDone();
}

void InstanceChannel::finishIfDone()
{
    if (m_finished && m_connections.isEmpty())
        QTimer::singleShot(0, this, [finished = std::exchange(m_finished, {})] { finished(); });
}

void InstanceChannel::updateAccepting()
{
    if (!m_acceptNotifier)
        return;
    const bool full = m_connections.size() >= m_maximumConnections;
    const qint64 wait =
        full ? m_connections.constFirst()->property(acceptedAt).toLongLong() + placeHeldMs - m_clock.elapsed() : 0;
    m_acceptNotifier->setEnabled(!m_retryPending && !m_roomPending && wait <= 0);
    if (wait > 0 && !m_roomPending) {
        m_roomPending = true;
        QTimer::singleShot(wait, this, [this] {
            m_roomPending = false;
            updateAccepting();
        });
    }
}

bool InstanceChannel::makeRoom()
{
    pollfd waiting{m_listener, POLLIN, 0};
    QLocalSocket* held = m_connections.constFirst();
    if (m_clock.elapsed() - held->property(acceptedAt).toLongLong() < placeHeldMs || ::poll(&waiting, 1, 0) != 1)
        return false;
    m_connections.removeFirst();
    held->abort();
    held->deleteLater();
    return true;
}

std::unique_ptr<InstanceChannel> InstanceChannel::claimOrDeliver(const Message& message, Delivery* delivered,
                                                                 QStringList* failures)
{
    const QString path = socketPath();
    if (path.isEmpty()) { // nobody can be reached, nor reach this launch
        *delivered = Delivery::NoInstance;
        return std::make_unique<InstanceChannel>();
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path + QLatin1String(".lock"));
    lock->setStaleLockTime(0); // held for the whole run; only a dead owner makes it stale
    // Whoever holds the lock either listens already or is about to: keep offering the message
    // until it is taken, or until the lock frees up because its owner went away.
    for (int attempt = 0; attempt < 200; ++attempt) {
        *delivered = send(message, 30'000, failures);
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
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path))
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
    m_socketPath = path;
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
    while (m_listener >= 0 && (m_connections.size() < m_maximumConnections || makeRoom())) {
        const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            adopt(descriptor);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        if ((errno == EMFILE || errno == ENFILE) && m_connections.isEmpty() && m_spare >= 0) {
            // Out of descriptors with no caller of ours to wait for: refuse the waiting one, so that
            // it does not wake us again and again, and keep listening for the next.
            ::close(m_spare);
            const int refused = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (refused >= 0)
                ::close(refused);
            m_spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            continue;
        }
        // Out of descriptors, memory or buffers: the callers in the backlog wait until a connection
        // of ours ends (which takes them in again) or a short while has passed.
        m_retryPending = true;
        QTimer::singleShot(acceptRetryMs, this, [this] {
            m_retryPending = false;
            updateAccepting();
        });
        break;
    }
    updateAccepting();
}

void InstanceChannel::adopt(int descriptor)
{
    if (!peerIsThisUser(descriptor)) {
        ::close(descriptor);
        return;
    }
    auto* socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        ::close(descriptor);
        delete socket;
        return;
    }
    socket->setReadBufferSize(maximumMessage);
    socket->setProperty(acceptedAt, m_clock.elapsed());
    m_connections.append(socket);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] { drop(socket); });
    QTimer::singleShot(messageTimeoutMs, socket, [this, socket] { drop(socket); });
}

void InstanceChannel::drop(QLocalSocket* socket)
{
    const bool wasWaiting = m_connections.removeOne(socket);
    socket->abort();
    socket->deleteLater();
    if (wasWaiting) {
        if (!m_retryPending && m_listener >= 0)
            acceptConnections(); // a place came free for a caller in the backlog
        finishIfDone();
    }
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
    // The read buffer's bound bounds the line; a bound given here would be allocated in full.
    const std::optional<Received> received = decodeMessage(socket->readLine());
    if (!received) {
        drop(socket);
        return;
    }
    QStringList failures;
    if (received->message.urls.isEmpty()) {
        Q_EMIT reopenRequested();
    } else {
        if (m_handler)
            failures = m_handler(received->message);
        Q_EMIT urlsReceived(received->message.urls, received->message.activationToken);
    }
    socket->write(received->wantsOutcome
                      ? QJsonDocument(QJsonObject{{QStringLiteral("failures"), QJsonArray::fromStringList(failures)}})
                                .toJson(QJsonDocument::Compact) +
                            '\n'
                      : InstanceChannel::acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    // Counted until answered, so that finishing waits for it.
    m_connections.removeOne(socket);
    if (m_listener >= 0)
        acceptConnections();
    finishIfDone();
}
