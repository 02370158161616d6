#include "ui/common/DividerSplitter.h"

#include <QPainter>

namespace {

class DividerHandle final : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), palette().color(QPalette::Mid));
    }
};

} // namespace

QSplitterHandle* DividerSplitter::createHandle()
{
    return new DividerHandle(orientation(), this);
}
