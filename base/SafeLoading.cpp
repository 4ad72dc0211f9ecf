#include "base/SafeLoading.h"

#include <windows.h>

void LoadLibrariesFromSystemOnly()
{
    // Asked for by name: a Windows 7 without its update lacks it.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set != nullptr)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
