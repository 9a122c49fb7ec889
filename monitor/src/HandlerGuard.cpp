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

HandlerGuard::HandlerGuard(Reporter report, Reporter overflow)
    : report_(std::move(report)), overflow_(std::move(overflow)) {}

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
    // Reported outside the handler, so the exception is gone before the report runs its own
    // message loop.
    const std::string text = ErrorMessageText(message);
    try {
        if (reportOpen_) {
            overflow_(text);
            return;
        }
        reportOpen_ = true;
        struct Closed {
            bool& open;
            ~Closed() { open = false; }
        } closed{reportOpen_};
        report_(text);
    } catch (...) {
        // A report that cannot be made has nowhere left to go.
    }
}

} // namespace mz
