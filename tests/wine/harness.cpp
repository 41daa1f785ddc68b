#include "tests/wine/harness.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <thread>
#include <utility>

extern char** environ;

namespace tarvik::wine {

namespace {

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

int ExitCode(int waitStatus) {
    if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
    return -1;
}

// Reads whatever the pipes hold, feeding input, until both output pipes close or the deadline passes.
bool Pump(int inFd, const std::string& input, int outFd, int errFd, std::string* out, std::string* err,
          Clock::time_point deadline) {
    std::size_t written = 0;
    if (input.empty() && inFd >= 0) {
        close(inFd);
        inFd = -1;
    }
    while (outFd >= 0 || errFd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            if (inFd >= 0) close(inFd);
            if (outFd >= 0) close(outFd);
            if (errFd >= 0) close(errFd);
            return false;
        }
        pollfd fds[3];
        int n = 0;
        int idxIn = -1, idxOut = -1, idxErr = -1;
        if (inFd >= 0) { idxIn = n; fds[n++] = {inFd, POLLOUT, 0}; }
        if (outFd >= 0) { idxOut = n; fds[n++] = {outFd, POLLIN, 0}; }
        if (errFd >= 0) { idxErr = n; fds[n++] = {errFd, POLLIN, 0}; }
        if (poll(fds, static_cast<nfds_t>(n), static_cast<int>(left)) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (idxIn >= 0 && fds[idxIn].revents) {
            const ssize_t w = write(inFd, input.data() + written, input.size() - written);
            if (w > 0) written += static_cast<std::size_t>(w);
            if (w < 0 || written == input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
        auto drain = [](int& fd, const pollfd& p, std::string* to) {
            if (!p.revents) return;
            char buf[8192];
            const ssize_t r = read(fd, buf, sizeof buf);
            if (r > 0) to->append(buf, static_cast<std::size_t>(r));
            else {
                close(fd);
                fd = -1;
            }
        };
        if (idxOut >= 0) drain(outFd, fds[idxOut], out);
        if (idxErr >= 0) drain(errFd, fds[idxErr], err);
    }
    if (inFd >= 0) close(inFd);
    return true;
}

std::string Pointer(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const CommandResult r = Run(argv, "", 10s);
    if (r.status != 0)
        throw std::runtime_error("'" + Describe(argv) + "' failed with status " + std::to_string(r.status) + ": " + r.err);
    return r.out;
}

}  // namespace

std::string Describe(const std::vector<std::string>& argv) {
    std::string s;
    for (const std::string& a : argv) s += (s.empty() ? "" : " ") + a;
    return s;
}

CommandResult Run(const std::vector<std::string>& argv, const std::string& input, Clock::duration timeout) {
    CommandResult result;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) || pipe2(outPipe, O_CLOEXEC) || pipe2(errPipe, O_CLOEXEC)) {
        result.err = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    std::vector<char*> args = ArgvPointers(argv);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (rc != 0) {
        close(inPipe[1]);
        close(outPipe[0]);
        close(errPipe[0]);
        result.err = "cannot start " + argv[0] + ": " + std::strerror(rc);
        return result;
    }
    signal(SIGPIPE, SIG_IGN);
    const Clock::time_point deadline = Clock::now() + timeout;
    const bool finished = Pump(inPipe[1], input, outPipe[0], errPipe[0], &result.out, &result.err, deadline);
    int ws = 0;
    while (true) {
        const pid_t w = waitpid(pid, &ws, WNOHANG);
        if (w == pid) {
            result.status = ExitCode(ws);
            break;
        }
        if (!finished || Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &ws, 0);
            result.status = -1;
            result.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    return result;
}

bool PollUntil(const std::function<bool()>& condition, Clock::duration timeout, Clock::duration interval) {
    const Clock::time_point deadline = Clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(interval);
    }
}

int Luma(const Pixel& p) { return (p.r * 3 + p.g * 6 + p.b) / 10; }

std::string ToString(const Pixel& p) {
    return "rgba(" + std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) + ", " +
           std::to_string(p.a) + ")";
}

std::string ToString(const Rect& r) {
    return "x " + std::to_string(r.x) + ".." + std::to_string(r.x + r.width - 1) + ", y " + std::to_string(r.y) +
           ".." + std::to_string(r.y + r.height - 1);
}

std::string ToString(const Geometry& g) {
    return std::to_string(g.width) + " x " + std::to_string(g.height) + " at (" + std::to_string(g.x) + ", " +
           std::to_string(g.y) + ")";
}

void PrintTo(const Geometry& g, std::ostream* out) { *out << ToString(g); }

std::optional<Image> LoadPng(const std::string& path, std::string* error) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        if (error) *error = "cannot read PNG " + path + ": " + cairo_status_to_string(cairo_surface_status(s));
        cairo_surface_destroy(s);
        return std::nullopt;
    }
    cairo_surface_t* argb = s;
    if (cairo_image_surface_get_format(s) != CAIRO_FORMAT_ARGB32) {
        argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                          cairo_image_surface_get_height(s));
        cairo_t* cr = cairo_create(argb);
        cairo_set_source_surface(cr, s, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_destroy(s);
    }
    cairo_surface_flush(argb);
    Image image;
    image.width = cairo_image_surface_get_width(argb);
    image.height = cairo_image_surface_get_height(argb);
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    const unsigned char* data = cairo_image_surface_get_data(argb);
    const int stride = cairo_image_surface_get_stride(argb);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t v = row[x];
            const int a = static_cast<int>(v >> 24);
            Pixel p{0, 0, 0, a};
            if (a) {
                auto ch = [&](int shift) { return static_cast<int>((((v >> shift) & 0xFF) * 255 + a / 2) / a); };
                p = {ch(16), ch(8), ch(0), a};
            }
            image.pixels[static_cast<std::size_t>(y) * image.width + x] = p;
        }
    }
    cairo_surface_destroy(argb);
    return image;
}

