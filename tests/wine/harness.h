// Black-box driving of the Windows program under Wine: processes, the pointer through
// xdotool, screenshots through ImageMagick and reference frames from tarvik-sim.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "host/runtime/display_scale.h"

namespace tarvik::wine {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What a finished helper command gave back. status is the exit code, or -1 when it did not end
// in time (it is killed then) or could not be started.
struct CommandResult {
    int status = -1;
    std::string out, err;
    bool timedOut = false;
};
CommandResult Run(const std::vector<std::string>& argv, const std::string& input = "",
                  Clock::duration timeout = 20s);
// The argv as one readable line, for messages.
std::string Describe(const std::vector<std::string>& argv);

// Calls condition every interval until it returns true or timeout has passed; returns its last value.
bool PollUntil(const std::function<bool()>& condition, Clock::duration timeout,
               Clock::duration interval = 100ms);

// One unpremultiplied RGBA pixel (alpha 0: outside a snapshot's window outline).
struct Pixel {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Pixel&) const = default;
};
std::string ToString(const Pixel& p);
// The pixel's brightness, 0 to 255.
int Luma(const Pixel& p);

struct Image {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;
    const Pixel& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};
// Reads a PNG; nullopt with why in *error if it cannot be read.
std::optional<Image> LoadPng(const std::string& path, std::string* error);
bool SavePng(const Image& image, const std::string& path);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};
std::string ToString(const Rect& r);

// How far a screenshot of the window agrees with a reference frame of the same size.
struct Agreement {
    long compared = 0;   // reference pixels inside the outline and outside the excluded box
    long agreeing = 0;   // of those, the ones whose every channel is within the tolerance
    std::string firstDifferences;  // a few "x,y: got ... expected ..." lines
    double Percent() const { return compared ? 100.0 * static_cast<double>(agreeing) / compared : 0.0; }
    // "N of M agree" and the first differences, for failure messages.
    std::string Report() const;
};
// Compares reference (window pixels, alpha > 0 inside the outline) with screen at the window's
// place (left, top). Pixels in exclude (window coordinates) are not compared. Writes a picture of
// the differences to diffPath when it is not empty.
Agreement Compare(const Image& screen, int left, int top, const Image& reference, const Rect& exclude,
                  int tolerance, const std::string& diffPath = "");

// The whole virtual screen, also kept at path for people to look at.
std::optional<Image> Screenshot(const std::string& path, std::string* error);

// Polls screenshots until the window at (left, top) agrees exactly with reference on at least
// `required` percent of the compared pixels (exclude left out) or timeout passes; the last result.
// The screenshot goes to OutPath(name + "-screen.png") (and to *shot), the differences to
// OutPath(name + "-diff.png"); without a screenshot firstDifferences says why.
Agreement PollAgreement(const Image& reference, int left, int top, const Rect& exclude, double required,
                        const std::string& name, std::optional<Image>* shot = nullptr, Clock::duration timeout = 10s);

// A frame from the simulated host: runs tarvik-sim with commands and then a snapshot, enlarged
// to the test's scale (each layout pixel filling its device pixels).
std::optional<Image> SimSnapshot(const std::string& commands, const std::string& path, std::string* error);

// Where the tests leave pictures and logs.
std::string OutPath(const std::string& name);

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Geometry&) const = default;
};
std::string ToString(const Geometry& g);
// For GoogleTest's messages.
void PrintTo(const Geometry& g, std::ostream* out);

// The pointer, as a user moves it.
void PointerTo(int x, int y);
void ButtonDown(int button = 1);
void ButtonUp(int button = 1);
void Click(int button = 1);
void DoubleClick(int button = 1);
// Runs xdotool with these arguments (keys, window commands) and gives its output; throws if it fails.
std::string Xdotool(const std::vector<std::string>& args);

// The program started under the Wine loader named by TARVIK_WINE (or from its own argv); killed
// if still running when this goes away.
class Program {
public:
    explicit Program(const std::string& exe, const std::string& logName);
    // Any program, started from its argv (no loader).
    Program(const std::vector<std::string>& argv, const std::string& logName);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    const std::string& StartError() const { return startError_; }
    // Waits for the visible top-level window named "Lumenta"; 0 if none appears.
    unsigned long WaitForWindow(Clock::duration timeout = 30s);
    unsigned long Window() const { return window_; }
    // The window's place and size on the screen; nullopt if it cannot be read (GeometryError() says why).
    std::optional<Geometry> CurrentGeometry() const;
    const std::string& GeometryError() const { return geometryError_; }
    // Polls until the geometry equals want; returns the last one read.
    std::optional<Geometry> WaitForGeometry(const Geometry& want, Clock::duration timeout = 10s) const;
    // Polls until the process ends; its exit status, or nullopt if it is still running.
    std::optional<int> WaitForExit(Clock::duration timeout);
    bool Running();
    // The loader's own output so far (Wine's messages), for failure reports.
    std::string Log() const;

private:
    void Spawn(const std::vector<std::string>& argv);

    pid_t pid_ = -1;
    std::optional<int> status_;
    unsigned long window_ = 0;
    std::string logPath_, startError_;
    mutable std::string geometryError_;
};

// The Wine loader that tools/with-wine-display.sh names in TARVIK_WINE; empty if unset.
std::string WineLoader();

