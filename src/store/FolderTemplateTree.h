#pragma once

#include "platform/FolderEntry.h"
#include "platform/FolderReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <variant>

// Where folder templates keep their trees: one folder per template, named by its id, under
// $XDG_DATA_HOME/quintara/templates, so that the person can open and change a tree in a file manager
// too. A tree is taken from a folder whole or not at all: every file in it UTF-8 text without NUL
// bytes, as for a template of one file, at most 1,000 items and 16 MiB of content, no named pipe,
// socket or device; symbolic links are left out and named. The same rules hold when a stored tree is
// read for a new folder, since it may have been changed in between.
class FolderTemplateTree {
public:
    static constexpr qsizetype maximumItems = 1000;
    static constexpr qint64 maximumBytes = qint64(16) * 1024 * 1024;

    struct Summary {
        qsizetype files = 0;
        qsizetype folders = 0;
        QStringList skippedLinks; // relative paths
    };
    struct Refusal {
        QString path;   // the (first) item at fault, as named where it was found
        QString reason; // "not UTF-8 text", "a pipe, socket or device", "more than 1,000 items", …
        // Where the tree was read whole: every item at fault, "relative/path: reason".
        QStringList items;
    };

    explicit FolderTemplateTree(const FolderReader& reader = FolderReader::system());

    // The template's tree, whether or not there is one yet.
    static QString path(const QUuid& id);

    // Copies the folder's tree into a hidden temporary beside the template's place and renames it
    // into place; on a refusal nothing is stored. A tree already stored under the id is kept. Logging
    // is the caller's.
    std::variant<Summary, Refusal> importFolder(const QString& sourceFolder, const QUuid& id) const;
    // The stored tree, checked as at import, in the order a writer makes it; links left out.
    std::variant<QList<FolderEntry>, Refusal> read(const QUuid& id) const;
    // False when a tree was there and could not be removed entirely.
    bool remove(const QUuid& id) const;
    // The stored tree's folders ("a/") and files ("a/b.txt") by relative path, sorted; links and
    // anything else a new folder would not get are left out.
    QStringList entries(const QUuid& id) const;

    // The folder's tree as it would be stored, or why it cannot be.
    std::variant<FolderReader::Tree, Refusal> check(const QString& folder) const;

private:
    const FolderReader& m_reader;
};
