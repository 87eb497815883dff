#pragma once

// The phone shell's on-screen keyboard (the input panel). The shell raises it by itself
// when a text field takes the focus; where the shell also lets a program ask (the
// "sm.puri.OSK0" object on the session bus: property "Visible", method "SetVisible"), the
// panel's state can be read and it can be raised and lowered outright. Without that service
// (another shell, a desktop, a test) the panel reads as down and requests do nothing.
//
// Main thread only; calls to the service wait at most a second.

#include <gio/gio.h>

namespace vantor::handheld {

class InputPanel {
public:
    InputPanel();
    ~InputPanel();
    InputPanel(const InputPanel&) = delete;
    InputPanel& operator=(const InputPanel&) = delete;

    // The shell's service answers.
    bool Available() const;
    bool IsUp() const;
    void Show(bool up);

private:
    GDBusProxy* m_proxy = nullptr;
};

inline constexpr char kInputPanelService[] = "sm.puri.OSK0";
inline constexpr char kInputPanelPath[] = "/sm/puri/OSK0";
inline constexpr char kInputPanelInterface[] = "sm.puri.OSK0";

}  // namespace vantor::handheld
