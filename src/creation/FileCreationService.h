#pragma once

#include "creation/FileCreationError.h"
#include "model/FileTemplate.h"
#include "platform/Clock.h"
#include "platform/FileWriter.h"
#include "platform/UserAccount.h"

#include <QString>
#include <QUrl>

#include <optional>
#include <variant>

class TemplateStore;

// Turns one template and one target folder into one new file under a name that is free, with the
// template's variables filled in. Stateless: every call reads what it needs afresh (the default
// base name included); the folder-access grant around a call is the caller's business.
class FileCreationService {
public:
    using Result = std::variant<QUrl, FileCreationError>;

    explicit FileCreationService(TemplateStore& store, FileWriter& writer = FileWriter::system(),
                                 const Clock& clock = Clock::system(),
                                 const UserAccount& account = UserAccount::current());

    // The new file's URL, or why there is none. Without a base name, baseNameFor's is used.
    // Never replaces anything: a name taken between the check and the write moves on to the next
    // candidate name.
    Result createFile(const FileTemplate& fileTemplate, const QUrl& directory,
                      const std::optional<QString>& baseName = std::nullopt) const;

    // The same, under exactly the name given (see completedName) or not at all: a taken name is
    // nameTaken and one that is not a single path component is invalidName.
    Result createNamedFile(const FileTemplate& fileTemplate, const QUrl& directory, const QString& fileName) const;

    // The template's own base name with its variables filled in, kept to one path component; where
    // it has none (or it fills in to blanks), a folder template's name, else the stored default.
    QString baseNameFor(const FileTemplate& fileTemplate, const QUrl& directory) const;

    enum class NameProblem { none, empty, notOneComponent, tooLong };
    // A name part kept inside its folder: no separator, no terminator.
    static QString nameComponent(QString part);
    // A name the person typed, with the template's extension added when it has none: "notes" and
    // "notes." both become "notes.txt"; "notes.md" and ".env" stay as they are, and so does a
    // name with a problem of its own.
    static QString completedName(const QString& typedName, const QString& fileExtension);
    // What keeps a complete name from naming one new item in a folder.
    static NameProblem nameProblem(const QString& fileName);

    // The first free name of "B.E", "B 2.E" … "B 999.E", else "B <seconds since 1970>.E" unchecked.
    // Always one path component: a "/" or NUL in the base name or extension becomes "-".
    QString uniqueFileName(const QString& baseName, const QString& fileExtension, const QUrl& directory) const;

    // Fills in {{date}}, {{time}}, {{folder}}, {{username}} and {{year}}, in that order, each on
    // the result of the one before, all from one instant.
    QString expandVariables(const QString& content, const QUrl& directory) const;

    // The folder's own name; "/" for the root, and a trailing slash does not count.
    static QString lastPathComponent(const QUrl& directory);

private:
    struct Candidate {
        QString name;
        int index; // 1 for the plain name, 2…999 numbered, fallbackIndex for the time-stamped one
    };
    static constexpr int fallbackIndex = 1000;

    // The folder's path, or why it cannot take a new file.
    std::variant<QString, FileCreationError> targetFolder(const QUrl& directory) const;

    Candidate firstFreeFrom(int index, const QString& baseName, const QString& fileExtension,
                            const QString& directoryPath) const;

    TemplateStore& m_store;
    FileWriter& m_writer;
    const Clock& m_clock;
    const UserAccount& m_account;
};
