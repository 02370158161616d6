#include "ui/common/DialogFilePicker.h"

#include <QFileDialog>

#include <memory>

void DialogFilePicker::pickFiles(const Request& request, QWidget* parent, Completion done)
{
    auto* dialog = new QFileDialog(parent, request.title, request.startFolder);
    dialog->setObjectName(QStringLiteral("filePicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    // One answer, also when the dialog goes with its parent before it is confirmed or cancelled.
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done, answered](int result) {
        *answered = true;
        done(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
    });
    QObject::connect(dialog, &QObject::destroyed, [done, answered] {
        if (!*answered)
            done({});
    });
    dialog->open();
}