// The start window on the 1024 x 768 test screen: 290 x 231 pixels, centred.
inline constexpr Geometry kStartGeometry{367, 269, 290, 231};
// The caption text is printed by GDI under Wine and by pango in the simulated host, so frame
// comparisons leave out its box (window pixels x 30..110, y 4..26).
inline constexpr Rect kCaptionTextBox{30, 4, 81, 23};
// Frames agree when at least this share of the compared pixels match.
inline constexpr double kRequiredAgreementPercent = 99.0;
// At another scale the Wine frame is compared with the simulated one enlarged.
inline constexpr double kScaledAgreementPercent = 95.0;

// The DPI the Wine tests run at (TARVIK_DPI, as tools/with-wine-display.sh sets Wine's; 96 if unset).
int TestDpi();
// Device pixels per layout pixel at the test's DPI.
DisplayScale TestScale();
// A rectangle of layout pixels in device pixels at the test's scale.
Rect ToDevice(const Rect& layout);
// The start window at the test's scale: kStartGeometry at 96 DPI.
Geometry StartGeometry();
// The caption text box at the test's scale.
Rect CaptionTextBox();
// The share of pixels that must agree at the test's scale.
double RequiredAgreementPercent();
// An image enlarged to a scale, each pixel filling the device pixels between its edges'.
Image Enlarge(const Image& image, const DisplayScale& scale);

// The caption buttons' 17 x 16 pixel squares, from the window's right edge: their left edges lie
// 73, 52 and 31 pixels left of it, their tops 8 pixels down (layout pixels; the rectangle is in
// device pixels at the test's scale, windowWidth too).
enum class Button { Minimize, Maximize, Close };
Rect ButtonRect(Button b, int windowWidth);
const char* ButtonName(Button b);
// Moves the pointer to the middle of a caption button of the window at g; ClickButton clicks it too.
void PointAtButton(Button b, const Geometry& g);
void ClickButton(Button b, const Geometry& g);

// The screen's size as the X server reports it.
std::optional<Geometry> ScreenGeometry();

// Copies the part of image inside r (coordinates of image) into a new image.
Image Crop(const Image& image, const Rect& r);
// The number of pixels that differ between two images of the same size (-1 if the sizes differ).
long CountDifferences(const Image& a, const Image& b);

// Polls screenshots until the square r of the window at g equals the same square of reference (a
// frame of the window's size); the number of pixels that differ at the end (-1: no screenshot).
// The screenshot goes to OutPath(name + ".png").
long SquareDifferences(const Geometry& g, const Rect& r, const Image& reference, const std::string& name);

// A window's place and size as xdotool reports them; nullopt with why in *error if it cannot be read.
std::optional<Geometry> WindowGeometry(unsigned long window, std::string* error = nullptr);
// The box of a window's bounding shape (its outline as X has it), in the window's own
// coordinates, as xwininfo reports it; nullopt with why in *error if it has none or cannot be read.
std::optional<Rect> ShapeExtents(unsigned long window, std::string* error);

// The pure red pixels (255, 0, 0) a screenshot shows within the window at g, which never has
// any: the artwork's corner fill lies wholly outside the outline. Their number, and where the
// first few are in *where (window coordinates).
long RedPixels(const Image& screen, const Geometry& g, std::string* where);

// The desktop's work area (the screen less the taskbar), from _NET_WORKAREA.
std::optional<Geometry> WorkArea();
// The work area under a window manager, else the whole screen.
std::optional<Geometry> WorkAreaOrScreen();
// Presses and releases the left button twice, each held about 50 ms: a slower double-click than
// DoubleClick's quick taps.
void SlowDoubleClick();

// A bitmap of ink cropped to its bounding box.
struct Ink {
    int width = 0, height = 0;
    std::vector<bool> on;
    bool At(int x, int y) const { return x < width && y < height && on[static_cast<std::size_t>(y) * width + x]; }
};
// The set pixels of a width x height bitmap, cropped to their bounding box.
Ink CropInk(const std::vector<bool>& on, int width, int height);
// The word as pango draws it in a font (a pango description, at 96 dpi), as ink above a coverage threshold.
Ink RenderedInk(const std::string& word, const char* font, int threshold);
// The tooltip shown below the pointer at (x, y) on a screenshot: the box of its white ground
// (the window face and the frame are never pure white); nullopt if there is none.
std::optional<Rect> FindToolTip(const Image& screen, int x, int y);
// How well the ink in a tooltip's box matches word as drawn by a font that has its glyphs
// (WenQuanYi Micro Hei, through pango), both scaled to the same box: shared ink over all ink.
// Empty boxes drawn for missing glyphs match far less than the words themselves.
double ToolTipInkMatch(const Image& screen, const Rect& tip, const std::string& word);
inline constexpr double kToolTipWordsMatch = 0.45;

// Where the simulated host puts the start window on its 1024 x 768 screen, in screen pixels
// (its position is kept in twips and may hold a half pixel, rounded half up as the host does).
std::optional<Geometry> SimStartGeometry(std::string* error);

// Starts the program and waits for its window at the start place and size; on failure returns
// nullopt and says why in *error.
std::optional<Geometry> StartAndWaitForWindow(Program& program, std::string* error);

// Clicks the close button of the window at g: a test failure unless the program then ends
// within 15 s with status 0.
void ExpectClosedByButton(Program& program, const Geometry& g);

}  // namespace tarvik::wine