bool SavePng(const Image& image, const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const Pixel& p = image.At(x, y);
            auto pre = [&](int c) { return static_cast<std::uint32_t>((c * p.a + 127) / 255); };
            row[x] = static_cast<std::uint32_t>(p.a) << 24 | pre(p.r) << 16 | pre(p.g) << 8 | pre(p.b);
        }
    }
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

Agreement Compare(const Image& screen, int left, int top, const Image& reference, const Rect& exclude,
                  int tolerance, const std::string& diffPath) {
    Agreement result;
    Image diff;
    diff.width = reference.width;
    diff.height = reference.height;
    diff.pixels.assign(reference.pixels.size(), Pixel{0, 0, 0, 0});
    int listed = 0;
    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const Pixel& want = reference.At(x, y);
            if (want.a == 0 || exclude.Contains(x, y)) continue;
            ++result.compared;
            Pixel got{-1, -1, -1, -1};
            if (screen.Contains(left + x, top + y)) got = screen.At(left + x, top + y);
            const bool same = got.a >= 0 && std::abs(got.r - want.r) <= tolerance &&
                              std::abs(got.g - want.g) <= tolerance && std::abs(got.b - want.b) <= tolerance;
            Pixel& d = diff.pixels[static_cast<std::size_t>(y) * diff.width + x];
            if (same) {
                ++result.agreeing;
                // Agreeing pixels are kept faint so that the differences stand out.
                d = {(want.r + 3 * 255) / 4, (want.g + 3 * 255) / 4, (want.b + 3 * 255) / 4, 255};
            } else {
                d = {255, 0, 255, 255};
                if (listed++ < 8)
                    result.firstDifferences += "  (" + std::to_string(x) + ", " + std::to_string(y) + "): screen " +
                                               ToString(got) + ", reference " + ToString(want) + "\n";
            }
        }
    }
    if (!diffPath.empty()) SavePng(diff, diffPath);
    return result;
}

std::string OutPath(const std::string& name) {
#ifndef TARVIK_OUT_SUBDIR
#define TARVIK_OUT_SUBDIR "wine"
#endif
    // Each DPI's pictures in a folder of their own, so that runs at several DPIs keep theirs.
    const std::string dir = std::string(TARVIK_TEST_OUT) + "/" TARVIK_OUT_SUBDIR +
                            (TestDpi() == 96 ? std::string() : "-dpi" + std::to_string(TestDpi()));
    std::filesystem::create_directories(dir);
    return dir + "/" + name;
}

std::string Agreement::Report() const {
    return std::to_string(agreeing) + " of " + std::to_string(compared) + " agree; first differences:\n" + firstDifferences;
}

