#include "host/backends/sim/sim_scenario.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <istream>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tarvik {

namespace {

const char* const kUsage =
    "commands: screen W H [WX WY WW WH] | monitor X Y W H [WX WY WW WH] | scale F | start | resize W H | move X Y |"
    " down B [mods] | up B [mods] | wait MS |"
    " minimize-restore | system-state normal|minimized|maximized | double-click MS W H | drag-distance W H | capture-lost | state |"
    " snapshot FILE | fail COMMAND";

[[noreturn]] void Bad(const std::string& what) { throw std::runtime_error(what); }

// Parses a whole decimal integer within [lo, hi].
long Integer(const std::string& word, long lo, long hi) {
    std::size_t used = 0;
    long v = 0;
    try {
        v = std::stol(word, &used);
    } catch (const std::exception&) {
        Bad("'" + word + "' is not a number");
    }
    if (used != word.size()) Bad("'" + word + "' is not a whole number");
    if (v < lo || v > hi) Bad("'" + word + "' is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

// Parses a decimal number within [lo, hi].
double Real(const std::string& word, double lo, double hi) {
    std::size_t used = 0;
    double v = 0;
    try {
        v = std::stod(word, &used);
    } catch (const std::exception&) {
        Bad("'" + word + "' is not a number");
    }
    if (used != word.size() || !(v >= lo && v <= hi))
        Bad("'" + word + "' is not a number in " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

void Arity(const std::vector<std::string>& words, std::size_t n) {
    if (words.size() != n + 1)
        Bad("'" + words[0] + "' takes " + std::to_string(n) + " argument" + (n == 1 ? "" : "s"));
}

int ButtonCode(const std::string& word) {
    if (word == "left") return kLeftButton;
    if (word == "right") return kRightButton;
    if (word == "middle") return kMiddleButton;
    Bad("unknown button '" + word + "' (left, right, middle)");
}

int StateCode(const std::string& word) {
    if (word == "normal") return kNormal;
    if (word == "minimized") return kMinimized;
    if (word == "maximized") return kMaximized;
    Bad("unknown window state '" + word + "' (normal, minimized, maximized)");
}

int Modifiers(const std::vector<std::string>& words) {
    int shift = 0;
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i] == "shift") shift |= kShiftMask;
        else if (words[i] == "ctrl") shift |= kCtrlMask;
        else if (words[i] == "alt") shift |= kAltMask;
        else Bad("unknown modifier '" + words[i] + "' (shift, ctrl, alt)");
    }
    return shift;
}

// A JSON number: whole values without a fraction, others with what single precision holds.
std::string Number(float v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e9f) return std::to_string(static_cast<long>(v));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    return buf;
}

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string PictureName(Picture p) { return p == Picture::None ? "" : "A" + std::to_string(static_cast<int>(p)); }

const char* CursorName(Cursor c) {
    switch (c) {
        case Cursor::SizeNS: return "sizens";
        case Cursor::SizeWE: return "sizewe";
        case Cursor::SizeNWSE: return "sizenwse";
        case Cursor::Arrow: break;
    }
    return "arrow";
}

}  // namespace

std::string Scenario::StateJson() const {
    sim::SimHost& h = *host_;
    std::ostringstream o;
    const sim::SimHost::Geometry g = h.WindowGeometry();
    o << "{\"window\": {\"left\": " << Number(g.left) << ", \"top\": " << Number(g.top)
      << ", \"width\": " << Number(g.width) << ", \"height\": " << Number(g.height)
      << ", \"windowState\": " << g.state << "}, \"elements\": {";
    const ElementTable& elements = h.Elements();
    for (int i = 0; i < kElemCount; ++i) {
        const ElementState& e = elements[static_cast<std::size_t>(i)];
        o << (i ? ", " : "") << Quote(ElemName(static_cast<Elem>(i))) << ": {\"left\": " << Number(e.left)
          << ", \"top\": " << Number(e.top) << ", \"width\": " << Number(e.width) << ", \"height\": "
          << Number(e.height) << ", \"visible\": " << (e.visible ? "true" : "false") << ", \"picture\": "
          << Quote(PictureName(e.picture)) << ", \"tag\": " << Quote(e.tag) << ", \"tooltip\": " << Quote(e.toolTip)
          << "}";
    }
    o << "}, \"region\": [";
    const auto& outline = h.LastOutline();
    for (std::size_t i = 0; i < outline.size(); ++i) o << (i ? ", " : "") << Quote(outline[i]);
    o << "], \"cursor\": " << Quote(CursorName(h.CurrentCursor())) << ", \"tooltip\": " << Quote(h.ShownToolTip())
      << ", \"running\": " << (h.Running() ? "true" : "false") << "}";
    return o.str();
}

