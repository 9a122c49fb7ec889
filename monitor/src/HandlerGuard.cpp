#include "mz/monitor/HandlerGuard.h"

#include <exception>
#include <utility>

namespace mz {

std::string ErrorMessageText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

HandlerGuard::HandlerGuard(Reporter report, Reporter overflow, Poster post)
    : report_(std::move(report)), overflow_(std::move(overflow)), post_(std::move(post)) {}

void HandlerGuard::Run(const std::function<void()>& handler) noexcept {
    std::string message;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    std::string text = ErrorMessageText(message);
    if (ReportOpen()) {
        try {
            overflow_(text);
        } catch (...) {
            // The overflow is the last place a message can go.
        }
        return;
    }
    reportPending_ = true;
    try {
        post_([this, text = std::move(text)] { Report(text); });
    } catch (...) {
        // Not posted: nothing is pending, and the next failure may try again.
        reportPending_ = false;
    }
}

void HandlerGuard::Report(const std::string& text) noexcept {
    reportPending_ = false;
    reportOpen_ = true;
    try {
        report_(text);
    } catch (...) {
        // As above.
    }
    reportOpen_ = false;
}

} // namespace mz
