#pragma once

// Which key performs which of the 13 actions, and how key presses become actions.
//
// Binding (the buttons page): TryBind refuses a key without a name and reports a key that
// another action holds, with the question to ask; ReplaceBinding carries out a "yes".
// Using: a bound key performs its action when released (a release within 100 ms of the last
// performed action is ignored) and its key-down is swallowed; a binding whose performOnDown
// flag is set acts on the key-down instead. Unbound keys keep their normal meaning.
// Not thread-safe: used on the window layer's thread.

#include <array>
#include <cstdint>
#include <string>

#include "client/settings/ClientActions.h"

namespace vantor {
class CRegistry;
}

namespace vantor::client {

struct KeyBinding {
    int32_t keyCode = -1;  // -1: unbound
    bool performOnDown = false;
};

struct BindAttempt {
    enum Outcome {
        kBound,         // done
        kInvalidKey,    // show `message` titled `title`; nothing changed
        kAlreadyBound,  // ask `message` titled `title` (yes/no); yes: ReplaceBinding
    };
    Outcome outcome = kBound;
    int32_t otherAction = -1;  // the action holding the key, for kAlreadyBound
    std::string message;
    std::string title;
};

// What the window layer does with a key message.
struct KeyDecision {
    bool swallow = false;  // the key is bound: it has no other meaning
    int32_t action = -1;   // the action to perform now, or -1
};

inline constexpr int32_t kRepeatGuardMs = 100;

class KeyBindings {
public:
    const KeyBinding& Binding(int32_t action) const;
    // The action bound to the key, or -1.
    int32_t ActionForKey(int32_t keyCode) const;
    // Sets a binding as stored (no checks), for loading.
    void Set(int32_t action, KeyBinding binding);

    // `platformNames` names the handheld's hardware buttons (see KeyName).
    BindAttempt TryBind(int32_t action, int32_t keyCode, const CRegistry* platformNames = nullptr);
    // Binds the key to `action`, unbinding it from any other action.
    void ReplaceBinding(int32_t action, int32_t keyCode);
    // "Release Button": the action becomes unbound.
    void Release(int32_t action);

    // Key messages, with a monotonic time in milliseconds.
    KeyDecision OnKeyDown(int32_t keyCode, int64_t nowMs);
    KeyDecision OnKeyUp(int32_t keyCode, int64_t nowMs);

private:
    std::array<KeyBinding, kActionCount> m_bindings{};
    int64_t m_lastPerformedMs = INT64_MIN / 2;
};

}  // namespace vantor::client
