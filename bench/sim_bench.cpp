// tarvik-bench: the resize chain on the simulated host against the floor of writing the
// window's pixels once, a corner-grip drag through the shared runtime, and the outline alone.
// Prints Google Benchmark's figures, then a table of ratios with their targets.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/form1.h"
#include "bench/alloc_count.h"
#include "bench/summary.h"
#include "host/backends/sim/sim_host.h"

namespace tarvik::bench {

namespace {

struct Size {
    int w, h;
};

constexpr Size kSizes[] = {{290, 231}, {1280, 800}, {1920, 1080}, {3840, 2160}};
constexpr Size kFullHd = {1920, 1080};
constexpr Size kDragFrom = {800, 600};
constexpr int kDragMoves = 1000;
constexpr int kDragSweeps = 4;  // out and back twice: every move changes both width and height
constexpr Color kFloorColor = 0x00FAFAFA;

std::string Name(const char* what, Size s) { return std::string(what) + "/" + std::to_string(s.w) + "x" + std::to_string(s.h); }

// Form1 started on the simulated host, on a screen that holds the largest window.
struct Program {
    sim::SimHost host{kSizes[3].w, kSizes[3].h};
    Form1 form{host};
    Program() {
        host.Attach(&form);
        host.Start();
    }
};

// Allocations per iteration, as a counter.
class AllocationCounter {
public:
    explicit AllocationCounter(benchmark::State& state) : state_(state), start_(Allocations()) {}
    ~AllocationCounter() {
        state_.counters["allocs"] = benchmark::Counter(static_cast<double>(Allocations() - start_),
                                                       benchmark::Counter::kAvgIterations);
    }

private:
    benchmark::State& state_;
    std::uint64_t start_;
};

// The floor: one opaque fill of a bitmap of the window's size, in the face's pixel format.
void Floor(benchmark::State& state, Size s) {
    cairo_surface_t* bitmap = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.w, s.h);
    cairo_t* cr = cairo_create(bitmap);
    cairo_paint(cr);  // the first touch of fresh pages is the system's cost, not the fill's
    for (auto _ : state) {
        cairo_set_source_rgb(cr, (kFloorColor & 0xFF) / 255.0, ((kFloorColor >> 8) & 0xFF) / 255.0,
                             ((kFloorColor >> 16) & 0xFF) / 255.0);
        cairo_paint(cr);
    }
    cairo_surface_flush(bitmap);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(bitmap));
    cairo_destroy(cr);
    cairo_surface_destroy(bitmap);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * s.w * s.h * 4);
}

// The whole Form_Resize chain at one size: placement, face fill, eight slices, icon, caption
// twice, outline.
void Chain(benchmark::State& state, Size s) {
    Program p;
    p.host.ResizeOuter(s.w, s.h);
    if (p.host.PixelWidth() != s.w || p.host.PixelHeight() != s.h) {
        state.SkipWithError("the simulated window did not take the size");
        return;
    }
    p.form.Form_Resize();  // pictures decoded, fonts loaded: what every later layout finds
    {
        AllocationCounter allocs(state);
        for (auto _ : state) p.form.Form_Resize();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * s.w * s.h * 4);
}

// The outline alone: RMe with the host's region work.
void Outline(benchmark::State& state, Size s) {
    Program p;
    p.host.ResizeOuter(s.w, s.h);
    AllocationCounter allocs(state);
    for (auto _ : state) p.form.RMe();
}

// A drag of the corner grip: the window at the screen's top-left, the grip pressed, and the
// pointer moved along the given window sizes (the window's bottom-right corner follows it).
void Drag(benchmark::State& state, const std::vector<Size>& path) {
    Program p;
    p.host.Move(0, 0);
    p.host.ResizeOuter(path.front().w, path.front().h);
    p.host.PointerTo(path.front().w - 5, path.front().h - 5);
    p.host.ButtonDown(kLeftButton, 0);
    if (p.host.CaptureElement() != Elem::Pjiao) {
        state.SkipWithError("the press did not arm the corner grip");
        return;
    }
    const int layoutsBefore = p.host.ResizeCount();
    {
        AllocationCounter allocs(state);
        for (auto _ : state)
            for (const Size& s : path) p.host.PointerTo(s.w, s.h);
    }
    p.host.ButtonUp(kLeftButton, 0);
    const double moves = static_cast<double>(state.iterations()) * static_cast<double>(path.size());
    state.counters["moves/s"] = benchmark::Counter(moves, benchmark::Counter::kIsRate);
    state.counters["layouts/move"] = (p.host.ResizeCount() - layoutsBefore) / moves;
    state.SetItemsProcessed(static_cast<std::int64_t>(moves));
}

// The floor of a drag: one opaque fill per move, of that move's window size.
void DragFloor(benchmark::State& state, const std::vector<Size>& path) {
    Size most{0, 0};
    for (const Size& s : path) most = {std::max(most.w, s.w), std::max(most.h, s.h)};
    cairo_surface_t* bitmap = cairo_image_surface_create(CAIRO_FORMAT_RGB24, most.w, most.h);
    cairo_t* cr = cairo_create(bitmap);
    cairo_paint(cr);
    for (auto _ : state) {
        for (const Size& s : path) {
            cairo_set_source_rgb(cr, 0.98, 0.98, 0.98);
            cairo_rectangle(cr, 0, 0, s.w, s.h);
            cairo_fill(cr);
        }
    }
    cairo_surface_flush(bitmap);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(bitmap));
    cairo_destroy(cr);
    cairo_surface_destroy(bitmap);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * path.size()));
}