Agreement PollAgreement(const Image& reference, int left, int top, const Rect& exclude, double required,
                        const std::string& name, std::optional<Image>* shot, Clock::duration timeout) {
    Agreement result;
    std::optional<Image> last;
    std::string error;
    PollUntil(
        [&] {
            last = Screenshot(OutPath(name + "-screen.png"), &error);
            if (last) result = Compare(*last, left, top, reference, exclude, 0);
            return last && result.Percent() >= required;
        },
        timeout, 200ms);
    if (last) result = Compare(*last, left, top, reference, exclude, 0, OutPath(name + "-diff.png"));
    else result.firstDifferences = error;
    if (shot) *shot = std::move(last);
    return result;
}

std::optional<Image> Screenshot(const std::string& path, std::string* error) {
    const std::vector<std::string> argv{"import", "-window", "root", "png:" + path};
    const CommandResult r = Run(argv, "", 20s);
    if (r.status != 0) {
        if (error) *error = "'" + Describe(argv) + "' failed with status " + std::to_string(r.status) + ": " + r.err;
        return std::nullopt;
    }
    return LoadPng(path, error);
}

std::optional<Image> SimSnapshot(const std::string& commands, const std::string& path, std::string* error) {
    std::filesystem::remove(path);
    const std::string script = commands + (commands.empty() || commands.back() == '\n' ? "" : "\n") + "snapshot " + path + "\n";
    const CommandResult r = Run({TARVIK_SIM}, script, 30s);
    if (r.status != 0) {
        if (error) *error = "tarvik-sim ended with status " + std::to_string(r.status) + " for\n" + script + r.err;
        return std::nullopt;
    }
    auto frame = LoadPng(path, error);
    if (!frame || TestScale().IsOne()) return frame;
    Image enlarged = Enlarge(*frame, TestScale());
    SavePng(enlarged, path);
    return enlarged;
}

int TestDpi() {
    const char* dpi = std::getenv("TARVIK_DPI");
    return dpi && std::atoi(dpi) > 0 ? std::atoi(dpi) : 96;
}

DisplayScale TestScale() { return DisplayScale::FromDpi(TestDpi()); }

Rect ToDevice(const Rect& layout) {
    const PixelRect d = TestScale().ToDevice(PixelRect{layout.x, layout.y, layout.width, layout.height});
    return {d.x, d.y, d.w, d.h};
}

// The program's own centring on the screen in layout pixels (half twips rounded up), then at the scale.
Geometry StartGeometry() {
    const DisplayScale s = TestScale();
    // Centred as the program centres, in single-precision twips of the exact screen, and rounded
    // to a device pixel once (within half a pixel of the exact centre).
    const auto centred = [&](int screen, float twips) {
        const float place = (static_cast<float>(screen / s.Factor() * 15.0) - twips) / 2.0f;
        return s.ToDevice(static_cast<double>(place) / 15.0);
    };
    return {centred(1024, 4350.0f), centred(768, 3465.0f), s.ToDevice(290), s.ToDevice(231)};
}

Rect CaptionTextBox() { return ToDevice(kCaptionTextBox); }

double RequiredAgreementPercent() { return TestScale().IsOne() ? kRequiredAgreementPercent : kScaledAgreementPercent; }

Image Enlarge(const Image& image, const DisplayScale& scale) {
    Image out;
    out.width = scale.ToDevice(image.width);
    out.height = scale.ToDevice(image.height);
    out.pixels.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            for (int dy = scale.ToDevice(y); dy < scale.ToDevice(y + 1); ++dy)
                for (int dx = scale.ToDevice(x); dx < scale.ToDevice(x + 1); ++dx)
                    out.pixels[static_cast<std::size_t>(dy) * out.width + dx] = image.At(x, y);
    return out;
}

std::string Xdotool(const std::vector<std::string>& args) { return Pointer(args); }
void PointerTo(int x, int y) { Pointer({"mousemove", std::to_string(x), std::to_string(y)}); }
void ButtonDown(int button) { Pointer({"mousedown", std::to_string(button)}); }
void ButtonUp(int button) { Pointer({"mouseup", std::to_string(button)}); }
void Click(int button) { Pointer({"click", std::to_string(button)}); }
void DoubleClick(int button) { Pointer({"click", "--repeat", "2", "--delay", "80", std::to_string(button)}); }

std::string WineLoader() {
    const char* v = std::getenv("TARVIK_WINE");
    return v ? v : "";
}

Program::Program(const std::string& exe, const std::string& logName) : logPath_(OutPath(logName)) {
    const std::string loader = WineLoader();
    if (loader.empty()) {
        startError_ = "TARVIK_WINE is not set: run the test through tools/with-wine-display.sh";
        return;
    }
    if (!std::filesystem::exists(exe)) {
        startError_ = "the program " + exe + " has not been built";
        return;
    }
    Spawn({loader, exe});
}

