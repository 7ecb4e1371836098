// Helpers of the real-window benchmark (run.sh beside this file):
//   window_bench reference COUNT GAP_US SPEED
//       a bare timer: sleeps to absolute deadlines COUNT times GAP_US / SPEED apart and prints
//       the moments it woke (seconds, one a line), then its CPU share on stderr
//   window_bench lateness TIMES GAP_US SPEED
//       lateness of the moments in file TIMES against a schedule GAP_US / SPEED apart, measured
//       from the moment that was least late: p50, p99, max and how late the last one ended
//   window_bench keys WINDOW SECONDS INTERVAL_US HOLD_US [--first KEYCODE] [--anchor] KEYCODE...
//       strikes the keys in turn through the X test extension, one every INTERVAL_US, each held
//       HOLD_US; with --first, presses KEYCODE (Return) in the window that has the focus, a
//       dialog, again every 0.5 s while the dialog shows (its completion list may take one), and
//       moves the keyboard focus to WINDOW as soon as the dialog is gone, before the first. With
//       --anchor, after a pause of 0.4 s strikes the first key three times more, 0.15 s apart: keys
//       struck on an idle window, whose notes tie the MIDI log's clock to the sender's. Prints the
//       moment of every press ("down", or "anchor") and release ("up").
//   window_bench delays SENT LOGGED INTERVAL_US
//       the delay of key handling, for the presses in SENT (from keys --anchor) and the moments
//       of the note-ons in LOGGED. The anchors (the last three of each) give the offset between
//       the clocks. Each note is then matched by time to a press sent before it: from the last
//       note back, the latest press not yet matched that was sent before the note was logged.
//       Presses are handled in order, so keys that queued behind a stall are the latest ones
//       before the burst that answers them, and a lost key (one struck before the window could
//       take it) leaves its press unmatched instead of shifting the pairs after it. Prints the
//       delays above the fastest answer, and the longest gap between consecutive notes less the
//       typing interval (a bound that needs no matching: a lost key adds one interval to it).
// Moments are steady-clock seconds; the MIDI log's are seconds since its output opened, so only
// differences between moments mean anything.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kAnchors = 3;

