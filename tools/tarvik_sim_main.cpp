// tarvik-sim: runs a scenario from standard input against the simulated host.
#include <iostream>

#include "host/backends/sim/sim_scenario.h"

int main(int argc, char**) {
    if (argc > 1) {
        std::cerr << "usage: tarvik-sim < scenario\n"
                     "  one command a line: screen W H, start, resize W H, move X Y, down B [mods], up B [mods],\n"
                     "  wait MS, minimize-restore, capture-lost, state, snapshot FILE, fail COMMAND\n";
        return 2;
    }
    tarvik::Scenario scenario;
    return scenario.Run(std::cin, std::cout, std::cerr);
}
