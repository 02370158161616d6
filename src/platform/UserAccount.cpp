#include "platform/UserAccount.h"

#include <QDir>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

class PasswdAccount final : public UserAccount {
public:
    QString fullName() const override
    {
        QString name;
        withEntry([&](const passwd& entry) { name = fullNameFromGecos(entry.pw_gecos); });
        return name;
    }

    QString loginName() const override
    {
        QString name;
        withEntry([&](const passwd& entry) { name = QString::fromLocal8Bit(entry.pw_name ? entry.pw_name : ""); });
        return name;
    }

    QString homePath() const override { return QDir::homePath(); }

private:
    template <typename Fn>
    static void withEntry(Fn&& fn)
    {
        long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(hint > 0 ? static_cast<size_t>(hint) : 1024);
        passwd entry{};
        passwd* found = nullptr;
        for (;;) {
            const int rc = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
            if (rc == ERANGE && buffer.size() < (1u << 20)) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            break;
        }
        if (found)
            fn(*found);
    }
};

} // namespace

QString UserAccount::fullNameFromGecos(const char* gecos)
{
    const QByteArray field(gecos ? gecos : "");
    return QString::fromLocal8Bit(field.left(field.indexOf(',') < 0 ? field.size() : field.indexOf(',')));
}

const UserAccount& UserAccount::current()
{
    static const PasswdAccount account;
    return account;
}
