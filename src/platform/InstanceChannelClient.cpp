#include "model/AppIdentity.h"
#include "platform/FileDescriptor.h"
#include "platform/InstanceChannel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// The sending side lives apart from the listening side so that a launch that only hands over a
// URL links nothing of Qt's networking.
namespace {

// An answer names at most a failure per URL; anything longer is not one of ours.
constexpr qsizetype maximumAnswer = 1 << 20;

// Anyone who can enter the folder could listen in our place or read the requests, folder paths
// included; so it must be a real folder of this user's, closed to everyone else.
bool isPrivateFolder(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The server side of a connection runs as this user.
bool peerIsThisUser(int socket)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == ::geteuid();
}

} // namespace

QString InstanceChannel::socketPath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    // Qt hands a relative $XDG_RUNTIME_DIR back as it is: launches from two folders would miss each other.
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !isPrivateFolder(folder)) {
        // A folder of our own instead, the same for every launch of this user. Another user may
        // have taken its name in the shared temporary folder first; the user's cache folder is out
        // of their reach.
        const QString fallbacks[] = {
            QDir::tempPath() + QStringLiteral("/quintara-runtime-") + QString::number(::geteuid()),
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                QStringLiteral("/quintara-runtime"),
        };
        const auto usable = [](const QString& fallback) {
            QDir().mkpath(QFileInfo(fallback).path());
            ::mkdir(QFile::encodeName(fallback).constData(), 0700);
            return isPrivateFolder(fallback);
        };
        const auto found = std::find_if(std::begin(fallbacks), std::end(fallbacks), usable);
        if (found == std::end(fallbacks))
            return {}; // no channel rather than one that others may reach
        folder = *found;
    }
    return folder + QLatin1Char('/') + AppIdentity::applicationId + QLatin1String(".socket");
}

const QByteArray InstanceChannel::acknowledgement = QByteArrayLiteral("ok\n");

QByteArray InstanceChannel::encodeMessage(const Message& message, bool wantsOutcome)
{
    QJsonObject encoded{{QStringLiteral("urls"), QJsonArray::fromStringList(message.urls)}};
    if (isUsableActivationToken(message.activationToken))
        encoded.insert(QStringLiteral("token"), message.activationToken);
    if (message.direct.contains(true)) {
        QJsonArray direct;
        for (const bool each : message.direct)
            direct.append(each);
        encoded.insert(QStringLiteral("direct"), direct);
    }
    if (wantsOutcome)
        encoded.insert(QStringLiteral("outcome"), true);
    return QJsonDocument(encoded).toJson(QJsonDocument::Compact) + '\n';
}

bool InstanceChannel::isUsableActivationToken(const QString& token)
{
    return !token.isEmpty() && token.size() <= maximumActivationToken &&
           std::all_of(token.begin(), token.end(), [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7f; });
}

QString InstanceChannel::activationTokenFromEnvironment()
{
    for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"}) {
        const QString token = qEnvironmentVariable(name);
        if (isUsableActivationToken(token))
            return token;
    }
    return {};
}

InstanceChannel::Delivery InstanceChannel::send(const Message& message, int timeoutMs, QStringList* failures)
{
    const QByteArray path = QFile::encodeName(socketPath());
    sockaddr_un address{};
    if (path.isEmpty() || path.size() >= qsizetype(sizeof address.sun_path))
        return Delivery::NoInstance;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));

    const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return Delivery::NoInstance;
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Delivery::NoInstance;
    // Someone else's listener is not our instance; ours, once started, takes its place.
    if (!peerIsThisUser(socket.get()))
        return Delivery::NoInstance;

    // The instance answers every message it received whole; a connection that ends before the answer
    // was closed unserved (an instance that was ending, or one that crashed), so the message may go
    // to the instance that follows.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const QByteArray encoded = encodeMessage(message, failures != nullptr);
    for (qsizetype sent = 0; sent < encoded.size();) {
        if (!waitForDescriptor(socket.get(), POLLOUT, deadline))
            return Delivery::Failed;
        const ssize_t n = ::send(socket.get(), encoded.constData() + sent, size_t(encoded.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errno == EPIPE || errno == ECONNRESET ? Delivery::NoInstance : Delivery::Failed;
        sent += n;
    }
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        if (!waitForDescriptor(socket.get(), POLLIN, deadline) || answer.size() > maximumAnswer)
            return Delivery::Failed;
        char buffer[4096];
        const ssize_t n = ::recv(socket.get(), buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return answer.isEmpty() ? Delivery::NoInstance : Delivery::Failed;
        if (n < 0)
            return Delivery::Failed;
        answer.append(buffer, n);
    }
    if (!failures)
        return answer == acknowledgement ? Delivery::Delivered : Delivery::Failed;
    return decodeAnswer(answer, failures);
}

InstanceChannel::Delivery InstanceChannel::decodeAnswer(const QByteArray& answer, QStringList* failures)
{
    // An instance of an earlier version acknowledges without an outcome.
    if (answer == acknowledgement)
        return Delivery::Delivered;
    const QJsonValue reported = QJsonDocument::fromJson(answer).object().value(QLatin1String("failures"));
    if (!reported.isArray())
        return Delivery::Failed;
    for (const QJsonValue& each : reported.toArray())
        failures->append(each.toString());
    return Delivery::Delivered;
}
