#pragma once

// What the test hook, loaded into the tool's process, and the driver agree on.

// Posted by the driver to any window of the tool's thread with a sequence number in wParam;
// the hook stores the number in the window's kMarkerProperty when the thread takes it from
// its queue. Everything posted to that thread before it has been handled by then, or is being
// handled by a modal loop that it opened.
inline constexpr char kMarkerMessageName[] = "KelTestMarker";
inline constexpr char kMarkerProperty[] = "KelTestMarker";

// Set on each message box of the tool when it is shown: its icon kind (16, 48, 64), or 0 when
// it has no icon of those three.
inline constexpr char kIconKindProperty[] = "KelTestIconKind";

// Exports of the hook DLL.
inline constexpr char kHookDllName[] = "kel-testhook.dll";
inline constexpr char kCbtHookExport[] = "KelTestCbtHook";
inline constexpr char kGetMessageHookExport[] = "KelTestGetMessageHook";
