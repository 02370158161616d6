#include "platform/Bookmark.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String kindValue("quintara-bookmark");
const QString invalidData = QStringLiteral("The bookmark data isn’t in the correct format.");

struct FolderIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    uid_t owner = 0;
};

std::optional<FolderIdentity> identify(const QString& path, QString* error)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        *error = QStringLiteral("The folder “%1” couldn’t be found: %2.")
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = QStringLiteral("The item “%1” isn’t a folder.").arg(path);
        return std::nullopt;
    }
    return FolderIdentity{quint64(info.st_dev), quint64(info.st_ino), info.st_uid};
}

class FileIdentityBookmark final : public Bookmark {
public:
    std::optional<QByteArray> make(const QString& folderPath, QString* error) const override
    {
        QString ignored;
        error = error ? error : &ignored;
        if (!QDir::isAbsolutePath(folderPath)) {
            *error = QStringLiteral("The location “%1” isn’t an absolute path.").arg(folderPath);
            return std::nullopt;
        }
        const QString path = QDir::cleanPath(folderPath);
        const std::optional<FolderIdentity> identity = identify(path, error);
        if (!identity)
            return std::nullopt;
        // Written by hand: device and inode numbers can exceed what a JSON double holds exactly.
        const QByteArray quotedPath =
            QJsonDocument(QJsonArray{path}).toJson(QJsonDocument::Compact).sliced(1).chopped(1);
        return "{\"kind\":\"" + QByteArray(kindValue.data()) + "\",\"version\":1,\"path\":" + quotedPath +
               ",\"device\":" + QByteArray::number(identity->device) +
               ",\"inode\":" + QByteArray::number(identity->inode) + "}";
    }

    std::optional<Resolved> resolve(const QByteArray& data, QString* error) const override
    {
        QString ignored;
        error = error ? error : &ignored;
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
        const QJsonObject object = document.object();
        const QJsonValue path = object.value(QLatin1String("path"));
        const std::optional<quint64> device = number(object.value(QLatin1String("device")));
        const std::optional<quint64> inode = number(object.value(QLatin1String("inode")));
        if (parseError.error != QJsonParseError::NoError || !document.isObject() ||
            object.value(QLatin1String("kind")) != QJsonValue(kindValue) ||
            object.value(QLatin1String("version")) != QJsonValue(1) || !path.isString() ||
            !QDir::isAbsolutePath(path.toString()) || !device || !inode) {
            *error = invalidData;
            return std::nullopt;
        }
        const std::optional<FolderIdentity> now = identify(path.toString(), error);
        if (!now)
            return std::nullopt;
        const bool stale = now->device != *device || now->inode != *inode;
        if (stale && !couldHaveBeenPicked(path.toString(), *now)) {
            *error =
                QStringLiteral("The folder “%1” was replaced by an item that was not granted.").arg(path.toString());
            return std::nullopt;
        }
        return Resolved{path.toString(), stale};
    }

private:
    // Whatever now sits at a granted path may be another user's doing (a shared folder, a link
    // planted where the folder was). A replacement is taken only if the user could have picked it
    // there: a real folder of the user's, reached through no link, so its real path is the path.
    static bool couldHaveBeenPicked(const QString& path, const FolderIdentity& found)
    {
        char real[PATH_MAX];
        const QByteArray encoded = QFile::encodeName(QDir::cleanPath(path));
        return found.owner == ::geteuid() && ::realpath(encoded.constData(), real) && encoded == real;
    }

    // A non-negative whole number; beyond 2^53 only approximately, which at worst renews a grant.
    static std::optional<quint64> number(const QJsonValue& value)
    {
        if (!value.isDouble())
            return std::nullopt;
        const qint64 exact = value.toInteger(-1);
        if (exact >= 0)
            return quint64(exact);
        const double d = value.toDouble();
        if (!(d >= 0x1p63 && d < 0x1p64) || d != std::floor(d))
            return std::nullopt;
        return quint64(d);
    }
};

} // namespace

const Bookmark& Bookmark::system()
{
    static const FileIdentityBookmark bookmark;
    return bookmark;
}
