#pragma once

#include "platform/AutomationTypes.h"

#include <cstdint>

namespace vantor::itunes {

// What the iTunes error report says about a result.
const char* DescribeResult(HRESULT hr);
// The protocol result code for a failed iTunes call: 102 when iTunes is gone, 11 for an
// invalid argument, 105 for a deleted object, 104 for a locked one, 103 otherwise.
int32_t ResultCodeFor(HRESULT hr);

// Equaliser values: iTunes keeps decibels from -12 to +12; the protocol -100 to +100.
int32_t EqValueFromDecibels(double decibels);
double DecibelsFromEqValue(int32_t value);

}  // namespace vantor::itunes
