#include "tests/win32/check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

namespace tarvik::check {

namespace {

struct State {
    std::vector<std::pair<const char*, void (*)()>> tests;
    int passed = 0;
    int failed = 0;
    const char* current = "";
};

State& Get() {
    static State state;
    return state;
}

}  // namespace

Registrar::Registrar(const char* name, void (*function)()) { Get().tests.emplace_back(name, function); }

void Record(bool ok, const char* file, int line, const std::string& message) {
    State& s = Get();
    if (ok) {
        ++s.passed;
        return;
    }
    ++s.failed;
    std::printf("FAILED %s at %s:%d: %s\n", s.current, file, line, message.c_str());
    std::fflush(stdout);
}

int RunAll() {
    State& s = Get();
    // TARVIK_CHECK_FILTER=text runs only the tests whose names contain the text.
    const char* filter = std::getenv("TARVIK_CHECK_FILTER");
    for (const auto& [name, function] : s.tests) {
        if (filter && *filter && !std::strstr(name, filter)) continue;
        s.current = name;
        std::printf("[ RUN ] %s\n", name);
        std::fflush(stdout);
        const int failedBefore = s.failed;
        try {
            function();
        } catch (const std::exception& e) {
            Record(false, name, 0, std::string("unexpected exception: ") + e.what());
        }
        std::printf("[ %s ] %s\n", s.failed == failedBefore ? "OK" : "FAILED", name);
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed\n", s.passed, s.failed);
    std::fflush(stdout);
    return s.failed == 0 && s.passed > 0 ? 0 : 1;
}

}  // namespace tarvik::check
