#include "ui/common/WindowKeys.h"

#include <QAction>
#include <QKeySequence>
#include <QWidget>

namespace WindowKeys {

void closeWithKeys(QWidget* window, bool escape)
{
    auto* close = new QAction(window);
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
        keys.append(QKeySequence(Qt::CTRL | Qt::Key_W));
    if (escape)
        keys.append(QKeySequence(Qt::Key_Escape));
    close->setShortcuts(keys);
    close->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    window->addAction(close);
}

} // namespace WindowKeys
