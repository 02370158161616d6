#include "ui/settings/SettingsView.h"

#include "ui/common/Symbols.h"
#include "ui/settings/AboutView.h"
#include "ui/settings/GeneralSettingsView.h"
#include "ui/templates/TemplatesView.h"

SettingsView::SettingsView(TemplateManager& manager, FolderPicker& picker, FilePicker& filePicker, Workspace& workspace,
                           IntegrationProbe& integration, const UserAccount& account, const Clock& clock,
                           const QVariantMap& bundleInfo, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("settingsView"));
    setDocumentMode(true);
    const QColor symbolColour = palette().color(QPalette::WindowText);
    addTab(new TemplatesView(manager, filePicker), Symbols::icon(QStringLiteral("doc.on.doc.fill"), symbolColour),
           tr("Templates"));
    addTab(new GeneralSettingsView(manager, picker, workspace, integration, account),
           Symbols::icon(QStringLiteral("gearshape.fill"), symbolColour), tr("General"));
    addTab(new AboutView(bundleInfo, clock, workspace), Symbols::icon(QStringLiteral("info.circle.fill"), symbolColour),
           tr("About"));
    // The content area, not the whole widget, is 620 × 460 whichever tab is shown.
    for (int i = 0; i < count(); ++i)
        widget(i)->setFixedSize(620, 460);
    setCurrentIndex(TemplatesTab);
}
