#include "ui/settings/SettingsView.h"

#include "ui/common/Style.h"
#include "ui/common/Symbols.h"
#include "ui/settings/AboutView.h"
#include "ui/settings/GeneralSettingsView.h"
#include "ui/templates/TemplatesView.h"

#include <QAction>

SettingsView::SettingsView(TemplateManager& manager, FolderPicker& picker, FilePicker& filePicker, Workspace& workspace,
                           IntegrationProbe& integration, const UserAccount& account, const Clock& clock,
                           const QVariantMap& bundleInfo, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("settingsView"));
    setDocumentMode(true);
    addTab(new TemplatesView(manager, filePicker, workspace), tr("Templates"));
    addTab(new GeneralSettingsView(manager, picker, workspace, integration, account), tr("General"));
    addTab(new AboutView(bundleInfo, clock, workspace), tr("About"));
    Style::follow(this, [](QWidget& target) {
        auto& tabs = static_cast<QTabWidget&>(target);
        const QColor colour = tabs.palette().color(QPalette::WindowText);
        const char* symbols[] = {"doc.on.doc.fill", "gearshape.fill", "info.circle.fill"};
        for (int i = 0; i < tabs.count(); ++i)
            tabs.setTabIcon(i, Symbols::icon(QString::fromLatin1(symbols[i]), colour));
    });
    // The content area, not the whole widget, is 620 × 460 whichever tab is shown.
    for (int i = 0; i < count(); ++i)
        widget(i)->setFixedSize(620, 460);
    setCurrentIndex(TemplatesTab);
    // The desktops' keys for the next and the previous tab, wherever the focus is in the window.
    for (const auto& [key, step] : {std::pair(Qt::Key_PageDown, 1), std::pair(Qt::Key_PageUp, -1)}) {
        auto* turn = new QAction(this);
        turn->setShortcut(QKeySequence(Qt::CTRL | key));
        turn->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(turn, &QAction::triggered, this,
                [this, step] { setCurrentIndex((currentIndex() + step + count()) % count()); });
        addAction(turn);
    }
}
