// libFuzzer target: any bytes as a scenario for the runner. Each input must end with a result
// or a reported error; a crash, a sanitizer report, a leak or a time-out is a finding.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "host/backends/sim/sim_scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out, err;
    tarvik::Scenario scenario;
    scenario.KeepSnapshotsInMemory();  // no file names from the input
    scenario.Run(in, out, err);
    return 0;
}
