#include "creation/RequestServing.h"

#include "creation/CreateRequest.h"
#include "platform/Log.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"
#include "store/TemplateStore.h"

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
    const FileCreationService::Result result = fileName ? services.engine.createNamedFile(chosen, target, *fileName)
                                                        : services.engine.createFile(chosen, target);
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

std::optional<QStringList> serveWithoutWindow(const Services& services, const QStringList& urls)
{
    QList<CreateRequest> requests;
    for (const QString& url : urls) {
        const std::optional<CreateRequest> request = CreateRequest::parse(url);
        if (!request)
            return std::nullopt;
        requests.append(*request);
    }
    if (requests.isEmpty() || services.store.asksForFileName())
        return std::nullopt;
    // Read once for all: the welcome window is the program's to show, and it logs why.
    std::optional<QUrl> granted;
    QStringList failures;
    for (const CreateRequest& request : requests) {
        // The index is checked before the grant, as the program does, so a stale index never needs a window.
        const std::variant<FileTemplate, QString> chosen = templateAt(services.store, request.index);
        if (const auto* reason = std::get_if<QString>(&chosen)) {
            failures.append(*reason);
            continue;
        }
        if (!granted && !(granted = services.store.resolveHomeFolderURL(/*logFailure=*/false)))
            return std::nullopt;
        const FileCreationService::Result result =
            create(services, std::get<FileTemplate>(chosen), QUrl::fromLocalFile(request.directoryPath),
                   granted->toLocalFile(), std::nullopt, request.fileManager);
        if (const auto* error = std::get_if<FileCreationError>(&result))
            failures.append(error->errorDescription());
    }
    return failures;
}

} // namespace RequestServing
