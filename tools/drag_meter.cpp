// drag-meter: drags a window by its bottom-right corner or its title bar with the XTest extension,
// as a user's pointer would, and watches what the screen shows meanwhile: the window's sizes
// (ConfigureNotify) and the paints that follow them (the X Damage extension), or the frame's
// positions for a move. Prints one line of figures for the drag:
//   drag-meter --window ID --mode corner|title [--start WxH] [--moves N] [--hz N] [--step PX]
//              [--cpu NAME=PID,PID...]...
//   shown=144 share=0.480 per_s=60.2 lag_ms=23.9 shown_after=2 from=290x231 final=590x531
//   grab=322,263 framed=0 paints=146 configures=146 cpu_prog_ms=104 cpu_x_ms=131
// shown: sizes (corner) or positions (title) shown while the pointer moved; shown_after: after
// its last move; lag_ms: from the last move to the last change on screen; cpu_NAME_ms: CPU time
// of those processes over the drag and the lag.
// A size counts as shown once something is painted into the window while it has that size; a
// position as soon as the window manager has moved the frame there (the server moves the bits).
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <dirent.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kDefaultMoves = 300;
constexpr int kDefaultHz = 125;
constexpr int kDefaultStep = 1;
constexpr int kStartX = 40;                       // where the frame is put before each drag
constexpr int kStartY = 40;
constexpr auto kQuiet = std::chrono::milliseconds(500);  // no size, position or paint: settled
constexpr auto kSettleLimit = std::chrono::seconds(10);
constexpr auto kPressPause = std::chrono::milliseconds(60);  // lets the press reach the program first
constexpr int kCornerInset = 8;     // into the program's own corner grip, inside its rounded outline
constexpr int kFrameCornerInset = 3;  // into the window manager's grip at the frame's corner
constexpr int kTitleX = 60;          // a point on the title bar clear of icon and buttons
constexpr int kTitleY = 8;

struct Options {
    Window window = 0;
    bool corner = true;
    int startWidth = 0, startHeight = 0;
    int moves = kDefaultMoves, hz = kDefaultHz, step = kDefaultStep;
    std::vector<std::pair<std::string, std::vector<int>>> cpu;
};

[[noreturn]] void Die(const std::string& message) {
    std::fprintf(stderr, "drag-meter: %s\n", message.c_str());
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) Die("missing value after " + arg);
        const std::string value = argv[++i];
        if (arg == "--window") o.window = std::strtoul(value.c_str(), nullptr, 0);
        else if (arg == "--mode") o.corner = value == "corner";
        else if (arg == "--start") std::sscanf(value.c_str(), "%dx%d", &o.startWidth, &o.startHeight);
        else if (arg == "--moves") o.moves = std::atoi(value.c_str());
        else if (arg == "--hz") o.hz = std::atoi(value.c_str());
        else if (arg == "--step") o.step = std::atoi(value.c_str());
        else if (arg == "--cpu") {
            const auto eq = value.find('=');
            if (eq == std::string::npos) Die("--cpu takes NAME=PID,PID...");
            std::vector<int> pids;
            for (const char* p = value.c_str() + eq + 1; *p;) {
                char* end = nullptr;
                pids.push_back(static_cast<int>(std::strtol(p, &end, 10)));
                p = *end == ',' ? end + 1 : end;
                if (end == p && *p) Die("bad pid list in " + value);
            }
            o.cpu.emplace_back(value.substr(0, eq), pids);
        } else Die("unknown option " + arg);
    }
    if (!o.window) Die("--window is needed");
    if (o.moves < 1 || o.hz < 1) Die("--moves and --hz must be positive");
    return o;
}

// CPU time of a process's threads so far, in ms (the scheduler's own nanosecond counts).
double ProcessCpuMs(int pid) {
    double total = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(dir + "/" + e->d_name + "/schedstat");
        double ns = 0;
        if (in >> ns) total += ns / 1e6;
    }
    closedir(d);
    return total;
}

