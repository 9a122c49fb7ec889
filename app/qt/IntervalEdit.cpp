#include "IntervalEdit.h"

#include "mz/Text.h"
#include "mz/monitor/MonitorCore.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <utility>

namespace mz {

namespace {

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

TIntervalEdit::TIntervalEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    SetText(IntervalText(MinInterval));
}

void TIntervalEdit::Attach(const MonitorCore& core, std::function<void()> beep) {
    core_ = &core;
    beep_ = std::move(beep);
}

std::string TIntervalEdit::Text() const {
    return Utf8ToCp1252(text().toStdString());
}

void TIntervalEdit::SetText(const std::string& text) {
    lineEdit()->setText(QString::fromStdString(Cp1252ToUtf8(text)));
}

std::int32_t TIntervalEdit::Value() const {
    return core_ != nullptr ? core_->ReadInterval(Text()) : MinInterval;
}

void TIntervalEdit::stepBy(int steps) {
    if (core_ != nullptr) {
        SetText(core_->StepInterval(Text(), steps));
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
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        event->ignore();
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // One step whatever the modifiers: the toolkit's Ctrl+arrow would step by ten.
        stepBy(event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    default:
        break;
    }
    if (TypesCharacter(*event) &&
        !IsIntervalCharacter(Utf8ToCp1252(event->text().left(1).toStdString()).front())) {
        if (beep_) {
            beep_();
        }
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TIntervalEdit::wheelEvent(QWheelEvent* event) {
    // One step per whole notch whatever the modifiers, as the arrow keys; a fine-grained wheel
    // adds up its parts of a notch first.
    constexpr int Notch = 120;
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / Notch;
    wheelRest_ -= notches * Notch;
    if (notches != 0) {
        stepBy(notches);
    }
    event->accept();
}

} // namespace mz
