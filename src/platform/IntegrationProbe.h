#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>

// The file managers Quintara adds its menu to, in the order the windows list them.
enum class FileManager { Files, Dolphin, Nemo, Caja, Thunar };

struct FileManagerState {
    FileManager fileManager = FileManager::Files;
    bool installed = false;
    // Its module (or, for Dolphin, the service menu) is where the file manager loads it from.
    bool integrated = false;

    friend bool operator==(const FileManagerState&, const FileManagerState&) = default;
};

struct IntegrationState {
    // Every supported file manager, installed or not.
    QList<FileManagerState> fileManagers;
    // The desktop hands quintara: links to Quintara.
    bool schemeReachesQuintara = false;

    friend bool operator==(const IntegrationState&, const IntegrationState&) = default;
};
Q_DECLARE_METATYPE(IntegrationState)

// How far Quintara is wired into the desktop: which file managers are installed and have its menu,
// and whether quintara: links reach it. Every answer comes asynchronously, so a window can ask
// whenever it comes on screen.
class IntegrationProbe : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts reading the state; stateRead follows on a later turn of the event loop. A read
    // started while another is under way supersedes it: only the newest read is reported.
    virtual void refresh() = 0;
    // Puts Dolphin's service menu in place, then reads the state again.
    virtual void addServiceMenu() = 0;
    // Makes Quintara this user's handler of quintara: links, then reads the state again.
    virtual void claimScheme() = 0;

Q_SIGNALS:
    void stateRead(const IntegrationState& state);
};
