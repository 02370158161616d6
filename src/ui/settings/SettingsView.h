#pragma once

#include <QTabWidget>
#include <QVariantMap>

class Clock;
class FilePicker;
class FolderPicker;
class IntegrationProbe;
class TemplateManager;
class UserAccount;
class Workspace;

// The Settings window's content: the Templates, General and About tabs, in that order, in a
// content area of a fixed 620 × 460. It starts on Templates.
class SettingsView : public QTabWidget {
    Q_OBJECT

public:
    enum Tab { TemplatesTab = 0, GeneralTab = 1, AboutTab = 2 };

    SettingsView(TemplateManager& manager, FolderPicker& picker, FilePicker& filePicker, Workspace& workspace,
                 IntegrationProbe& integration, const UserAccount& account, const Clock& clock,
                 const QVariantMap& bundleInfo, QWidget* parent = nullptr);
};
