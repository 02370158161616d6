#pragma once

#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <memory>

class QLocalSocket;
class QSocketNotifier;

// Keeps the program to one running instance per user. The first launch claims the channel (a lock
// held for its whole run) and listens on a local socket in the user's runtime folder; a later
// launch hands its URLs (none means "reopen") to it, with the activation token the desktop gave
// that launch, waits for the acknowledgement and leaves.
// The client side needs no application object and no display.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    enum class Delivery {
        Delivered,  // the running instance served the message
        NoInstance, // nobody listens; the caller may try to become the instance
        Failed,     // someone listens but did not acknowledge in time
    };

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // $XDG_RUNTIME_DIR/app.quintara.Quintara.socket, or Qt's runtime location when unset.
    static QString socketPath();

    // Blocking; safe before any application object exists. An unusable token is left out.
    static Delivery send(const QStringList& urls, int timeoutMs, const QString& activationToken = {});

    // What the desktop gave this process to bring its window to the front: the Wayland activation
    // token, else the X11 start-up id; empty when neither is usable.
    static QString activationTokenFromEnvironment();
    // Printable ASCII without spaces, at most maximumActivationToken bytes: it ends up in an
    // environment variable and in window properties.
    static bool isUsableActivationToken(const QString& token);
    static constexpr qsizetype maximumActivationToken = 256;

    // Hands over `urls`, or becomes the instance: true when this process now owns the channel (and
    // should listen), false when another instance took the message. `delivered` tells which.
    // Two launches racing each other end with one owner that received the other's message.
    static std::unique_ptr<InstanceChannel> claimOrDeliver(const QStringList& urls, Delivery* delivered,
                                                           const QString& activationToken = {});

    // Starts listening, replacing a socket left behind by an instance that crashed. Listening lasts
    // until the channel is destroyed: no failed accept ends it, and callers that connect and stall,
    // or flood, cost the instance a bounded number of connections and bytes for a bounded time.
    bool listen();

Q_SIGNALS:
    // Emitted synchronously for each message; the sender is acknowledged after the handlers ran.
    // The token is empty when the sender had none (file manager modules never have one).
    void urlsReceived(const QStringList& urls, const QString& activationToken);
    void reopenRequested();

private:
    // A message is one line of JSON, {"urls": [...], "token": "..."} with the token optional; the
    // answer is the line "ok".
    static QByteArray encodeMessage(const QStringList& urls, const QString& activationToken);
    static const QByteArray acknowledgement;
    void serve(QLocalSocket* socket);
    void acceptConnections();
    void adopt(int descriptor);
    void drop(QLocalSocket* socket);

    std::unique_ptr<QLockFile> m_lock;
    int m_listener = -1;
    quint64 m_socketInode = 0; // to remove the socket at the end only if it is still ours
    int m_spare = -1;          // given up to refuse a caller when the process is out of descriptors
    QSocketNotifier* m_acceptNotifier = nullptr;
    QList<QLocalSocket*> m_connections; // oldest first
    int m_maximumConnections = 64;      // fewer where the process may open few descriptors
};
