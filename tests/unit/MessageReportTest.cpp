// Message reporting, read back from the real message boxes.
#include "ui/MessageReport.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "config/StorableFolder.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/unit/MessageBoxCatcher.h"

#include "framework/Dialog.h"
#include "ui/ProgressWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Lines = std::vector<std::string>;

namespace
{
const char kCaption[] = "KEL Administrator 2.1 Win95";

void ExpectPlainBox(const CaughtBox& box, const std::string& what)
{
    EXPECT_EQ(box.caption, kCaption) << what;
    EXPECT_EQ(box.buttons, Lines{"OK"}) << what;
    EXPECT_EQ(box.background, RGB(192, 192, 192)) << what;
    EXPECT_EQ(box.textColour, RGB(0, 0, 0)) << what;
}
} // namespace

TEST(MessageReportTest, MessagesShownByNumberCarryTheirHelpContextWhileUp)
{
    const std::pair<UINT, Lines> messages[] = {
        {IDS_NO_WINDOW_RECORD, {"You need to run KEL before you can use this option."}},
        {IDS_DIR_UNCHANGED, {"This directory setting has not changed!"}},
        {IDS_QUEUE_BUSY,
         {"This queue is busy now!", "Please try again in a moment.",
          "You might consider using KEL to disable the queue temporarily."}},
        {IDS_DIR_IN_USE, {"This directory is already in use by another queue."}},
        {IDS_EMPTY_DIR, {"Trying to chdir to an empty dir"}},
    };
    CMessageBoxCatcher catcher;
    CWinApp::Get()->m_promptContext = 77;
    for (const auto& message : messages)
        ShowMessage(nullptr, message.first, MB_ICONINFORMATION);

    ASSERT_EQ(catcher.Boxes().size(), std::size(messages));
    for (size_t i = 0; i < std::size(messages); ++i)
    {
        const CaughtBox& box = catcher.Boxes()[i];
        const std::string what = "message " + std::to_string(messages[i].first);
        ExpectPlainBox(box, what);
        EXPECT_EQ(LinesOf(box.text), messages[i].second) << what;
        EXPECT_EQ(box.iconKind, MB_ICONINFORMATION) << what;
        EXPECT_EQ(box.promptContext, 0x30000u + messages[i].first) << what;
    }
    EXPECT_EQ(CWinApp::Get()->m_promptContext, 77u) << "the previous context is restored";
    CWinApp::Get()->m_promptContext = 0;
}

