// A stand-in for libXinerama.so.1 that reports two monitors of 1024 x 768 side by side, so that
// Wine (with its XRandR use off) sees two monitors on one 2048 x 768 virtual screen, which Xvfb
// cannot lay out itself. Test use only (tests/win32/run_with_monitors.sh preloads it).
#include <cstdlib>

extern "C" {

struct XineramaScreenInfo {
    int screen_number;
    short x_org, y_org, width, height;
};

// The extension is there, version 1.1, and active.
int XineramaQueryExtension(void*, int* event_base, int* error_base) { return *event_base = *error_base = 0, 1; }
int XineramaQueryVersion(void*, int* major, int* minor) { return *major = 1, *minor = 1, 1; }
int XineramaIsActive(void*) { return 1; }

// The two monitors; the caller frees the list with XFree, which is free.
XineramaScreenInfo* XineramaQueryScreens(void*, int* number) {
    auto* list = static_cast<XineramaScreenInfo*>(std::calloc(2, sizeof(XineramaScreenInfo)));
    if (!list) return *number = 0, nullptr;
    list[0] = {0, 0, 0, 1024, 768};
    list[1] = {1, 1024, 0, 1024, 768};
    *number = 2;
    return list;
}

}  // extern "C"
