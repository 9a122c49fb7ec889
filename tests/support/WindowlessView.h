#pragma once

// A monitor view for tests that look only at the activity test: the window's primitives do
// nothing, and a posted action runs at once.

#include "mz/monitor/MonitorView.h"

#include <functional>
#include <string>

namespace mz::test {

class WindowlessView : public IMonitorView {
public:
    void SetIntervalText(const std::string& /*text*/) override {}
    void Post(std::function<void()> action) override { action(); }
    void ShowSavedMark(bool /*shown*/) override {}
    void CentreOnScreen() override {}
    void ShowOnScreen() override {}
    void ShowMinimised() override {}
    void PutAway() override {}
    void EndProgram() override {}
};

} // namespace mz::test
