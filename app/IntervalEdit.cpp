#include "IntervalEdit.h"

#include "RegionalNumbers.h"
#include "mz/Text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <utility>

namespace mz {

namespace {

bool IsAcceptedCharacter(QChar c) {
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-';
}

// Keys that type a printable character, as opposed to control keys and shortcuts.
bool TypesCharacter(const QKeyEvent& event) {
    if (event.text().isEmpty() ||
        (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        return false;
    }
    const QChar c = event.text().front();
    return c.unicode() >= 0x20 && c.unicode() != 0x7F;
}

} // namespace

TIntervalEdit::TIntervalEdit(QWidget* parent)
    : QAbstractSpinBox(parent), beep_([] { QApplication::beep(); }) {
    SetValue(MinInterval);
}

std::int32_t TIntervalEdit::Value() const {
    return ReadIntervalText(Utf8ToCp1252(text().toStdString()), CurrentNumberSeparators());
}

void TIntervalEdit::SetValue(std::int32_t value) {
    lineEdit()->setText(QString::fromStdString(IntervalText(value)));
}

void TIntervalEdit::SetBeeper(std::function<void()> beep) {
    beep_ = std::move(beep);
}

void TIntervalEdit::stepBy(int steps) {
    // One unit per step, each reading the field anew, as a click on a stepper button does.
    const int direction = steps > 0 ? 1 : -1;
    for (int i = 0; i != steps; i += direction) {
        const std::int64_t next = std::int64_t{Value()} + direction;
        SetValue(
            static_cast<std::int32_t>(std::clamp<std::int64_t>(next, MinInterval, MaxInterval)));
    }
}

QValidator::State TIntervalEdit::validate(QString& /*input*/, int& /*pos*/) const {
    return QValidator::Acceptable;
}

void TIntervalEdit::fixup(QString& /*input*/) const {}

QAbstractSpinBox::StepEnabled TIntervalEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

void TIntervalEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    if (TypesCharacter(*event) && !IsAcceptedCharacter(event->text().front())) {
        beep_();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

} // namespace mz
