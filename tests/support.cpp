#include "tests/support.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "host/backends/cairo/cairo_pictures.h"

namespace tarvik::test {

std::string ToString(const Rgba& p) {
    return "rgba(" + std::to_string(p.r) + ", " + std::to_string(p.g) + ", " + std::to_string(p.b) + ", " +
           std::to_string(p.a) + ")";
}

void Sim::Do(const std::string& commands) { Output(commands); }

std::string Sim::Output(const std::string& commands) {
    std::istringstream in(commands);
    std::ostringstream out;
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        int x = 0, y = 0;
        if (std::sscanf(line.c_str(), "at %d %d", &x, &y) == 2)
            line = "move " + std::to_string(Host().PixelLeft() + x) + " " + std::to_string(Host().PixelTop() + y);
        try {
            scenario_.Execute(line, out);
        } catch (const std::exception& e) {
            ADD_FAILURE() << "command " << n << " '" << line << "' failed: " << e.what();
        }
    }
    return out.str();
}

std::string Sim::Refusal(const std::string& command) {
    std::ostringstream out;
    try {
        scenario_.Execute(command, out);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

sim::SimHost& Sim::Host() {
    if (!scenario_.Host()) Do("start");
    return *scenario_.Host();
}

void Sim::MoveToWindow(int x, int y) { Do("at " + std::to_string(x) + " " + std::to_string(y)); }

std::string Sim::Look(Elem e) {
    const Picture p = Host().GetPicture(e);
    return (p == Picture::None ? "" : "A" + std::to_string(static_cast<int>(p))) + "/" + Host().Tag(e);
}

static Rgba Unpremultiply(std::uint32_t v) {
    const int a = static_cast<int>(v >> 24);
    if (a == 0) return {0, 0, 0, 0};
    auto ch = [&](int shift) { return static_cast<int>(((v >> shift) & 0xFF) * 255 / static_cast<unsigned>(a)); };
    return {ch(16), ch(8), ch(0), a};
}

Rgba Sim::At(int x, int y) {
    if (shotGeneration_ != Host().Generation()) {
        shot_ = Host().Snapshot(&shotW_, &shotH_);
        shotGeneration_ = Host().Generation();
    }
    const int w = shotW_, h = shotH_;
    const auto& pixels = shot_;
    if (x < 0 || y < 0 || x >= w || y >= h) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the " << w << " x " << h << " window";
        return {-1, -1, -1, -1};
    }
    return Unpremultiply(pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)]);
}

Rgba Sim::PicturePixel(Picture picture, int x, int y) {
    cairo_surface_t* s = cairo::PictureSurface(picture);
    const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                            y * cairo_image_surface_get_stride(s));
    return Unpremultiply(row[x]);
}

void FormSpy::OnResize() {
    sizes.emplace_back(host_.WindowGeometry().width, host_.WindowGeometry().height);
    form_.OnResize();
}

void FormSpy::OnWindowStateChanged() {
    ++systemChanges;
    form_.OnWindowStateChanged();
}

std::string OutPath(const std::string& name) {
    std::filesystem::create_directories(TARVIK_TEST_OUT);
    return std::string(TARVIK_TEST_OUT) + "/" + name;
}

}  // namespace tarvik::test
