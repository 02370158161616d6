#include "ui/templates/TemplateImporter.h"

#include "model/BuiltInTemplates.h"
#include "platform/Log.h"
#include "platform/RegularFile.h"
#include "store/TemplateStore.h"
#include "ui/common/HorizontalSpace.h"
#include "ui/templates/TemplateEditorView.h"

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
    case RegularFile::Failure::unreadable:
        break;
    }
    return TemplateImporter::Refusal::unreadable;
}

} // namespace

QList<TemplateImporter::Outcome> TemplateImporter::importFiles(const QStringList& paths)
{
    QList<Outcome> outcomes;
    bool added = false;
    for (const QString& path : paths) {
        Outcome outcome{path, templateFrom(path)};
        if (auto* made = std::get_if<FileTemplate>(&outcome.result)) {
            made->name = freeName(made->name);
            m_store.customTemplates().append(*made);
            added = true;
            Log::line(QStringLiteral("[QNT] import: added %1 from %2").arg(made->name, path));
        } else {
            Log::line(QStringLiteral("[QNT] import refused: %1: %2")
                          .arg(path, QLatin1String(reason(std::get<Refusal>(outcome.result)))));
        }
        outcomes.append(std::move(outcome));
    }
    if (added)
        m_store.save();
    return outcomes;
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
    }
    return "";
}

std::pair<QString, QString> TemplateImporter::nameAndExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString name = HorizontalSpace::trimmed(dot < 0 ? fileName : fileName.left(dot));
    if (dot < 0 || name.isEmpty()) // no extension, or nothing but one (".profile")
        return {name.isEmpty() ? fileName : name, QString()};
    return {name, TemplateEditorView::cleanedExtension(fileName.mid(dot + 1))};
}

std::variant<FileTemplate, TemplateImporter::Refusal> TemplateImporter::templateFrom(const QString& path) const
{
    const std::variant<QByteArray, RegularFile::Failure> read = RegularFile::read(path, maximumSize);
    if (const auto* failure = std::get_if<RegularFile::Failure>(&read))
        return refusalFor(*failure);
    const QByteArray& bytes = std::get<QByteArray>(read);
    if (bytes.contains('\0') || !bytes.isValidUtf8())
        return Refusal::notText;
    const auto [name, extension] = nameAndExtension(QFileInfo(path).fileName());
    return FileTemplate{QUuid::createUuid(), name, extension, QString::fromUtf8(bytes), false};
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
