#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mz {

// The text of an error message box: the message, with "." appended when it does not already
// end in a character of code "." or lower.
std::string ErrorMessageText(std::string_view message);

// Runs event handlers so that a failure leaving one ends that handler only and is reported
// through one place. The report is posted: it opens once the failing handler has returned, so
// a box never holds the event source that failed (a timer is not fired again while its own
// handler runs). At most one report is pending or on screen: a failure meanwhile (a report
// processes messages, so handlers run inside it) goes to the overflow instead, so a lasting
// fault with nobody to answer cannot stack boxes without bound.
class HandlerGuard {
public:
    using Reporter = std::function<void(const std::string& text)>;
    using Poster = std::function<void(std::function<void()> later)>;

    // Both reporters take the box's text (ErrorMessageText of the failure).
    HandlerGuard(Reporter report, Reporter overflow, Poster post);
    HandlerGuard(const HandlerGuard&) = delete;
    HandlerGuard& operator=(const HandlerGuard&) = delete;

    void Run(const std::function<void()>& handler) noexcept;
    // A report is waiting to open or is on screen.
    bool ReportOpen() const noexcept { return reportPending_ || reportOpen_; }

private:
    void Report(const std::string& text) noexcept;

    Reporter report_;
    Reporter overflow_;
    Poster post_;
    bool reportPending_ = false;
    bool reportOpen_ = false;
};

} // namespace mz
