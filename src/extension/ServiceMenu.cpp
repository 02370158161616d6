#include "extension/ServiceMenu.h"

#include "platform/AtomicFile.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <functional>

namespace {

// A string value of a desktop file: one line, where a backslash starts an escape. Control
// characters are not allowed in values, and a line break has no place in a menu label anyway.
QString escapeValue(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else
            escaped += c.unicode() < 0x20 || c.unicode() == 0x7f ? QChar(u' ') : c;
    }
    return escaped;
}

// One argument of an Exec line, quoted so that no character of it is taken as shell syntax or a
// field code, in the escaping of a desktop file's string values.
QString execArgument(const QString& argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == u'%') // a literal percent sign, not a field code
            quoted += QLatin1Char('%');
    }
    quoted += QLatin1Char('"');
    return escapeValue(quoted);
}

} // namespace

ServiceMenu::ServiceMenu(MenuModel model, QString launcherPath)
    : m_model(std::move(model)), m_launcherPath(std::move(launcherPath))
{}

QString ServiceMenu::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kio/servicemenus/app.quintara.Quintara.desktop");
}

QString ServiceMenu::fileMenuPath(const QString& path)
{
    QString base = path;
    if (base.endsWith(QLatin1String(".desktop")))
        base.chop(8);
    return base + QStringLiteral(".SaveAsTemplate.desktop");
}

namespace {

// A label in English, then one "key[language]=" line per translation: KDE shows each user theirs,
// whichever process wrote the file.
QString localized(const QString& key, const std::function<QString(const QString& language)>& label)
{
    QString lines = QStringLiteral("%1=%2\n").arg(key, escapeValue(label(QStringLiteral("en"))));
    for (const QString& language : MenuModel::languages())
        lines += QStringLiteral("%1[%2]=%3\n").arg(key, language, escapeValue(label(language)));
    return lines;
}

// Type=Application rather than the older Type=Service: KDE reads both the same way here, and only
// this one is a valid desktop entry with actions and MIME types. TryExec hides the menu once the
// program is gone. Only one local item, selected or (for folders) the view's background, gets it.
QString entryGroup(const QString& launcherPath, const QString& mimeTypes, const QString& submenu,
                   const QStringList& actions)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quintara\n"
                          "NoDisplay=true\n"
                          "TryExec=%1\n"
                          "Exec=%2\n"
                          "MimeType=%3\n"
                          "X-KDE-Protocols=file\n"
                          "X-KDE-RequiredNumberOfUrls=1\n"
                          "X-KDE-Priority=TopLevel\n")
               .arg(escapeValue(launcherPath), execArgument(launcherPath), mimeTypes) +
           submenu + QStringLiteral("Actions=%1;\n").arg(actions.join(QLatin1Char(';')));
}

QString actionGroup(const QString& id, const QString& names, const QString& icon, const QString& command)
{
    return QStringLiteral("\n[Desktop Action %1]\n%2Icon=%3\nExec=%4\n").arg(id, names, escapeValue(icon), command);
}

bool writeMenu(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Replaced in one step, so the file manager never reads half a menu; a link planted at the path
    // is replaced too, never written through.
    const std::optional<QString> error = AtomicFile::replace(path, bytes, 0755);
    if (error)
        Log::line(QStringLiteral("[QNT] service menu: cannot write %1: %2").arg(path, *error));
    return !error;
}

} // namespace

std::optional<QByteArray> ServiceMenu::contents() const
{
    const std::optional<ExtensionMenu> menu = m_model.forAnyLocalFolder(QStringLiteral("en"));
    if (!menu)
        return std::nullopt;
    // Each language reads the list afresh; one that changed in between is written in English here,
    // and in full by the rewrite that its change brings.
    QHash<QString, ExtensionMenu> translated;
    for (const QString& language : MenuModel::languages()) {
        const std::optional<ExtensionMenu> other = m_model.forAnyLocalFolder(language);
        translated.insert(language, other && other->entries.size() == menu->entries.size() ? *other : *menu);
    }
    const auto text = [&](const QString& language, const auto& pick) {
        return pick(language == QLatin1String("en") ? *menu : translated.value(language));
    };
    // KDE orders the actions by id as text: the numbers are padded to one width so that this is the
    // menu's own order.
    const int width = int(QString::number(menu->entries.size() - 1).size());
    const QString launcher = execArgument(m_launcherPath);
    QStringList actions;
    QString groups;
    const QList<qsizetype> order = menu->shownOrder();
    for (qsizetype rank = 0; rank < order.size(); ++rank) {
        const qsizetype i = order.at(rank);
        const QString id = QStringLiteral("new%1").arg(rank, width, 10, QLatin1Char('0'));
        actions.append(id);
        // KDE nests no submenu in a service menu's own: a group's name goes before its entries' labels.
        const QString names = localized(QStringLiteral("Name"), [&](const QString& language) {
            return text(language, [i](const ExtensionMenu& m) {
                for (const MenuGroup& group : m.groups)
                    if (group.positions.contains(i))
                        return group.title + QStringLiteral(" › ") + m.entries.value(i).label;
                return m.entries.value(i).label;
            });
        });
        groups += actionGroup(id, names, menu->entries.at(i).iconNames.value(0),
                              QStringLiteral("%1 --from dolphin --new %2 %f").arg(launcher, QString::number(i)));
    }
    const QString submenu = localized(QStringLiteral("X-KDE-Submenu"), [&](const QString& language) {
        return text(language, [](const ExtensionMenu& m) { return m.title; });
    });
    return (entryGroup(m_launcherPath, QStringLiteral("inode/directory;"), submenu, actions) + groups).toUtf8();
}

QByteArray ServiceMenu::fileMenuContents() const
{
    // Only text files and folders can become templates; every text type derives from text/plain.
    const QString id = QStringLiteral("saveAsTemplate");
    const QString names = localized(QStringLiteral("Name"),
                                    [](const QString& language) { return MenuModel::saveAsTemplate(language).label; });
    return (entryGroup(m_launcherPath, QStringLiteral("text/plain;inode/directory;"), QString(), {id}) +
            actionGroup(id, names, MenuModel::saveAsTemplate().iconNames.value(0),
                        execArgument(m_launcherPath) + QStringLiteral(" --import %f")))
        .toUtf8();
}

bool ServiceMenu::write(const QString& path) const
{
    const bool fileMenu = writeMenu(fileMenuPath(path), fileMenuContents());
    const std::optional<QByteArray> bytes = contents();
    if (bytes)
        return writeMenu(path, *bytes) && fileMenu;
    if (!QFile::exists(path) || QFile::remove(path))
        return fileMenu;
    Log::line(QStringLiteral("[QNT] service menu: cannot remove %1").arg(path));
    return false;
}
