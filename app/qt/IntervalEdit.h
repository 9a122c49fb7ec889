#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <functional>

namespace mz {

class MonitorCore;

// The interval field: a text box with up and down buttons. What the user types or pastes stays
// as it is (never validated or corrected); the steppers, the arrow keys and the wheel move it
// by one, by the core's rules.
class TIntervalEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit TIntervalEdit(QWidget* parent = nullptr);

    // The rules to step and read by, and what sounds when a typed character is refused.
    void Attach(const MonitorCore& core, std::function<void()> beep);

    // The field's text as the core reads it (Windows-1252).
    std::string Text() const;
    void SetText(const std::string& text);
    // The number written in the field, unclamped; no number reads as the minimum.
    std::int32_t Value() const;

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const MonitorCore* core_ = nullptr;
    std::function<void()> beep_;
    int wheelRest_ = 0; // the wheel's turn not yet a whole notch
};

} // namespace mz
