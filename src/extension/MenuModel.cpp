#include "extension/MenuModel.h"

#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "store/TemplateStore.h"

#include <QLocale>
#include <QMimeDatabase>
#include <QTranslator>
#include <QUrl>

namespace {

// Other schemes may still come with a path (a remote share mounted through a local bridge,
// say), but files cannot be created there through the application's folder grant.
bool isLocal(const ClickedLocation& location)
{
    return QUrl(location.uri).scheme() == QLatin1String("file") && location.localPath.startsWith(QLatin1Char('/'));
}

// The menu is built inside the file manager's process, which has no Qt application and so no
// translator of the program's: the translation of the user's locale is loaded here, once, and kept
// for the life of the process (the modules stay loaded).
QString menuText(const char* source)
{
    static const QTranslator* const translator = [] {
        auto* loaded = new QTranslator;
        // Without a translation for the locale the translator stays empty and the menu English.
        (void)loaded->load(QLocale(), QStringLiteral("quintara"), QStringLiteral("_"), QStringLiteral(":/menu-i18n"));
        return loaded;
    }();
    const QString translated = translator->translate("MenuModel", source);
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
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
    if (!folder.isFolder || !isLocal(folder))
        return std::nullopt;
    std::optional<ExtensionMenu> menu = forAnyLocalFolder();
    if (menu) {
        for (qsizetype i = 0; i < menu->entries.size(); ++i)
            menu->entries[i].requestUrl = createUrl(i, folder.localPath);
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
    ExtensionMenu menu{menuText(QT_TRANSLATE_NOOP("MenuModel", "New File")), {}};
    for (qsizetype i = 0; i < templates.size(); ++i)
        menu.entries.append({menuText(QT_TRANSLATE_NOOP("MenuModel", "New %1")).arg(templates.at(i).name),
                             {},
                             iconNameFor(templates.at(i).fileExtension)});
    return menu;
}

std::optional<MenuEntry> MenuModel::forFile(const QList<ClickedLocation>& selection)
{
    if (selection.size() != 1 || !selection.constFirst().isRegularFile || !isLocal(selection.constFirst()))
        return std::nullopt;
    MenuEntry entry = saveAsTemplate();
    entry.requestUrl = ImportRequest::url(selection.constFirst().localPath);
    return entry;
}

MenuEntry MenuModel::saveAsTemplate()
{
    return {menuText(QT_TRANSLATE_NOOP("MenuModel", "Save as Template")), {}, QStringLiteral("document-save-as")};
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