Program::Program(const std::vector<std::string>& argv, const std::string& logName) : logPath_(OutPath(logName)) {
    if (!std::filesystem::exists(argv.at(0))) {
        startError_ = "the program " + argv[0] + " has not been built";
        return;
    }
    Spawn(argv);
}

// Starts argv with standard input from /dev/null and both outputs into the log.
void Program::Spawn(const std::vector<std::string>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args = ArgvPointers(argv);
    const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        startError_ = "cannot start " + Describe(argv) + ": " + std::strerror(rc);
    }
}

Program::~Program() {
    if (pid_ > 0 && !status_) {
        kill(pid_, SIGKILL);
        int ws = 0;
        waitpid(pid_, &ws, 0);
    }
}

bool Program::Running() {
    if (pid_ <= 0 || status_) return false;
    int ws = 0;
    if (waitpid(pid_, &ws, WNOHANG) == pid_) {
        status_ = ExitCode(ws);
        return false;
    }
    return true;
}

std::optional<int> Program::WaitForExit(Clock::duration timeout) {
    PollUntil([&] { return !Running(); }, timeout, 50ms);
    return status_;
}

unsigned long Program::WaitForWindow(Clock::duration timeout) {
    PollUntil(
        [&] {
            if (!Running()) return true;
            const CommandResult r = Run({"xdotool", "search", "--onlyvisible", "--name", "^Lumenta$"}, "", 10s);
            if (r.status != 0) return false;
            std::istringstream ids(r.out);
            unsigned long id = 0;
            if (ids >> id) window_ = id;
            return window_ != 0;
        },
        timeout, 100ms);
    return window_;
}

std::optional<Geometry> Program::CurrentGeometry() const {
    geometryError_.clear();
    if (!window_) {
        geometryError_ = "no window found yet";
        return std::nullopt;
    }
    return WindowGeometry(window_, &geometryError_);
}

std::optional<Geometry> WindowGeometry(unsigned long window, std::string* error) {
    const std::vector<std::string> argv{"xdotool", "getwindowgeometry", "--shell", std::to_string(window)};
    const CommandResult r = Run(argv, "", 10s);
    if (r.status != 0) {
        if (error) *error = "'" + Describe(argv) + "' " + (r.timedOut ? "did not finish in 10 s" : "ended with status " + std::to_string(r.status)) + ": " + r.err;
        return std::nullopt;
    }
    Geometry g;
    int found = 0;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = value, ++found;
        else if (key == "Y") g.y = value, ++found;
        else if (key == "WIDTH") g.width = value, ++found;
        else if (key == "HEIGHT") g.height = value, ++found;
    }
    if (found != 4) {
        if (error) *error = "unexpected output of '" + Describe(argv) + "': " + r.out;
        return std::nullopt;
    }
    return g;
}

// xwininfo writes "Window shape extents:  WxH+X+Y", or "No window shape defined".
std::optional<Rect> ShapeExtents(unsigned long window, std::string* error) {
    const std::vector<std::string> argv{"xwininfo", "-shape", "-id", std::to_string(window)};
    const CommandResult r = Run(argv, "", 10s);
    const std::string key = "Window shape extents:";
    const auto at = r.out.find(key);
    Rect box;
    if (r.status != 0 || at == std::string::npos ||
        std::sscanf(r.out.c_str() + at + key.size(), " %dx%d+%d+%d", &box.width, &box.height, &box.x, &box.y) != 4) {
        *error = "no shape extents from '" + Describe(argv) + "' (status " + std::to_string(r.status) + "): " + r.out + r.err;
        return std::nullopt;
    }
    return box;
}

long RedPixels(const Image& screen, const Geometry& g, std::string* where) {
    constexpr int kListed = 5;
    long red = 0;
    for (int y = std::max(g.y, 0); y < std::min(g.y + g.height, screen.height); ++y)
        for (int x = std::max(g.x, 0); x < std::min(g.x + g.width, screen.width); ++x)
            if (const Pixel& p = screen.At(x, y); p.r == 255 && p.g == 0 && p.b == 0 && red++ < kListed)
                *where += " (" + std::to_string(x - g.x) + ", " + std::to_string(y - g.y) + ")";
    return red;
}

