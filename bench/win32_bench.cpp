// tarvik-win32-bench: the Win32 backend's resize chain and its paint (the face shown on the
// window) against a FillRect of a bitmap of the same size, in the same process, under Wine or
// Windows. Prints each figure, the ratio with its target, heap allocations per call and how
// much of the window a small change invalidates.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "app/form1.h"
#include "host/twips.h"
#include "host/backends/win32/win32_host.h"

namespace {

std::atomic<unsigned long long> g_allocations{0};

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kRounds = 5;           // the best of five rounds is reported
constexpr double kRoundSeconds = 0.3;
constexpr double kTarget = 3.0;      // chain plus paint within this many FillRects

double Now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds per call of f: the best of several rounds, each long enough to be timed well.
template <class F>
double Time(F&& f) {
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        int calls = 0;
        const double start = Now();
        double elapsed = 0;
        do {
            f();
            ++calls;
            elapsed = Now() - start;
        } while (elapsed < kRoundSeconds);
        best = std::min(best, elapsed / calls);
    }
    return best;
}

// Heap allocations of one call of f.
template <class F>
unsigned long long Allocations(F&& f) {
    const unsigned long long before = g_allocations.load();
    f();
    return g_allocations.load() - before;
}

// Pumps every pending message.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The pixels of the window's pending update region.
long UpdateArea(::HWND hwnd) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    long area = 0;
    if (GetUpdateRgn(hwnd, region, FALSE) > NULLREGION) {
        const DWORD bytes = GetRegionData(region, 0, nullptr);
        auto* data = static_cast<RGNDATA*>(std::malloc(bytes));
        if (data && GetRegionData(region, bytes, data)) {
            const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i)
                area += static_cast<long>(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
        }
        std::free(data);
    }
    DeleteObject(region);
    return area;
}

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

int main() {
    using namespace tarvik;
    win32::Win32Host host(Form1Design(), GetModuleHandleW(nullptr));
    Form1 form(host);
    host.QuietFailures();
    host.Attach(&form);
    host.Start();
    host.Move(0, 0);
    host.SetWidth(PixelsToTwips(kWidth));
    host.SetHeight(PixelsToTwips(kHeight));
    Pump();
    ::HWND hwnd = host.Window();
    RECT client{};
    GetClientRect(hwnd, &client);
    if (client.right != kWidth || client.bottom != kHeight) {
        std::printf("win32: the window is %ld x %ld, not %d x %d (is the screen large enough?)\n", client.right,
                    client.bottom, kWidth, kHeight);
        return 1;
    }

    // The floor: one FillRect of a 32 bpp bitmap of the window's size.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(Form1Design().backColor);
    const RECT all{0, 0, kWidth, kHeight};
    const double floor = Time([&] {
        FillRect(dc, &all, brush);
        GdiFlush();
    });

    const auto chain = [&] { form.Form_Resize(); };
    const double outlineSeconds = Time([&] { form.RMe(); });
    HDC windowDc = GetDC(hwnd);
    const double blitSeconds = Time([&] {
        BitBlt(windowDc, 0, 0, kWidth, kHeight, dc, 0, 0, SRCCOPY);
        GdiFlush();
    });
    ReleaseDC(hwnd, windowDc);
    const auto paint = [&] {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);  // the WM_PAINT, synchronously
        GdiFlush();
    };
    const auto chainAndPaint = [&] {
        form.Form_Resize();
        UpdateWindow(hwnd);
        GdiFlush();
    };
    chainAndPaint();
    const double chainSeconds = Time(chain);
    const double paintSeconds = Time(paint);
    const double bothSeconds = Time(chainAndPaint);
    const unsigned long long chainAllocs = Allocations(chain);
    UpdateWindow(hwnd);
    const unsigned long long paintAllocs = Allocations(paint);

    // What a small change leaves to paint: a hover picture on the maximize button.
    UpdateWindow(hwnd);
    host.SetPicture(Elem::Immax, host.GetPicture(Elem::Immax1));
    const long hoverArea = UpdateArea(hwnd);
    host.SetPicture(Elem::Immax, Picture::None);
    UpdateWindow(hwnd);
    form.Form_Resize();
    const long chainArea = UpdateArea(hwnd);
    UpdateWindow(hwnd);

    std::printf("win32 backend at %d x %d (best of %d rounds)\n", kWidth, kHeight, kRounds);
    std::printf("  FillRect of a same-size bitmap (floor) %10.4f ms\n", floor * 1000);
    std::printf("  chain (Form_Resize)                    %10.4f ms  %6.2fx floor, %llu heap allocations\n",
                chainSeconds * 1000, chainSeconds / floor, chainAllocs);
    std::printf("  paint (WM_PAINT of the whole window)   %10.4f ms  %6.2fx floor, %llu heap allocations\n",
                paintSeconds * 1000, paintSeconds / floor, paintAllocs);
    std::printf("  outline (RMe)                          %10.4f ms  %6.2fx floor\n", outlineSeconds * 1000,
                outlineSeconds / floor);
    std::printf("  one BitBlt of a whole bitmap onto the window %10.4f ms  %6.2fx floor\n", blitSeconds * 1000,
                blitSeconds / floor);
    std::printf("  chain then its paint                   %10.4f ms  %6.2fx floor\n", bothSeconds * 1000,
                bothSeconds / floor);
    std::printf("  invalidated by a hover picture: %ld px; by the chain: %ld px of %d\n", hoverArea, chainArea,
                kWidth * kHeight);
    const double ratio = bothSeconds / floor;
    std::printf("\n  %-58s %9.3fx  <= %.2fx  %s\n", "win32 chain plus paint / FillRect at 1920 x 1080", ratio, kTarget,
                ratio <= kTarget ? "met" : "MISSED");

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(brush);
    return 0;
}
