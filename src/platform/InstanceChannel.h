#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QLocalSocket;
class QSocketNotifier;

// Keeps the program to one running instance per user. The first launch claims the channel (a lock
// held for its whole run) and listens on a local socket in the user's runtime folder; a later
// launch hands its URLs (none means "reopen") to it, with the activation token the desktop gave
// that launch, waits for the answer and leaves. A message the instance has received whole is always
// served and answered: a launch whose connection ends without an answer was not served, and tries
// again. The client side needs no application object and no display.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    enum class Delivery {
        Delivered,  // the running instance served the message
        NoInstance, // nobody listens, or the connection ended unserved; the caller may become the instance
        Failed,     // someone listens but did not answer in time
    };

    struct Message {
        QStringList urls;
        QString activationToken = {};
        // Per URL, whether the user gave it by their own hand (an option of the command, a file
        // manager's menu) rather than by opening a link, which any program or web page can do.
        // Missing entries are false.
        QList<bool> direct = {};
    };
    // Serves the URLs of one message and says why each one that failed did; empty when none failed.
    using Handler = std::function<QStringList(const Message& message)>;

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // $XDG_RUNTIME_DIR/app.quintara.Quintara.socket, or Qt's runtime location when unset; when
    // neither is a private folder of this user's, one of the program's own. Empty when no folder
    // is private: there is then no channel at all.
    static QString socketPath();

    // Blocking; safe before any application object exists. An unusable token is left out. With
    // `failures`, the instance is asked for its outcome, and `failures` receives why each URL that
    // failed did; without, it only acknowledges (as instances that know no outcome do).
    static Delivery send(const Message& message, int timeoutMs, QStringList* failures = nullptr);
    // An instance's whole answer to a message that asked for the outcome: Failed when it is none.
    static Delivery decodeAnswer(const QByteArray& answer, QStringList* failures);

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
    static std::unique_ptr<InstanceChannel> claimOrDeliver(const Message& message, Delivery* delivered,
                                                           QStringList* failures = nullptr);

    // Starts listening, replacing a socket left behind by an instance that crashed. Listening lasts
    // until finish() or the channel's end: no failed accept ends it, and callers that connect and
    // stall, or flood, cost the instance a bounded number of connections and bytes for a bounded
    // time. Callers beyond the bound wait their turn in the socket's backlog.
    bool listen();
    // For an instance about to end: stops listening and removes the socket at once, so that a later
    // launch starts a new instance, then serves the callers already connected and calls `finished`.
    void finish(std::function<void()> finished);

    void setHandler(Handler handler) { m_handler = std::move(handler); }

Q_SIGNALS:
    // Emitted synchronously for each message with URLs, after the handler served them and before the
    // sender is answered. The token is empty when the sender had none (file manager modules never have one).
    void urlsReceived(const QStringList& urls, const QString& activationToken);
    void reopenRequested();

private:
    // A message is one line of JSON, {"urls": [...], "token": "...", "direct": [...], "outcome": true},
    // all but "urls" optional. The answer is the line "ok", or with "outcome" the line
    // {"failures": [...]}.
    static QByteArray encodeMessage(const Message& message, bool wantsOutcome);
    static const QByteArray acknowledgement;
    void serve(QLocalSocket* socket);
    void acceptConnections();
    void adopt(int descriptor);
    void drop(QLocalSocket* socket);
    void stopListening();
    // Takes callers while there is room for them, or one held long enough to give up, and no pause or
    // end is under way.
    void updateAccepting();
    // With every place taken and a caller waiting: lets go of the longest-held caller if it has had
    // its time, so that a flood of callers that never finish delays a real launch by that time,
    // not by the whole message timeout per place.
    bool makeRoom();
    void finishIfDone();

    Handler m_handler;
    std::function<void()> m_finished; // set once finishing
    bool m_retryPending = false;      // accepting paused after a failure of the system's
    bool m_roomPending = false;       // accepting paused until the longest-held caller has had its time
    QElapsedTimer m_clock;

    std::unique_ptr<QLockFile> m_lock;
    int m_listener = -1;
    QByteArray m_socketPath;
    quint64 m_socketInode = 0; // to remove the socket at the end only if it is still ours
    int m_spare = -1;          // given up to refuse a caller when the process is out of descriptors
    QSocketNotifier* m_acceptNotifier = nullptr;
    QList<QLocalSocket*> m_connections; // oldest first
    int m_maximumConnections = 64;      // fewer where the process may open few descriptors
};
