#include "creation/RequestServing.h"

#include "creation/CreateRequest.h"
#include "creation/FolderCreationService.h"
#include "creation/ImportRequest.h"
#include "platform/Log.h"
#include "platform/SecurityScope.h"
#include "platform/SettingsDomain.h"
#include "platform/Workspace.h"
#include "store/TemplateStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>

namespace RequestServing {

std::variant<FileTemplate, QString> templateAt(TemplateStore& store, qsizetype index)
{
    const QList<FileTemplate> templates = store.enabledTemplates();
    if (index < 0 || index >= templates.size())
        return QStringLiteral("there is no enabled template at position %1").arg(index);
    return templates.at(index);
}

FileCreationService::Result create(const Services& services, const FileTemplate& chosen, const QUrl& target,
                                   const QString& grantedPath, const std::optional<QString>& fileName,
                                   const QString& fileManager)
{
    const bool accessing = services.scope.startAccessing(grantedPath);
    const auto stop = qScopeGuard([&] {
        if (accessing)
            services.scope.stopAccessing(grantedPath);
    });
    const FolderCreationService folders(services.engine);
    const FileCreationService::Result result =
        chosen.isFolder
            ? (fileName ? folders.createNamedFolder(chosen, target, *fileName) : folders.createFolder(chosen, target))
            : (fileName ? services.engine.createNamedFile(chosen, target, *fileName)
                        : services.engine.createFile(chosen, target));
    if (const auto* error = std::get_if<FileCreationError>(&result)) {
        // A name the person chose that is taken or unusable is answered in the naming window.
        const auto errorCase = error->errorCase();
        if (errorCase != FileCreationError::Case::nameTaken && errorCase != FileCreationError::Case::invalidName)
            Log::line(QStringLiteral("[QNT] processCreateURL error: %1").arg(error->errorDescription()));
    } else {
        const QString created = std::get<QUrl>(result).toLocalFile();
        Log::line(QStringLiteral("[QNT] processCreateURL: created %1").arg(created));
        services.reveal.revealFile(created, fileManager);
    }
    return result;
}

QString importFailure(const QString& path, TemplateImporter::Refusal refusal, const QStringList& notes)
{
    const QString failure = path + QStringLiteral(": ") + QString::fromUtf8(TemplateImporter::reason(refusal));
    return notes.isEmpty() ? failure : failure + QStringLiteral(": ") + notes.join(QStringLiteral("; "));
}

Notice importNotice(const TemplateImporter::Outcome& outcome)
{
    const QString file = QFileInfo(outcome.path).fileName();
    const QString notes = outcome.notes.join(QStringLiteral("; "));
    if (const auto* made = std::get_if<FileTemplate>(&outcome.result)) {
        QString body =
            QCoreApplication::translate("RequestServing", "“%1” is now the template “%2”.").arg(file, made->name);
        if (!notes.isEmpty())
            body += QLatin1Char('\n') + QCoreApplication::translate("RequestServing", "Links left out: %1").arg(notes);
        return {QCoreApplication::translate("RequestServing", "Template added"), body};
    }
    const auto refusal = std::get<TemplateImporter::Refusal>(outcome.result);
    const QString reason = QCoreApplication::translate("TemplateImporter", TemplateImporter::reason(refusal));
    return {QCoreApplication::translate("RequestServing", "Not added as a template"),
            file + QStringLiteral(": ") + reason + (notes.isEmpty() ? QString() : QStringLiteral(": ") + notes)};
}

Notice notGrantedNotice()
{
    return {QCoreApplication::translate("RequestServing", "No file was created"),
            QCoreApplication::translate("RequestServing", "Quintara may not write anywhere yet. Grant it your home "
                                                          "folder in the welcome window, then try again.")};
}

std::optional<QStringList> serveWithoutWindow(const Services& services, const QStringList& urls,
                                              const QList<bool>& direct)
{
    // Everything is checked before anything is done, so that a launch that needs the program after
    // all hands it every request untouched.
    const SettingsReadScope oneRead;
    using Examined = std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal>;
    struct Import {
        QString path;
        Examined examined;
        QStringList notes; // a refused folder's items at fault
    };
    QList<std::variant<CreateRequest, Import>> requests;
    bool needsGrant = false;
    if (urls.isEmpty()) // a reopen: the welcome window
        return std::nullopt;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        if (const std::optional<CreateRequest> create = CreateRequest::parse(urls.at(i))) {
            if (services.store.asksForFileName())
                return std::nullopt;
            // A stale index fails as the program would fail it, and needs no grant.
            needsGrant = needsGrant || std::holds_alternative<FileTemplate>(templateAt(services.store, create->index));
            requests.append(*create);
        } else if (const std::optional<ImportRequest> import = ImportRequest::parse(urls.at(i));
                   import && direct.value(i, false)) {
            QStringList notes;
            Examined examined = TemplateImporter::examine(import->filePath, &notes);
            const auto* candidate = std::get_if<TemplateImporter::Candidate>(&examined);
            if (candidate && candidate->ownerOnly)
                return std::nullopt;
            requests.append(Import{import->filePath, std::move(examined), notes});
        } else {
            return std::nullopt;
        }
    }
    // The welcome window is the program's to show, and it logs why.
    const std::optional<QUrl> granted =
        needsGrant ? services.store.resolveHomeFolderURL(/*logFailure=*/false) : std::optional<QUrl>(QUrl());
    if (!granted)
        return std::nullopt;
    QStringList failures;
    for (const auto& request : requests) {
        if (const auto* create = std::get_if<CreateRequest>(&request)) {
            const std::variant<FileTemplate, QString> chosen = templateAt(services.store, create->index);
            if (const auto* reason = std::get_if<QString>(&chosen)) {
                failures.append(*reason);
                continue;
            }
            const FileCreationService::Result result = RequestServing::create(
                services, std::get<FileTemplate>(chosen), QUrl::fromLocalFile(create->directoryPath),
                granted->toLocalFile(), std::nullopt, create->fileManager);
            if (const auto* error = std::get_if<FileCreationError>(&result))
                failures.append(error->errorDescription());
            continue;
        }
        const auto& [path, examined, notes] = std::get<Import>(request);
        const TemplateImporter::Outcome outcome =
            std::get_if<TemplateImporter::Refusal>(&examined)
                ? TemplateImporter::Outcome{path, std::get<TemplateImporter::Refusal>(examined), notes}
                : TemplateImporter(services.store).add({std::get<TemplateImporter::Candidate>(examined)}).constFirst();
        if (const auto* refusal = std::get_if<TemplateImporter::Refusal>(&outcome.result))
            failures.append(importFailure(path, *refusal, outcome.notes));
        if (services.notify) {
            const Notice notice = importNotice(outcome);
            services.notify(notice.summary, notice.body);
        }
    }
    return failures;
}

} // namespace RequestServing