TEST(MessageReportTest, FormattedMessagesShowTheirArgumentsAsTheyAre)
{
    const std::string percent = "C:\\spool 100%s\\f%d";
    struct Case
    {
        UINT id;
        std::wstring text;
        Lines lines;
    };
    const std::wstring wide = WidenText(percent);
    const std::vector<Case> cases = {
        {IDS_RENAME_FAILED,
         FormatMessageText(IDS_RENAME_FAILED, {wide, L"D:\\new\\f", L"File exists"}),
         {"Renaming " + percent, "to D:\\new\\f :", "File exists"}},
        {IDS_OPEN_READ_FAILED,
         FormatMessageText(IDS_OPEN_READ_FAILED, {wide, L"Permission denied"}),
         {"Can't open file for reading:", "\t" + percent, "Permission denied"}},
        {IDS_OPEN_WRITE_FAILED,
         FormatMessageText(IDS_OPEN_WRITE_FAILED, {wide, L"No such file or directory"}),
         {"Can't open file for writing:", "\t" + percent, "No such file or directory"}},
        {IDS_READ_FAILED,
         FormatMessageText(IDS_READ_FAILED, {wide, L"Invalid argument"}),
         {"Read error on " + percent + ":", "Invalid argument"}},
        {IDS_WRITE_FAILED,
         FormatMessageText(IDS_WRITE_FAILED, {wide, L"No space left on device"}),
         {"Write error on " + percent + ":", "No space left on device"}},
        {IDS_ENTER_DIR_FAILED,
         FormatMessageText(IDS_ENTER_DIR_FAILED, {wide, L"No such file or directory"}),
         {"Can't go to dir", "\t" + percent + " :", "No such file or directory"}},
        {IDS_DRIVE_FAILED,
         FormatMessageText(IDS_DRIVE_FAILED, {L"q"}),
         {"Failed to change to drive q:"}},
        {IDS_ENTER_QUEUE_DIR_FAILED,
         FormatMessageText(IDS_ENTER_QUEUE_DIR_FAILED, {wide, L"Permission denied"}),
         {"Can't go to queue dir '" + percent + "' : Permission denied"}},
        {IDS_CREATE_LOG_DIR_FAILED,
         FormatMessageText(IDS_CREATE_LOG_DIR_FAILED, {wide + L"\\logfiles", L"File exists"}),
         {"Error creating log directory", "\t" + percent + "\\logfiles :", "File exists"}},
    };

    CMessageBoxCatcher catcher;
    CWinApp::Get()->m_promptContext = 5;
    for (const Case& c : cases)
        ShowMessage(nullptr, c.text, MB_ICONEXCLAMATION);
    ASSERT_EQ(catcher.Boxes().size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i)
    {
        const CaughtBox& box = catcher.Boxes()[i];
        const std::string what = "message " + std::to_string(cases[i].id);
        ExpectPlainBox(box, what);
        EXPECT_EQ(LinesOf(box.text), cases[i].lines) << what;
        EXPECT_EQ(box.iconKind, MB_ICONEXCLAMATION) << what;
        EXPECT_EQ(box.promptContext, 5u) << what << ": a ready text sets no help context";
    }
    CWinApp::Get()->m_promptContext = 0;
}

TEST(MessageReportTest, EachIconKindIsShown)
{
    CMessageBoxCatcher catcher;
    for (UINT kind : {MB_ICONSTOP, MB_ICONEXCLAMATION, MB_ICONINFORMATION})
        ShowMessage(nullptr, L"x", kind);
    ASSERT_EQ(catcher.Boxes().size(), 3u);
    EXPECT_EQ(catcher.Boxes()[0].iconKind, MB_ICONSTOP);
    EXPECT_EQ(catcher.Boxes()[1].iconKind, MB_ICONEXCLAMATION);
    EXPECT_EQ(catcher.Boxes()[2].iconKind, MB_ICONINFORMATION);
}

TEST(MessageReportTest, BoxesAndTheProgressWindowFollowHighContrastAndItsTextsAreNamed)
{
    CMessageBoxCatcher catcher;
    CProgressWindow progress(nullptr);
    progress.BeginStep(L"Copying files to D:\\q", 3, 0);
    progress.SetDone(2, 0);
    ASSERT_TRUE(progress.Create()); // as it is shown after half a second
    HWND window = progress.GetSafeHwnd();
    ShowWindow(window, SW_SHOW);
    progress.Pump();
    HWND step = GetDlgItem(window, IDC_PROGRESS_STEP);
    {
        CHighContrast on;
        ShowMessage(nullptr, L"x", MB_ICONSTOP);
        UpdateWindow(window);
        ASSERT_FALSE(GetUpdateRect(step, nullptr, FALSE));
        SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        EXPECT_TRUE(GetUpdateRect(step, nullptr, FALSE)) << "painted again at the switch";
        EXPECT_EQ(AnsweredColours(window, WM_CTLCOLORSTATIC, step), kContrast);
        EXPECT_EQ(AnsweredColours(window, WM_CTLCOLORDLG, window).first, kContrast.first);
    }
    EXPECT_EQ(AnsweredColours(window, WM_CTLCOLORDLG, window), kGrey);
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(Colours(catcher.Boxes()[0].background, catcher.Boxes()[0].textColour), kContrast);

    for (const auto& [id, name] : {std::pair(IDC_PROGRESS_STEP, "Step"),
                                   {IDC_PROGRESS_FILES, "Files"},
                                   {IDC_PROGRESS_BYTES, "Size"},
                                   {IDC_PROGRESS_BAR, "Progress"}})
        EXPECT_EQ(Annotation(GetDlgItem(window, id), AccessibleText::kName), name);
    HWND files = GetDlgItem(window, IDC_PROGRESS_FILES);
    EXPECT_EQ(Annotation(step, AccessibleText::kDescription), "Copying files to D:\\q");
    EXPECT_EQ(Annotation(files, AccessibleText::kDescription), "2 of 3 files");
    progress.Close();
    EXPECT_EQ(Annotation(files, AccessibleText::kName), "") << "cleared with the window";
}

