#include "ui/common/DialogFolderPicker.h"

#include "ui/common/FileDialogAnswer.h"

#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace {

// Qt's own dialog has no place for a message; it gets one as a wrapped line above the folder
// view, across the whole dialog. Every row of the grid moves down one to make room.
void addMessageRow(QFileDialog* dialog, const QString& message)
{
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    if (!grid || message.isEmpty() || dialog->findChild<QLabel*>(QStringLiteral("pickerMessage")))
        return;
    struct Placed {
        QLayoutItem* item;
        int row, column, rowSpan, columnSpan;
    };
    QList<Placed> placed;
    for (int i = grid->count() - 1; i >= 0; --i) {
        Placed cell{};
        grid->getItemPosition(i, &cell.row, &cell.column, &cell.rowSpan, &cell.columnSpan);
        cell.item = grid->takeAt(i);
        placed.append(cell);
    }
    for (const Placed& cell : std::as_const(placed))
        grid->addItem(cell.item, cell.row + 1, cell.column, cell.rowSpan, cell.columnSpan);
    auto* label = new QLabel(message, dialog);
    label->setObjectName(QStringLiteral("pickerMessage"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setContentsMargins(0, 0, 0, 6);
    grid->addWidget(label, 0, 0, 1, qMax(1, grid->columnCount()));
}

// The dialog builds its own widgets only when no native dialog takes its place, and only on the
// way to the screen: the message row is added then, before the dialog is sized.
class MessageRowAdder final : public QObject {
public:
    MessageRowAdder(QFileDialog* dialog, QString message) : QObject(dialog), m_message(std::move(message)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish || event->type() == QEvent::Show)
            addMessageRow(static_cast<QFileDialog*>(watched), m_message);
        return false;
    }

private:
    QString m_message;
};

} // namespace

void DialogFolderPicker::pickFolder(const Request& request, QWidget* parent, Completion done)
{
    auto* dialog = new QFileDialog(parent, request.title, request.startFolder);
    dialog->setObjectName(QStringLiteral("folderPicker"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    dialog->installEventFilter(new MessageRowAdder(dialog, request.message));
    openForOneAnswer(dialog, [done = std::move(done)](const QStringList& chosen) {
        done(chosen.isEmpty() ? std::nullopt : std::optional(chosen.first()));
    });
}
