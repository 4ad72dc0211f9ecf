// The dialog templates and the string table, loaded as the tool loads them.
#include "res/resource.h"
#include "app/AboutDlg.h"
#include "app/AdminDlg.h"
#include "tests/driver/MessageBoxReading.h"
#include "tests/driver/TestFiles.h"
#include "tests/unit/MessageBoxCatcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include <cstring>
#include <string>
#include <vector>

namespace
{
struct ExpectedControl
{
    int id;
    const char* className;
    const char* text;
    RECT dialogUnits; // left, top, width, height
    DWORD styleBits;  // bits that must be set
};

INT_PTR CALLBACK NullDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Creates the template and compares its children, in template order, with `expected`.
void ExpectTemplate(int templateId, const char* caption,
                    const std::vector<ExpectedControl>& expected)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     nullptr, NullDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << "template " << templateId;
    EXPECT_EQ(TextOf(dialog), caption);
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        ASSERT_LT(index, expected.size()) << "more controls than expected";
        const ExpectedControl& want = expected[index++];
        const std::string where = "control " + std::to_string(index) + " (" + want.text + ")";
        EXPECT_EQ(GetDlgCtrlID(child), want.id & 0xFFFF) << where; // template ids are 16 bits
        EXPECT_EQ(ClassOf(child), want.className) << where;
        if (want.className != std::string("ComboBox"))
        {
            EXPECT_EQ(TextOf(child), want.text) << where;
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(style & want.styleBits, want.styleBits)
            << where << " style " << std::hex << style;

        // Position and size convert separately, as the dialog manager converts them.
        RECT units = want.dialogUnits;
        MapDialogRect(dialog, &units);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, units.left) << where;
        EXPECT_EQ(actual.top, units.top) << where;
        EXPECT_EQ(actual.right - actual.left, units.right) << where;
        if (want.className != std::string("ComboBox")) // a drop-down's height is its list's
        {
            EXPECT_EQ(actual.bottom - actual.top, units.bottom) << where;
        }
    }
    EXPECT_EQ(index, expected.size());
    DestroyWindow(dialog);
}
} // namespace

TEST(ResourceTest, MainDialogTemplateHasItsControlsInTabOrder)
{
    const DWORD tab = WS_TABSTOP;
    const DWORD group = WS_GROUP;
    ExpectTemplate(
        IDD_ADMIN_DIALOG, "KEL Administrator",
        {
            {IDOK, "Button", "Close", {40, 158, 50, 14}, tab | BS_DEFPUSHBUTTON},
            {IDC_ABOUT, "Button", "About", {95, 158, 50, 14}, tab},
            {IDC_DISPLAY_MODE, "ComboBox", "", {29, 20, 65, 50}, tab | CBS_DROPDOWNLIST},
            {IDC_SET_DISPLAY, "Button", "Set Display", {106, 19, 50, 14}, tab},
            {IDC_ROOT_DIR,
             "Static",
             "<root dir>",
             {10, 55, 165, 8},
             group | SS_NOPREFIX | SS_PATHELLIPSIS | SS_NOTIFY},
            {IDC_BROWSE_ROOT, "Button", "Browse", {37, 68, 50, 14}, tab},
            {IDC_SET_ROOT, "Button", "Set Root", {97, 68, 50, 14}, tab},
            {IDC_STATIC, "Button", "Change the way KEL is displayed", {5, 5, 176, 35}, BS_GROUPBOX},
            {IDC_STATIC, "Button", "Change the KEL root directory", {5, 42, 176, 46}, BS_GROUPBOX},
            {IDC_STATIC,
             "Button",
             "Change the directory for a queue",
             {5, 91, 175, 61},
             BS_GROUPBOX},
            {IDC_STATIC, "Static", "Select a queue", {12, 105, 62, 8}, group},
            {IDC_QUEUE_LIST, "ComboBox", "", {12, 119, 75, 56}, tab | CBS_DROPDOWNLIST | CBS_SORT},
            {IDC_QUEUE_DIR,
             "Static",
             "<queue dir>",
             {12, 137, 161, 8},
             group | SS_NOPREFIX | SS_PATHELLIPSIS | SS_NOTIFY},
            {IDC_BROWSE_QUEUE, "Button", "Browse", {112, 105, 50, 14}, tab},
            {IDC_SET_DIR, "Button", "Set Dir", {112, 121, 50, 14}, tab},
        });
}

