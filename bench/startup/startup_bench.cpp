// Start-up time and memory of the real program: from starting the process to its window being
// mapped on the X display, and the resident memory once it is up. Needs DISPLAY (see
// bench/startup/run.sh, which brings its own Xvfb).
//   muto_startup_bench MUTO RUNS -- ARGS...
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long residentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Waits for a top-level window to be mapped; returns false after the timeout.
bool waitForMap(Display* dpy, Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify) return true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: muto_startup_bench MUTO RUNS [-- ARGS...]\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "muto_startup_bench: no X display\n");
        return 1;
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    std::vector<char*> args{argv[1]};
    for (int i = 3; i < argc; ++i)
        if (std::strcmp(argv[i], "--") != 0) args.push_back(argv[i]);
    args.push_back(nullptr);
    int runs = std::max(1, std::atoi(argv[2]));
    std::vector<double> ms;
    std::vector<long> kb;
    for (int r = 0; r < runs; ++r) {
        XSync(dpy, True);
        auto t0 = Clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            execv(args[0], args.data());
            _exit(127);
        }
        bool mapped = waitForMap(dpy, t0 + std::chrono::seconds(20));
        auto t1 = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        long rss = residentKb(pid);
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (!mapped) {
            std::fprintf(stderr, "run %d: no window\n", r + 1);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        kb.push_back(rss);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(kb.begin(), kb.end());
    std::printf("start-up to window shown: median %.1f ms, min %.1f ms, max %.1f ms (%d runs)\n",
                ms[ms.size() / 2], ms.front(), ms.back(), runs);
    std::printf("resident memory with the window up: median %.1f MB, max %.1f MB\n",
                kb[kb.size() / 2] / 1024.0, kb.back() / 1024.0);
    XCloseDisplay(dpy);
    return 0;
}