// 1,000 window sizes between 800 x 600 and 1920 x 1080, out and back; each differs from the
// one before in both width and height.
std::vector<Size> SweepPath() {
    std::vector<Size> path;
    const int perSweep = kDragMoves / kDragSweeps;
    for (int i = 0; i < kDragMoves; ++i) {
        const int sweep = i / perSweep, step = i % perSweep + 1;
        const double t = sweep % 2 == 0 ? static_cast<double>(step) / perSweep : 1.0 - static_cast<double>(step) / perSweep;
        path.push_back({kDragFrom.w + static_cast<int>(t * (kFullHd.w - kDragFrom.w) + 0.5),
                        kDragFrom.h + static_cast<int>(t * (kFullHd.h - kDragFrom.h) + 0.5)});
    }
    return path;
}

// Moves that stay at 1920 x 1080 give or take a pixel, changing both dimensions each time.
std::vector<Size> FullHdPath() {
    std::vector<Size> path;
    for (int i = 0; i < kDragMoves; ++i) path.push_back(i % 2 ? kFullHd : Size{kFullHd.w - 1, kFullHd.h - 1});
    return path;
}

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Register() {
    const auto add = [](const std::string& name, auto&& function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->Unit(benchmark::kMillisecond)
            ->ComputeStatistics("min", Min);
    };
    for (const Size& s : kSizes) {
        add(Name("sim/floor", s), [s](benchmark::State& st) { Floor(st, s); });
        add(Name("sim/chain", s), [s](benchmark::State& st) { Chain(st, s); });
    }
    add(Name("sim/outline", kFullHd), [](benchmark::State& st) { Outline(st, kFullHd); });
    static const std::vector<Size> sweep = SweepPath(), fullHd = FullHdPath();
    add("sim/drag-floor/800x600-1920x1080", [](benchmark::State& st) { DragFloor(st, sweep); });
    add("sim/drag/800x600-1920x1080", [](benchmark::State& st) { Drag(st, sweep); });
    add("sim/drag/1920x1080", [](benchmark::State& st) { Drag(st, fullHd); });
}

int Report(const Summary& summary) {
    std::printf("\nsimulated host, per size\n  %-12s %14s %14s %10s\n", "window", "chain", "floor", "ratio");
    for (const Size& s : kSizes) {
        const auto chain = summary.Seconds(Name("sim/chain", s)), floor = summary.Seconds(Name("sim/floor", s));
        const auto ratio = Divide(chain, floor);
        std::printf("  %-12s %14s %14s %9.2fx\n", (std::to_string(s.w) + " x " + std::to_string(s.h)).c_str(),
                    Ms(chain).c_str(), Ms(floor).c_str(), ratio ? *ratio : 0.0);
    }
    const auto floorHd = summary.Seconds(Name("sim/floor", kFullHd));
    const auto perMove = [&](const char* name) { return Divide(summary.Seconds(name), kDragMoves); };
    const auto sweepMove = perMove("sim/drag/800x600-1920x1080");
    const auto sweepFloor = perMove("sim/drag-floor/800x600-1920x1080");
    const auto hdMove = perMove("sim/drag/1920x1080");
    const auto movesPerSecond = summary.Counter("sim/drag/800x600-1920x1080", "moves/s");
    std::printf("\ncorner drag, %d moves between 800 x 600 and 1920 x 1080: %.0f moves/s, %s a move (floor %s)\n",
                kDragMoves, movesPerSecond ? *movesPerSecond : 0.0, Ms(sweepMove).c_str(), Ms(sweepFloor).c_str());
    std::printf("corner drag at 1920 x 1080: %s a move\n", Ms(hdMove).c_str());
    std::printf("outline (RMe) at 1920 x 1080: %s a call\n", Ms(summary.Seconds(Name("sim/outline", kFullHd))).c_str());

    std::vector<Ratio> ratios;
    for (const Size& s : kSizes) {
        std::optional<double> target;
        if (s.w == 1920) target = 1.5;
        if (s.w == 3840) target = 1.3;
        ratios.push_back({"chain / floor at " + std::to_string(s.w) + " x " + std::to_string(s.h),
                          Divide(summary.Seconds(Name("sim/chain", s)), summary.Seconds(Name("sim/floor", s))), target});
    }
    ratios.push_back({"chain at 290 x 231 / floor at 1920 x 1080", Divide(summary.Seconds(Name("sim/chain", kSizes[0])), floorHd), 0.4});
    ratios.push_back({"outline / chain at 1920 x 1080",
                      Divide(summary.Seconds(Name("sim/outline", kFullHd)), summary.Seconds(Name("sim/chain", kFullHd))), 0.05});
    ratios.push_back({"corner-drag move / its floor, 800 x 600 to 1920 x 1080", Divide(sweepMove, sweepFloor), std::nullopt});
    ratios.push_back({"corner-drag move at 1920 x 1080 / floor at 1920 x 1080", Divide(hdMove, floorHd), 3.5});
    const int missed = PrintRatios("ratios (best of the repetitions)", ratios);
    std::printf("\n%d target(s) missed\n", missed);
    return missed;
}

}  // namespace

}  // namespace tarvik::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    tarvik::bench::Register();
    tarvik::bench::Summary summary;
    benchmark::RunSpecifiedBenchmarks(&summary);
    tarvik::bench::Report(summary);
    benchmark::Shutdown();
    return 0;
}
