// first-frame: starts a program and measures how long its first frame takes to reach the screen
// (the pixel at the screen's centre, where both windows measured open, changes from the desktop's
// colour), then its resident memory a second later, and ends it.
//   first-frame PROGRAM [ARGS...]   prints: first_frame_ms=12.3 rss_kb=45678
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

constexpr auto kTimeout = std::chrono::seconds(30);
constexpr auto kSettle = std::chrono::seconds(1);

unsigned long CentrePixel(Display* display) {
    const int screen = DefaultScreen(display);
    XImage* image = XGetImage(display, RootWindow(display, screen), DisplayWidth(display, screen) / 2,
                              DisplayHeight(display, screen) / 2, 1, 1, AllPlanes, ZPixmap);
    const unsigned long pixel = image ? XGetPixel(image, 0, 0) : 0;
    if (image) XDestroyImage(image);
    return pixel;
}

// VmRSS of the process, in kB; -1 if it cannot be read.
long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: first-frame PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first-frame: cannot open the display\n");
        return 2;
    }
    const unsigned long before = CentrePixel(display);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
        std::fprintf(stderr, "first-frame: cannot start %s\n", argv[1]);
        return 2;
    }
    bool painted = false;
    while (std::chrono::steady_clock::now() - start < kTimeout) {
        if (CentrePixel(display) != before) {
            painted = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(kSettle);
    const long rss = ResidentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    if (!painted) {
        std::fprintf(stderr, "first-frame: %s painted nothing at the screen's centre within 30 s\n", argv[1]);
        return 1;
    }
    std::printf("first_frame_ms=%.1f rss_kb=%ld\n", ms, rss);
    return 0;
}
