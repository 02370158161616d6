#pragma once

#include "model/FileTemplate.h"
#include "platform/Bookmark.h"
#include "platform/SettingsDomain.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Everything the product keeps between runs: the custom templates, which built-ins are on, the base
// name of new files, whether to ask for a name, and the folder-access grant. All of it lives in the shared settings
// domain, which is opened afresh for every operation; only the custom templates are held in memory. The store is the
// one writer of the template list, and announces every change of the list or of the enabled set through didChange(),
// synchronously.
class TemplateStore : public QObject {
    Q_OBJECT

public:
    using DomainOpener = std::function<SettingsDomain()>;

    explicit TemplateStore(DomainOpener openDomain = &SettingsDomain::openSuite,
                           const Bookmark& bookmarks = Bookmark::system(), QObject* parent = nullptr);

    // The process's one store; made (and loaded) on first use, never destroyed.
    static TemplateStore& shared();

    // The in-memory list. A caller that changes it must call save() afterwards.
    QList<FileTemplate>& customTemplates() { return m_customTemplates; }
    const QList<FileTemplate>& customTemplates() const { return m_customTemplates; }

    // Replaces the in-memory list with the stored one: the records that decode, in order.
    void load();
    // Writes the in-memory list and announces the change. A stored list with records that do not
    // decode is kept aside first. When the list cannot be written (a full disk, or more than the
    // settings may hold), the in-memory list goes back to the stored one, so that nothing shows a
    // change that was not kept.
    SettingsDomain::WriteResult save();

    // The templates offered for file creation: the enabled built-ins in catalogue order, then every
    // custom template in the user's order. Reloads the custom templates first.
    QList<FileTemplate> enabledTemplates();

    // Replaces the first custom template with the same id and saves; an unknown id changes nothing.
    void updateTemplate(const FileTemplate& changed);
    // Positions refer to customTemplates(); a position outside the list is ignored, since the
    // list a view shows may lag one turn of the event loop behind this one.
    void deleteTemplates(const QList<qsizetype>& positions);
    // The destination is a position in the list as it was before the move (0 = before the first,
    // size() = after the last); the moved records keep their relative order.
    void moveTemplates(const QList<qsizetype>& positions, qsizetype destination);

    // Upper-case id texts of the built-ins that are on. Nothing stored, or anything but an array of
    // texts, means all are on; a stored empty array means all are off.
    QSet<QString> enabledBuiltIns() const;
    void setEnabledBuiltIns(const QSet<QString>& ids);

    // "Untitled" when nothing is stored; a stored empty text is returned as it is.
    QString defaultBaseName() const;
    void setDefaultBaseName(const QString& name);

    // Whether a create request first asks for the new file's name; off unless stored as true.
    bool asksForFileName() const;
    void setAsksForFileName(bool ask);

    // The folder-access grant. Saving replaces any earlier grant; a failure is logged and recorded
    // under "bookmarkLastError", and leaves the earlier grant in place.
    bool saveHomeFolderBookmark(const QUrl& folder);
    // Whether grant data is stored at all, even data that no longer resolves.
    bool hasHomeFolderBookmark() const;
    // The granted folder, not yet under access; nothing (and a log line) when there is no usable
    // grant (the line left out for a caller that hands the request on to one that logs it). A grant
    // whose folder was replaced at the same path is renewed on the way.
    std::optional<QUrl> resolveHomeFolderURL(bool logFailure = true);

Q_SIGNALS:
    void didChange();

private:
    SettingsDomain domain() const { return m_openDomain(); }
    static QList<FileTemplate> storedTemplates(const SettingsSnapshot& snapshot);
    static QSet<QString> enabledSet(const SettingsSnapshot& snapshot);
    // Valid positions only, ascending, each once.
    QList<qsizetype> validPositions(const QList<qsizetype>& positions) const;

    DomainOpener m_openDomain;
    const Bookmark& m_bookmarks;
    QList<FileTemplate> m_customTemplates;
};
