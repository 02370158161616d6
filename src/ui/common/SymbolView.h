#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

// A symbol image in a square of its own, drawn at the density of the screen that shows it. It is
// tinted in the secondary text colour of its palette unless given a colour of its own.
class SymbolView final : public QWidget {
public:
    SymbolView(const QString& symbol, int size, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    // The tint, derived from the view's palette at paint time, so that it follows a change of palette.
    void setColour(std::function<QColor(const QPalette&)> colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    std::function<QColor(const QPalette&)> m_colour;
};
