#include "io/remove_on_signal.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace muto {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// Read by the handler: a fixed buffer, written before the handler is installed.
char guardedPath[PATH_MAX + 1];
struct sigaction previous[kSignals.size()];

void removeAndDie(int sig) {
    if (guardedPath[0] != '\0') ::unlink(guardedPath);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

RemoveOnSignal::RemoveOnSignal(const std::string& path) {
    const std::size_t n = std::min(path.size(), sizeof guardedPath - 1);
    std::memcpy(guardedPath, path.data(), n);
    guardedPath[n] = '\0';
    struct sigaction sa {};
    sa.sa_handler = removeAndDie;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals)
        sigaddset(&sa.sa_mask, sig);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &sa, &previous[i]);
}

RemoveOnSignal::~RemoveOnSignal() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    guardedPath[0] = '\0';
}

}  // namespace muto
