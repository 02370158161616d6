#include "store/FolderTemplateTree.h"

#include "model/FileTemplate.h"
#include "platform/ConfinedFolderWriter.h"
#include "platform/SecurityScope.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

QString templatesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quintara/templates");
}

QString reason(FolderReader::Problem problem)
{
    switch (problem) {
    case FolderReader::Problem::missing:
        return QStringLiteral("no such folder");
    case FolderReader::Problem::unreadable:
        return QStringLiteral("cannot be read");
    case FolderReader::Problem::tooManyItems:
        return QStringLiteral("more than 1,000 items");
    case FolderReader::Problem::tooLarge:
        return QStringLiteral("more than 16 MiB");
    }
    return {};
}

QString itemPath(const QString& folder, const QString& relativePath)
{
    return relativePath.isEmpty() ? folder : QDir::cleanPath(folder) + QLatin1Char('/') + relativePath;
}

} // namespace

FolderTemplateTree::FolderTemplateTree(const FolderReader& reader) : m_reader(reader) {}

QString FolderTemplateTree::path(const QUuid& id)
{
    FileTemplate named;
    named.id = id;
    return templatesFolder() + QLatin1Char('/') + named.idText();
}

std::variant<FolderReader::Tree, FolderTemplateTree::Refusal> FolderTemplateTree::check(const QString& folder) const
{
    auto read = m_reader.read(folder, {maximumItems, maximumBytes});
    if (const auto* refusal = std::get_if<FolderReader::Refusal>(&read))
        return Refusal{itemPath(folder, refusal->path), reason(refusal->problem), {}};
    auto& tree = std::get<FolderReader::Tree>(read);
    // Every item that keeps the folder from being a template is named, so that all can be mended at once.
    QList<std::pair<QString, QString>> faults;
    for (const QString& special : std::as_const(tree.specialFiles))
        faults.append({special, QStringLiteral("a pipe, socket or device")});
    // The same rule as for a template of one file: a NUL byte counts as not text.
    for (const FolderEntry& entry : std::as_const(tree.entries)) {
        if (!entry.isFolder && (entry.bytes.contains('\0') || !entry.bytes.isValidUtf8()))
            faults.append({entry.path, QStringLiteral("not UTF-8 text")});
    }
    if (!faults.isEmpty()) {
        QStringList items;
        for (const auto& [item, why] : std::as_const(faults))
            items.append(item + QStringLiteral(": ") + why);
        return Refusal{itemPath(folder, faults.constFirst().first), faults.constFirst().second, items};
    }
    return std::move(tree);
}

std::variant<FolderTemplateTree::Summary, FolderTemplateTree::Refusal>
FolderTemplateTree::importFolder(const QString& sourceFolder, const QUuid& id) const
{
    const auto refuse = [](Refusal refusal) {
        return refusal;
    };
    const auto examined = check(sourceFolder);
    if (const auto* refusal = std::get_if<Refusal>(&examined))
        return refuse(*refusal);
    const FolderReader::Tree& tree = std::get<FolderReader::Tree>(examined);

    // The writer is confined to the templates' own folder, whatever the person has granted.
    const QString folder = templatesFolder();
    QDir().mkpath(folder);
    CountedSecurityScope scope;
    if (!scope.startAccessing(folder))
        return refuse({folder, QStringLiteral("cannot be written to"), {}});
    ConfinedFolderWriter writer(scope);
    bool offered = false;
    const QString name = QFileInfo(path(id)).fileName();
    const auto written = writer.createNew(
        folder, [&] { return std::exchange(offered, true) ? QString() : name; }, tree.entries);
    if (const auto* error = std::get_if<PlatformError>(&written)) {
        return refuse({sourceFolder,
                       error->code == PlatformError::nameTaken
                           ? QStringLiteral("a tree is stored under this template already")
                           : error->description,
                       {}});
    }
    Summary summary{0, 0, tree.skippedLinks};
    for (const FolderEntry& entry : tree.entries)
        ++(entry.isFolder ? summary.folders : summary.files);
    return summary;
}

std::variant<QList<FolderEntry>, FolderTemplateTree::Refusal> FolderTemplateTree::read(const QUuid& id) const
{
    auto examined = check(path(id));
    if (auto* refusal = std::get_if<Refusal>(&examined))
        return *refusal;
    return std::move(std::get<FolderReader::Tree>(examined).entries);
}

bool FolderTemplateTree::remove(const QUuid& id) const
{
    // QDir removes a link inside the tree, never what it leads to.
    QDir tree(path(id));
    return !tree.exists() || tree.removeRecursively();
}

QStringList FolderTemplateTree::entries(const QUuid& id) const
{
    const QDir top(path(id));
    QStringList result;
    QDirIterator it(top.path(), QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo item = it.nextFileInfo();
        result.append(top.relativeFilePath(item.filePath()) + (item.isDir() ? QStringLiteral("/") : QString()));
    }
    // As a file manager lists them, capitals or not.
    result.sort(Qt::CaseInsensitive);
    return result;
}
