#include "client/settings/KeyBindings.h"

#include "client/settings/KeyNames.h"

namespace vantor::client {

namespace {

const KeyBinding kNoBinding{};

bool ValidAction(int32_t action) {
    return action >= 0 && action < kActionCount;
}

}  // namespace

const KeyBinding& KeyBindings::Binding(int32_t action) const {
    return ValidAction(action) ? m_bindings[static_cast<size_t>(action)] : kNoBinding;
}

int32_t KeyBindings::ActionForKey(int32_t keyCode) const {
    if (keyCode < 0) return -1;
    for (int32_t action = 0; action < kActionCount; ++action) {
        if (m_bindings[static_cast<size_t>(action)].keyCode == keyCode) return action;
    }
    return -1;
}

void KeyBindings::Set(int32_t action, KeyBinding binding) {
    if (ValidAction(action)) m_bindings[static_cast<size_t>(action)] = binding;
}

BindAttempt KeyBindings::TryBind(int32_t action, int32_t keyCode, const CRegistry* platformNames) {
    BindAttempt attempt;
    const std::string name = KeyName(keyCode, platformNames);
    if (!ValidAction(action) || name.empty()) {
        attempt.outcome = BindAttempt::kInvalidKey;
        attempt.message = "Please press a valid hardware button";
        attempt.title = "Invalid Key";
        return attempt;
    }
    const int32_t holder = ActionForKey(keyCode);
    if (holder >= 0 && holder != action) {
        attempt.outcome = BindAttempt::kAlreadyBound;
        attempt.otherAction = holder;
        attempt.message = name + " is already bound to " + std::string(ActionName(holder)) +
                          ". Would you like to replace this association?";
        attempt.title = "Key Already In Use";
        return attempt;
    }
    m_bindings[static_cast<size_t>(action)].keyCode = keyCode;
    return attempt;
}

void KeyBindings::ReplaceBinding(int32_t action, int32_t keyCode) {
    if (!ValidAction(action)) return;
    for (auto& binding : m_bindings) {
        if (binding.keyCode == keyCode) binding.keyCode = -1;
    }
    m_bindings[static_cast<size_t>(action)].keyCode = keyCode;
}

void KeyBindings::Release(int32_t action) {
    if (ValidAction(action)) m_bindings[static_cast<size_t>(action)].keyCode = -1;
}

KeyDecision KeyBindings::OnKeyDown(int32_t keyCode, int64_t nowMs) {
    KeyDecision decision;
    const int32_t action = ActionForKey(keyCode);
    if (action < 0) return decision;
    decision.swallow = true;
    if (m_bindings[static_cast<size_t>(action)].performOnDown) {
        decision.action = action;
        m_lastPerformedMs = nowMs;
    }
    return decision;
}

KeyDecision KeyBindings::OnKeyUp(int32_t keyCode, int64_t nowMs) {
    KeyDecision decision;
    const int32_t action = ActionForKey(keyCode);
    if (action < 0) return decision;
    decision.swallow = true;
    if (m_bindings[static_cast<size_t>(action)].performOnDown) return decision;
    if (nowMs - m_lastPerformedMs < kRepeatGuardMs) return decision;
    decision.action = action;
    m_lastPerformedMs = nowMs;
    return decision;
}

}  // namespace vantor::client
