#include "platform/UserFolders.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace UserFolders {

namespace {

// Far more than the few lines the desktop writes there.
constexpr qsizetype settingsLimit = 64 * 1024;

QString configHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return configured.startsWith(QLatin1Char('/')) ? configured : QDir::homePath() + QStringLiteral("/.config");
}

// The folder of `key` in user-dirs.dirs: lines of KEY="$HOME/…" or KEY="/…", a backslash taking
// the character after it as it is. Empty when the key is not there or its value is neither.
QString configured(const QByteArray& key, const QString& home)
{
    const auto read = RegularFile::read(configHome() + QStringLiteral("/user-dirs.dirs"), settingsLimit);
    const QByteArray* settings = std::get_if<QByteArray>(&read);
    if (!settings)
        return {};
    QString folder;
    for (const QByteArray& line : settings->split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.startsWith(key + "=\"") || !trimmed.endsWith('"') || trimmed.size() < key.size() + 3)
            continue;
        const QByteArray quoted = trimmed.mid(key.size() + 2, trimmed.size() - key.size() - 3);
        QByteArray value;
        for (qsizetype i = 0; i < quoted.size(); ++i)
            value += quoted.at(i) == '\\' && i + 1 < quoted.size() ? quoted.at(++i) : quoted.at(i);
        if (value == "$HOME" || value.startsWith("$HOME/"))
            folder = home + QFile::decodeName(value.mid(5));
        else if (value.startsWith('/'))
            folder = QFile::decodeName(value);
    }
    return folder;
}

} // namespace

QString templates()
{
    const QString home = QDir::homePath();
    for (const QString& candidate : {configured("XDG_TEMPLATES_DIR", home), home + QStringLiteral("/Templates")}) {
        const QString folder = QDir::cleanPath(candidate);
        if (!candidate.isEmpty() && folder != QDir::cleanPath(home) && QFileInfo(folder).isDir())
            return folder;
    }
    return home;
}

} // namespace UserFolders
