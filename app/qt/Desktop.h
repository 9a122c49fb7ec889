#pragma once

#include <QString>

class QWidget;

namespace mz {

// What the window asks of the desktop beyond its own widgets. The program passes this one;
// tests derive from it to record what would reach the user.
class Desktop {
public:
    virtual ~Desktop() = default;
    // The modal error box with the program's caption and the stop icon; returns after OK.
    virtual void ShowErrorBox(QWidget* owner, const QString& text) const;
    // Whether a notification area is there to take the icon.
    virtual bool TrayAvailable() const;
    // Ends the application's event loops.
    virtual void Quit() const;
    // The system's default beep.
    virtual void Beep() const;
};

} // namespace mz
