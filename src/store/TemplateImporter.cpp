#include "store/TemplateImporter.h"

#include "model/BuiltInTemplates.h"
#include "model/HorizontalSpace.h"
#include "platform/Log.h"
#include "platform/RegularFile.h"
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

} // namespace

QList<TemplateImporter::Outcome> TemplateImporter::add(const QList<Candidate>& candidates)
{
    if (candidates.isEmpty())
        return {};
    QList<FileTemplate> made;
    for (const Candidate& candidate : candidates) {
        const auto [name, extension] = nameAndExtension(QFileInfo(candidate.path).fileName());
        made.append({QUuid::createUuid(), freeName(name), extension, candidate.text, false});
        m_store.customTemplates().append(made.constLast()); // so that the next name is free of this one too
    }
    const SettingsDomain::WriteResult saved = m_store.save();
    QList<Outcome> outcomes;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString& path = candidates.at(i).path;
        if (saved) {
            Log::line(QStringLiteral("[QNT] import: added %1 from %2").arg(made.at(i).name, path));
            outcomes.append({path, made.at(i)});
        } else {
            const Refusal refusal =
                saved.failure == SettingsDomain::WriteResult::Failure::tooLarge ? Refusal::noRoom : Refusal::notSaved;
            logRefusal(path, refusal);
            outcomes.append({path, refusal});
        }
    }
    return outcomes;
}

void TemplateImporter::logRefusal(const QString& path, Refusal refusal)
{
    Log::line(QStringLiteral("[QNT] import refused: %1: %2").arg(path, QString::fromUtf8(reason(refusal))));
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

std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal> TemplateImporter::examine(const QString& path)
{
    bool ownerOnly = false;
    const std::variant<QByteArray, RegularFile::Failure> read = RegularFile::read(path, maximumSize, &ownerOnly);
    Refusal refusal = Refusal::notText;
    if (const auto* failure = std::get_if<RegularFile::Failure>(&read)) {
        refusal = refusalFor(*failure);
    } else if (const QByteArray& bytes = std::get<QByteArray>(read); !bytes.contains('\0') && bytes.isValidUtf8()) {
        return Candidate{path, QString::fromUtf8(bytes), ownerOnly};
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
