#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>

#include <functional>
#include <utility>

// An edit field with spin buttons whose text and steps belong to the page logic: a step calls the
// handler, which sets the new text through the page's fields.
class StepEdit final : public QAbstractSpinBox {
public:
    explicit StepEdit(QWidget* parent = nullptr) : QAbstractSpinBox(parent) {
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setKeyboardTracking(true);
    }
    void SetStepHandler(std::function<void(int)> handler) { m_onStep = std::move(handler); }
    QLineEdit* Edit() const { return lineEdit(); }
    void stepBy(int steps) override {
        if (m_onStep) {
            m_onStep(steps);
        }
    }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    std::function<void(int)> m_onStep;
};
