#pragma once

#include "creation/FileCreationError.h"
#include "creation/FileCreationService.h"
#include "model/FileTemplate.h"
#include "platform/FolderWriter.h"
#include "store/FolderTemplateTree.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

// Turns a folder template and a target folder into one new folder under a name that is free, with
// the template's variables filled in throughout: in the content of every file and in the name of
// every file and folder. A value that holds "/" gives "-" in a name; a name that comes out empty,
// "." or "..", or holding a NUL, makes nothing at all.
class FolderCreationService {
public:
    using Result = std::variant<QUrl, FileCreationError>;

    explicit FolderCreationService(const FileCreationService& files, FolderTemplateTree trees = FolderTemplateTree(),
                                   FolderWriter& writer = FolderWriter::system());

    // The new folder's URL, or why there is none. Its base name is `baseName` when given, else the
    // template's own base name, else the template's name; then "B", "B 2" … "B 999", the first that
    // is free when the folder is moved into place. Nothing is ever replaced.
    Result createFolder(const FileTemplate& folderTemplate, const QUrl& directory,
                        const std::optional<QString>& baseName = std::nullopt) const;

    // The same, under exactly the name given or not at all: a taken name is nameTaken and one that
    // is not a single path component is invalidName.
    Result createNamedFolder(const FileTemplate& folderTemplate, const QUrl& directory,
                             const QString& folderName) const;

private:
    Result create(const FileTemplate& folderTemplate, const QUrl& directory, const std::optional<QString>& baseName,
                  const std::optional<QString>& exactName) const;

    const FileCreationService& m_files;
    FolderTemplateTree m_trees;
    FolderWriter& m_writer;
};
