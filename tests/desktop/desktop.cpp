#include "tests/desktop/desktop.h"

#include <cairo.h>
#include <pango/pangocairo.h>
#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace tarvik::desktop {

using namespace wine;

namespace {

constexpr int kInkContrast = 60;       // grey levels between a glyph pixel and the tip's ground
constexpr const char* kToolTipFont = "Sans 10";  // GTK's default font where no desktop settings say otherwise

// The word as pango draws it in the tooltip font at 96 dpi.
Ink Rendered(const std::string& word) { return RenderedInk(word, kToolTipFont, kInkContrast); }

// Overlap of two ink bitmaps aligned at their top-left corners: shared ink over all ink.
double Overlap(const Ink& a, const Ink& b) {
    long both = 0, either = 0;
    for (int y = 0; y < std::max(a.height, b.height); ++y)
        for (int x = 0; x < std::max(a.width, b.width); ++x) {
            const bool p = a.At(x, y), q = b.At(x, y);
            both += p && q;
            either += p || q;
        }
    return either ? static_cast<double>(both) / static_cast<double>(either) : 0.0;
}

}  // namespace

std::optional<Started> StartTarvik(const std::string& logName, std::string* error) {
    Started s;
    s.program = std::make_unique<Program>(std::vector<std::string>{TARVIK_GTK_EXE}, logName);
    const auto g = StartAndWaitForWindow(*s.program, error);
    if (!g) return std::nullopt;
    s.window = *g;
    return s;
}

Agreement AgreeWithSim(const Geometry& g, const std::string& simCommands, const std::string& name) {
    std::string error;
    const auto reference = SimSnapshot(simCommands, OutPath(name + "-sim.png"), &error);
    Agreement result;
    if (!reference || reference->width != g.width || reference->height != g.height) {
        result.firstDifferences = reference ? "the simulated frame is " + std::to_string(reference->width) + " x " +
                                                  std::to_string(reference->height) + ", the window " + ToString(g)
                                            : error;
        return result;
    }
    // Outside the outline the empty desktop shows through: black, as Xvfb makes it.
    Image full = *reference;
    for (Pixel& p : full.pixels)
        if (p.a == 0) p = {0, 0, 0, 255};
    return PollAgreement(full, g.x, g.y, Rect{}, kRequiredPercent, name);
}

std::optional<Geometry> ShownToolTip(unsigned long mainWindow) {
    // The program's windows carry its application id as their name (WM_CLASS), its tooltips too.
    std::string idPattern = "^";
    for (const char c : std::string(TARVIK_APP_ID)) idPattern += c == '.' ? std::string("\\.") : std::string(1, c);
    const CommandResult r = Run({"xdotool", "search", "--onlyvisible", "--classname", idPattern + "$"}, "", 10s);
    std::istringstream ids(r.out);
    for (unsigned long id; ids >> id;) {
        if (id == mainWindow) continue;
        const auto g = WindowGeometry(id);
        if (g && g->width > 10 && g->height > 10) return g;
    }
    return std::nullopt;
}

