// The tests' manual time line: the model's own manual clock and timers, under the names the
// tests use.
#pragma once

#include "common/manual_time.h"

namespace muto::test {

using FakeTimer = ManualTimer;

// Starts far from 0, so that a time taken from the clock rather than from the start of what it
// measures shows (a float of it loses its milliseconds).
class FakeTimers : public ManualTimers {
public:
    FakeTimers() : ManualTimers(int64_t{1'000'000} * 1'000'000) {}
};

}  // namespace muto::test
