// Scenario runner: drives the simulated host from text commands, one a line.
#pragma once

#include <array>
#include <iosfwd>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "host/backends/sim/sim_host.h"

namespace tarvik {

class Scenario {
public:
    // Runs every line of the input; returns the exit status (0, or non-zero after an error
    // or when the program ended through an unhandled failure).
    int Run(std::istream& in, std::ostream& out, std::ostream& err);
    // Runs one command line; throws std::runtime_error with a message on a bad command.
    void Execute(const std::string& line, std::ostream& out);
    // The host, once started.
    sim::SimHost* Host() { return host_.get(); }
    // The state line that the state command prints.
    std::string StateJson() const;
    // Snapshots are composed in memory and never written (for fuzzing: no file names from input).
    void KeepSnapshotsInMemory() { snapshotsToMemory_ = true; }

private:
    int screenWidth_ = 1024, screenHeight_ = 768;
    double scale_ = 1;
    std::vector<std::string> pendingFailures_;  // test aid: commands that fail from the start
    std::optional<std::array<int, 4>> screenWork_;  // the primary monitor's work area, if not all of it
    std::vector<sim::SimHost::Monitor> monitors_;  // beside the screen, the primary monitor
    std::unique_ptr<sim::SimHost> host_;
    std::unique_ptr<Form1> form_;
    bool snapshotsToMemory_ = false;
};

}  // namespace tarvik
