#include "mz/monitor/WindowRules.h"

#include "mz/Exception.h"

#include <chrono>
#include <utility>

namespace mz {

namespace {

// How long Save shows its mark before the window goes; nothing is processed meanwhile.
constexpr std::chrono::milliseconds SavedMarkDuration{400};

} // namespace

WindowRules::WindowRules(IMonitorView& view, HandlerGuard& guard, Hooks hooks)
    : view_(view), guard_(guard), hooks_(std::move(hooks)) {}

void WindowRules::Created() noexcept {
    firstActivation_ = true;
    std::string text = IntervalText(MinInterval);
    guard_.Run([&] {
        hooks_.intervalFile.CreateIfMissing();
        text = IntervalText(hooks_.intervalFile.Read(0));
    });
    guard_.Run([&] { view_.SetIntervalText(text); });
    if (hooks_.created) {
        hooks_.created();
    }
}

void WindowRules::Start(bool minimised) noexcept {
    guard_.Run([&] {
        if (minimised) {
            // Not shown yet: the show handler and the first activation wait for the first
            // bring-up, and the window is still taken to be shown.
            view_.ShowMinimised();
            onScreen_ = false;
            return;
        }
        FirstShow();
        view_.ShowOnScreen();
        onScreen_ = true;
    });
}

void WindowRules::Activated() noexcept {
    // An activation before the first showing (a window system activating a minimised
    // launch) is not the first activation.
    if (!shownOnce_ || !firstActivation_) {
        return;
    }
    guard_.Run([this] {
        firstActivation_ = false;
        HideToTray();
    });
}

void WindowRules::Restored() noexcept {
    guard_.Run([this] {
        if (!shownOnce_) {
            FirstShow();
        }
        windowShown_ = true;
        onScreen_ = true;
    });
}

void WindowRules::MinimiseRequested() noexcept {
    guard_.Run([this] { HideToTray(); });
}

void WindowRules::TrayDoubleClick() noexcept {
    guard_.Run([this] {
        if (windowShown_) {
            HideToTray();
        } else {
            ShowFromTray();
        }
    });
}

void WindowRules::ShowRequested() noexcept {
    guard_.Run([this] { ShowFromTray(); });
}

void WindowRules::CloseRequested() noexcept {
    guard_.Run([this] { view_.EndProgram(); });
}

void WindowRules::EscapePressed() noexcept {
    // An open box takes the keyboard: its Escape closes the box, not the program.
    if (guard_.ReportOpen()) {
        return;
    }
    guard_.Run([this] { view_.EndProgram(); });
}

void WindowRules::SavePressed() noexcept {
    guard_.Run([this] { Save(); });
}

void WindowRules::Save() {
    const std::string text = view_.IntervalText();
    if (ReadIntervalText(text, hooks_.services.regional.numbers) > MaxInterval) {
        throw Exception("Intervalo maximo de 30 minutos.");
    }
    // The text as typed, not a normalised number.
    hooks_.intervalFile.Write(text);
    view_.ShowSavedMark(true);
    view_.ProcessMessages();
    hooks_.services.sleeper.Sleep(SavedMarkDuration);
    HideToTray();
    view_.ShowSavedMark(false);
    view_.ProcessMessages();
}

void WindowRules::CancelPressed() noexcept {
    std::int32_t saved = 0;
    try {
        saved = hooks_.intervalFile.Read(0);
    } catch (...) {
        // Cancel never fails on reading: a file that cannot be read gives the default.
    }
    guard_.Run([&] {
        view_.SetIntervalText(IntervalText(saved));
        HideToTray();
    });
}

void WindowRules::HideToTray() {
    view_.PutAway();
    windowShown_ = false;
    onScreen_ = false;
}

void WindowRules::ShowFromTray() {
    windowShown_ = true;
    // Already on screen: neither raised nor activated.
    if (onScreen_) {
        return;
    }
    if (!shownOnce_) {
        FirstShow();
    }
    view_.ShowOnScreen();
    onScreen_ = true;
}

void WindowRules::FirstShow() {
    // The show handler runs before anything is on screen; its failure comes up once the
    // window has gone on.
    shownOnce_ = true;
    guard_.Run(hooks_.showHandler);
    view_.CentreOnScreen();
}

} // namespace mz