void Scenario::Execute(const std::string& line, std::ostream& out) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    if (words.empty() || words[0][0] == '#') return;
    const std::string& cmd = words[0];

    if (cmd == "screen") {
        if (words.size() == 7) {
            // screen W H WX WY WW WH: the primary monitor with its work area.
            screenWork_ = {static_cast<int>(Integer(words[3], -16384, 16384)), static_cast<int>(Integer(words[4], -16384, 16384)),
                           static_cast<int>(Integer(words[5], 1, 16384)), static_cast<int>(Integer(words[6], 1, 16384))};
            words.resize(3);
        }
        Arity(words, 2);
        if (host_) Bad("'screen' must come before 'start'");
        screenWidth_ = static_cast<int>(Integer(words[1], 1, 16384));
        screenHeight_ = static_cast<int>(Integer(words[2], 1, 16384));
        return;
    }
    if (cmd == "scale") {
        Arity(words, 1);
        if (host_) Bad("'scale' must come before 'start'");
        scale_ = Real(words[1], 1, 4);
        return;
    }
    if (cmd == "monitor") {
        // monitor X Y W H [WX WY WW WH]: a monitor beside the screen, and its work area (all of it if not given).
        if (words.size() != 5 && words.size() != 9) Bad("'monitor' takes X Y W H and optionally the work area WX WY WW WH");
        if (host_) Bad("'monitor' must come before 'start'");
        int v[8];
        for (std::size_t i = 0; i + 1 < words.size(); ++i)
            v[i] = static_cast<int>(i % 4 < 2 ? Integer(words[i + 1], -16384, 16384) : Integer(words[i + 1], 1, 16384));
        if (words.size() == 5) std::copy(v, v + 4, v + 4);
        monitors_.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
        return;
    }
    if (cmd == "start") {
        Arity(words, 0);
        if (host_) Bad("the window is already started");
        host_ = std::make_unique<sim::SimHost>(screenWidth_, screenHeight_, DisplayScale(scale_));
        if (screenWork_ || !monitors_.empty()) {
            const std::array<int, 4> work = screenWork_.value_or(std::array<int, 4>{0, 0, screenWidth_, screenHeight_});
            host_->AddMonitor({0, 0, screenWidth_, screenHeight_, work[0], work[1], work[2], work[3]});
        }
        for (const sim::SimHost::Monitor& m : monitors_) host_->AddMonitor(m);
        for (const std::string& command : pendingFailures_) host_->FailCommand(command);
        form_ = std::make_unique<Form1>(*host_);
        host_->Attach(form_.get());
        host_->Start();
        return;
    }
    if (cmd == "fail") {
        Arity(words, 1);
        if (!sim::SimHost::FailableCommand(words[1]))
            Bad("'" + words[1] + "' is not a command that can fail (" + sim::SimHost::FailableCommands() + ")");
        if (!host_) {
            pendingFailures_.push_back(words[1]);
            return;
        }
    }
    if (!host_) Bad("'" + cmd + "' needs a window: run 'start' first");
    // The state of a program that has ended may still be read; nothing else may act on it.
    if (cmd == "state") {
        Arity(words, 0);
        out << StateJson() << "\n";
        return;
    }
    if (!host_->Running()) Bad("the window is unloaded; '" + cmd + "' is refused");
    sim::SimHost& h = *host_;
    if (cmd == "resize") {
        Arity(words, 2);
        h.ResizeOuter(static_cast<int>(Integer(words[1], 0, 16384)), static_cast<int>(Integer(words[2], 0, 16384)));
    } else if (cmd == "move") {
        Arity(words, 2);
        h.PointerTo(static_cast<int>(Integer(words[1], INT32_MIN, INT32_MAX)),
                    static_cast<int>(Integer(words[2], INT32_MIN, INT32_MAX)));
    } else if (cmd == "down" || cmd == "up") {
        if (words.size() < 2) Bad("'" + cmd + "' takes a button (left, right, middle) and optional modifiers");
        const int button = ButtonCode(words[1]);
        const int shift = Modifiers(words);
        if (cmd == "down") h.ButtonDown(button, shift);
        else h.ButtonUp(button, shift);
    } else if (cmd == "wait") {
        Arity(words, 1);
        h.Wait(static_cast<std::uint64_t>(Integer(words[1], 0, 86400000)));
    } else if (cmd == "minimize-restore") {
        Arity(words, 0);
        h.RestoreFromMinimized();
    } else if (cmd == "system-state") {
        Arity(words, 1);
        h.SystemSetState(StateCode(words[1]));
    } else if (cmd == "double-click") {
        Arity(words, 3);
        h.SetDoubleClickRule({static_cast<std::uint64_t>(Integer(words[1], 0, 60000)),
                              static_cast<int>(Integer(words[2], 0, 16384)),
                              static_cast<int>(Integer(words[3], 0, 16384))});
    } else if (cmd == "drag-distance") {
        Arity(words, 2);
        h.SetDragDistance({static_cast<int>(Integer(words[1], 0, 16384)), static_cast<int>(Integer(words[2], 0, 16384))});
    } else if (cmd == "capture-lost") {
        Arity(words, 0);
        h.TakeCapture();
    } else if (cmd == "snapshot") {
        Arity(words, 1);
        const std::int64_t pixels = static_cast<std::int64_t>(h.PixelWidth()) * h.PixelHeight();
        if (pixels > sim::kMaxSnapshotPixels)
            Bad("the window is " + std::to_string(h.PixelWidth()) + " x " + std::to_string(h.PixelHeight()) +
                " pixels; a snapshot holds at most " + std::to_string(sim::kMaxSnapshotPixels) + " pixels");
        if (snapshotsToMemory_) {
            int w = 0, hh = 0;
            h.Snapshot(&w, &hh);
        } else if (!h.WriteSnapshot(words[1])) {
            Bad("cannot write snapshot to '" + words[1] + "'");
        }
    } else if (cmd == "fail") {
        Arity(words, 1);
        h.FailCommand(words[1]);
    } else {
        Bad("unknown command '" + cmd + "'; " + kUsage);
    }
}

int Scenario::Run(std::istream& in, std::ostream& out, std::ostream& err) {
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        try {
            Execute(line, out);
        } catch (const std::exception& e) {
            err << "tarvik-sim: line " << number << ": " << e.what() << "\n";
            return 2;
        }
        out.flush();
    }
    return host_ ? host_->ExitStatus() : 0;
}

}  // namespace tarvik
