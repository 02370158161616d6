#include "creation/FolderCreationService.h"

#include "platform/LocalPath.h"

#include <QDir>
#include <QHash>

#include <cerrno>

namespace {

constexpr int lastNumber = 999;

FileCreationError writeFailure(const PlatformError& error)
{
    if (error.code == PlatformError::permissionDenied)
        return FileCreationError(FileCreationError::Case::permissionDenied);
    if (error.code == EROFS)
        return FileCreationError(FileCreationError::Case::readOnlyDirectory);
    if (error.code == PlatformError::nameTaken)
        return FileCreationError(FileCreationError::Case::tooManyConflicts);
    return FileCreationError::unknownError(error);
}

bool isUsableName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..");
}

} // namespace

FolderCreationService::FolderCreationService(const FileCreationService& files, FolderTemplateTree trees,
                                             FolderWriter& writer)
    : m_files(files), m_trees(std::move(trees)), m_writer(writer)
{}

FolderCreationService::Result FolderCreationService::createFolder(const FileTemplate& folderTemplate,
                                                                  const QUrl& directory,
                                                                  const std::optional<QString>& baseName) const
{
    return create(folderTemplate, directory, baseName, std::nullopt);
}

FolderCreationService::Result FolderCreationService::createNamedFolder(const FileTemplate& folderTemplate,
                                                                       const QUrl& directory,
                                                                       const QString& folderName) const
{
    return create(folderTemplate, directory, std::nullopt, folderName);
}

FolderCreationService::Result FolderCreationService::create(const FileTemplate& folderTemplate, const QUrl& directory,
                                                            const std::optional<QString>& baseName,
                                                            const std::optional<QString>& exactName) const
{
    // A relative path would silently mean "relative to wherever the program was started".
    const QString path = directory.isLocalFile() ? directory.toLocalFile() : QString();
    const LocalPath::Kind kind = LocalPath::kind(path);
    if (!QDir::isAbsolutePath(path) || kind == LocalPath::Kind::missing)
        return FileCreationError(FileCreationError::Case::directoryNotFound);
    if (kind != LocalPath::Kind::folder)
        return FileCreationError(FileCreationError::Case::notADirectory);

    auto stored = m_trees.read(folderTemplate.id);
    if (const auto* refusal = std::get_if<FolderTemplateTree::Refusal>(&stored)) {
        return FileCreationError::unknownError(
            {EINVAL, QStringLiteral("The folder template “%1” can’t be used: %2: %3.")
                         .arg(folderTemplate.name, refusal->path, refusal->reason)});
    }
    QList<FolderEntry>& entries = std::get<QList<FolderEntry>>(stored);

    // Every text the variables are filled into, in one call, so that all of them read one instant:
    // the base name, then each entry's own name, then each file's content. NUL joins them; no name,
    // content (checked as text) or value holds one, so a NUL more or less means a name that held one.
    const QString base = baseName                             ? *baseName
                         : !folderTemplate.baseName.isEmpty() ? folderTemplate.baseName
                                                              : folderTemplate.name;
    QStringList texts{FileCreationService::nameComponent(base)};
    for (const FolderEntry& entry : std::as_const(entries))
        texts.append(entry.path.mid(entry.path.lastIndexOf(QLatin1Char('/')) + 1));
    for (const FolderEntry& entry : std::as_const(entries)) {
        if (!entry.isFolder)
            texts.append(QString::fromUtf8(entry.bytes));
    }
    const QStringList expanded = m_files.expandVariables(texts.join(QChar(0)), directory).split(QChar(0));
    if (expanded.size() != texts.size())
        return FileCreationError(FileCreationError::Case::invalidName);

    // A folder is listed before what it holds, so each entry's folder has its new path already.
    QHash<QString, QString> newPaths;
    qsizetype content = 1 + entries.size();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        FolderEntry& entry = entries[i];
        const QString name = FileCreationService::nameComponent(expanded.at(1 + i));
        if (!isUsableName(name))
            return FileCreationError(FileCreationError::Case::invalidName);
        const qsizetype slash = entry.path.lastIndexOf(QLatin1Char('/'));
        const QString newPath = slash < 0 ? name : newPaths.value(entry.path.left(slash)) + QLatin1Char('/') + name;
        if (entry.isFolder)
            newPaths.insert(entry.path, newPath);
        else
            entry.bytes = expanded.at(content++).toUtf8();
        entry.path = newPath;
    }

    // A name the person typed is taken as it stands, once, and is answered "taken" when it is.
    if (exactName && FileCreationService::nameProblem(*exactName) != FileCreationService::NameProblem::none)
        return FileCreationError(FileCreationError::Case::invalidName);
    const QString newBase = exactName ? *exactName : FileCreationService::nameComponent(expanded.constFirst());
    if (!isUsableName(newBase))
        return FileCreationError(FileCreationError::Case::invalidName);
    const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    int number = 0;
    // Each name offered is one that looks free now; the writer asks again when it is taken by then.
    const auto names = [&]() -> QString {
        if (exactName)
            return number++ == 0 ? newBase : QString();
        while (++number <= lastNumber) {
            const QString name = number == 1 ? newBase : newBase + QLatin1Char(' ') + QString::number(number);
            if (LocalPath::kind(prefix + name) == LocalPath::Kind::missing)
                return name;
        }
        return {};
    };
    const auto written = m_writer.createNew(path, names, entries);
    if (const auto* error = std::get_if<PlatformError>(&written))
        return exactName && error->code == PlatformError::nameTaken
                   ? FileCreationError(FileCreationError::Case::nameTaken)
                   : writeFailure(*error);
    return QUrl::fromLocalFile(prefix + std::get<QString>(written));
}
