// Where a maximized or minimized window comes back to, kept alike by every backend: the place
// it last had while normal (a restore from maximized), and the place and state it had before
// it was minimized (what a minimized window reports, and comes back to). Each backend keeps its
// places in its own terms (device or layout pixels, a RECT), so the place is a type parameter.
#pragma once

#include "host/types.h"

namespace tarvik {

template <class Place>
class RestorePlace {
public:
    explicit RestorePlace(const Place& normal) : normal_(normal), beforeMinimize_(normal) {}

    // The window is at place in state now. A minimized window's place says nothing; a normal
    // one's is where a restore comes back to, unless the backend says it is no such place (a
    // window manager that sizes a window to the work area before it says it is maximized).
    void Follow(int state, const Place& place, bool normalPlace = true) {
        if (state == kMinimized) return;
        beforeMinimize_ = place;
        stateBeforeMinimize_ = state;
        if (state == kNormal && normalPlace) normal_ = place;
    }

    // Where a restore from maximized comes back to.
    const Place& Normal() const { return normal_; }
    // The place and state the window had before it was minimized.
    const Place& BeforeMinimize() const { return beforeMinimize_; }
    int StateBeforeMinimize() const { return stateBeforeMinimize_; }

private:
    Place normal_;
    Place beforeMinimize_;
    int stateBeforeMinimize_ = kNormal;
};

}  // namespace tarvik
