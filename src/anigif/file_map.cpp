#include "anigif/file_map.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <mutex>

namespace muto::anigif {

namespace {

// The guarded mappings, read by the signal handler: a slot is free while its start is 0. A slot's
// end is written before its start, so a start seen set has its end.
constexpr int kSlots = 64;
std::atomic<uintptr_t> g_start[kSlots];
std::atomic<uintptr_t> g_end[kSlots];
uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};
std::mutex g_slotsMutex;  // taken by the mapping and unmapping, never by the handler

void onSigbus(int sig, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<uintptr_t>(info->si_addr);
    for (int i = 0; i < kSlots; ++i) {
        const uintptr_t start = g_start[i].load(std::memory_order_acquire);
        if (start == 0 || at < start || at >= g_end[i].load(std::memory_order_acquire)) continue;
        // The file no longer reaches this page: a page of zeros takes its place, and the read
        // that faulted runs again.
        void* page = reinterpret_cast<void*>(at & ~(g_pageSize - 1));
        if (::mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED)
            return;
        break;
    }
    // Not ours: whatever would have happened without this handler.
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(sig, info, context);
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(sig);
    } else {
        // A fault comes again on return and ends the process; a SIGBUS sent by another program
        // is sent again to do the same.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(SIGBUS, &fallback, nullptr);
        if (info->si_code <= 0) ::raise(SIGBUS);
    }
}

bool installHandler() {
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] {
        g_pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onSigbus;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        installed = ::sigaction(SIGBUS, &action, &g_previous) == 0;
    });
    return installed;
}

}  // namespace

const uint8_t* mapFileGuarded(int fd, std::size_t length) {
    if (length == 0 || !installHandler()) return nullptr;
    void* p = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(p);
    const std::lock_guard lock(g_slotsMutex);
    for (int i = 0; i < kSlots; ++i) {
        if (g_start[i].load(std::memory_order_relaxed) != 0) continue;
        g_end[i].store(start + length, std::memory_order_release);
        g_start[i].store(start, std::memory_order_release);
        return static_cast<const uint8_t*>(p);
    }
    ::munmap(p, length);  // every slot taken: the caller reads the file instead
    return nullptr;
}

void unmapFileGuarded(const uint8_t* p, std::size_t length) {
    if (!p) return;
    const auto start = reinterpret_cast<uintptr_t>(p);
    {
        // The slot goes first: once the range is unmapped it may be mapped again by others.
        const std::lock_guard lock(g_slotsMutex);
        for (int i = 0; i < kSlots; ++i) {
            if (g_start[i].load(std::memory_order_relaxed) != start) continue;
            g_start[i].store(0, std::memory_order_release);
            break;
        }
    }
    ::munmap(const_cast<uint8_t*>(p), length);
}

}  // namespace muto::anigif
