#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mz {

// The text of an error message box: the message, with "." appended when it does not already
// end in a character of code "." or lower.
std::string ErrorMessageText(std::string_view message);

// Runs event handlers so that a failure leaving one ends that handler only and is reported
// through one place. At most one report is on screen: a failure while one is open (a report
// processes messages, so handlers run inside it) goes to the overflow instead, so a lasting
// fault with nobody to answer cannot stack boxes without bound.
class HandlerGuard {
public:
    using Reporter = std::function<void(const std::string& text)>;

    // Both take the box's text (ErrorMessageText of the failure).
    HandlerGuard(Reporter report, Reporter overflow);
    HandlerGuard(const HandlerGuard&) = delete;
    HandlerGuard& operator=(const HandlerGuard&) = delete;

    void Run(const std::function<void()>& handler) noexcept;
    bool ReportOpen() const noexcept { return reportOpen_; }

private:
    Reporter report_;
    Reporter overflow_;
    bool reportOpen_ = false;
};

} // namespace mz
