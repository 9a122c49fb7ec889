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

TFrmInicio& WindowBench::Create(const platform::FileSystem& files) {
    services = std::make_unique<Services>(Services{files, clock, sleeper, regionalOwner.Current()});
    window =
        std::make_unique<TFrmInicio>(FrmInicioSetup{dir.Path()}, *services, desktop, regionalOwner);
    return *window;
}

std::vector<std::string> WindowBench::LogLines() const {
    return MonthLogMessages(dir.Root(), clock.now.month);
}

void RecordingDesktop::ShowErrorBox(QWidget* /*owner*/, const QString& text) const {
    bench_.errors << text;
    bench_.duringError();
}

bool RecordingDesktop::TrayAvailable() const {
    return bench_.trayAvailable;
}

void RecordingDesktop::Quit() const {
    if (bench_.recordQuits) {
        ++bench_.quits;
    } else {
        Desktop::Quit();
    }
}

void RecordingDesktop::Beep() const {
    ++bench_.beeps;
}

namespace {

class StandInDataModule : public IDataModule {
public:
    explicit StandInDataModule(std::function<void()> open) : open_(std::move(open)) {}
    void OpenConnection() override { open_(); }
    Variant QueryValue(const std::string&, const Variant& def, bool) override { return def; }
    int ExecuteMount(TSqlMount&, bool) override { return 0; }
    void RunInTransaction(const std::function<void()>& work) override { work(); }

private:
    std::function<void()> open_;
};

class StandInTest : public IActivityTest {
public:
    StandInTest(std::function<bool()> run, const Clock& clock)
        : run_(std::move(run)), clock_(clock) {}
    ActivityOutcome Run() override {
        if (run_()) {
            return {ActivityOutcome::Kind::Good, clock_.Now()};
        }
        return {ActivityOutcome::Kind::NoReply, {}};
    }

private:
    std::function<bool()> run_;
    const Clock& clock_;
};

} // namespace

void AttachDataModule(TFrmInicio& window, std::function<void()> open, std::function<bool()> run,
                      const Clock& clock) {
    // Kept per window for as long as the program runs: the core refers to them until detached.
    static std::vector<std::unique_ptr<StandInDataModule>> modules;
    modules.push_back(std::make_unique<StandInDataModule>(std::move(open)));
    window.Core().AttachDataModule(*modules.back(),
                                   std::make_unique<StandInTest>(std::move(run), clock));
}

void WindowBench::StartUp() {
    window->Core().Window().Start(false);
    Settle();
}

void WindowBench::BringUp() {
    window->Core().Window().ShowRequested();
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
    if (!window) {
        return false;
    }
    const auto* mark = window->findChild<QLabel*>(QStringLiteral("ImgOK"));
    return mark != nullptr && mark->isVisible();
}

} // namespace mz::test
