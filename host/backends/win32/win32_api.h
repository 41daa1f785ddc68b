// windows.h for the Win32 backend, included after the host headers: its macros (RGN_OR,
// WM_NCLBUTTONDOWN, HTCAPTION) would otherwise clash with the host's own constants.
#pragma once

#include "host/host.h"

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace tarvik::win32 {

// UTF-8 text as UTF-16 for the wide Win32 calls.
std::wstring Widen(const std::string& text);

// The calling thread's last error as " (error N)", for failure messages.
std::string LastError();

}  // namespace tarvik::win32
