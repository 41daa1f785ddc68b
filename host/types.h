// Value types shared by the core and every host backend.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tarvik {

// A colour as 0x00BBGGRR, red in the low byte.
using Color = std::uint32_t;

// Builds a colour from its red, green and blue parts.
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

// The eighteen elements of the window, in the order of the design data.
enum class Elem : int {
    Pmain, Pjiao, Imico, IMus2, IMus1, IMus0, Pright, Pbottom, Imclose,
    Immax, Immin, Immax2, Immax1, ImClose1, ImClose2, ImMin2, ImMin1, IMBar,
};
inline constexpr int kElemCount = 18;

// A picture: one of the twelve embedded assets, or none (what LoadPicture() gives).
enum class Picture : int { None = 0, A1, A2, A3, A4, A5, A6, A7, A8, A9, A10, A11, A12 };

// The element's design pointer shape.
enum class Cursor : int { Arrow, SizeNS, SizeWE, SizeNWSE };

// Window states as the core reads and writes them.
inline constexpr int kNormal = 0;
inline constexpr int kMinimized = 1;
inline constexpr int kMaximized = 2;

// Mouse buttons and shift bits as the events carry them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Win32-compatible handle and point types; a backend maps them to its own.
using HWND = std::uintptr_t;
using HRGN = std::uintptr_t;
struct POINT { std::int32_t x; std::int32_t y; };
inline constexpr int RGN_OR = 2;
inline constexpr unsigned WM_NCLBUTTONDOWN = 0xA1;
inline constexpr std::uintptr_t HTCAPTION = 2;

// A failed host operation or arithmetic fault; what() names the backend and what failed.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure that left an event procedure unhandled; carries the procedure's name.
class UnhandledFailure : public std::runtime_error {
public:
    UnhandledFailure(std::string procedure, const std::string& what)
        : std::runtime_error(procedure + ": " + what), procedure_(std::move(procedure)) {}
    const std::string& procedure() const { return procedure_; }

private:
    std::string procedure_;
};

}  // namespace tarvik
