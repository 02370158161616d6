#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A symbol image in a square of its own, drawn at the density of the screen that shows it. It is
// tinted in the secondary text colour of its palette unless given a colour of its own.
class SymbolView final : public QWidget {
public:
    SymbolView(const QString& symbol, int size, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    void setColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_colour;
};
