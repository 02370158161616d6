#pragma once

#include <QtWidgets>

// Access keys (Alt+letter) that lead to more than one place in a window as it is shown now: its
// visible buttons, the labels that name a field, and the menus of its menu bar (and within each menu); `root`'s window
// and the windows it owns (an open dialog), each on its own. Each entry names the window, the key and the texts that
// share it.
inline QStringList sharedAccessKeys(const QWidget* root)
{
    QMultiMap<QString, QString> owners;
    const QWidget* window = nullptr;
    const auto take = [&owners, &window](const QString& text, const QString& within = {}) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            owners.insert(window->objectName() + within + ' ' + key.toString(), text);
    };
    for (const QWidget* widget : root->window()->findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        window = widget->window();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
            take(button->text());
        else if (const auto* label = qobject_cast<const QLabel*>(widget); label && label->buddy())
            take(label->text());
        else if (const auto* bar = qobject_cast<const QMenuBar*>(widget))
            for (const QAction* menu : bar->actions()) {
                take(menu->text());
                for (const QAction* item : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
                    take(item->text(), ' ' + menu->text()); // keys within the open menu
            }
    }
    QStringList shared;
    for (const QString& key : owners.uniqueKeys())
        if (owners.count(key) > 1)
            shared << key + ": " + QStringList(owners.values(key)).join(" | ");
    return shared;
}
