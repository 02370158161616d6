// The window that asks for a new file's name, as it opens, after a name that is taken and with more
// waiting; and the one that asks before a link's file becomes a template.
#include "SnapshotScene.h"
#include "ui/naming/NewFileNameDialog.h"
#include "ui/templates/ImportConsentDialog.h"

#include <QPushButton>

namespace {

std::unique_ptr<QWidget> naming(Scene&)
{
    return std::make_unique<NewFileNameDialog>(QStringLiteral("Text File"), QStringLiteral("Untitled 2.txt"), 4,
                                               [](const QString&) { return NewFileNameDialog::Outcome::taken; });
}

std::unique_ptr<QWidget> consent(Scene&)
{
    return std::make_unique<ImportConsentDialog>(
        TemplateImporter::Candidate{
            QStringLiteral("/home/ada/.ssh/id_ed25519"), QString(411, QLatin1Char('k')), true, false, {}, 0, 411},
        ImportConsentDialog::Reason::link);
}

const RegisterSnapshots registered({
    {QStringLiteral("naming"), naming},
    {QStringLiteral("naming-more-waiting"), naming,
     [](QWidget& window) {
         static_cast<NewFileNameDialog&>(window).setWaiting(3);
     }},
    {QStringLiteral("import-consent"), consent},
    {QStringLiteral("naming-taken"), naming,
     [](QWidget& window) {
         window.findChild<QPushButton*>(QStringLiteral("createButton"))->click();
     }},
});

} // namespace
