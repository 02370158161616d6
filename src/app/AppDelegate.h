#pragma once

#include "creation/FileCreationService.h"
#include "model/FileTemplate.h"
#include "store/TemplateImporter.h"
#include "ui/naming/NewFileNameDialog.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class Clock;
class FilePicker;
class FolderPicker;
class IntegrationProbe;
class SecurityScope;
class TemplateManager;
class TemplateStore;
class UserAccount;
class Workspace;

// The application's one delegate: it serves create and import requests, decides at start-up whether the
// welcome window is shown, owns that window for the whole run, and opens the Settings window.
// The program keeps running without windows so that it can serve requests.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    struct Services {
        TemplateStore& store;
        TemplateManager& manager;
        const FileCreationService& engine;
        SecurityScope& scope;
        Workspace& workspace;
        FolderPicker& picker;
        FilePicker& filePicker;
        const UserAccount& account;
        const Clock& clock;
        IntegrationProbe& integration;
    };

    explicit AppDelegate(Services services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Start-up, in this order: will-finish, then the URLs the program was started with, then did-finish.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    bool applicationShouldTerminateAfterLastWindowClosed() const { return false; }
    // A later launch without URLs; shows the welcome window when no window is visible.
    bool applicationShouldHandleReopen();

    // Why a request failed, in the log's English; nothing when it was served or waits for the user
    // (a name, a confirmation).
    using Failure = std::optional<QString>;
    // At most this many requests wait for a name, and as many for a confirmation; later ones fail.
    static constexpr qsizetype maximumWaiting = 16;

    // URLs handed over by a later launch, as written; only those of the quintara scheme are served.
    // The token is what the desktop gave that launch to bring a window to the front; `direct` says
    // per URL whether the user gave it by their own hand (missing entries: no, a link). Returns why
    // each one that failed did.
    QStringList openUrls(const QStringList& urls, const QString& activationToken = {}, const QList<bool>& direct = {});
    // A URL this instance was started with.
    Failure handleGetURLEvent(const QString& urlText, bool direct = false);
    // The request as written: the scheme is compared before a URL parser lowers it. When the store
    // says to ask for a name, the file is created from the naming window; requests that come while
    // it is open wait their turn, in order.
    Failure processCreateURL(const QString& url, const QString& activationToken = {});
    // Makes a custom template of the file an import request names. One that came by a link, or a
    // file that only its owner may read, is first shown to the user to agree to, one at a time;
    // without a display it is refused. When the Settings window exists, the new template is selected
    // in it; a refusal is shown there while it is on screen.
    Failure processImportURL(const QString& url, bool direct = false);

    // All three return at once; the window opens on the next turn of the event loop. Each window
    // is built once per run; closing hides it, and the same window comes back.
    void showWelcomeWindow();
    void openSettingsWindow();
    // The Settings window, on its About tab.
    void showAbout();

    // Without a display the program still serves requests, on the offscreen platform; a window it
    // would show is then only logged.
    void setDisplayAvailable(bool available) { m_displayAvailable = available; }

    bool launchedForURL() const { return m_launchedForURL; }
    QWidget* welcomeWindow() const { return m_welcomeWindow; }
    QWidget* settingsWindow() const { return m_settingsWindow; }
    NewFileNameDialog* namingWindow() const { return m_namingWindow; }
    QDialog* consentWindow() const { return m_consentWindow; }

private:
    // A request that passed every check, waiting for its name.
    struct NamingRequest {
        FileTemplate chosen;
        QUrl target;
        QString grantedPath;
        QString activationToken;
        QString fileManager;
    };
    // Creates under the free name (no name given) or the one given; nothing but logging on failure.
    FileCreationService::Result create(const NamingRequest& request, const std::optional<QString>& fileName);
    void askNextName();
    // Stores what the import made, or shows why not where the user can see it.
    void finishImport(const QList<TemplateImporter::Outcome>& outcomes);
    void askNextConsent();

    // An import request, or else a create request.
    Failure serve(const QString& url, const QString& activationToken, bool direct);
    void buildWelcomeWindow();
    void buildSettingsWindow();
    // The Settings window, on the tab given, whichever tab it was left on.
    void showSettingsTab(int tab);
    void present(QWidget* window);

    Services m_services;
    bool m_acceptsGetURLEvents = false;
    bool m_launchedForURL = false;
    bool m_displayAvailable = true;
    QWidget* m_windowWithoutDisplay = nullptr; // the last one logged as not shown
    QPointer<QWidget> m_welcomeWindow;
    QPointer<QWidget> m_settingsWindow;
    QList<NamingRequest> m_waitingForName; // the first one's window is open
    QPointer<NewFileNameDialog> m_namingWindow;
    struct ConsentRequest {
        TemplateImporter::Candidate candidate;
        bool fromLink = false;
    };
    QList<ConsentRequest> m_waitingForConsent; // the first one's window is open
    QPointer<QDialog> m_consentWindow;
};
