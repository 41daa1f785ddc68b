// Program entry of the native Linux program: its command line (GLib's conventions, GTK's own options
// among them), the one window, its core, and the GTK main loop.
#include "app/form1.h"
#include "host/backends/gtk/gtk_host.h"
#include "tarvik_version.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// The exit status of a command line that cannot be followed, as usage errors conventionally have.
constexpr int kUsageStatus = 2;

// Whether the command line holds the long option name, as "--name VALUE" or "--name=VALUE".
bool GivesOption(int argc, char** argv, const std::string& name) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (arg == name || arg.rfind(name + "=", 0) == 0) return true;
    }
    return false;
}

// Reads the options without opening a display; nullopt, after saying what is wrong and where help is,
// for an unknown option or an argument the program does not take; else whether --version was asked.
std::optional<bool> ReadCommandLine(int* argc, char*** argv) {
    gboolean version = FALSE;
    GOptionEntry entries[] = {
        {"version", 0, 0, G_OPTION_ARG_NONE, &version, "Show the program's version and exit", nullptr},
        {nullptr, 0, 0, G_OPTION_ARG_NONE, nullptr, nullptr, nullptr}};
    GOptionContext* context = g_option_context_new(nullptr);
    g_option_context_set_summary(context, "Opens Lumenta, a window that draws its own frame.");
    g_option_context_add_main_entries(context, entries, nullptr);
    g_option_context_add_group(context, gtk_get_option_group(FALSE));
    GError* error = nullptr;
    bool ok = g_option_context_parse(context, argc, argv, &error);
    g_option_context_free(context);
    std::string problem;
    if (!ok) {
        problem = error->message;
        g_error_free(error);
    } else if (*argc > 1) {
        problem = std::string("unexpected argument \"") + (*argv)[1] + "\"";
    }
    if (!problem.empty()) {
        g_printerr("tarvik: %s\nTry \"tarvik --help\" for more information.\n", problem.c_str());
        return std::nullopt;
    }
    return version != FALSE;
}

// What a user without a usable display is told: what the program needs and which displays it
// tried (GTK's --display, else WAYLAND_DISPLAY and DISPLAY), each as GDK_BACKEND allows it.
std::string NoDisplayMessage() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* backend = std::getenv("GDK_BACKEND");
    const std::string only = backend && *backend ? backend : "";
    std::string message = "Tarvik needs a Wayland or X11 display: a Wayland desktop, or an X server.\n";
    if (const char* option = gdk_get_display_arg_name()) {
        message += std::string("--display is \"") + option + "\", but no display accepted a connection there";
    } else {
        if (only.empty() || only.find("wayland") != std::string::npos)
            message += !wayland || !*wayland ? std::string("WAYLAND_DISPLAY is not set; ")
                                             : std::string("WAYLAND_DISPLAY is \"") + wayland +
                                                   "\", but no Wayland compositor accepted a connection there; ";
        if (only.empty() || only.find("x11") != std::string::npos)
            message += !display || !*display ? std::string("DISPLAY is not set")
                                             : std::string("DISPLAY is \"") + display +
                                                   "\", but no X server accepted a connection there";
        if (!only.empty()) message += std::string(" (GDK_BACKEND is \"") + only + "\")";
    }
    message += ".\nStart Tarvik from a desktop session, or set WAYLAND_DISPLAY or DISPLAY to a running one "
               "(for example wayland-0 or :0).\n";
    return message;
}

}  // namespace

// Answers --help and --version, or creates Form1 on the GTK host and runs it; the exit status is 0
// after Unload, 1 after an unhandled failure, 2 for a command line it cannot follow.
int main(int argc, char** argv) {
    // Wayland where the session offers it, else X11 (GDK_BACKEND=x11 still asks for X11 alone).
    // On Wayland the compositor places the window and nothing shapes it: the outline is drawn
    // with transparent corners instead (gtk_wayland.cpp).
    gdk_set_allowed_backends("wayland,x11");
    gchar* base = g_path_get_basename(argc > 0 && argv[0] ? argv[0] : "tarvik");
    const std::string invokedAs = base;
    g_free(base);
    const bool classGiven = GivesOption(argc, argv, "--class");
    const std::optional<bool> version = ReadCommandLine(&argc, &argv);
    if (!version) return kUsageStatus;
    if (*version) {
        g_print("tarvik %s\n", TARVIK_VERSION);
        return 0;
    }
    // Docks and task switchers tie the window to the desktop entry by its class; a Wayland app id
    // is the program's name. Both are the entry's id unless GTK's --class or --name said otherwise.
    if (!classGiven) gdk_set_program_class(TARVIK_APP_ID);
    if (!g_get_prgname() || invokedAs == g_get_prgname()) g_set_prgname(TARVIK_APP_ID);
    // What screen readers and dialogs call the program, rather than its id.
    g_set_application_name("Tarvik");
    if (!gtk_init_check(&argc, &argv)) {
        g_printerr("%s", NoDisplayMessage().c_str());
        return 1;
    }
    try {
        tarvik::gtk::GtkHost host(tarvik::Form1Design());
        tarvik::Form1 form(host);
        host.Attach(&form);
        return host.Run();
    } catch (const tarvik::Failure& failure) {
        // The window could not even be created.
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK,
                                                   "Tarvik (gtk): %s", failure.what());
        gtk_window_set_title(GTK_WINDOW(dialog), "Tarvik");
        gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        return 1;
    }
}
