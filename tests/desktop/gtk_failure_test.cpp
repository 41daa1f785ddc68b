// An unhandled failure on the GTK host, in process on a virtual desktop: a message dialog names
// the procedure and the failure, and the program ends with status 1, whether the failure comes
// before the main loop or from a pointer event inside it.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <string>

#include "host/design.h"
#include "host/gtk/gtk_host.h"

namespace tarvik::gtk {
namespace {

// A core whose Load or MouseDown fails unhandled, as a procedure without error trapping does.
class FailingCore final : public FormEvents {
public:
    FailingCore(Host& host, bool failLoad) : host_(host), failLoad_(failLoad) {}
    void OnLoad() override {
        if (failLoad_) throw UnhandledFailure("Form_Load", "gtk: the test's failure");
        host_.Move(0, 0);
    }
    void OnResize() override {}
    void OnFormMouseMove(const MouseArgs&) override {}
    void OnMouseDown(Elem elem, const MouseArgs&) override {
        throw UnhandledFailure(std::string(ElemName(elem)) + "_MouseDown", "gtk: the test's failure");
    }
    void OnMouseMove(Elem, const MouseArgs&) override {}
    void OnMouseUp(Elem, const MouseArgs&) override {}
    void OnClick(Elem) override {}
    void OnDblClick(Elem) override {}
    // Window-state and double-click questions of the runtime; nothing to do here.
    void OnWindowStateChanged() {}
    bool HandlesDblClick(Elem) const { return false; }

private:
    Host& host_;
    bool failLoad_;
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

TEST(GtkFailure, ShowsAMessageDialogAndEndsWithStatusOne) {
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr)) << "no display: run through tools/with-desktop.sh";
    for (const bool failLoad : {true, false}) {
        SCOPED_TRACE(failLoad ? "Load fails" : "a press on Immin fails");
        GtkHost host(Form1Design());
        FailingCore core(host, failLoad);
        host.Attach(&core);
        std::string dialogText;
        const guint answer = g_timeout_add(100, &AnswerDialog, &dialogText);
        // The minimize button's design square lies at pixels (144, 24), 17 x 16; no layout moves it here.
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

}  // namespace
}  // namespace tarvik::gtk
