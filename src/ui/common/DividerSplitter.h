#pragma once

#include <QSplitter>

// A splitter whose handle is drawn as a one-pixel line, which the pointer can still grab a few
// pixels either side of.
class DividerSplitter final : public QSplitter {
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle* createHandle() override;
};