double monotonic() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void sleepUntil(double t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t);
    ts.tv_nsec = static_cast<long>((t - static_cast<double>(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

std::vector<double> readMoments(const char* path) {
    std::vector<double> v;
    std::ifstream in(path);
    double t = 0;
    while (in >> t)
        v.push_back(t);
    return v;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

int reference(int count, double gap) {
    const double cpu0 = cpuSeconds();
    const double start = monotonic() + 0.1;
    std::vector<double> woke;
    woke.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        sleepUntil(start + i * gap);
        woke.push_back(monotonic());
    }
    const double wall = monotonic() - start;
    for (double t : woke)
        std::printf("%.6f\n", t);
    std::fprintf(stderr, "CPU %.2f %% of one core\n", 100.0 * (cpuSeconds() - cpu0) / wall);
    return 0;
}

int lateness(const char* path, double gap) {
    const std::vector<double> t = readMoments(path);
    if (t.empty()) return 1;
    // The schedule's origin is where the least late moment puts it.
    double origin = t[0];
    for (size_t i = 0; i < t.size(); ++i)
        origin = std::min(origin, t[i] - static_cast<double>(i) * gap);
    std::vector<double> late;
    for (size_t i = 0; i < t.size(); ++i)
        late.push_back((t[i] - static_cast<double>(i) * gap - origin) * 1000.0);
    const double span = t.back() - t.front();
    const double planned = static_cast<double>(t.size() - 1) * gap;
    std::printf(
        "%zu events: lateness p50 %.2f ms, p99 %.2f ms, max %.2f ms; took %.3f s for %.3f s "
        "(%+.1f ms)\n",
        t.size(), percentile(late, 0.5), percentile(late, 0.99), percentile(late, 1.0), span,
        planned, (span - planned) * 1000.0);
    return 0;
}

int keys(int argc, char** argv) {
    const Window window = std::strtoul(argv[2], nullptr, 0);
    const double seconds = std::atof(argv[3]);
    const double interval = std::atof(argv[4]) / 1e6;
    const double hold = std::atof(argv[5]) / 1e6;
    std::vector<unsigned> first;
    std::vector<unsigned> codes;
    bool anchor = false;
    for (int i = 6; i < argc; ++i) {
        if (std::strcmp(argv[i], "--first") == 0 && i + 1 < argc)
            first.push_back(static_cast<unsigned>(std::atoi(argv[++i])));
        else if (std::strcmp(argv[i], "--anchor") == 0)
            anchor = true;
        else
            codes.push_back(static_cast<unsigned>(std::atoi(argv[i])));
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy || codes.empty() || !(interval > hold)) return 2;
    // The focus may lie with a window that goes away before it is looked at (a completion
    // list): that window is gone, not an error that ends the run.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    if (!first.empty()) {
        // The keys go to the window that has the focus, a dialog; typing starts as soon as it
        // is gone. A dialog that takes the keys for its completion list gets them again.
        Window dialog = 0;
        int revert = 0;
        XGetInputFocus(dpy, &dialog, &revert);
        auto shown = [&] {
            XWindowAttributes a{};
            return dialog > PointerRoot && XGetWindowAttributes(dpy, dialog, &a) != 0 &&
                   a.map_state == IsViewable;
        };
        const double since = monotonic();
        double sent = 0;
        while (monotonic() - since < 5.0) {
            if (monotonic() - sent > 0.5) {
                for (unsigned code : first) {
                    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
                    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
                }
                XSync(dpy, False);
                sent = monotonic();
            }
            if (!shown()) break;
            sleepUntil(monotonic() + 0.0005);
        }
    }
    if (window != 0) XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
    XSync(dpy, False);
    struct Sent {
        double at;
        const char* what;
    };
    std::vector<Sent> sent;
    auto strike = [&](unsigned code, double at, const char* what) {
        sleepUntil(at);
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XSync(dpy, False);
        sent.push_back({monotonic(), what});
        sleepUntil(at + hold);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
        XSync(dpy, False);
        sent.push_back({monotonic(), "up"});
    };
    const double start = monotonic();
    int i = 0;
    for (; i * interval < seconds; ++i)
        strike(codes[static_cast<size_t>(i) % codes.size()], start + i * interval, "down");
    if (anchor) {
        const double after = start + i * interval + 0.4;
        for (size_t a = 0; a < kAnchors; ++a)
            strike(codes[0], after + static_cast<double>(a) * 0.15, "anchor");
    }
    XCloseDisplay(dpy);
    for (const Sent& e : sent)
        std::printf("%.6f %s\n", e.at, e.what);
    return 0;
}

int delays(const char* sentPath, const char* loggedPath, double interval) {
    std::vector<double> presses;
    std::vector<double> anchors;
    {
        std::ifstream in(sentPath);
        double t = 0;
        std::string what;
        while (in >> t >> what) {
            if (what == "down") presses.push_back(t);
            if (what == "anchor") anchors.push_back(t);
        }
    }
    std::vector<double> notes = readMoments(loggedPath);
    if (anchors.size() != kAnchors || notes.size() < kAnchors + 1) {
        std::printf("no anchors: %zu notes for %zu keys\n", notes.size(), presses.size());
        return 1;
    }
    // The log's clock less the sender's, plus the idle window's answer time.
    const size_t firstAnchor = notes.size() - kAnchors;
    double offset = notes[firstAnchor] - anchors[0];
    double spread = 0;
    for (size_t a = 0; a < kAnchors; ++a) {
        const double o = notes[firstAnchor + a] - anchors[a];
        spread = std::max(spread, std::abs(o - offset));
        offset = std::min(offset, o);
    }
    notes.resize(firstAnchor);
    // An answer a little faster than the anchors' still belongs to the press before it.
    const double kSlack = std::min(0.001, interval / 4);
    std::vector<double> d;
    size_t next = presses.size();  // presses before this one are still free
    for (size_t j = notes.size(); j-- > 0;) {
        const double sentBy = notes[j] - offset + kSlack;
        while (next > 0 && presses[next - 1] > sentBy)
            --next;
        if (next == 0) break;  // a note with no press before it: not ours
        --next;
        d.push_back(notes[j] - offset - presses[next]);
    }
    if (d.empty()) return 1;
    const double fastest = *std::min_element(d.begin(), d.end());
    for (double& x : d)
        x = (x - fastest) * 1000.0;
    double gap = 0;
    for (size_t j = 1; j < notes.size(); ++j)
        gap = std::max(gap, notes[j] - notes[j - 1]);
    std::printf(
        "%zu of %zu keys answered: delay p50 %.2f ms, p99 %.2f ms, max %.2f ms; longest gap less "
        "the interval %.2f ms%s\n",
        d.size(), presses.size(), percentile(d, 0.5), percentile(d, 0.99), percentile(d, 1.0),
        std::max(0.0, gap - interval) * 1000.0,
        spread > 0.002 ? " (anchors disagree: the idle window answered slowly)" : "");
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: see the top of window_bench.cpp\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string mode = argv[1];
    if (mode == "reference" && argc == 5) {
        const int count = std::atoi(argv[2]);
        const double gap = std::atof(argv[3]) / 1e6 / std::atof(argv[4]);
        return count > 0 && gap > 0 ? reference(count, gap) : usage();
    }
    if (mode == "lateness" && argc == 5) {
        const double gap = std::atof(argv[3]) / 1e6 / std::atof(argv[4]);
        return gap > 0 ? lateness(argv[2], gap) : usage();
    }
    if (mode == "keys" && argc >= 7) return keys(argc, argv);
    if (mode == "delays" && argc == 5) return delays(argv[2], argv[3], std::atof(argv[4]) / 1e6);
    return usage();
}
