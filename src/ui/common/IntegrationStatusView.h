#pragma once

#include "platform/IntegrationProbe.h"

#include <QList>
#include <QWidget>

#include <optional>

class QGridLayout;
class QLabel;
class QPushButton;
class SymbolView;

// Whether Quintara's menu is in each installed file manager and whether quintara: links reach it,
// one row each with a check or a warning and, where Quintara can fix it, a button that does. The
// probe is asked again whenever the view comes on screen or the application becomes active; the
// rows change when its answer arrives.
class IntegrationStatusView : public QWidget {
    Q_OBJECT

public:
    // `columns` file managers side by side; the row of links always takes the whole width.
    IntegrationStatusView(IntegrationProbe& probe, int columns, QWidget* parent = nullptr);

    // Some file manager is installed, every installed one has the menu, and links reach Quintara.
    bool isComplete() const;

Q_SIGNALS:
    void completeChanged(bool complete);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        QWidget* widget;
        SymbolView* mark;
        QLabel* name;
        QLabel* state;
        QPushButton* button;
    };
    Row makeRow(const QString& objectName, const QString& name, const QString& buttonText,
                void (IntegrationProbe::*fix)());
    void setRow(Row& row, bool done, const QString& doneText, const QString& missingText, bool buttonFixesIt);
    void showState(const IntegrationState& state);

    IntegrationProbe& m_probe;
    int m_columns;
    std::optional<IntegrationState> m_state;
    QGridLayout* m_grid;
    QLabel* m_message;
    QList<Row> m_fileManagerRows; // in the order of FileManager
    Row m_schemeRow;
};
