// Helpers for tests that drive the simulated host through scenario commands.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "host/sim/sim_scenario.h"

namespace tarvik::test {

// One RGBA pixel as the user sees it (alpha 0: outside the window's outline).
struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
std::string ToString(const Rgba& p);

// A scenario run in-process; every command must succeed.
class Sim {
public:
    // Runs newline-separated commands; fails the test on an error.
    void Do(const std::string& commands);
    // Runs commands and returns what was printed.
    std::string Output(const std::string& commands);
    // Runs one command that must be refused; returns its error message ("" if it was accepted).
    std::string Refusal(const std::string& command);
    sim::SimHost& Host();
    // The pixel of the current snapshot at window pixel x, y.
    Rgba At(int x, int y);
    // Pixel (x, y) of an embedded picture, as decoded.
    static Rgba PicturePixel(Picture picture, int x, int y);

private:
    Scenario scenario_;
    std::vector<std::uint32_t> shot_;  // the last snapshot, kept while nothing visible changes
    int shotW_ = 0, shotH_ = 0;
    std::uint64_t shotGeneration_ = ~0ull;
};

// Where tests write pictures for people to look at.
std::string OutPath(const std::string& name);

}  // namespace tarvik::test
