// demo-tour.exe SHOTS_DIR [SETUP_EXE]: opens kel-admin.exe (beside this program) on the
// environment that scripts/demo lays out and takes the README's pictures as a user sees them:
// the main dialog, the progress window of a long "Set Dir", and a message box; then, given the
// installer, runs it through its pages (licence, folder, finish) and pictures each. Each is
// saved as a bitmap in SHOTS_DIR (a Windows path); scripts/demo turns them into PNG files.
#include "res/resource.h"
#include "tests/driver/TestFiles.h"
#include "tests/driver/ToolProcess.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace
{
const char kLongQueue[] = "Draft";
const char kNewDirectory[] = "C:\\KEL\\spool\\draft-new";

// Saves what the screen shows of `window` as a 24-bit bitmap file.
bool CaptureWindow(HWND window, const std::string& path)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageBytes;
    info.bmiHeader.biSizeImage = imageBytes;
    bool written = false;
    if (FILE* file = std::fopen(path.c_str(), "wb"))
    {
        written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
                  std::fwrite(bits, 1, imageBytes, file) == imageBytes;
        written = std::fclose(file) == 0 && written;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "demo-tour: %s\n", what);
    return 1;
}

// The first descendant of `parent` whose text is `text`, or null.
HWND FindChildByText(HWND parent, const std::string& text)
{
    struct Search
    {
        const std::string& text;
        HWND found;
    } search{text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lParam) -> BOOL
        {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (WindowTextOf(child) == s->text)
                s->found = child;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible dialog window of process `processId`, or null.
HWND FindDialogOf(DWORD processId)
{
    for (HWND window : TopLevelWindowsOf(processId))
        if (IsWindowVisible(window) && IsDialogWindow(window))
            return window;
    return nullptr;
}

// Runs the installer through its pages as a user would, pictures each, and finishes without
// starting the tool.
int TourTheInstaller(const std::string& setup, const std::string& shots)
{
    std::string commandLine = "\"" + setup + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(setup.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return Fail("the installer did not start");
    HWND wizard = nullptr;
    WaitUntil([&] { return (wizard = FindDialogOf(process.dwProcessId)) != nullptr; }, 30000);
    if (wizard == nullptr)
        return Fail("the installer's window did not appear");
    const struct
    {
        const char* page; // a text that shows the page is up
        const char* picture;
    } pages[] = {
        {"I &Agree", "installer-licence.bmp"},
        {"&Install", "installer-folder.bmp"},
        {"Run KEL Administrator", "installer-finish.bmp"},
    };
    for (const auto& page : pages)
    {
        HWND shown = nullptr;
        if (!WaitUntil([&] { return (shown = FindChildByText(wizard, page.page)) != nullptr; },
                       30000))
            return Fail(page.page);
        Sleep(700); // let the page paint
        CaptureWindow(wizard, shots + page.picture);
        if (std::string(page.page) == "Run KEL Administrator")
            SendMessageA(shown, BM_SETCHECK, BST_UNCHECKED, 0);
        PostMessageA(wizard, WM_COMMAND, IDOK, 0);
    }
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}

int IndexOfQueue(const CToolProcess& tool, const std::string& name)
{
    for (int i = 0; i < tool.ComboCount(IDC_QUEUE_LIST); ++i)
        if (tool.ComboText(IDC_QUEUE_LIST, i) == name)
            return i;
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3)
        return Fail("usage: demo-tour.exe SHOTS_DIR [SETUP_EXE]");
    const std::string shots = std::string(argv[1]) + "\\";
    CToolProcess tool;
    if (!tool.Start(ThisProgramDirectory() + "kel-admin.exe"))
        return Fail("the main dialog did not open");
    Sleep(500); // let it paint
    if (!CaptureWindow(tool.Dialog(), shots + "kel-admin.bmp"))
        return Fail("the main dialog could not be captured");

    // The About box, for a look at its lines (not in the README).
    tool.Click(IDC_ABOUT);
    if (HWND about = tool.FindWindowByCaption("About KEL Administrator"))
    {
        Sleep(300);
        CaptureWindow(about, shots + "kel-admin-about.bmp");
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !IsWindow(about); });
    }

    // A long "Set Dir", pictured while it copies.
    PostMessageA(tool.Control(IDC_QUEUE_LIST), CB_SETCURSEL, IndexOfQueue(tool, kLongQueue), 0);
    tool.OpenAndCloseDropDown(IDC_QUEUE_LIST);
    if (!tool.BrowseTo(IDC_BROWSE_QUEUE, kNewDirectory))
        return Fail("the folder chooser did not choose the new directory");
    PostMessageA(tool.Control(IDC_SET_DIR), BM_CLICK, 0, 0);
    HWND progress = nullptr;
    const bool copying = WaitUntil(
        [&]
        {
            progress = tool.FindProgressWindow();
            return progress != nullptr &&
                   WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_STEP)).rfind("Copying", 0) == 0 &&
                   WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_FILES)).rfind("0 of", 0) != 0 &&
                   !WindowTextOf(GetDlgItem(progress, IDC_PROGRESS_FILES)).empty();
        },
        30000);
    if (!copying)
        return Fail("the progress window did not appear");
    Sleep(300);
    CaptureWindow(progress, shots + "kel-admin-progress.bmp");
    tool.Sync(120000);
    tool.TakeAllMessageBoxes();

    // A refusal: the directory just set is set again.
    tool.Click(IDC_SET_DIR);
    if (HWND box = tool.FindMessageBox())
    {
        Sleep(300);
        CaptureWindow(box, shots + "kel-admin-message.bmp");
    }
    tool.TakeAllMessageBoxes();
    PostMessageA(tool.Control(IDOK), BM_CLICK, 0, 0);
    tool.WaitForExit(10000);
    return argc == 3 ? TourTheInstaller(argv[2], shots) : 0;
}
