#pragma once

#include "creation/FileCreationService.h"

#include <QStringList>

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
};

// The enabled template at a request's position, or why there is none.
std::variant<FileTemplate, QString> templateAt(TemplateStore& store, qsizetype index);

// Creates the file with access to the granted folder held only meanwhile; logs what it made and shows it
// in the file manager named (see FileReveal).
FileCreationService::Result create(const Services& services, const FileTemplate& chosen, const QUrl& target,
                                   const QString& grantedPath, const std::optional<QString>& fileName,
                                   const QString& fileManager);

// Serves every URL as a create request, without any window, and says why each one failed; nothing when
// one of them needs the program's windows: a URL that is no create request, no folder granted yet (the
// welcome window), or the user's wish to name each file.
std::optional<QStringList> serveWithoutWindow(const Services& services, const QStringList& urls);

} // namespace RequestServing
