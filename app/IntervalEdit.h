#pragma once

#include <QAbstractSpinBox>
#include <cstdint>
#include <functional>

namespace mz {

// The interval field: a text box with up and down buttons. What the user types or pastes stays
// as it is (never validated or corrected); only the steppers and values set by program bring the
// number into the interval's range.
class TIntervalEdit : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit TIntervalEdit(QWidget* parent = nullptr);

    // The number written in the field, unclamped; no number reads as the minimum.
    std::int32_t Value() const;
    // Clamped into the interval's range, plain decimal.
    void SetValue(std::int32_t value);
    // Sounded when a typed character is refused.
    void SetBeeper(std::function<void()> beep);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::function<void()> beep_;
};

} // namespace mz
