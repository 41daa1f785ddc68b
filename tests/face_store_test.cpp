// The one resize of a face that keeps its drawing, over stores that refuse what is over a budget.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "host/runtime/face_store.h"

namespace tarvik {
namespace {

constexpr Color kBack = Rgb(250, 250, 250);
constexpr std::uint32_t kBackPixel = 0xFAFAFA;  // the back colour as a store's 0x00RRGGBB
constexpr std::uint32_t kDrawn = 0x123456;

// Stores in memory; any of more pixels than the budget is refused, as a system short of memory would.
class MemoryStores final : public PixelStores {
public:
    long budget = 1L << 30;
    int made = 0;  // stores made so far
    std::vector<std::uint32_t> held, fresh;
    StoreSize heldSize, freshSize;

    bool MakeStore(StoreSize size) override {
        if (static_cast<long>(size.width) * size.height > budget) return false;
        fresh.assign(static_cast<std::size_t>(size.width) * size.height, 0xDEADBEEF);
        freshSize = size;
        ++made;
        return true;
    }
    PixelImage Made() override { return {fresh.data(), freshSize.width, freshSize.width, freshSize.height}; }
    PixelImage Held() override { return {held.data(), heldSize.width, heldSize.width, heldSize.height}; }
    void UseMade() override {
        held.swap(fresh);
        heldSize = freshSize;
    }
    std::uint32_t At(int x, int y) const { return held[static_cast<std::size_t>(y) * heldSize.width + x]; }
};

TEST(FaceStore, ResizesKeepingTheDrawingAndSurvivesRefusedMemory) {
    struct Case {
        const char* what;
        long budget;
        int width, height;
        std::optional<FaceSize> face;  // none: not even 1 x 1 could be made
        int stores;                    // stores made by the resize
    };
    // From a 64 x 30 face in a store of its own size; a store with room grows 1/32 across, 1/2 down.
    const Case cases[] = {
        {"grows into a store with room", 1L << 30, 100, 80, FaceSize{100, 80}, 1},
        {"shrinks within its store", 1L << 30, 40, 20, FaceSize{40, 20}, 0},
        {"no room to spare: a store just the face's size", 64 * 40, 64, 40, FaceSize{64, 40}, 1},
        {"short of memory: the longer side halved until it fits", 5000, 200, 50, FaceSize{100, 50}, 1},
        {"held to the largest face", 1L << 30, kMaxFaceSide + 5, 3, FaceSize{kMaxFaceSide, 3}, 1},
        {"nothing at all: the old face stays", 0, 10, 8, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        MemoryStores stores;
        const std::optional<FaceSize> first = ResizeFaceStore(stores, {}, {}, 64, 30, kBack);
        ASSERT_TRUE(first.has_value()) << c.what;
        for (std::uint32_t& p : stores.held) p = kDrawn;
        stores.made = 0;
        stores.budget = c.budget;
        const std::optional<FaceSize> face = ResizeFaceStore(stores, stores.heldSize, *first, c.width, c.height, kBack);
        EXPECT_EQ(face, c.face) << c.what;
        EXPECT_EQ(stores.made, c.stores) << c.what << ": stores made";
        const FaceSize now = face.value_or(*first);
        EXPECT_EQ(stores.At(0, 0), kDrawn) << c.what << ": the drawing at the top-left is kept";
        // What the old face did not cover has the back colour; the old face keeps its drawing.
        const bool uncovered = now.width > first->width || now.height > first->height;
        EXPECT_EQ(stores.At(now.width - 1, now.height - 1), uncovered ? kBackPixel : kDrawn) << c.what << ": far corner";
    }
}

}  // namespace
}  // namespace tarvik
