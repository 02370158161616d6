#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// The small window that asks for the name of a file about to be created from a template. The field
// starts with the name the file would get anyway, its part before the extension selected, so that
// typing replaces the name and keeps the extension. Create hands the typed text to the attempt; the
// window closes only when that created the file, and otherwise says why under the field. Cancel,
// Escape and the close button end it with nothing created.
class NewFileNameDialog : public QDialog {
    Q_OBJECT

public:
    enum class Outcome { created, taken, empty, notOneComponent, tooLong, failed };
    using Attempt = std::function<Outcome(const QString& typedName)>;

    // `extensionLength` counts the characters at the end of `suggestedName` that stay unselected.
    NewFileNameDialog(const QString& templateName, const QString& suggestedName, qsizetype extensionLength,
                      Attempt attempt, QWidget* parent = nullptr);

    // The message under the field; empty while there is none.
    QString message() const;
    // How many more requests wait for a name after this one; while any do, the window offers to
    // cancel them all along with this one.
    void setWaiting(qsizetype count);

Q_SIGNALS:
    // Cancel All was pressed; the window then ends as Cancel ends it.
    void cancelAllRequested();

private:
    void create();

    Attempt m_attempt;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_cancelAll = nullptr;
};
