// Start-up: centring the still hidden window on the screen.
#include "app/form1.h"

namespace tarvik {

// Centres the window; a half twip stays in the position. Continues on error.
void Form1::Form_Load() {
    Step([&] {
        const float screenWidth = host_.ScreenWidth();
        const float width = host_.Width();
        const float screenHeight = host_.ScreenHeight();
        const float height = host_.Height();
        const float top = (screenHeight - height) / 2.0f;
        const float left = (screenWidth - width) / 2.0f;
        host_.Move(left, top);
    });
}

}  // namespace tarvik
