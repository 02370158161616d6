#pragma once

#include <QWidget>

// The application icon at a fixed size, painted rather than set as a pixmap, so it is drawn at the
// density of whichever screen shows it and stays sharp.
class ApplicationIconView final : public QWidget {
public:
    explicit ApplicationIconView(int size, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_size;
};