TEST(ResourceTest, MainDialogShowsTheProgramIconInItsCaptionAndTaskBarButton)
{
    // Asked in this process: the platform gives no window's icon to another process.
    CAdminDlg dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_NE(SendMessageA(dialog.GetSafeHwnd(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dialog.GetSafeHwnd(), WM_GETICON, ICON_SMALL, 0), 0);

    // The controls without a label of their own are named; a folder text's description is the
    // whole path it shows. Its colours follow high contrast.
    HWND window = dialog.GetSafeHwnd();
    for (const auto& [id, name] : {std::pair(IDC_DISPLAY_MODE, "Display mode"),
                                   {IDC_QUEUE_LIST, "Select a queue"},
                                   {IDC_ROOT_DIR, "Root directory"},
                                   {IDC_QUEUE_DIR, "Queue directory"}})
        EXPECT_EQ(Annotation(GetDlgItem(window, id), AccessibleText::kName), name);
    HWND root = GetDlgItem(window, IDC_ROOT_DIR);
    SetWindowTextA(root, "C:\\KEL\\a long root");
    dialog.UpdateData(TRUE);
    dialog.UpdateData(FALSE);
    EXPECT_EQ(Annotation(root, AccessibleText::kDescription), "C:\\KEL\\a long root");
    EXPECT_EQ(AnsweredColours(window, WM_CTLCOLORSTATIC, root), kGrey);
    CHighContrast on;
    EXPECT_EQ(AnsweredColours(window, WM_CTLCOLORSTATIC, root), kContrast);
    dialog.DestroyWindow();
}

// Also run at 144 dpi (the test "unit-144dpi"): every line must show whole at either.
TEST(ResourceTest, AboutBoxShowsEveryLineWholeAtThisDpi)
{
    CAboutDlg about(nullptr);
    ASSERT_TRUE(about.Create());
    HWND dialog = about.GetSafeHwnd();
    EXPECT_EQ(TextOf(dialog), "About KEL Administrator");
    RECT size = {0, 0, 215, 100};
    MapDialogRect(dialog, &size);
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND ok = GetDlgItem(dialog, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(TextOf(ok), "OK");
    EXPECT_TRUE(GetWindowLongA(ok, GWL_STYLE) & BS_DEFPUSHBUTTON);
    bool hasIcon = false;
    std::string texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (ClassOf(child) != "Static")
            continue;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        {
            hasIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
            continue;
        }
        const std::string text = TextOf(child);
        texts += text + "\n";
        HDC dc = GetDC(child);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        RECT needed = {0, 0, 0, 0};
        DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        RECT shown;
        GetClientRect(child, &shown);
        EXPECT_LE(needed.right, shown.right) << text;
        EXPECT_LE(needed.bottom, shown.bottom) << text;
    }
    EXPECT_TRUE(hasIcon);
    EXPECT_NE(texts.find("KEL Administrator version 2.1\n"), std::string::npos) << texts;
    EXPECT_NE(texts.find("For KEL Administrator support, please contact:\n"), std::string::npos);
    about.DestroyWindow();
}

TEST(ResourceTest, StringTableHoldsEveryTextOfTheTool)
{
    const std::pair<UINT, const char*> strings[] = {
        {3, "You need to run KEL before you can use this option."},
        {4, "This directory setting has not changed!"},
        {5, "This queue is busy now!\nPlease try again in a moment.\nYou might consider using "
            "KEL to disable the queue temporarily."},
        {6, "This directory is already in use by another queue."},
        {7, "Renaming %s\nto %s :\n%s"},
        {8, "Can't open file for reading:\n\t%s\n%s"},
        {9, "Can't open file for writing:\n\t%s\n%s"},
        {10, "Read error on %s:\n%s"},
        {11, "Write error on %s:\n%s"},
        {12, "Can't go to dir\n\t%s :\n%s"},
        {13, "Trying to chdir to an empty dir"},
        {14, "Failed to change to drive %c:"},
        {15, "Can't go to queue dir '%s' : %s"},
        {16, "Error creating log directory\n\t%s :\n%s"},
        {17, "The name of this folder holds a line break, which KEL cannot store in its "
             "settings.\nPlease choose another folder, or rename this one first."},
        {18, "Can't store the new setting in\n\t%s :\n%s"},
        {19, "KEL can only use a folder on a lettered drive whose name uses this system's "
             "characters.\nPlease choose another folder."},
        {20, "Please choose a directory first, with the Browse button."},
        {21, "There is not enough free space on %s for the files of\n\t%s\n(%s needed, %s free)."},
        {22, "The move was cancelled. KEL's settings have not been changed."},
        {64, "Normal"},
        {65, "Icon"},
        {66, "Full screen"},
        {67, "Hidden"},
        {57344, "KEL Administrator 2.1 Win95"},
    };
    for (const auto& entry : strings)
    {
        char text[512] = "";
        LoadStringA(GetModuleHandleA(nullptr), entry.first, text, sizeof text);
        EXPECT_STREQ(text, entry.second) << "string " << entry.first;
    }
}

TEST(ResourceTest, IconHasThreeSizes)
{
    for (int size : {16, 32, 48})
    {
        HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                 IMAGE_ICON, size, size, 0);
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &info));
        BITMAP bitmap;
        GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

