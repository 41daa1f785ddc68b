// The tooltip check on two screenshots of Wine's tooltips: one with the Chinese words, one from a
// prefix without a font for them, where Wine draws empty boxes.
#include <gtest/gtest.h>

#include "tests/wine/harness.h"

namespace tarvik::wine {
namespace {

TEST(ToolTipInk, TheWordsMatchAndEmptyBoxesDoNot) {
    struct Case {
        const char* file;
        int pointerX, pointerY;  // where the pointer rested, in the picture
        const char* word;
        bool readable;
    };
    const Case cases[] = {
        {"tooltip-words.png", 12, -6, "最大化", true},
        {"tooltip-boxes.png", 20, -9, "还原", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string error;
        const auto shot = LoadPng(std::string(TARVIK_WINE_DATA) + "/" + c.file, &error);
        ASSERT_TRUE(shot) << error;
        const auto tip = FindToolTip(*shot, c.pointerX, c.pointerY);
        ASSERT_TRUE(tip) << "expected a tooltip's white ground below the pointer";
        const double match = ToolTipInkMatch(*shot, *tip, c.word);
        std::printf("%s: tooltip %s, ink match with %s %.2f\n", c.file, ToString(*tip).c_str(), c.word, match);
        if (c.readable)
            EXPECT_GE(match, kToolTipWordsMatch) << "expected the words to match their drawing";
        else
            EXPECT_LT(match, kToolTipWordsMatch) << "expected empty boxes not to pass for the words";
        // Another word never passes for the one shown.
        EXPECT_LT(ToolTipInkMatch(*shot, *tip, "关闭"), kToolTipWordsMatch);
    }
}

}  // namespace
}  // namespace tarvik::wine
