#include "extension/MenuModel.h"

#include "creation/CreateRequest.h"
#include "creation/ImportRequest.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QMimeDatabase>
#include <QMutex>
#include <QTranslator>
#include <QUrl>

#include <algorithm>

namespace {

// Other schemes may still come with a path (a remote share mounted through a local bridge,
// say), but files cannot be created there through the application's folder grant.
bool isLocal(const ClickedLocation& location)
{
    return QUrl(location.uri).scheme() == QLatin1String("file") && location.localPath.startsWith(QLatin1Char('/'));
}

const QString translations = QStringLiteral(":/menu-i18n");

// The menu is built inside the file manager's process, which has no Qt application and so no
// translator of the program's: the translation of the user's locale (or of the language asked
// for) is loaded here, once, and kept for the life of the process (the modules stay loaded).
QString menuText(const char* source, const QString& language, const char* context = "MenuModel")
{
    static QMutex mutex;
    // Never destroyed, like the translators it holds, which live as long as the process.
    static auto* const translators = new QHash<QString, const QTranslator*>;
    const QMutexLocker lock(&mutex);
    const QTranslator*& translator = (*translators)[language];
    if (!translator) {
        auto* loaded = new QTranslator;
        // Without a translation for the locale the translator stays empty and the menu English.
        if (language.isEmpty())
            (void)loaded->load(QLocale(), QStringLiteral("quintara"), QStringLiteral("_"), translations);
        else
            (void)loaded->load(QStringLiteral("quintara_") + language, translations);
        translator = loaded;
    }
    const QString translated = translator->translate(context, source);
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

} // namespace

MenuModel::MenuModel(DomainOpener openDomain, QString fileManager)
    : m_openDomain(std::move(openDomain)), m_fileManager(std::move(fileManager))
{}

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

std::optional<ExtensionMenu> MenuModel::forAnyLocalFolder(const QString& language) const
{
    // A store of its own, made for this one menu: it reads the domain afresh and is never shared
    // with another menu or thread.
    TemplateStore store(m_openDomain);
    const QList<FileTemplate> templates = store.enabledTemplates();
    if (templates.isEmpty())
        return std::nullopt;
    ExtensionMenu menu{menuText(QT_TRANSLATE_NOOP("MenuModel", "New File"), language), {}};
    for (qsizetype i = 0; i < templates.size(); ++i) {
        const FileTemplate& shown = templates.at(i);
        menu.entries.append(
            {menuText(QT_TRANSLATE_NOOP("MenuModel", "New %1"), language)
                 .arg(shown.isBuiltIn ? menuText(shown.name.toUtf8().constData(), language, "BuiltInTemplates")
                                      : shown.name),
             {},
             shown.isFolder ? QStringList{QStringLiteral("folder-new"), QStringLiteral("folder")}
                            : iconNamesFor(shown.fileExtension)});
        if (shown.group.isEmpty())
            continue;
        const auto group = std::find_if(menu.groups.begin(), menu.groups.end(),
                                        [&](const MenuGroup& g) { return g.title == shown.group; });
        if (group == menu.groups.end())
            menu.groups.append({shown.group, {i}});
        else
            group->positions.append(i);
    }
    return menu;
}

QList<qsizetype> ExtensionMenu::ungrouped() const
{
    QList<qsizetype> positions;
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (std::none_of(groups.begin(), groups.end(), [i](const MenuGroup& g) { return g.positions.contains(i); }))
            positions.append(i);
    return positions;
}

QList<qsizetype> ExtensionMenu::shownOrder() const
{
    QList<qsizetype> order;
    for (const MenuGroup& group : groups)
        order += group.positions;
    return order + ungrouped();
}

std::optional<MenuEntry> MenuModel::forFile(const QList<ClickedLocation>& selection)
{
    if (selection.size() != 1 || !(selection.constFirst().isRegularFile || selection.constFirst().isFolder) ||
        !isLocal(selection.constFirst()))
        return std::nullopt;
    MenuEntry entry = saveAsTemplate();
    entry.requestUrl = ImportRequest::url(selection.constFirst().localPath);
    return entry;
}

MenuEntry MenuModel::saveAsTemplate(const QString& language)
{
    return {menuText(QT_TRANSLATE_NOOP("MenuModel", "Save as Template"), language),
            {},
            {QStringLiteral("document-save-as")}};
}

QStringList MenuModel::languages()
{
    QStringList codes;
    for (QString file : QDir(translations).entryList({QStringLiteral("quintara_*.qm")}, QDir::Files, QDir::Name))
        codes.append(file.mid(9).chopped(3)); // between "quintara_" and ".qm"
    return codes;
}

QString MenuModel::createUrl(qsizetype index, const QString& folderPath) const
{
    return CreateRequest::url(index, folderPath, m_fileManager);
}

QStringList MenuModel::iconNamesFor(const QString& extension)
{
    const QString generic = QStringLiteral("text-x-generic");
    // By name only: the file does not exist yet, and guessing from the extension alone must not
    // fall back to the content type of some other file.
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(QStringLiteral("new.") + extension, QMimeDatabase::MatchExtension);
    if (extension.isEmpty() || !type.isValid() || type.isDefault())
        return {generic};
    // Themes draw few types of their own (Adwaita none of text-markdown, application-json…), but
    // every one draws the generic icons.
    QStringList names{type.iconName(), type.genericIconName(), generic};
    names.removeDuplicates();
    return names;
}
