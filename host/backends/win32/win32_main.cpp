// Program entry: the one window, its core, and the message loop. No command line is read.
#include <exception>
#include <string>

#include "app/form1.h"
#include "host/backends/win32/win32_host.h"

// Creates Form1 on the Win32 host and runs it; the exit status is 0 after Unload, 1 after an unhandled failure.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        tarvik::win32::Win32Host host(tarvik::Form1Design(), instance);
        tarvik::Form1 form(host);
        host.Attach(&form);
        return host.Run();
    } catch (const std::exception& failure) {
        // The window could not even be created (the host has released what it had made).
        MessageBoxW(nullptr, tarvik::win32::Widen(std::string("Tarvik (win32): ") + failure.what()).c_str(), L"Tarvik",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
}
