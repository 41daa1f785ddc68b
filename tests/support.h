// Helpers for tests that drive the simulated host through scenario commands.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "host/backends/sim/sim_scenario.h"

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
    // Runs newline-separated commands; fails the test on an error. "at X Y" moves the pointer to
    // window pixel (X, Y) of the window as it stands at that line.
    void Do(const std::string& commands);
    // Runs commands and returns what was printed.
    std::string Output(const std::string& commands);
    // Runs one command that must be refused; returns its error message ("" if it was accepted).
    std::string Refusal(const std::string& command);
    sim::SimHost& Host();
    // Moves the pointer to window pixel (x, y).
    void MoveToWindow(int x, int y);
    // An element's look as "picture/tag": "A9/1" is the hover picture with its marker, "/" at rest.
    std::string Look(Elem e);
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

// Form1 behind a spy that hands it every event and records what reaches it.
class FormSpy : public FormEvents {
public:
    FormSpy(sim::SimHost& host, Form1& form) : host_(host), form_(form) {}
    void OnLoad() override { form_.OnLoad(); }
    void OnResize() override;
    void OnFormMouseMove(const MouseArgs& a) override { form_.OnFormMouseMove(a); }
    void OnMouseDown(Elem e, const MouseArgs& a) override { form_.OnMouseDown(e, a); }
    void OnMouseMove(Elem e, const MouseArgs& a) override { form_.OnMouseMove(e, a); }
    void OnMouseUp(Elem e, const MouseArgs& a) override { form_.OnMouseUp(e, a); }
    void OnClick(Elem e) override { form_.OnClick(e); }
    void OnDblClick(Elem e) override { form_.OnDblClick(e); }
    void OnWindowStateChanged() override;
    bool HandlesDblClick(Elem e) const override { return form_.HandlesDblClick(e); }

    std::vector<std::pair<float, float>> sizes;  // the window's width and height at each Resize
    int systemChanges = 0;                       // the system's state changes that reached the window

private:
    sim::SimHost& host_;
    Form1& form_;
};

// Where tests write pictures for people to look at.
std::string OutPath(const std::string& name);

}  // namespace tarvik::test
