#include "extension/MenuModel.h"

#include "creation/CreateRequest.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QMimeDatabase>
#include <QUrl>

namespace {

// Other schemes may still come with a path (a remote share mounted through a local bridge,
// say), but files cannot be created there through the application's folder grant.
bool isLocalFolder(const ClickedLocation& location)
{
    return location.isFolder && QUrl(location.uri).scheme() == QLatin1String("file") && !location.localPath.isEmpty() &&
           QDir::isAbsolutePath(location.localPath);
}

} // namespace

MenuModel::MenuModel(DomainOpener openDomain) : m_openDomain(std::move(openDomain)) {}

std::optional<ExtensionMenu> MenuModel::forBackground(const ClickedLocation& folder) const
{
    return menuFor(folder);
}

std::optional<ExtensionMenu> MenuModel::forSelection(const QList<ClickedLocation>& selection) const
{
    if (selection.size() != 1)
        return std::nullopt;
    return menuFor(selection.constFirst());
}

std::optional<ExtensionMenu> MenuModel::menuFor(const ClickedLocation& folder) const
{
    if (!isLocalFolder(folder))
        return std::nullopt;
    std::optional<ExtensionMenu> menu = forAnyLocalFolder();
    if (menu) {
        for (qsizetype i = 0; i < menu->entries.size(); ++i)
            menu->entries[i].createUrl = createUrl(i, folder.localPath);
    }
    return menu;
}

std::optional<ExtensionMenu> MenuModel::forAnyLocalFolder() const
{
    // A store of its own, made for this one menu: it reads the domain afresh and is never shared
    // with another menu or thread.
    TemplateStore store(m_openDomain);
    const QList<FileTemplate> templates = store.enabledTemplates();
    if (templates.isEmpty())
        return std::nullopt;
    ExtensionMenu menu{QStringLiteral("New File"), {}};
    for (qsizetype i = 0; i < templates.size(); ++i)
        menu.entries.append(
            {QStringLiteral("New ") + templates.at(i).name, {}, iconNameFor(templates.at(i).fileExtension)});
    return menu;
}

QString MenuModel::createUrl(qsizetype index, const QString& folderPath)
{
    return CreateRequest::url(index, folderPath);
}

QString MenuModel::iconNameFor(const QString& extension)
{
    // By name only: the file does not exist yet, and guessing from the extension alone must not
    // fall back to the content type of some other file.
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QStringLiteral("new.") + extension, QMimeDatabase::MatchExtension);
    if (extension.isEmpty() || !type.isValid() || type.isDefault())
        return QStringLiteral("text-x-generic");
    return type.iconName();
}