// The names of the libraries a program's image imports, in upper case.
std::set<std::string> ImportsOf(const std::string& image)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    const auto atRva = [&](DWORD rva) -> const char*
    {
        const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->SizeOfRawData)
                return image.data() + section->PointerToRawData + (rva - section->VirtualAddress);
        return nullptr;
    };
    std::set<std::string> names;
    const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        atRva(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress));
    for (; entry != nullptr && entry->Name != 0; ++entry)
    {
        std::string name = atRva(entry->Name);
        CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
        names.insert(name);
    }
    return names;
}

// The built program as it ships: its headers and its manifest, read from the file.
TEST(ResourceTest, TheProgramIsTerminalServerAwareWithoutDebugSectionsAndAsksForElevation)
{
    const std::string program = ThisProgramDirectory() + "kel-admin.exe";
    const std::string image = ReadFileText(program);
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(image.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_TRUE(nt->OptionalHeader.DllCharacteristics &
                IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
    {
        const std::string name(reinterpret_cast<const char*>(section->Name),
                               strnlen(reinterpret_cast<const char*>(section->Name), 8));
        EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
    }
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u) << "no symbol table";
    // Nothing that a user could plant beside the programs is loaded with them: they import the
    // system's known libraries only (and its loader's own), and the common controls through the
    // manifest.
    const std::set<std::string> known = {
        "ADVAPI32.DLL", "COMCTL32.DLL", "GDI32.DLL",   "KERNEL32.DLL", "MSVCRT.DLL",
        "NTDLL.DLL",    "OLE32.DLL",    "SHELL32.DLL", "SHLWAPI.DLL",  "USER32.DLL"};
    for (const char* name : {"kel-admin.exe", "kel-admin-cli.exe"})
        for (const std::string& imported : ImportsOf(ReadFileText(ThisProgramDirectory() + name)))
            EXPECT_EQ(known.count(imported), 1u) << name << " imports " << imported;

    HMODULE file = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(file, found))),
                               SizeofResource(file, found));
    // The event log's texts, as an event viewer reads them from the registered program.
    const wchar_t* const inserts[] = {L"display mode", L"Normal", L"Hidden", L"KEL\\admin"};
    wchar_t* record = nullptr;
    FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                       FORMAT_MESSAGE_ALLOCATE_BUFFER,
                   file, 1000, 0, reinterpret_cast<LPWSTR>(&record), 0,
                   reinterpret_cast<va_list*>(const_cast<wchar_t**>(inserts)));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Narrow(record), "display mode changed from Normal to Hidden by KEL\\admin.\r\n");
    LocalFree(record);
    FreeLibrary(file);
    EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos) << "before Windows 10";
}
