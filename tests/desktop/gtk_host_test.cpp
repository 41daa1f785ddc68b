// The GTK host in process on a virtual desktop: sizes the program sets are laid out once, sizes
// the window manager sets are laid out when they come; an unhandled failure shows a message dialog
// naming the procedure and ends the program with status 1, before the main loop or inside it.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/design.h"
#include "host/backends/gtk/gtk_host.h"
#include "host/runtime/hit_test.h"
#include "host/twips.h"

namespace tarvik::gtk {
namespace {

// A core that counts the layouts, and whose Load or MouseDown can fail unhandled as a procedure
// without error trapping does.
class TestCore final : public FormEvents {
public:
    enum class Fail { Nothing, Load, MouseDown };
    explicit TestCore(Fail fail = Fail::Nothing) : fail_(fail) {}
    void OnLoad() override {
        if (fail_ == Fail::Load) throw UnhandledFailure("Form_Load", "gtk: the test's failure");
    }
    void OnResize() override { ++resizes; }
    void OnFormMouseMove(const MouseArgs& a) override {
        faceMoves.emplace_back(static_cast<int>(a.x / kTwipsPerPixel), static_cast<int>(a.y / kTwipsPerPixel));
    }
    void OnMouseDown(Elem elem, const MouseArgs&) override {
        if (fail_ == Fail::MouseDown) throw UnhandledFailure(std::string(ElemName(elem)) + "_MouseDown", "gtk: the test's failure");
    }
    void OnMouseMove(Elem, const MouseArgs&) override {}
    void OnMouseUp(Elem, const MouseArgs&) override {}
    void OnClick(Elem) override {}
    void OnDblClick(Elem) override {}
    // Window-state and double-click questions of the runtime; nothing to do here.
    void OnWindowStateChanged() {}
    bool HandlesDblClick(Elem) const { return false; }
    int resizes = 0;
    std::vector<std::pair<int, int>> faceMoves;  // window pixels

private:
    Fail fail_;
};

// Every 100 ms while the program runs: once a message dialog is up, keeps its text and presses OK.
gboolean AnswerDialog(gpointer data) {
    auto* text = static_cast<std::string*>(data);
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (!GTK_IS_MESSAGE_DIALOG(w->data) || !gtk_widget_get_visible(GTK_WIDGET(w->data))) continue;
        gchar* shown = nullptr;
        g_object_get(w->data, "text", &shown, nullptr);
        *text = shown ? shown : "";
        g_free(shown);
        gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
    }
    g_list_free(windows);
    return G_SOURCE_CONTINUE;
}

// Runs each step at its time (ms after the start) inside the main loop.
struct Step {
    guint atMs;
    std::function<void()> run;
};
void Schedule(std::vector<Step>& steps) {
    for (Step& s : steps)
        g_timeout_add(s.atMs, [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        }, &s.run);
}

// The window's size as the X server has it.
std::pair<int, int> ServerSize(GtkHost& host) {
    return {gdk_window_get_width(gtk_widget_get_window(host.Window())), gdk_window_get_height(gtk_widget_get_window(host.Window()))};
}

TEST(GtkSizes, OwnSizesAreLaidOutOnceAndTheWindowManagersWhenTheyCome) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display: run through tools/with-desktop.sh";
    GtkHost host(Form1Design());
    TestCore core;
    host.Attach(&core);
    int afterSets = -1, afterNotifications = -1, afterManager = -1;
    std::pair<int, int> serverAfterSets, serverAfterManager;
    std::vector<Step> steps{
        {400, [&] {
             // Ten sizes as a grip drag sets them: each raises one layout before it returns.
             for (int i = 1; i <= 10; ++i) host.SetWidth(4350.0f + 150.0f * i);
             afterSets = core.resizes;
         }},
        {1500, [&] {
             afterNotifications = core.resizes;
             serverAfterSets = ServerSize(host);
             g_spawn_command_line_async(("xdotool windowsize " + std::to_string(host.hWnd()) + " 420 320").c_str(), nullptr);
         }},
        {2500, [&] {
             afterManager = core.resizes;
             serverAfterManager = ServerSize(host);
             host.Unload();
         }},
    };
    Schedule(steps);
    EXPECT_EQ(host.Run(), 0);
    EXPECT_EQ(afterSets, 11) << "expected the first show and the ten sets to lay out once each";
    EXPECT_EQ(afterNotifications, afterSets) << "the window manager's notifications of the program's own sizes laid out again";
    EXPECT_EQ(serverAfterSets, std::make_pair(390, 231)) << "expected the window at the last size set (5850 twips)";
    EXPECT_EQ(afterManager, afterNotifications + 1) << "expected one layout for the window manager's size";
    EXPECT_EQ(serverAfterManager, std::make_pair(420, 320));
    EXPECT_EQ(host.Width(), 420 * 15.0f) << "expected the window manager's size as the window's Width";
}