std::optional<Geometry> Program::WaitForGeometry(const Geometry& want, Clock::duration timeout) const {
    std::optional<Geometry> last;
    PollUntil(
        [&] {
            last = CurrentGeometry();
            return last && *last == want;
        },
        timeout, 50ms);
    return last;
}

std::string Program::Log() const {
    std::ifstream in(logPath_);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Rect ButtonRect(Button b, int windowWidth) {
    const int fromRight = b == Button::Minimize ? 73 : b == Button::Maximize ? 52 : 31;
    return ToDevice({TestScale().ToLayoutLength(windowWidth) - fromRight, 8, 17, 16});
}

const char* ButtonName(Button b) {
    return b == Button::Minimize ? "minimize" : b == Button::Maximize ? "maximize" : "close";
}

std::optional<Geometry> ScreenGeometry() {
    const CommandResult r = Run({"xdotool", "getdisplaygeometry"}, "", 10s);
    Geometry g;
    std::istringstream in(r.out);
    if (r.status != 0 || !(in >> g.width >> g.height)) return std::nullopt;
    return g;
}

Image Crop(const Image& image, const Rect& r) {
    Image out;
    out.width = r.width;
    out.height = r.height;
    out.pixels.resize(static_cast<std::size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            out.pixels[static_cast<std::size_t>(y) * r.width + x] =
                image.Contains(r.x + x, r.y + y) ? image.At(r.x + x, r.y + y) : Pixel{-1, -1, -1, -1};
    return out;
}

long SquareDifferences(const Geometry& g, const Rect& r, const Image& reference, const std::string& name) {
    long differences = -1;
    PollUntil(
        [&] {
            std::string error;
            const auto shot = Screenshot(OutPath(name + ".png"), &error);
            differences = shot ? CountDifferences(Crop(*shot, {g.x + r.x, g.y + r.y, r.width, r.height}), Crop(reference, r)) : -1;
            return differences == 0;
        },
        10s, 150ms);
    return differences;
}

long CountDifferences(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    long n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        const Pixel &p = a.pixels[i], &q = b.pixels[i];
        if (p.r != q.r || p.g != q.g || p.b != q.b) ++n;
    }
    return n;
}

namespace {
// The number after "key": in the first occurrence of it in a JSON text.
std::optional<double> JsonNumber(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}
// Whether the tests run under a window manager (TARVIK_WM=openbox, set by the desktop runs).
bool UnderWindowManager() {
    const char* wm = std::getenv("TARVIK_WM");
    return wm && *wm;
}

}  // namespace

std::optional<Geometry> WorkAreaOrScreen() { return UnderWindowManager() ? WorkArea() : ScreenGeometry(); }

std::optional<Geometry> WorkArea() {
    const CommandResult r = Run({"xprop", "-root", "_NET_WORKAREA"}, "", 10s);
    const auto eq = r.out.find('=');
    Geometry g;
    if (r.status != 0 || eq == std::string::npos ||
        std::sscanf(r.out.c_str() + eq + 1, " %d, %d, %d, %d", &g.x, &g.y, &g.width, &g.height) != 4)
        return std::nullopt;
    return g;
}

void SlowDoubleClick() {
    // One xdotool run paces all four: four runs of their own, on a busy machine, could leave more
    // than the double-click time between the presses.
    Pointer({"mousedown", "1", "sleep", "0.05", "mouseup", "1", "sleep", "0.05", "mousedown", "1", "sleep", "0.05",
             "mouseup", "1"});
}

namespace {

constexpr int kToolTipSearchWidth = 240, kToolTipSearchHeight = 70;  // at 96 DPI
constexpr int kInkLuma = 200;  // tooltip pixels darker than this are ink (the ground is white)
constexpr const char* kToolTipFont = "WenQuanYi Micro Hei 11px";  // the linked font at the tooltip's size

}  // namespace

Ink CropInk(const std::vector<bool>& on, int width, int height) {
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (on[static_cast<std::size_t>(y) * width + x])
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    Ink ink;
    if (x1 < 0) return ink;
    ink.width = x1 - x0 + 1;
    ink.height = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) ink.on.push_back(on[static_cast<std::size_t>(y) * width + x]);
    return ink;
}

Ink RenderedInk(const std::string& word, const char* font, int threshold) {
    const int w = 200, h = 60;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* cr = cairo_create(s);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    pango_cairo_context_set_resolution(pango_layout_get_context(layout), 96);
    PangoFontDescription* description = pango_font_description_from_string(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, word.c_str(), -1);
    cairo_move_to(cr, 10, 10);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    std::vector<bool> on(static_cast<std::size_t>(w) * h);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) on[static_cast<std::size_t>(y) * w + x] = data[y * stride + x] > threshold;
    cairo_surface_destroy(s);
    return CropInk(on, w, h);
}