TEST(MessageReportTest, TextsBeyondTheFormatBufferAreCutSafely)
{
    const std::string longPath(5000, 'p');
    std::string text;
    const int count =
        FormatResourceText(text, IDS_READ_FAILED, longPath.c_str(), "Invalid argument");
    EXPECT_EQ(count, 2047);
    ASSERT_EQ(text.size(), 2047u);
    EXPECT_EQ(text, "Read error on " + longPath.substr(0, 2047 - 14));

    EXPECT_EQ(FormatText(text, "%u,%u,%d", 2u, 0u, -1), 6);
    EXPECT_EQ(text, "2,0,-1");
}

TEST(FolderChoiceTest, OnlyExactNamesOnLetteredDrivesAreUsable)
{
    std::string narrow;
    EXPECT_TRUE(ToHostCodePageExactly(L"C:\\Spool\\Laser", narrow));
    EXPECT_EQ(narrow, "C:\\Spool\\Laser");
    EXPECT_FALSE(ToHostCodePageExactly(L"C:\\\x0101lpha2", narrow)) << "no best-fit mapping";
    EXPECT_FALSE(ToHostCodePageExactly(L"C:\\\x65b0", narrow)) << "no default character";
    for (const char* path : {"C:\\", "d:\\queues"})
        EXPECT_TRUE(IsOnLetteredDrive(path)) << path;
    for (const char* path : {"\\\\server\\share", "C:relative", "1:\\x", "", "\\queues"})
        EXPECT_FALSE(IsOnLetteredDrive(path)) << path;
    // The profile functions would give back a trimmed or unquoted path, and the platform
    // drops a trailing dot; Wine's chooser cannot select such folders by path to show it there.
    for (const wchar_t* path : {L"C:\\spool\\trailing ", L"C:\\spool\\dot.", L"C:\\spool\\tab\t"})
        EXPECT_EQ(CheckStorableFolder(path, narrow), FolderProblem::kNotUsable) << Narrow(path);
    EXPECT_EQ(CheckStorableFolder(L"C:\\spool\\line\nbreak", narrow), FolderProblem::kLineBreak);
    EXPECT_EQ(CheckStorableFolder(L"C:\\spool\\ok", narrow), FolderProblem::kNone);
    EXPECT_EQ(narrow, "C:\\spool\\ok");
}

namespace
{
// A dialog whose first command throws.
class CThrowingDialog : public CDialog
{
public:
    CThrowingDialog() : CDialog(IDD_PROGRESS, nullptr) {}
    int m_handled = 0;

protected:
    CommandTable GetCommandTable() const override
    {
        static const CommandEntry table[] = {
            {WM_COMMAND, IDC_ABOUT, BN_CLICKED, Bind(&CThrowingDialog::OnCommand)}};
        return MakeCommandTable(table);
    }

private:
    void OnCommand()
    {
        if (++m_handled == 1)
            throw std::runtime_error("provoked");
    }
};
} // namespace

TEST(MessageReportTest, AHandlersExceptionIsReportedAndTheNextCommandStillRuns)
{
    CMessageBoxCatcher catcher;
    CThrowingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    for (int click = 0; click < 2; ++click)
        SendMessageA(dialog.GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDC_ABOUT, BN_CLICKED), 0);
    EXPECT_EQ(dialog.m_handled, 2);
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].text, "provoked");
    dialog.DestroyWindow();
}
