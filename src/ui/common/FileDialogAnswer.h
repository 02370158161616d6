#pragma once

#include <QFileDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <utility>

// Opens `dialog` non-modally and calls `answer` exactly once: with the files chosen when the dialog
// is confirmed, and with none when it is cancelled, closed, or goes with its parent before any of
// these.
inline void openForOneAnswer(QFileDialog* dialog, std::function<void(const QStringList& chosen)> answer)
{
    auto once = std::make_shared<std::function<void(const QStringList&)>>(std::move(answer));
    const auto reply = [once](const QStringList& chosen) {
        if (*once)
            std::exchange(*once, {})(chosen);
    };
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, reply](int result) {
        reply(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
    });
    QObject::connect(dialog, &QObject::destroyed, [reply] { reply({}); });
    dialog->open();
}