// CPU time so far of each named group of processes, in ms.
std::vector<double> CpuMs(const Options& o) {
    std::vector<double> ms;
    for (const auto& group : o.cpu) {
        double sum = 0;
        for (int pid : group.second) sum += ProcessCpuMs(pid);
        ms.push_back(sum);
    }
    return ms;
}

// The window's ancestor that is a child of the root: the window manager's frame, or the window itself.
Window FrameOf(Display* dpy, Window w) {
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, w, &root, &parent, &children, &count)) Die("the window went away");
        if (children) XFree(children);
        if (parent == root) return w;
        w = parent;
    }
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// Geometry relative to the root window.
Geometry GeometryOf(Display* dpy, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, w, &a)) Die("the window went away");
    Window child;
    Geometry g{0, 0, a.width, a.height};
    XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &g.x, &g.y, &child);
    return g;
}

// Asks the window manager to put the frame at (x, y) with the window at the given size.
void MoveResize(Display* dpy, Window w, int x, int y, int width, int height) {
    constexpr long kNorthWest = 1, kAllFields = 0xF00, kFromPager = 2L << 12;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(dpy, "_NET_MOVERESIZE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = kNorthWest | kAllFields | kFromPager;
    e.xclient.data.l[1] = x;
    e.xclient.data.l[2] = y;
    e.xclient.data.l[3] = width;
    e.xclient.data.l[4] = height;
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy);
}

// What the screen showed, as the events came.
class Watch {
public:
    Watch(Display* dpy, Window window, Window frame) : dpy_(dpy), window_(window), frame_(frame) {
        int error = 0;
        if (!XDamageQueryExtension(dpy, &damageEvent_, &error)) Die("the X server has no Damage extension");
        XSelectInput(dpy, window, StructureNotifyMask);
        if (frame != window) XSelectInput(dpy, frame, StructureNotifyMask);
        damage_ = XDamageCreate(dpy, window, XDamageReportRawRectangles);
        const Geometry g = GeometryOf(dpy, window);
        width_ = g.width;
        height_ = g.height;
        const Geometry f = GeometryOf(dpy, frame);
        frameX_ = f.x;
        frameY_ = f.y;
    }
    ~Watch() { XDamageDestroy(dpy_, damage_); }

    // Reads every event queued or arriving until the deadline; true if any counted.
    bool Pump(Clock::time_point until) {
        bool any = false;
        for (;;) {
            while (XPending(dpy_)) any |= Handle();
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0) return any;
            pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left));
        }
    }

    // Waits until nothing has changed for the quiet time.
    void Settle() {
        const auto limit = Clock::now() + kSettleLimit;
        while (Clock::now() < limit)
            if (!Pump(std::max(Clock::now(), lastChange_) + kQuiet) && Clock::now() >= lastChange_ + kQuiet) break;
    }

    void StartCounting() {
        counting_ = true;
        shownSizes_ = shownPositions_ = paints_ = configures_ = 0;
    }
    void StopCounting() { counting_ = false; }

    int shownSizes_ = 0, shownPositions_ = 0, paints_ = 0, configures_ = 0;
    int width_ = 0, height_ = 0, frameX_ = 0, frameY_ = 0;
    Clock::time_point lastChange_ = Clock::now();  // of anything watched
    Clock::time_point lastSize_ = lastChange_;     // the last size change or paint
    Clock::time_point lastPosition_ = lastChange_;  // the last move of the frame

private:
    bool Handle() {
        XEvent e;
        XNextEvent(dpy_, &e);
        const auto now = Clock::now();
        if (e.type == damageEvent_ + XDamageNotify) {
            ++paints_;
            lastChange_ = lastSize_ = now;
            if (width_ != paintedWidth_ || height_ != paintedHeight_) {
                paintedWidth_ = width_;
                paintedHeight_ = height_;
                if (counting_) ++shownSizes_;
            }
            return true;
        }
        if (e.type != ConfigureNotify || e.xconfigure.send_event) return false;
        const XConfigureEvent& c = e.xconfigure;
        if (c.window == window_ && (c.width != width_ || c.height != height_)) {
            width_ = c.width;
            height_ = c.height;
            ++configures_;
            lastChange_ = lastSize_ = now;
            return true;
        }
        if (c.window == frame_ && (c.x != frameX_ || c.y != frameY_)) {
            frameX_ = c.x;
            frameY_ = c.y;
            if (counting_) ++shownPositions_;
            lastChange_ = lastPosition_ = now;
            return true;
        }
        return false;
    }

    Display* dpy_;
    Window window_, frame_;
    Damage damage_ = 0;
    int damageEvent_ = 0;
    int paintedWidth_ = -1, paintedHeight_ = -1;
    bool counting_ = false;
};

