// GDI objects stay flat across many resizes. Wine reports no per-process GDI counts, so the
// headroom is measured instead: how many more regions can still be made before and after.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/win32/check.h"
#include "tests/win32/support.h"

namespace tarvik::test {

namespace {

constexpr int kResizes = 10000;
constexpr int kTolerance = 64;
constexpr int kCap = 200000;

// Creates regions until that fails (or the cap), frees them all, and returns how many there were.
int RegionHeadroom() {
    std::vector<::HRGN> regions;
    regions.reserve(70000);
    while (static_cast<int>(regions.size()) < kCap) {
        ::HRGN r = CreateRectRgn(0, 0, 1, 1);
        if (!r) break;
        regions.push_back(r);
    }
    for (::HRGN r : regions) DeleteObject(r);
    return static_cast<int>(regions.size());
}

}  // namespace

TEST(GdiHandlesStayFlatAcrossTenThousandResizes) {
    Program p;
    const int before = RegionHeadroom();
    const DWORD start = GetTickCount();
    for (int i = 0; i < kResizes; ++i) {
        p.host.SetWidth(i % 2 ? 4500.0f : 4515.0f);
        if (i % 100 == 0) PumpIdle();
    }
    const DWORD elapsed = GetTickCount() - start;
    PumpIdle();
    const int after = RegionHeadroom();
    std::printf("region headroom before %d, after %d; %d resizes in %lu ms\n", before, after, kResizes,
                static_cast<unsigned long>(elapsed));
    CHECK(before > 1000);
    CHECK(before < kCap);
    CHECK_EQ(std::string("drop <= ") + std::to_string(kTolerance),
             std::string("drop ") + (before - after <= kTolerance ? "<= " + std::to_string(kTolerance)
                                                                   : "= " + std::to_string(before - after)));
    CHECK_EQ(kResizes + 1, p.host.ResizeCount());
}

// A creation that fails once the window exists gives everything back before the failure leaves
// the constructor: no window is left whose procedure could reach the half-made host, and the
// font, face and icons of many failed creations leave the GDI headroom as it was.
TEST(AFailedCreationLeavesNoWindowAndNoObjectsBehind) {
    constexpr int kAttempts = 200;
    PumpIdle();
    const int before = RegionHeadroom();
    int failures = 0;
    std::string message;
    for (int i = 0; i < kAttempts; ++i) {
        try {
            win32::Win32Host host(Form1Design(), GetModuleHandleW(nullptr), win32::Win32Host::CreationFault::AfterWindow);
        } catch (const Failure& failure) {
            ++failures;
            message = failure.what();
        }
        // What a message box would pump meanwhile: nothing may reach the host that is gone.
        PumpIdle();
    }
    const int after = RegionHeadroom();
    std::printf("region headroom before %d, after %d failed creations %d\n", before, kAttempts, after);
    CHECK_EQ(kAttempts, failures);
    CHECK_EQ(std::string("win32: CreateRectRgn failed"), message.substr(0, 27));
    CHECK(FindWindowW(L"TarvikForm1", nullptr) == nullptr);
    CHECK_EQ(std::string("drop <= ") + std::to_string(kTolerance),
             std::string("drop ") + (before - after <= kTolerance ? "<= " + std::to_string(kTolerance)
                                                                   : "= " + std::to_string(before - after)));
}

}  // namespace tarvik::test
