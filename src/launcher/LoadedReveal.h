#pragma once

#include "platform/Workspace.h"

// FileManagerBus, reached through the program's reveal module, loaded on the first reveal. Without
// the module nothing is shown, and the log says why.
class LoadedReveal final : public FileReveal {
public:
    void revealFile(const QString& path, const QString& fileManager) override;
};