// One drag, with the figures printed; the exit status.
int Measure(Display* dpy, const Options& o) {
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor)) Die("the X server has no XTest extension");

    const Window frame = FrameOf(dpy, o.window);
    Watch watch(dpy, o.window, frame);
    // The same place, and the asked size, before every drag.
    const Geometry before = GeometryOf(dpy, o.window);
    MoveResize(dpy, o.window, kStartX, kStartY, o.startWidth ? o.startWidth : before.width,
               o.startHeight ? o.startHeight : before.height);
    watch.Settle();

    const Geometry w = GeometryOf(dpy, o.window), f = GeometryOf(dpy, frame);
    const bool decorated = f.width > w.width || f.height > w.height;
    int x = 0, y = 0;
    if (o.corner && decorated) {
        x = f.x + f.width - kFrameCornerInset;
        y = f.y + f.height - kFrameCornerInset;
    } else if (o.corner) {
        x = w.x + w.width - kCornerInset;
        y = w.y + w.height - kCornerInset;
    } else if (decorated) {
        x = f.x + kTitleX;
        y = f.y + (w.y - f.y) / 2;
    } else {
        x = w.x + kTitleX;
        y = w.y + kTitleY;
    }
    const int startWidth = watch.width_, startHeight = watch.height_;
    const int startX = watch.frameX_, startY = watch.frameY_;

    XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
    XFlush(dpy);
    watch.Pump(Clock::now() + kPressPause);
    XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    XFlush(dpy);
    watch.Pump(Clock::now() + kPressPause);

    const std::vector<double> cpuBefore = CpuMs(o);
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / o.hz));
    const auto begin = Clock::now();
    watch.StartCounting();
    for (int i = 1; i <= o.moves; ++i) {
        watch.Pump(begin + (i - 1) * period);
        XTestFakeMotionEvent(dpy, -1, x + i * o.step, y + i * o.step, CurrentTime);
        XFlush(dpy);
    }
    const auto lastMove = Clock::now();
    const int shownInDrag = o.corner ? watch.shownSizes_ : watch.shownPositions_;
    watch.Settle();
    watch.StopCounting();
    const int shownAll = o.corner ? watch.shownSizes_ : watch.shownPositions_;
    const auto end = o.corner ? watch.lastSize_ : watch.lastPosition_;
    std::vector<double> cpuMs = CpuMs(o);
    for (std::size_t i = 0; i < cpuMs.size(); ++i) cpuMs[i] -= cpuBefore[i];
    XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    XFlush(dpy);
    watch.Settle();

    const double dragS = std::chrono::duration<double>(lastMove - begin).count();
    const double lag = std::max(0.0, Ms(end - lastMove).count());
    std::printf("shown=%d share=%.3f per_s=%.1f lag_ms=%.1f shown_after=%d", shownInDrag,
                double(shownInDrag) / o.moves, shownInDrag / dragS, lag, shownAll - shownInDrag);
    if (o.corner)
        std::printf(" from=%dx%d final=%dx%d", startWidth, startHeight, watch.width_, watch.height_);
    else
        std::printf(" from=%d,%d final=%d,%d", startX, startY, watch.frameX_, watch.frameY_);
    std::printf(" grab=%d,%d framed=%d paints=%d configures=%d", x, y, decorated ? 1 : 0, watch.paints_,
                watch.configures_);
    for (std::size_t i = 0; i < o.cpu.size(); ++i) std::printf(" cpu_%s_ms=%.0f", o.cpu[i].first.c_str(), cpuMs[i]);
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) Die("cannot open the display");
    const int status = Measure(dpy, o);
    XCloseDisplay(dpy);
    return status;
}
