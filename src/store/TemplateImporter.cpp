#include "store/TemplateImporter.h"

#include "model/BuiltInTemplates.h"
#include "model/HorizontalSpace.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "platform/RegularFile.h"
#include "store/FolderTemplateTree.h"
#include "store/TemplateStore.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

TemplateImporter::Refusal refusalFor(RegularFile::Failure failure)
{
    switch (failure) {
    case RegularFile::Failure::missing:
        return TemplateImporter::Refusal::missing;
    case RegularFile::Failure::notRegular:
        return TemplateImporter::Refusal::notRegularFile;
    case RegularFile::Failure::tooLarge:
        return TemplateImporter::Refusal::tooLarge;
    case RegularFile::Failure::systemFile:
        return TemplateImporter::Refusal::systemFile;
    case RegularFile::Failure::unreadable:
        break;
    }
    return TemplateImporter::Refusal::unreadable;
}

TemplateImporter::Refusal refusalFor(const FolderTemplateTree::Refusal& refusal)
{
    if (!refusal.items.isEmpty())
        return TemplateImporter::Refusal::unfitItems;
    if (refusal.reason == QLatin1String("more than 1,000 items"))
        return TemplateImporter::Refusal::tooManyItems;
    if (refusal.reason == QLatin1String("more than 16 MiB"))
        return TemplateImporter::Refusal::folderTooLarge;
    if (refusal.reason == QLatin1String("no such folder"))
        return TemplateImporter::Refusal::missing;
    return TemplateImporter::Refusal::unreadable;
}

} // namespace

QList<TemplateImporter::Outcome> TemplateImporter::add(const QList<Candidate>& candidates)
{
    if (candidates.isEmpty())
        return {};
    const FolderTemplateTree trees;
    QList<std::variant<FileTemplate, Outcome>> made;
    for (const Candidate& candidate : candidates) {
        const QString fileName = QFileInfo(candidate.path).fileName();
        if (!candidate.isFolder) {
            const auto [name, extension] = nameAndExtension(fileName);
            made.append(FileTemplate{QUuid::createUuid(), freeName(name), extension, candidate.text, false});
        } else {
            // The tree is stored first: a record is never without its tree.
            const QString folderName = fileName.isEmpty() ? candidate.path : fileName;
            FileTemplate folder{QUuid::createUuid(), freeName(folderName), QString(), QString(), false};
            folder.isFolder = true;
            // New folders are named as the one it was made from, not "Web Project 2 2" for a second copy.
            if (folder.name != folderName)
                folder.baseName = folderName;
            const auto stored = trees.importFolder(candidate.path, folder.id);
            if (const auto* refusal = std::get_if<FolderTemplateTree::Refusal>(&stored)) {
                logRefusal(candidate.path, refusalFor(*refusal), refusal->items);
                made.append(Outcome{candidate.path, refusalFor(*refusal), refusal->items});
                continue;
            }
            made.append(folder);
        }
        m_store.customTemplates().append(std::get<FileTemplate>(made.constLast())); // the next name is free of it
    }
    const bool anyMade = std::any_of(made.begin(), made.end(), [](const auto& m) { return m.index() == 0; });
    const SettingsDomain::WriteResult saved = anyMade ? m_store.save() : SettingsDomain::WriteResult{};
    QList<Outcome> outcomes;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates.at(i);
        if (const auto* refused = std::get_if<Outcome>(&made.at(i))) {
            outcomes.append(*refused);
        } else if (const FileTemplate& added = std::get<FileTemplate>(made.at(i)); saved) {
            Log::line(QStringLiteral("[QNT] import: added %1 from %2").arg(added.name, candidate.path) +
                      (candidate.notes.isEmpty()
                           ? QString()
                           : QStringLiteral(" (links left out: %1)").arg(candidate.notes.join(QStringLiteral(", ")))));
            outcomes.append({candidate.path, added, candidate.notes});
        } else {
            const Refusal refusal =
                saved.failure == SettingsDomain::WriteResult::Failure::tooLarge ? Refusal::noRoom : Refusal::notSaved;
            if (added.isFolder)
                trees.remove(added.id);
            logRefusal(candidate.path, refusal);
            outcomes.append({candidate.path, refusal});
        }
    }
    return outcomes;
}

void TemplateImporter::logRefusal(const QString& path, Refusal refusal, const QStringList& items)
{
    const QString line = QStringLiteral("[QNT] import refused: %1: %2").arg(path, QString::fromUtf8(reason(refusal)));
    Log::line(items.isEmpty() ? line : line + QStringLiteral(": ") + items.join(QStringLiteral("; ")));
}

