// tarvik-bench: how fast the resize chain runs on the simulated host during a corner drag.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/form1.h"
#include "host/sim/sim_host.h"

int main(int argc, char** argv) {
    const int moves = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (moves <= 0) {
        std::fprintf(stderr, "usage: tarvik-bench [MOVES]\n");
        return 2;
    }
    tarvik::sim::SimHost host(1920, 1080);
    tarvik::Form1 form(host);
    host.Attach(&form);
    host.Start();
    // Grab the corner grip of the start window and drag it around.
    host.PointerTo(host.PixelLeft() + host.PixelWidth() - 5, host.PixelTop() + host.PixelHeight() - 5);
    host.ButtonDown(tarvik::kLeftButton, 0);
    const int before = host.ResizeCount();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < moves; ++i)
        host.PointerTo(host.PixelLeft() + 300 + (i * 7) % 400, host.PixelTop() + 200 + (i * 5) % 300);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    host.ButtonUp(tarvik::kLeftButton, 0);
    const int layouts = host.ResizeCount() - before;
    std::printf("corner drag: %d moves, %d layouts in %.3f s: %.0f layouts/s, %.3f ms per layout\n", moves, layouts,
                seconds, layouts / seconds, 1000.0 * seconds / (layouts ? layouts : 1));
    std::printf("region handles left: %zu\n", host.LiveRegions());
    return 0;
}
