#pragma once

#include "Desktop.h"
#include "IntervalEdit.h"
#include "TestClock.h"
#include "TestFiles.h"
#include "TestRegional.h"
#include "uFrmInicio.h"

#include <QApplication>
#include <QStringList>
#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace mz::test {

// Records the sleeps instead of sleeping, and what the window showed meanwhile.
class RecordingSleeper : public platform::Sleeper {
public:
    explicit RecordingSleeper(std::function<void()> during) : during_(std::move(during)) {}
    void Sleep(std::chrono::milliseconds duration) const override;
    const std::vector<std::chrono::milliseconds>& Sleeps() const { return sleeps_; }

private:
    std::function<void()> during_;
    mutable std::vector<std::chrono::milliseconds> sleeps_;
};

// Attaches stand-ins for the data module to the window's core: open runs at the first showing,
// run is the activity test (true: a good reply, at the moment clock tells).
void AttachDataModule(TFrmInicio& window, std::function<void()> open, std::function<bool()> run,
                      const Clock& clock);

// The desktop as the window sees it, recording what would reach the user.
class RecordingDesktop : public Desktop {
public:
    explicit RecordingDesktop(class WindowBench& bench) : bench_(bench) {}
    void ShowErrorBox(QWidget* owner, const QString& text) const override;
    bool TrayAvailable() const override;
    void Quit() const override;
    void Beep() const override;

private:
    WindowBench& bench_;
};

// A main window on a temporary program directory (also the working directory, where the month
// log goes), with every outside effect recorded.
class WindowBench {
public:
    WindowBench() = default;
    WindowBench(const WindowBench&) = delete;
    WindowBench& operator=(const WindowBench&) = delete;
    ~WindowBench();

    std::string IntervalPath() const { return dir.Path() + "monitor_zelnor.ini"; }
    // The messages of the month log's lines, without their moments.
    std::vector<std::string> LogLines() const;
    void AttachDataModule(std::function<void()> open, std::function<bool()> run) const {
        test::AttachDataModule(*window, std::move(open), std::move(run), clock);
    }

    // Builds the window (the constructor runs its creation handler).
    TFrmInicio& Create() { return Create(realFiles); }
    TFrmInicio& Create(const platform::FileSystem& files);
    // Shows it as the main loop does at start-up; its first activation hides it.
    void StartUp();
    // Brings it on screen and makes it the active window, as a double click on the icon does.
    void BringUp();
    void Settle() const;
    // Types over the whole field, as a user selecting its text and typing would.
    void SetFieldText(const QString& text) const;
    QString FieldText() const { return window->EdtMinutos().text(); }

    TempDir dir;
    WorkingDirectory cwd{dir.Root()};
    platform::FileSystem realFiles;
    // Files that refuse every write; members, so they outlive the window built on them.
    ReadOnlyFiles readOnlyFiles;
    bool trayAvailable = true;
    QStringList errors;
    std::function<void()> duringError = [] {};
    bool recordQuits = true; // false: a quit request really ends the application's loop
    int quits = 0;
    int beeps = 0;
    bool markShownDuringSleep = false;
    RecordingSleeper sleeper{[this] { markShownDuringSleep = IsMarkShown(); }};
    FixedClock clock;
    RegionalSettings regional = BrazilianRegional();
    RegionalSettingsOwner regionalOwner{[this] { return regional; }};
    RecordingDesktop desktop{*this};
    std::unique_ptr<Services> services;
    std::unique_ptr<TFrmInicio> window;

private:
    bool IsMarkShown() const;
};

} // namespace mz::test
