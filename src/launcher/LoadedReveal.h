#pragma once

#include "platform/Workspace.h"

// FileManagerBus, reached through the program's reveal module, loaded on the first reveal. Without
// the module nothing is shown, and the log says why. A bus that takes the connection and never
// answers would hold the command for half a minute per file: each reveal gets a few seconds, and
// one that has not ended by then is left behind.
class LoadedReveal final : public FileReveal {
public:
    void revealFile(const QString& path, const QString& fileManager) override;
    // A desktop notification, through the same module and under the same bound.
    void notify(const QString& summary, const QString& body);
    // Whether a reveal was left behind: the process must then end without running destructors,
    // which that reveal may still be using.
    bool leftBehind() const { return m_leftBehind; }

private:
    bool m_leftBehind = false;
};