TEST(GtkFailure, ShowsAMessageDialogAndEndsWithStatusOne) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display: run through tools/with-desktop.sh";
    for (const bool failLoad : {true, false}) {
        SCOPED_TRACE(failLoad ? "Load fails" : "a press on Immin fails");
        GtkHost host(Form1Design());
        TestCore core(failLoad ? TestCore::Fail::Load : TestCore::Fail::MouseDown);
        host.Attach(&core);
        std::string dialogText;
        const guint answer = g_timeout_add(100, &AnswerDialog, &dialogText);
        // The minimize button's design square lies at pixels (144, 24), 17 x 16 (no layout moves it
        // here), of the window placed at the screen's top-left corner.
        host.Move(0, 0);
        if (!failLoad)
            g_timeout_add(500, [](gpointer) -> gboolean {
                g_spawn_command_line_async("xdotool mousemove 152 32 click 1", nullptr);
                return G_SOURCE_REMOVE;
            }, nullptr);
        const int status = host.Run();
        g_source_remove(answer);
        EXPECT_EQ(status, 1) << "expected exit status 1 after an unhandled failure";
        const std::string procedure = failLoad ? "Form_Load" : "Immin_MouseDown";
        EXPECT_NE(dialogText.find(procedure), std::string::npos)
            << "expected the dialog to name " << procedure << ", it said: \"" << dialogText << "\"";
        EXPECT_NE(dialogText.find("the test's failure"), std::string::npos) << "the dialog said: \"" << dialogText << "\"";
    }
}

// The tooltip GTK shows now, in screen pixels.
std::optional<GdkRectangle> ShownToolTipArea() {
    std::optional<GdkRectangle> area;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next)
        if (gtk_widget_get_mapped(GTK_WIDGET(w->data)) &&
            gtk_window_get_type_hint(GTK_WINDOW(w->data)) == GDK_WINDOW_TYPE_HINT_TOOLTIP) {
            GdkRectangle r{};
            gdk_window_get_frame_extents(gtk_widget_get_window(GTK_WIDGET(w->data)), &r);
            area = r;
        }
    g_list_free(windows);
    return area;
}

void PointerTo(int x, int y) {
    const std::string command = "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y);
    g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, nullptr, nullptr);
}

// One jump of the pointer onto the bare face is a face move at once, whatever the pointer left:
// a caption button, the button's tooltip (which takes the pointer from the window and then hides
// under it), or the desktop outside the window.
TEST(GtkPointer, TheFirstMoveOntoTheFaceReachesIt) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display: run through tools/with-desktop.sh";
    // The window at the screen's top-left corner, not laid out: the minimize button's design
    // square is at (144, 24), 17 x 16.
    constexpr int kButtonX = 152, kButtonY = 32;
    const struct {
        const char* from;
        int startX, startY;
        guint restMs;     // before the jump
        bool ontoTip;     // the jump lands on the tooltip (else 44 pixels below the start)
    } cases[] = {
        {"the minimize button", kButtonX, kButtonY, 150, false},
        {"the minimize button's tooltip", kButtonX, kButtonY, 1500, true},
        {"outside the window", 600, 120, 150, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("from ") + c.from);
        GtkHost host(Form1Design());
        TestCore core;
        host.Attach(&core);
        host.Move(0, 0);
        int toX = c.ontoTip ? -1 : std::min(c.startX, 200), toY = c.ontoTip ? -1 : kButtonY + 44;
        std::optional<GdkRectangle> tip;
        std::size_t movesBefore = 0;
        std::vector<std::pair<int, int>> after;
        std::vector<Step> steps{
            {300, [&] { PointerTo(c.startX, c.startY); }},
            {300 + c.restMs, [&] {
                 tip = ShownToolTipArea();
                 if (c.ontoTip && tip) {
                     toX = tip->x + tip->width / 2;
                     toY = tip->y + tip->height / 2;
                 }
                 movesBefore = core.faceMoves.size();
                 if (toX >= 0) PointerTo(toX, toY);
             }},
            {1100 + c.restMs, [&] {
                 after.assign(core.faceMoves.begin() + static_cast<long>(movesBefore), core.faceMoves.end());
                 host.Unload();
             }},
        };
        Schedule(steps);
        EXPECT_EQ(host.Run(), 0);
        if (c.ontoTip) {
            ASSERT_TRUE(tip) << "expected the minimize button's tooltip after " << c.restMs << " ms";
        }
        ASSERT_FALSE(HitTest(host.Elements(), toX, toY)) << "the jump's end (" << toX << ", " << toY << ") is not bare face";
        const bool reached = std::find(after.begin(), after.end(), std::make_pair(toX, toY)) != after.end();
        EXPECT_TRUE(reached) << "expected a face move at (" << toX << ", " << toY << ") after one jump; got "
                             << after.size() << " face moves";
    }
}

}  // namespace
}  // namespace tarvik::gtk
