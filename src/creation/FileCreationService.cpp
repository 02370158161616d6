#include "creation/FileCreationService.h"

#include "platform/LocalPath.h"
#include "store/TemplateStore.h"

#include <QCalendar>
#include <QDir>
#include <QLocale>

#include <climits>
#include <functional>

namespace {

QString localPath(const QUrl& directory)
{
    return directory.isLocalFile() ? directory.toLocalFile() : QString();
}

FileCreationError writeFailure(const PlatformError& error)
{
    if (error.code == PlatformError::permissionDenied)
        return FileCreationError(FileCreationError::Case::permissionDenied);
    return FileCreationError::unknownError(error);
}

} // namespace

FileCreationService::FileCreationService(TemplateStore& store, FileWriter& writer, const Clock& clock,
                                         const UserAccount& account)
    : m_store(store), m_writer(writer), m_clock(clock), m_account(account)
{}

std::variant<QString, FileCreationError> FileCreationService::targetFolder(const QUrl& directory) const
{
    // A relative path would silently mean "relative to wherever the program was started".
    const QString path = localPath(directory);
    const LocalPath::Kind kind = LocalPath::kind(path);
    if (!QDir::isAbsolutePath(path) || kind == LocalPath::Kind::missing)
        return FileCreationError(FileCreationError::Case::directoryNotFound);
    if (kind != LocalPath::Kind::folder)
        return FileCreationError(FileCreationError::Case::notADirectory);
    return path;
}

FileCreationService::Result FileCreationService::createFile(const FileTemplate& fileTemplate, const QUrl& directory,
                                                            const std::optional<QString>& baseName) const
{
    const auto folder = targetFolder(directory);
    if (const auto* error = std::get_if<FileCreationError>(&folder))
        return *error;
    const QString& path = std::get<QString>(folder);

    const QString base = baseName ? *baseName : baseNameFor(fileTemplate, directory);
    Candidate candidate = firstFreeFrom(1, base, fileTemplate.fileExtension, path);
    const QByteArray bytes = expandVariables(fileTemplate.content, directory).toUtf8();

    for (;;) {
        const std::optional<PlatformError> error = m_writer.createNew(path, candidate.name, bytes);
        if (!error)
            return QUrl::fromLocalFile(QDir(path).filePath(candidate.name));
        if (error->code != PlatformError::nameTaken)
            return writeFailure(*error);
        // Someone else took the name after it was checked: the next candidate, never a replacement.
        if (candidate.index >= fallbackIndex)
            return FileCreationError(FileCreationError::Case::tooManyConflicts);
        candidate = firstFreeFrom(candidate.index + 1, base, fileTemplate.fileExtension, path);
    }
}

FileCreationService::Result FileCreationService::createNamedFile(const FileTemplate& fileTemplate,
                                                                 const QUrl& directory, const QString& fileName) const
{
    const auto folder = targetFolder(directory);
    if (const auto* error = std::get_if<FileCreationError>(&folder))
        return *error;
    const QString& path = std::get<QString>(folder);
    if (nameProblem(fileName) != NameProblem::none)
        return FileCreationError(FileCreationError::Case::invalidName);

    const QByteArray bytes = expandVariables(fileTemplate.content, directory).toUtf8();
    const std::optional<PlatformError> error = m_writer.createNew(path, fileName, bytes);
    if (!error)
        return QUrl::fromLocalFile(QDir(path).filePath(fileName));
    if (error->code == PlatformError::nameTaken)
        return FileCreationError(FileCreationError::Case::nameTaken);
    return writeFailure(*error);
}

QString FileCreationService::baseNameFor(const FileTemplate& fileTemplate, const QUrl& directory) const
{
    // A value holding "/" ("{{date}}" in some locales) must not make the name a path.
    const QString own = nameComponent(expandVariables(fileTemplate.baseName, directory));
    if (!own.trimmed().isEmpty())
        return own;
    return fileTemplate.isFolder ? nameComponent(expandVariables(fileTemplate.name, directory))
                                 : m_store.defaultBaseName();
}

