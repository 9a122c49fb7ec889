#include "WindowBench.h"

#include <QLabel>
#include <QLineEdit>

namespace mz::test {

void RecordingSleeper::Sleep(std::chrono::milliseconds duration) const {
    sleeps_.push_back(duration);
    during_();
}

WindowBench::~WindowBench() {
    window.reset();
    Settle();
}

TFrmInicio& WindowBench::Create(const platform::FileSystem* files) {
    FrmInicioSeams seams;
    seams.programDirectory = dir.Path();
    seams.files = files;
    seams.sleeper = &sleeper;
    seams.showError = [this](const QString& text) {
        errors << text;
        duringError();
    };
    seams.trayAvailable = [this] { return trayAvailable; };
    seams.writeLog = [this](std::string_view line) { logLines.emplace_back(line); };
    if (recordQuits) {
        seams.quit = [this] { ++quits; };
    }
    seams.beep = [this] { ++beeps; };
    window = std::make_unique<TFrmInicio>(std::move(seams));
    return *window;
}

void WindowBench::StartUp() {
    window->show();
    Settle();
}

void WindowBench::BringUp() {
    window->ShowFromTray();
    // The offscreen platform does not activate a window shown again; a desktop does.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window.get());
    QT_WARNING_POP
    Settle();
}

void WindowBench::Settle() const {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WindowBench::SetFieldText(const QString& text) const {
    window->EdtMinutos().findChild<QLineEdit*>()->setText(text);
}

bool WindowBench::IsMarkShown() const {
    const auto* mark = window->findChild<QLabel*>(QStringLiteral("ImgOK"));
    return mark != nullptr && mark->isVisible();
}

} // namespace mz::test
