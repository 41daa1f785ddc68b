// A stand-in for libXinerama.so.1 that reports two monitors of 1024 x 768 side by side (or those
// named in TARVIK_MONITORS, "X,Y,W,H;X,Y,W,H"), so that Wine (with its XRandR use off) sees
// several monitors on one virtual screen, which Xvfb cannot lay out itself. Test use only. The
// fixed pair is the default because Wine's own processes (its desktop, which sets up the monitor
// list) do not all get the test's environment.
#include <cstdio>
#include <cstdlib>

extern "C" {

typedef struct {
    int screen_number;
    short x_org, y_org, width, height;
} XineramaScreenInfo;

enum { kMaxMonitors = 8 };

// The monitors from the environment, their count in *number; null when none are named.
static XineramaScreenInfo* Monitors(int* number) {
    const char* spec = std::getenv("TARVIK_MONITORS");
    if (!spec) spec = "0,0,1024,768;1024,0,1024,768";
    // Xlib's XFree is free: the list comes from calloc.
    auto* list = static_cast<XineramaScreenInfo*>(std::calloc(kMaxMonitors, sizeof(XineramaScreenInfo)));
    *number = 0;
    while (list && spec && *spec && *number < kMaxMonitors) {
        int x, y, w, h, used = 0;
        if (std::sscanf(spec, "%d,%d,%d,%d%n", &x, &y, &w, &h, &used) != 4) break;
        list[*number] = XineramaScreenInfo{*number, static_cast<short>(x), static_cast<short>(y), static_cast<short>(w),
                                           static_cast<short>(h)};
        ++*number;
        spec += used;
        if (*spec == ';') ++spec;
    }
    if (*number == 0) {
        std::free(list);
        return nullptr;
    }
    return list;
}

// The extension is there.
int XineramaQueryExtension(void* display, int* event_base, int* error_base) {
    (void)display;
    *event_base = *error_base = 0;
    return 1;
}

// Version 1.1, as Xvfb's.
int XineramaQueryVersion(void* display, int* major, int* minor) {
    (void)display;
    *major = 1;
    *minor = 1;
    return 1;
}

// Active whenever monitors are named.
int XineramaIsActive(void* display) {
    int n;
    XineramaScreenInfo* list = Monitors(&n);
    (void)display;
    std::free(list);
    return n > 0;
}

// The named monitors; the caller frees the list with XFree.
XineramaScreenInfo* XineramaQueryScreens(void* display, int* number) {
    (void)display;
    return Monitors(number);
}

}  // extern "C"