QString FileCreationService::nameComponent(QString part)
{
    part.replace(QLatin1Char('/'), QLatin1Char('-'));
    part.replace(QChar(0), QLatin1Char('-'));
    return part;
}

QString FileCreationService::completedName(const QString& typedName, const QString& fileExtension)
{
    // "", "." and ".." name no new item, with or without an extension after them.
    const qsizetype dot = typedName.lastIndexOf(QLatin1Char('.'));
    if (fileExtension.isEmpty() || nameProblem(typedName) != NameProblem::none ||
        (dot >= 0 && dot < typedName.size() - 1))
        return typedName;
    return (dot < 0 ? typedName + QLatin1Char('.') : typedName) + fileExtension;
}

FileCreationService::NameProblem FileCreationService::nameProblem(const QString& fileName)
{
    // A name of spaces alone, before its extension or without one, names nothing one could see.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (fileName.left(dot > 0 ? dot : fileName.size()).trimmed().isEmpty())
        return NameProblem::empty;
    if (fileName == QLatin1String(".") || fileName == QLatin1String("..") || fileName.contains(QLatin1Char('/')) ||
        fileName.contains(QChar(0)))
        return NameProblem::notOneComponent;
    // The file system counts bytes of the encoded name, not characters.
    if (LocalPath::toBytes(fileName).size() > NAME_MAX)
        return NameProblem::tooLong;
    return NameProblem::none;
}

QString FileCreationService::uniqueFileName(const QString& baseName, const QString& fileExtension,
                                            const QUrl& directory) const
{
    return firstFreeFrom(1, baseName, fileExtension, localPath(directory)).name;
}

FileCreationService::Candidate FileCreationService::firstFreeFrom(int index, const QString& baseName,
                                                                  const QString& fileExtension,
                                                                  const QString& directoryPath) const
{
    const QString base = nameComponent(baseName);
    // A template without an extension (a Makefile) makes names without a trailing full stop.
    const QString suffix = fileExtension.isEmpty() ? QString() : QLatin1Char('.') + nameComponent(fileExtension);
    const QString prefix = directoryPath.endsWith(QLatin1Char('/')) ? directoryPath : directoryPath + QLatin1Char('/');
    // LocalPath::kind follows a link at the end of the path, so a dangling link counts as free
    // here; the write then finds the name taken and moves on. Index 1 is the plain name, so the
    // first number ever written is 2.
    for (; index < fallbackIndex; ++index) {
        const QString name = index == 1 ? base + suffix : base + QLatin1Char(' ') + QString::number(index) + suffix;
        if (LocalPath::kind(prefix + name) == LocalPath::Kind::missing)
            return {name, index};
    }
    return {base + QLatin1Char(' ') + QString::number(m_clock.now().toSecsSinceEpoch()) + suffix, fallbackIndex};
}

QString FileCreationService::lastPathComponent(const QUrl& directory)
{
    QString path = directory.isLocalFile() ? directory.toLocalFile() : directory.path();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (path == QLatin1String("/"))
        return path;
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString FileCreationService::expandVariables(const QString& content, const QUrl& directory) const
{
    const QDateTime now = m_clock.now().toLocalTime();
    const QLocale locale = QLocale::system();

    // Order matters: text put in by one step is searched by the steps after it, never by those
    // before. A value is only worked out when its placeholder is present at its step.
    const std::pair<QLatin1String, std::function<QString()>> variables[] = {
        {QLatin1String("{{date}}"),
         [&] {
             return locale.toString(now.date(), QLocale::ShortFormat);
         }},
        {QLatin1String("{{time}}"),
         [&] {
             return locale.toString(now.time(), QLocale::ShortFormat);
         }},
        {QLatin1String("{{folder}}"),
         [&] {
             return lastPathComponent(directory);
         }},
        {QLatin1String("{{username}}"),
         [&] {
             return m_account.fullName();
         }},
        {QLatin1String("{{year}}"),
         [&] {
             return QString::number(now.date().year(QCalendar()));
         }},
    };
    QString result = content;
    for (const auto& [placeholder, value] : variables) {
        if (result.contains(placeholder))
            result.replace(placeholder, value());
    }
    return result;
}
