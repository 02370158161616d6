#pragma once

#include "platform/SettingsDomain.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One thing the file manager's context menu is about: the folder whose background was clicked, or
// one selected item.
struct ClickedLocation {
    QString uri;       // as the file manager names it: file:///…, trash:///…, recent:///…
    QString localPath; // empty when the location has no path in the local file system
    bool isFolder = false;
    bool isRegularFile = false;
};

// One choice of the "New File" submenu, or the "Save as Template" item.
struct MenuEntry {
    QString label;
    // The request: fully percent-encoded text, handed unchanged to the desktop's handler of the
    // quintara scheme.
    QString requestUrl;
    // The desktop's icon names for the file type the entry creates, the most specific first and
    // the generic text icon, which every icon theme has, last.
    QStringList iconNames;
};

// A submenu of the submenu: the entries of the templates that name one group.
struct MenuGroup {
    QString title;
    QList<qsizetype> positions; // into ExtensionMenu::entries, in list order
};

// The submenu and its entries, in the order of the enabled-template list: an entry's position is
// its template's, as requests name it. Shown as the groups, in the order they first occur in that
// list, then the entries in no group.
struct ExtensionMenu {
    QString title;
    QList<MenuEntry> entries;
    QList<MenuGroup> groups = {};

    // The positions of the entries in no group, in list order.
    QList<qsizetype> ungrouped() const;
    // Every position in the order shown: each group's, then the ungrouped.
    QList<qsizetype> shownOrder() const;
};

// What the file manager extension offers, kept apart from any file manager so that it can be
// tested alone. The template list is read from the shared settings domain for every menu, through
// the same store the application serves requests with, so that an entry's position names the same
// template when the application receives the request.
class MenuModel {
public:
    using DomainOpener = std::function<SettingsDomain()>;

    // `fileManager` is named in the requests (see CreateRequest), so that the new file is shown there.
    explicit MenuModel(DomainOpener openDomain = &SettingsDomain::openSuite, QString fileManager = {});

    // Nothing unless the location is a local folder and at least one template is enabled.
    std::optional<ExtensionMenu> forBackground(const ClickedLocation& folder) const;
    // Only a selection of exactly one local folder gets a menu; new files go inside that folder.
    std::optional<ExtensionMenu> forSelection(const QList<ClickedLocation>& selection) const;

    // "Save as Template", for a selection of exactly one local regular file or folder: the request
    // makes a custom template of that file, or a folder template of that folder.
    static std::optional<MenuEntry> forFile(const QList<ClickedLocation>& selection);
    // The same item without its request, for a file manager that names the file only when the
    // item is chosen.
    static MenuEntry saveAsTemplate(const QString& language = {});

    // For a file manager that names the folder only when an entry is chosen (it runs a command with
    // the folder's path): the same menu, with no request URLs. Nothing when no template is enabled.
    // The texts are in `language` (one of languages(), or "en" for English), or with none, in the user's.
    std::optional<ExtensionMenu> forAnyLocalFolder(const QString& language = {}) const;
    // The languages the menu is translated to, as codes ("de"); English, the texts' own, is not one.
    static QStringList languages();

    // The request URL of CreateRequest::url.
    QString createUrl(qsizetype index, const QString& folderPath) const;
    // The icon of the MIME type that files ending in ".extension" have (text-x-python for "py"),
    // then that type's generic icon (text-x-script), then the generic text icon; only the last when
    // the extension names no known type.
    static QStringList iconNamesFor(const QString& extension);

private:
    std::optional<ExtensionMenu> menuFor(const ClickedLocation& folder) const;

    DomainOpener m_openDomain;
    QString m_fileManager;
};
