#pragma once

#include "creation/FileCreationService.h"
#include "store/TemplateImporter.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

class FileReveal;
class SecurityScope;

// Serving a create request, shared by the running program and by a launch that needs no window.
namespace RequestServing {

struct Services {
    TemplateStore& store;
    const FileCreationService& engine;
    SecurityScope& scope;
    FileReveal& reveal;
    // Tells the user what became of an import made with no window open; may be empty.
    std::function<void(const QString& summary, const QString& body)> notify = {};
};

// The enabled template at a request's position, or why there is none.
std::variant<FileTemplate, QString> templateAt(TemplateStore& store, qsizetype index);

// Creates the file with access to the granted folder held only meanwhile; logs what it made and shows it
// in the file manager named (see FileReveal).
FileCreationService::Result create(const Services& services, const FileTemplate& chosen, const QUrl& target,
                                   const QString& grantedPath, const std::optional<QString>& fileName,
                                   const QString& fileManager);

// Why an import of the file at `path` was refused, as a request's failure.
QString importFailure(const QString& path, TemplateImporter::Refusal refusal, const QStringList& notes = {});

// What a notification says, in the user's language: the summary, then the body.
struct Notice {
    QString summary;
    QString body;
};
// What became of an import: the template made, or why the file was refused.
Notice importNotice(const TemplateImporter::Outcome& outcome);
// A create request that made nothing because no folder is granted yet.
Notice notGrantedNotice();

// Serves every URL, in order, without any window, and says why each one that failed did; nothing, and
// nothing done, when one of them needs the program's windows: a URL that is no request, a create with
// no folder granted yet (the welcome window) or while the user wants to name each file, an import by a
// link or of a file only its owner may read (both asked about first). `direct` is per URL as in
// InstanceChannel::Message.
std::optional<QStringList> serveWithoutWindow(const Services& services, const QStringList& urls,
                                              const QList<bool>& direct);

} // namespace RequestServing
