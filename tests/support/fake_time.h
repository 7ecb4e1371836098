// The tests' manual time line: the model's own manual clock and timers, under the names the
// tests use.
#pragma once

#include "common/manual_time.h"

namespace muto::test {

using FakeTimer = ManualTimer;
using FakeTimers = ManualTimers;

}  // namespace muto::test
