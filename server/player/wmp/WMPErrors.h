#pragma once

#include "platform/AutomationTypes.h"

#include <string>

namespace vantor::wmp {

// The message text of a failure code, as the player's message module words it; empty for a
// code it has no text for.
std::string MessageText(HRESULT hr);

// The player's play states and the protocol's.
int32_t PlayingStateFromPlayState(int32_t playState);

}  // namespace vantor::wmp
