#include "launcher/HandOver.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char socketName[] = "/app.quintara.Quintara.socket";
constexpr int answerTimeoutMs = 30'000;
constexpr size_t maximumToken = 256;
constexpr size_t maximumAnswer = 1 << 20;
// Far beyond any file manager's selection; longer messages are the module's to send.
constexpr size_t messageCapacity = 64 * 1024;

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

bool HandOver::isPlainRequest(const char* argument)
{
    static const char* const prefixes[] = {"quintara://create?", "quintara://import?"};
    const char* query = nullptr;
    for (const char* prefix : prefixes) {
        if (std::strncmp(argument, prefix, std::strlen(prefix)) == 0)
            query = argument + std::strlen(prefix);
    }
    if (!query)
        return false;
    for (const char* c = query; *c; ++c) {
        if (*c == '%') {
            if (!isHex(c[1]) || !isHex(c[2]))
                return false;
            c += 2;
        } else if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                     std::strchr("-._~!$&'()*+,;=:@/?", *c))) {
            return false;
        }
    }
    return true;
}

namespace {

// The desktop's token for bringing a window to the front, under the channel's rule: printable ASCII
// without spaces, at most maximumToken bytes.
const char* activationToken()
{
    static const char* const names[] = {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"};
    for (const char* name : names) {
        const char* token = std::getenv(name);
        const size_t length = token ? std::strlen(token) : 0;
        bool usable = length > 0 && length <= maximumToken;
        for (size_t i = 0; usable && i < length; ++i)
            usable = token[i] > 0x20 && token[i] < 0x7f;
        if (usable)
            return token;
    }
    return nullptr;
}

struct Buffer {
    char* bytes = static_cast<char*>(std::malloc(messageCapacity));
    size_t size = 0;
    bool overflowed = bytes == nullptr;

    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() { std::free(bytes); }

    void append(const char* text, size_t length)
    {
        if (overflowed || length > messageCapacity - size) {
            overflowed = true;
            return;
        }
        std::memcpy(bytes + size, text, length);
        size += length;
    }
    void append(const char* text) { append(text, std::strlen(text)); }
    // A JSON string; `text` holds printable ASCII only.
    void appendQuoted(const char* text)
    {
        append("\"");
        for (const char* c = text; *c; ++c) {
            if (*c == '"' || *c == '\\')
                append("\\");
            append(c, 1);
        }
        append("\"");
    }
};

// The same message the channel's client sends: the URLs, the token, and the wish for the outcome.
bool encodeMessage(int argc, char** argv, Buffer& message)
{
    message.append("{\"urls\":[");
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            message.append(",");
        message.appendQuoted(argv[i]);
    }
    message.append("]");
    if (const char* token = activationToken()) {
        message.append(",\"token\":");
        message.appendQuoted(token);
    }
    message.append(",\"outcome\":true}\n");
    return !message.overflowed;
}

// $XDG_RUNTIME_DIR's socket when that is a private folder of this user's; anything else (Qt's
// runtime location, the program's own fallbacks) the module works out.
bool socketAddress(sockaddr_un& address)
{
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!folder || folder[0] != '/' || ::lstat(folder, &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return false;
    if (std::strlen(folder) + sizeof socketName > sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, folder);
    std::strcat(address.sun_path, socketName);
    return true;
}

long long millisecondsNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1'000'000;
}

bool waitFor(int socket, short events, long long deadline)
{
    for (;;) {
        pollfd descriptor{socket, events, 0};
        const long long left = deadline - millisecondsNow();
        if (left <= 0)
            return false;
        const int ready = ::poll(&descriptor, 1, int(left));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

class Socket {
public:
    Socket() : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

HandOver::Outcome HandOver::handOver(int argc, char** argv, Answer& answer)
{
    bool plain = argc > 1;
    for (int i = 1; plain && i < argc; ++i)
        plain = isPlainRequest(argv[i]);
    Buffer message;
    if (!plain || !encodeMessage(argc, argv, message))
        return Outcome::notPlain;

    sockaddr_un address{};
    const Socket socket;
    if (!socketAddress(address) || socket.get() < 0 ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Outcome::noInstance;
    ucred peer{};
    socklen_t peerSize = sizeof peer;
    if (::getsockopt(socket.get(), SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 || peer.uid != ::geteuid())
        return Outcome::noInstance; // someone else's listener; ours, once started, takes its place

    const long long deadline = millisecondsNow() + answerTimeoutMs;
    for (size_t sent = 0; sent < message.size;) {
        if (!waitFor(socket.get(), POLLOUT, deadline))
            return Outcome::noAnswer;
        const ssize_t n = ::send(socket.get(), message.bytes + sent, message.size - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return errno == EPIPE || errno == ECONNRESET ? Outcome::noInstance : Outcome::noAnswer;
        sent += size_t(n);
    }
    size_t size = 0;
    char* received = nullptr;
    for (;;) {
        if (size > 0 && received[size - 1] == '\n')
            break;
        char chunk[4096];
        if (size > maximumAnswer || !waitFor(socket.get(), POLLIN, deadline)) {
            std::free(received);
            return Outcome::noAnswer;
        }
        const ssize_t n = ::recv(socket.get(), chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const bool unserved = size == 0 && (n == 0 || errno == ECONNRESET);
            std::free(received);
            return unserved ? Outcome::noInstance : Outcome::noAnswer;
        }
        char* grown = static_cast<char*>(std::realloc(received, size + size_t(n)));
        if (!grown) {
            std::free(received);
            return Outcome::noAnswer;
        }
        received = grown;
        std::memcpy(received + size, chunk, size_t(n));
        size += size_t(n);
    }
    answer.bytes = received;
    answer.size = size;
    return Outcome::served;
}

bool HandOver::Answer::isSuccess() const
{
    static const char served[] = "{\"failures\":[]}\n";
    static const char acknowledged[] = "ok\n"; // an instance of an earlier version
    return (size == sizeof served - 1 && std::memcmp(bytes, served, size) == 0) ||
           (size == sizeof acknowledged - 1 && std::memcmp(bytes, acknowledged, size) == 0);
}

HandOver::Answer::~Answer()
{
    std::free(bytes);
}
