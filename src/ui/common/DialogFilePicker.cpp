#include "ui/common/DialogFilePicker.h"

#include "ui/common/FileDialogAnswer.h"

#include <QFileDialog>

void DialogFilePicker::pickFiles(const Request& request, QWidget* parent, Completion done)
{
    auto* dialog = new QFileDialog(parent, request.title, request.startFolder);
    dialog->setObjectName(QStringLiteral("filePicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    openForOneAnswer(dialog, std::move(done));
}