std::optional<Rect> FindToolTip(const Image& screen, int x, int y) {
    int x0 = screen.width, y0 = screen.height, x1 = -1, y1 = -1;
    // The tooltip, and the pointer it appears below, grow with the DPI.
    const int width = TestScale().ToDevice(kToolTipSearchWidth), height = TestScale().ToDevice(kToolTipSearchHeight);
    for (int sy = y + 4; sy < y + height; ++sy)
        for (int sx = x - width / 4; sx < x + width; ++sx) {
            if (!screen.Contains(sx, sy)) continue;
            const Pixel& p = screen.At(sx, sy);
            if (p.r == 255 && p.g == 255 && p.b == 255)
                x0 = std::min(x0, sx), y0 = std::min(y0, sy), x1 = std::max(x1, sx), y1 = std::max(y1, sy);
        }
    if (x1 < 0) return std::nullopt;
    return Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

double ToolTipInkMatch(const Image& screen, const Rect& tip, const std::string& word) {
    std::vector<bool> on(static_cast<std::size_t>(tip.width) * tip.height);
    for (int y = 0; y < tip.height; ++y)
        for (int x = 0; x < tip.width; ++x)
            on[static_cast<std::size_t>(y) * tip.width + x] =
                screen.Contains(tip.x + x, tip.y + y) && Luma(screen.At(tip.x + x, tip.y + y)) < kInkLuma;
    const Ink shown = CropInk(on, tip.width, tip.height), drawn = RenderedInk(word, kToolTipFont, 255 - kInkLuma);
    if (shown.width == 0 || drawn.width == 0) return 0.0;
    // The drawn word is scaled to the shown ink's box, nearest pixel, and the two compared.
    long both = 0, either = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x) {
            const bool p = shown.At(x, y), q = drawn.At(x * drawn.width / shown.width, y * drawn.height / shown.height);
            both += p && q;
            either += p || q;
        }
    return either ? static_cast<double>(both) / static_cast<double>(either) : 0.0;
}

std::optional<Geometry> SimStartGeometry(std::string* error) {
    const CommandResult r = Run({TARVIK_SIM}, "start\nstate\n", 30s);
    const auto left = JsonNumber(r.out, "left"), top = JsonNumber(r.out, "top");
    const auto width = JsonNumber(r.out, "width"), height = JsonNumber(r.out, "height");
    if (r.status != 0 || !left || !top || !width || !height) {
        if (error) *error = "cannot read the simulated window's place: status " + std::to_string(r.status) + "\n" + r.out + r.err;
        return std::nullopt;
    }
    auto px = [](double twips) { return static_cast<int>(std::floor(twips / 15.0 + 0.5)); };
    return Geometry{px(*left), px(*top), px(*width), px(*height)};
}

std::optional<Geometry> StartAndWaitForWindow(Program& program, std::string* error) {
    if (!program.Started()) {
        *error = program.StartError();
        return std::nullopt;
    }
    if (!program.WaitForWindow()) {
        *error = std::string("expected a visible window named \"Lumenta\" within 30 s; ") +
                 (program.Running() ? "none appeared" : "the program ended") + "\n" + program.Log();
        return std::nullopt;
    }
    const auto g = program.WaitForGeometry(StartGeometry());
    if (!g || *g != StartGeometry()) {
        *error = "expected the window at " + ToString(StartGeometry()) + ", got " +
                 (g ? ToString(*g) : std::string("no readable geometry"));
        return std::nullopt;
    }
    return g;
}

void PointAtButton(Button b, const Geometry& g) {
    const Rect r = ButtonRect(b, g.width);
    PointerTo(g.x + r.x + r.width / 2, g.y + r.y + r.height / 2);
}

void ClickButton(Button b, const Geometry& g) {
    PointAtButton(b, g);
    Click();
}

void ExpectClosedByButton(Program& program, const Geometry& g) {
    ClickButton(Button::Close, g);
    EXPECT_EQ(program.WaitForExit(15s), std::optional<int>(0))
        << "expected the program to end with status 0 within 15 s of a click on the close button of the " << ToString(g)
        << " window\n" << program.Log();
}

}  // namespace tarvik::wine
