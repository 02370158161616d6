#include "ui/common/FolderPicker.h"

#include <QFileDialog>

void DialogFolderPicker::pickFolder(const Request& request, QWidget* parent, Completion done)
{
    auto* dialog = new QFileDialog(parent, QString(), request.startFolder);
    dialog->setObjectName(QStringLiteral("folderPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->setLabelText(QFileDialog::LookIn, request.message);
    dialog->setWindowTitle(request.title);
    // Exactly one answer per request, whether the user confirms, cancels or closes the dialog.
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        if (std::exchange(*answered, true))
            return;
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            done(chosen.first());
        else
            done(std::nullopt);
    });
    dialog->open();
}
