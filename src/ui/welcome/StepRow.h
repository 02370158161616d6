#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;

// One numbered setup step: a round badge (the number, or a check mark once the step is done)
// beside a title, a description and, when the step has something to do, a small button.
class StepRow : public QWidget {
    Q_OBJECT

public:
    struct Step {
        int number = 0;
        // Drawn as done only when true; absent and false look alike.
        std::optional<bool> isComplete;
        QString title;
        QString description;
        // The button appears only when both its label and its action are present.
        std::optional<QString> actionLabel;
        std::function<void()> action;
    };

    explicit StepRow(Step step, QWidget* parent = nullptr);

    const Step& step() const { return m_step; }
    // Redraws the row for a step whose state changed.
    void setStep(Step step);
    // A widget of the step's own, below the description and above the button.
    void setContent(QWidget* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void runAction();

    Step m_step;
    QLabel* m_title;
    QLabel* m_description;
    QVBoxLayout* m_text;
    QWidget* m_buttonBar;
    QPushButton* m_button;
};
