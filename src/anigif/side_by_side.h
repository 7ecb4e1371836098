// Two pieces of work run side by side: the second on a thread of its own, the first on the
// caller's. Both have ended when the call returns. When no thread can be started, both run on
// the caller's thread in turn.
#pragma once

#include <functional>
#include <system_error>
#include <thread>

namespace muto::anigif {

template <class First, class Second>
void sideBySide(First&& first, Second&& second) {
    std::thread other;
    try {
        other = std::thread(std::ref(second));
    } catch (const std::system_error&) {
        first();
        second();
        return;
    }
    struct Join {
        std::thread& t;
        ~Join() { t.join(); }
    } join{other};
    first();
}

}  // namespace muto::anigif
