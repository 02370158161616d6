#pragma once

#include <QWidget>

class QLayout;
class QVBoxLayout;

// One panel of a grouped form: a rounded panel, a shade apart from the window, whose rows are
// divided by hairlines inset from its edges.
class FormGroup final : public QWidget {
public:
    explicit FormGroup(QWidget* parent = nullptr);

    // Adds `content` as the next row, with the panel's padding around it.
    void addRow(QLayout* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QColor lineColour(const QPalette& palette);

    QVBoxLayout* m_rows;
};
