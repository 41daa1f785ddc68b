// tarvik-sim as a black box: scenarios on standard input, JSON and PNGs out, clear errors.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support.h"

namespace tarvik {
namespace {

struct Result {
    int status;
    std::string out, err;
};

// Runs the tool with the scenario on standard input.
Result RunSim(const std::string& scenario, const std::string& name) {
    const std::string in = test::OutPath(name + ".in"), out = test::OutPath(name + ".out"),
                      err = test::OutPath(name + ".err");
    std::ofstream(in, std::ios::binary) << scenario;
    const std::string command = std::string(TARVIK_SIM) + " < " + in + " > " + out + " 2> " + err;
    const int raw = std::system(command.c_str());
    auto slurp = [](const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
}

TEST(SimToolTest, StateReproducesTheWorkedExample) {
    const Result r = RunSim("start\nstate\nresize 400 300\nstate\n", "worked");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string start, resized;
    std::getline(lines, start);
    std::getline(lines, resized);
    EXPECT_NE(start.find("\"window\": {\"left\": 5505, \"top\": 4027.5, \"width\": 4350, \"height\": 3465, "
                         "\"windowState\": 0}"),
              std::string::npos)
        << start;
    EXPECT_NE(resized.find("\"Immax\": {\"left\": 5220, \"top\": 120, \"width\": 255, \"height\": 240, \"visible\": true, "
                           "\"picture\": \"\", \"tag\": \"\", \"tooltip\": \"最大化\"}"),
              std::string::npos)
        << resized;
    EXPECT_NE(resized.find("\"Pmain\": {\"left\": 4080, \"top\": 3840, \"width\": 2250, \"height\": 2325, "
                           "\"visible\": false, \"picture\": \"A2\""),
              std::string::npos)
        << resized;
    // The region is the outline log the same run gives in-process, whose calls OutlineTest pins.
    test::Sim same;
    same.Do("start\nresize 400 300");
    std::string region = "\"region\": [";
    for (const std::string& call : same.Host().LastOutline()) region += (region.back() == '[' ? "\"" : ", \"") + call + "\"";
    region += "]";
    EXPECT_NE(resized.find(region), std::string::npos) << "expected " << region << " in " << resized;
}

TEST(SimToolTest, SnapshotIsAnRgbaPngOfTheWindowSize) {
    const std::string png = test::OutPath("tool-snapshot.png");
    std::remove(png.c_str());
    const Result r = RunSim("start\nresize 400 300\nsnapshot " + png + "\n", "snapshot");
    ASSERT_EQ(r.status, 0) << r.err;
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << "no PNG at " << png;
    EXPECT_EQ(cairo_image_surface_get_width(s), 400);
    EXPECT_EQ(cairo_image_surface_get_height(s), 300);
    EXPECT_EQ(cairo_image_surface_get_format(s), CAIRO_FORMAT_ARGB32) << "the PNG must carry alpha";
    const auto* first = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s));
    EXPECT_EQ(first[0] >> 24, 0u) << "the top-left corner is transparent";
    EXPECT_EQ(first[150 * 400 + 200], 0xFFFAFAFAu) << "the interior is the back colour";
    cairo_surface_destroy(s);
}

TEST(SimToolTest, BadInputIsReportedWithItsLineAndExitsNonZero) {
    struct Case {
        const char* scenario;
        const char* message;
    };
    for (const Case& c : {Case{"start\nfrobnicate\n", "line 2: unknown command 'frobnicate'"},
                          Case{"resize 10 10\n", "line 1: 'resize' needs a window"},
                          Case{"start\nresize 10\n", "line 2: 'resize' takes 2 arguments"},
                          Case{"start\nresize ten 10\n", "line 2: 'ten' is not a number"},
                          Case{"start\nresize 10x 10\n", "line 2: '10x' is not a whole number"},
                          Case{"start\nstart\n", "line 2: the window is already started"},
                          Case{"start\nscreen 800 600\n", "line 2: 'screen' must come before 'start'"},
                          Case{"screen 0 600\n", "line 1: '0' is out of range"},
                          Case{"start\ndown thumb\n", "line 2: unknown button 'thumb'"},
                          Case{"start\nsnapshot /nonexistent/dir/x.png\n", "line 2: cannot write snapshot"}}) {
        const Result r = RunSim(c.scenario, "bad");
        EXPECT_NE(r.status, 0) << c.scenario;
        EXPECT_NE(r.err.find(c.message), std::string::npos)
            << "for " << c.scenario << " expected '" << c.message << "', got '" << r.err << "'";
    }
}

TEST(SimToolTest, AnUnhandledFailureEndsTheProgramWithANonZeroStatus) {
    // Click the minimize button (start window at 367, 269; the button at 217..233, 8..23).
    const Result r = RunSim("start\nfail SetWindowState\nmove 591 284\ndown left\nup left\nstate\n", "unhandled");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("Tarvik (sim): unhandled failure in Immin_Click: sim: SetWindowState failed"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("\"running\": false"), std::string::npos) << r.out;
}

TEST(SimToolTest, CloseEndsTheRunWithStatusZeroAndRefusesLaterCommands) {
    const Result closed = RunSim("start\nmove 633 284\ndown left\nup left\nstate\n", "close");
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_NE(closed.out.find("\"running\": false"), std::string::npos) << closed.out;
    const Result after = RunSim("start\nmove 633 284\ndown left\nup left\nmove 1 1\n", "after-close");
    EXPECT_NE(after.status, 0);
    EXPECT_NE(after.err.find("line 5: the window is unloaded; 'move' is refused"), std::string::npos) << after.err;
}

// Garbage, and sizes, pointer positions and failures at the ends of their ranges: each run ends
// with a result or an error naming the line, never a signal, an abort or an escaped exception.
// The window is held to 32767 pixels each way, its position to -32768..32767.
TEST(SimToolTest, HostileScenariosEndCleanly) {
    const std::string wide = test::OutPath("hostile-wide.png");
    std::remove(wide.c_str());
    // Press the corner grip of the start window (367, 269; 290 x 231) and drag it.
    const std::string grip = "start\nmove 647 490\ndown left\n";
    std::string junk = "start\n";
    for (int i = 0; i < 400; ++i) junk += static_cast<char>((i * 73 + 11) % 256);
    junk += "\nresize 99999999999999999999 1\nmove -2147483648 2147483647\n";
    struct Case {
        std::string name, scenario;
        int status;
        std::string expected;  // in standard output (status 0) or standard error
    };
    const Case cases[] = {
        {"garbage", junk, 2, "tarvik-sim: line"},
        {"extreme-but-valid", "screen 16384 16384\nstart\nresize 0 0\nresize 1 1\nresize 16384 3\nstate\n", 0,
         "\"running\": true"},
        {"grip-ten-million", grip + "move 10000000 10000000\nstate\n", 0,
         "\"width\": 491505, \"height\": 491505, \"windowState\": 0"},
        {"snapshot-too-large", grip + "move 10000000 10000000\nsnapshot " + wide + "\n", 2,
         "line 5: the window is 32767 x 32767 pixels; a snapshot holds at most 67108864 pixels"},
        {"grip-hundred-million-wide-snapshot", grip + "move 100000000 370\nsnapshot " + wide + "\nstate\n", 0,
         "\"width\": 491505, \"height\": 1522.5"},
        {"grip-past-int-range", grip + "move 2147483647 -2147483648\nmove -2147483648 2147483647\nstate\n", 0,
         "\"width\": 4350, \"height\": 3465"},  // each product overflows 32 bits: skipped
        {"pointer-at-int-ends", "start\nmove -2147483648 0\nmove 2147483647 2147483647\ndown left\nup left\nstate\n", 0,
         "\"running\": true"},
        {"system-move-to-int-ends", "start\nmove 400 275\ndown left\nmove -2147483648 -2147483648\nstate\n"
                                    "move 2147483647 2147483647\nup left\nstate\n", 0,
         "\"left\": 491505, \"top\": 491505"},
        {"system-move-to-int-start", "start\nmove 400 275\ndown left\nmove -2147483648 -2147483648\nup left\nstate\n", 0,
         "\"left\": -491520, \"top\": -491520"},
        {"fail-unknown-name", "start\nfail Widht\n", 2, "line 2: 'Widht' is not a command that can fail (Left, Top"},
        {"fail-unknown-name-before-start", "fail nothing\nstart\n", 2, "line 1: 'nothing' is not a command that can fail"},
        // A failure while Immax holds the capture: the report takes the capture, and the ended
        // program answers with no MouseUp (the pressed picture and the Tag stay).
        {"failure-with-capture-held", "start\nmove 614 284\ndown left\nfail WindowState\ndown right\nstate\n", 1,
         "\"Immax\": {\"left\": 3570, \"top\": 120, \"width\": 255, \"height\": 240, \"visible\": true, "
         "\"picture\": \"A8\", \"tag\": \"1\""},
    };
    for (const Case& c : cases) {
        const Result r = RunSim(c.scenario, "hostile-" + c.name);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        const std::string& where = c.status == 2 ? r.err : r.out;
        EXPECT_NE(where.find(c.expected), std::string::npos)
            << c.name << ": expected '" << c.expected << "', got '" << where << "'";
        if (c.status == 1) {
            const std::size_t first = r.err.find("unhandled failure");
            EXPECT_NE(first, std::string::npos) << c.name << ": " << r.err;
            EXPECT_EQ(r.err.find("unhandled failure", first + 1), std::string::npos)
                << c.name << ": expected one report, got '" << r.err << "'";
        }
    }
    cairo_surface_t* s = cairo_image_surface_create_from_png(wide.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << "no PNG at " << wide;
    EXPECT_EQ(cairo_image_surface_get_width(s), 32767);
    EXPECT_EQ(cairo_image_surface_get_height(s), 102);
    // Beyond the face (8192 pixels) the window shows the back colour.
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                             50 * cairo_image_surface_get_stride(s));
    EXPECT_EQ(row[20000], 0xFFFAFAFAu);
    cairo_surface_destroy(s);
}

}  // namespace
}  // namespace tarvik
