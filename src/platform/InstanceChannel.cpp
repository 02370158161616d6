#include "platform/InstanceChannel.h"

#include "model/AppIdentity.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qsizetype maximumMessage = 1 << 20;

std::optional<QStringList> decodeMessage(const QByteArray& line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    const QJsonValue urls = document.object().value(QLatin1String("urls"));
    if (!urls.isArray())
        return std::nullopt;
    QStringList result;
    for (const QJsonValue& url : urls.toArray()) {
        if (!url.isString())
            return std::nullopt;
        result.append(url.toString());
    }
    return result;
}

// The peer of an accepted connection runs as this user; the folder's mode should already ensure it.
bool peerIsThisUser(qintptr descriptor)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
}

} // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    if (m_server)
        m_server->close();
}

std::unique_ptr<InstanceChannel> InstanceChannel::claimOrDeliver(const QStringList& urls, Delivery* delivered)
{
    const QString path = socketPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto lock = std::make_unique<QLockFile>(path + QLatin1String(".lock"));
    lock->setStaleLockTime(0); // held for the whole run; only a dead owner makes it stale
    // Whoever holds the lock either listens already or is about to: keep offering the message
    // until it is taken, or until the lock frees up because its owner went away.
    for (int attempt = 0; attempt < 200; ++attempt) {
        *delivered = send(urls, 30'000);
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
    const QString path = socketPath();
    QLocalServer::removeServer(path); // we hold the lock, so whatever socket is there is stale
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            if (!peerIsThisUser(socket->socketDescriptor())) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            serve(socket);
        }
    });
    return true;
}

void InstanceChannel::serve(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > maximumMessage)
            socket->abort();
        return;
    }
    const std::optional<QStringList> urls = decodeMessage(socket->readLine(maximumMessage));
    if (!urls) {
        socket->abort();
        return;
    }
    if (urls->isEmpty())
        Q_EMIT reopenRequested();
    else
        Q_EMIT urlsReceived(*urls);
    socket->write(InstanceChannel::acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
}
