// A small self-contained check harness for the Windows-side tests (GoogleTest is not
// available to the cross builds). Each failing check prints what was expected and what came;
// the run ends with "N passed, M failed" and a non-zero status if any check failed.
#pragma once

#include <sstream>
#include <string>

namespace tarvik::check {

// Registers a test function under a name; runs in registration order.
struct Registrar {
    Registrar(const char* name, void (*function)());
};

// Records one check's outcome; a failure prints its location and message.
void Record(bool ok, const char* file, int line, const std::string& message);

// Runs every registered test (a test that throws counts as one failed check) and prints the totals.
int RunAll();

template <class T>
std::string Show(const T& value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

}  // namespace tarvik::check

#define TEST(name)                                                      \
    static void name();                                                 \
    static const ::tarvik::check::Registrar registrar_##name(#name, name); \
    static void name()

#define CHECK(condition) \
    ::tarvik::check::Record(static_cast<bool>(condition), __FILE__, __LINE__, "expected " #condition " to hold")

#define CHECK_EQ(expected, actual)                                                                           \
    do {                                                                                                     \
        const auto& e_ = (expected);                                                                         \
        const auto& a_ = (actual);                                                                           \
        ::tarvik::check::Record(e_ == a_, __FILE__, __LINE__,                                                \
                                std::string(#actual " : expected ") + ::tarvik::check::Show(e_) + ", got " + \
                                    ::tarvik::check::Show(a_));                                              \
    } while (0)