namespace {

const std::vector<std::string> kToolTipWords{"最小化", "最大化", "关闭", "还原"};

// The candidate word whose rendering overlaps the tip's ink best; *scores gets each overlap.
std::string ReadToolTip(const Image& screen, const Geometry& tip, const std::vector<std::string>& words,
                        std::vector<double>* scores) {
    // The ground is the tip's most common colour; ink is whatever stands out from it.
    std::map<int, int> counts;
    for (int y = tip.y; y < tip.y + tip.height; ++y)
        for (int x = tip.x; x < tip.x + tip.width; ++x)
            if (screen.Contains(x, y)) ++counts[Luma(screen.At(x, y))];
    const int ground = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    // A few pixels in from the edges, to leave out the tip's rounded border.
    const int inset = 4;
    const int w = tip.width - 2 * inset, h = tip.height - 2 * inset;
    std::vector<bool> on(static_cast<std::size_t>(std::max(0, w * h)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int sx = tip.x + inset + x, sy = tip.y + inset + y;
            on[static_cast<std::size_t>(y) * w + x] =
                screen.Contains(sx, sy) && std::abs(Luma(screen.At(sx, sy)) - ground) > kInkContrast;
        }
    const Ink shown = CropInk(on, w, h);
    std::string best;
    double bestScore = -1;
    scores->clear();
    for (const std::string& word : words) {
        const double s = Overlap(shown, Rendered(word));
        scores->push_back(s);
        if (s > bestScore) bestScore = s, best = word;
    }
    return best;
}

}  // namespace

std::string ToolTipWord(unsigned long mainWindow, const std::string& name) {
    std::optional<Geometry> tip;
    PollUntil([&] { return (tip = ShownToolTip(mainWindow)).has_value(); }, 5s, 200ms);
    std::string error;
    const auto shot = tip ? Screenshot(OutPath(name + ".png"), &error) : std::nullopt;
    if (!shot) return "";
    std::vector<double> scores;
    const std::string word = ReadToolTip(*shot, *tip, kToolTipWords, &scores);
    std::printf("%s at %s reads %s (overlaps %.2f %.2f %.2f %.2f)\n", name.c_str(), ToString(*tip).c_str(), word.c_str(),
                scores[0], scores[1], scores[2], scores[3]);
    return word;
}

std::string SimMaximized(const Geometry& work, int x, int y) {
    const Geometry start = kStartGeometry;
    const int titleX = (work.width - start.width) / 2 + 100, titleY = (work.height - start.height + 1) / 2 + 8;
    return "screen " + std::to_string(work.width) + " " + std::to_string(work.height) + "\nstart\nmove " +
           std::to_string(titleX) + " " + std::to_string(titleY) + "\ndown left\nup left\ndown left\nup left\nmove " +
           std::to_string(x) + " " + std::to_string(y) + "\n";
}

std::optional<std::pair<int, int>> TaskbarEntry(const Geometry& work) {
    std::string error;
    const auto shot = Screenshot(OutPath("taskbar.png"), &error);
    if (!shot) return std::nullopt;
    long sumX = 0, sumY = 0, count = 0;
    for (int y = work.y + work.height; y < shot->height; ++y)
        for (int x = 0; x < shot->width; ++x) {
            const Pixel& p = shot->At(x, y);
            if (p.b > 150 && p.b > p.r + 60) sumX += x, sumY += y, ++count;
        }
    if (count == 0) return std::nullopt;
    return std::make_pair(static_cast<int>(sumX / count), static_cast<int>(sumY / count));
}

std::string Property(unsigned long window, const std::string& name) {
    const std::vector<std::string> argv = window ? std::vector<std::string>{"xprop", "-id", std::to_string(window), name}
                                                 : std::vector<std::string>{"xprop", "-root", name};
    return Run(argv, "", 10s).out;
}

std::string WindowStateAtoms(unsigned long window) { return Property(window, "_NET_WM_STATE"); }
void Minimize(unsigned long window) { Run({"xdotool", "windowminimize", std::to_string(window)}, "", 10s); }
void Activate(unsigned long window) { Run({"xdotool", "windowactivate", std::to_string(window)}, "", 10s); }

BareDisplay::BareDisplay() {
    constexpr int kFirst = 200, kLast = 249;
    for (int n = kFirst; n <= kLast && name_.empty(); ++n) {
        const std::string number = std::to_string(n), lock = "/tmp/.X" + number + "-lock";
        if (std::filesystem::exists("/tmp/.X11-unix/X" + number) || std::filesystem::exists(lock)) continue;
        auto server = std::make_unique<Program>(
            // -noreset: a server with no window manager resets each time its last client leaves, and
            // drops the program if it connects just then (after the test's one-shot queries).
            std::vector<std::string>{"/usr/bin/Xvfb", ":" + number, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                     "-noreset"},
            "xvfb-" + number + ".log");
        // Ours once its lock names it and it answers; another run may have taken the number first.
        const auto ours = [&] {
            std::ifstream in(lock);
            pid_t owner = 0;
            return in >> owner && owner == server->Pid() &&
                   Run({"xprop", "-display", ":" + number, "-root", "_XKB_RULES_NAMES"}, "", 10s).status == 0;
        };
        PollUntil([&] { return !server->Running() || ours(); }, 30s);
        if (server->Running() && ours()) {
            name_ = ":" + number;
            number_ = n;
            server_ = std::move(server);
        }
    }
    if (name_.empty()) error_ = "no Xvfb came up on any display from :" + std::to_string(kFirst) + " to :" + std::to_string(kLast);
}

void BareDisplay::Kill() {
    if (!server_) return;
    const pid_t pid = server_->Pid();
    kill(pid, SIGTERM);  // the server ends for its clients at once and takes its socket and lock away
    server_->WaitForExit(30s);
    server_.reset();  // killed outright if it still runs
    // One killed outright leaves its socket and lock behind, which would hold the number.
    const std::string number = std::to_string(number_), lock = "/tmp/.X" + number + "-lock";
    std::ifstream in(lock);
    pid_t owner = 0;
    if (in >> owner && owner == pid) {
        std::filesystem::remove(lock);
        std::filesystem::remove("/tmp/.X11-unix/X" + number);
    }
}

bool Viewable(unsigned long window) {
    return Run({"xwininfo", "-id", std::to_string(window)}, "", 10s).out.find("IsViewable") != std::string::npos;
}

}  // namespace tarvik::desktop