const char* TemplateImporter::reason(Refusal refusal)
{
    switch (refusal) {
    case Refusal::missing:
        return QT_TRANSLATE_NOOP("TemplateImporter", "no such file");
    case Refusal::unreadable:
        return QT_TRANSLATE_NOOP("TemplateImporter", "cannot be read");
    case Refusal::notRegularFile:
        return QT_TRANSLATE_NOOP("TemplateImporter", "not a regular file");
    case Refusal::tooLarge:
        return QT_TRANSLATE_NOOP("TemplateImporter", "larger than 1 MiB");
    case Refusal::notText:
        return QT_TRANSLATE_NOOP("TemplateImporter", "not UTF-8 text");
    case Refusal::systemFile:
        return QT_TRANSLATE_NOOP("TemplateImporter", "a file of the system, not a document");
    case Refusal::declined:
        return QT_TRANSLATE_NOOP("TemplateImporter", "not confirmed");
    case Refusal::noDisplay:
        return QT_TRANSLATE_NOOP("TemplateImporter", "needs your confirmation, and there is no display to ask on");
    case Refusal::noRoom:
        return QT_TRANSLATE_NOOP("TemplateImporter", "no room left in Quintara’s settings");
    case Refusal::notSaved:
        return QT_TRANSLATE_NOOP("TemplateImporter", "Quintara’s settings could not be saved");
    case Refusal::unfitItems:
        return QT_TRANSLATE_NOOP("TemplateImporter", "holds items a template cannot");
    case Refusal::tooManyItems:
        return QT_TRANSLATE_NOOP("TemplateImporter", "more than 1,000 items");
    case Refusal::folderTooLarge:
        return QT_TRANSLATE_NOOP("TemplateImporter", "more than 16 MiB in all");
    }
    return "";
}

std::pair<QString, QString> TemplateImporter::nameAndExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString name = HorizontalSpace::trimmed(dot < 0 ? fileName : fileName.left(dot));
    if (dot < 0 || name.isEmpty()) // no extension, or nothing but one (".profile")
        return {name.isEmpty() ? fileName : name, QString()};
    return {name, FileTemplate::cleanedExtension(fileName.mid(dot + 1))};
}

std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal> TemplateImporter::examine(const QString& path,
                                                                                               QStringList* notes)
{
    if (LocalPath::kind(path) == LocalPath::Kind::folder) {
        bool ownerOnly = false;
        const std::optional<RegularFile::Failure> failure = RegularFile::checkFolder(path, &ownerOnly);
        Refusal refusal = failure ? refusalFor(*failure) : Refusal::unreadable;
        if (!failure) {
            const auto checked = FolderTemplateTree().check(path);
            if (const auto* tree = std::get_if<FolderReader::Tree>(&checked)) {
                // A secret anywhere in the tree is asked about, as a secret file of its own would be.
                ownerOnly = ownerOnly || std::any_of(tree->entries.begin(), tree->entries.end(),
                                                     [](const FolderEntry& e) { return e.ownerOnly; });
                qint64 size = 0;
                for (const FolderEntry& entry : tree->entries)
                    size += entry.bytes.size();
                return Candidate{path, QString(), ownerOnly, true, tree->skippedLinks, tree->entries.size(), size};
            }
            const auto& folderRefusal = std::get<FolderTemplateTree::Refusal>(checked);
            refusal = refusalFor(folderRefusal);
            if (notes)
                *notes = folderRefusal.items;
            logRefusal(path, refusal, folderRefusal.items);
            return refusal;
        }
        logRefusal(path, refusal);
        return refusal;
    }
    bool ownerOnly = false;
    const std::variant<QByteArray, RegularFile::Failure> read = RegularFile::read(path, maximumSize, &ownerOnly);
    Refusal refusal = Refusal::notText;
    if (const auto* failure = std::get_if<RegularFile::Failure>(&read)) {
        refusal = refusalFor(*failure);
    } else if (const QByteArray& bytes = std::get<QByteArray>(read); !bytes.contains('\0') && bytes.isValidUtf8()) {
        return Candidate{path, QString::fromUtf8(bytes), ownerOnly, false, {}, 0, bytes.size()};
    }
    logRefusal(path, refusal);
    return refusal;
}

QString TemplateImporter::freeName(const QString& name) const
{
    QSet<QString> taken;
    for (const QList<FileTemplate>* list : {&builtInTemplates(), &std::as_const(m_store).customTemplates()}) {
        for (const FileTemplate& t : *list)
            taken.insert(t.name);
    }
    QString candidate = name;
    for (int number = 2; taken.contains(candidate); ++number)
        candidate = name + QLatin1Char(' ') + QString::number(number);
    return candidate;
}
