#pragma once

#include "platform/FolderWriter.h"

class SecurityScope;

// Refuses, with PlatformError::permissionDenied, a folder whose real location lies outside every
// folder under access in the scope.
class ConfinedFolderWriter final : public FolderWriter {
public:
    // How the finished tree takes its name.
    enum class Claim {
        // An exclusive rename, which fails when the name is taken; where the file system has no such
        // rename, Placeholder.
        Exclusive,
        // An empty folder made under the name first, which only this writer may change, then
        // replaced by the tree: the rename can only ever replace an empty folder, never content. A
        // writer killed in between leaves that empty folder behind.
        Placeholder,
    };

    explicit ConfinedFolderWriter(const SecurityScope& scope, Claim claim = Claim::Exclusive);
    std::variant<QString, PlatformError> createNew(const QString& directory, const Names& names,
                                                   const QList<FolderEntry>& entries) override;

private:
    const SecurityScope& m_scope;
    Claim m_claim;
};
