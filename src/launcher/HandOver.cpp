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
bool encodeMessage(int count, const char* const* urls, Buffer& message)
{
    message.append("{\"urls\":[");
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            message.append(",");
        message.appendQuoted(urls[i]);
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

// The request URL of `--from FILEMANAGER --new INDEX FOLDER`, the way the file managers' menus run
// the command, into `url`: only for a FOLDER that the module would take as it is (an absolute path
// of a folder, with nothing for it to clean or resolve). The module would also check the index
// against the templates first; the instance checks it anyway and says why it failed.
bool fileManagerRequest(char** argv, Buffer& url)
{
    static const char* const fileManagers[] = {"nautilus", "nemo", "caja", "thunar", "dolphin"};
    if (std::strcmp(argv[1], "--from") != 0 || std::strcmp(argv[3], "--new") != 0)
        return false;
    bool known = false;
    for (const char* name : fileManagers)
        known = known || std::strcmp(argv[2], name) == 0;
    const char* index = argv[4];
    const char* folder = argv[5];
    const size_t digits = std::strspn(index, "0123456789");
    struct stat info {};
    if (!known || digits == 0 || digits > 18 || index[digits] != '\0' || folder[0] != '/' ||
        std::strstr(folder, "//") || std::strstr(folder, "/./") || std::strstr(folder, "/../") ||
        (std::strlen(folder) > 1 && folder[std::strlen(folder) - 1] == '/') || std::strncmp(folder, "/proc/", 6) == 0 ||
        std::strncmp(folder, "/dev/", 5) == 0 || ::stat(folder, &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    const size_t length = std::strlen(folder);
    if (length >= 2 && folder[length - 1] == '.' &&
        (folder[length - 2] == '/' || (length >= 3 && folder[length - 2] == '.' && folder[length - 3] == '/')))
        return false;
    url.append("quintara://create?t=");
    url.append(index);
    url.append("&d=");
    static const char hex[] = "0123456789ABCDEF";
    for (const char* c = folder; *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            std::strchr("-._~/", byte)) {
            url.append(c, 1);
        } else {
            const char escaped[] = {'%', hex[byte >> 4], hex[byte & 15]};
            url.append(escaped, sizeof escaped);
        }
    }
    url.append("&fm=");
    url.append(argv[2]);
    url.append("", 1); // the terminating NUL
    return !url.overflowed;
}

} // namespace

HandOver::Outcome HandOver::handOver(int argc, char** argv, Answer& answer)
{
    Buffer message;
    Buffer url;
    if (argc == 6 && fileManagerRequest(argv, url)) {
        const char* const urls[] = {url.bytes};
        if (!encodeMessage(1, urls, message))
            return Outcome::notPlain;
    } else {
        bool plain = argc > 1;
        for (int i = 1; plain && i < argc; ++i)
            plain = isPlainRequest(argv[i]);
        if (!plain || !encodeMessage(argc - 1, argv + 1, message))
            return Outcome::notPlain;
    }

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
