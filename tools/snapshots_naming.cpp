// The window that asks for a new file's name, as it opens and after a name that is taken.
#include "SnapshotScene.h"
#include "ui/naming/NewFileNameDialog.h"

#include <QPushButton>

namespace {

std::unique_ptr<QWidget> naming(Scene&)
{
    return std::make_unique<NewFileNameDialog>(QStringLiteral("Text File"), QStringLiteral("Untitled 2.txt"), 4,
                                               [](const QString&) { return NewFileNameDialog::Outcome::taken; });
}

const RegisterSnapshots registered({
    {QStringLiteral("naming"), naming},
    {QStringLiteral("naming-taken"), naming,
     [](QWidget& window) {
         window.findChild<QPushButton*>(QStringLiteral("createButton"))->click();
     }},
});

} // namespace
