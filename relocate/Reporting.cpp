#include "relocate/Reporting.h"

#include "base/ErrorTexts.h"
#include "base/ResourceText.h"
#include "base/WideText.h"
#include "res/resource.h"

void ReportMessage(CReporter& reporter, UINT id, UINT iconKind)
{
    reporter.Report({id, iconKind, LoadResourceTextW(id), false});
}

void ReportFormatted(CReporter& reporter, UINT id, UINT iconKind,
                     std::initializer_list<std::wstring> arguments)
{
    reporter.Report({id, iconKind, FormatMessageText(id, arguments), true});
}

void ReportPathFailure(CReporter& reporter, UINT id, const std::wstring& path,
                       const std::wstring& errorText)
{
    ReportFormatted(reporter, id, MB_ICONEXCLAMATION, {path, errorText});
}

void ReportPathError(CReporter& reporter, UINT id, const std::wstring& path, int errorNumber)
{
    ReportPathFailure(reporter, id, path, ErrorTextW(errorNumber));
}

void ReportStoreFailure(CReporter& reporter, const std::wstring& path, const StoreResult& result)
{
    std::wstring reason = result.error == 0 ? LoadResourceTextW(IDS_CHANGED_MEANWHILE)
                          : result.error == ERROR_NO_UNICODE_TRANSLATION
                              ? LoadResourceTextW(IDS_NOT_IN_CODE_PAGE)
                              : ErrorTextW(ErrnoFromPlatformError(result.error));
    std::wstring lost;
    for (const std::string& entry : result.lost)
        lost += L"\n\t" + WidenText(entry);
    if (!lost.empty())
        reason += L"\n" + FormatMessageText(IDS_ENTRIES_LOST, {lost});
    ReportPathFailure(reporter, IDS_STORE_FAILED, path, reason);
}

namespace
{
// IDS_COPIES_LEFT lists this many paths, then how many more there are.
const size_t kMostPathsListed = 10;
} // namespace

void ReportCopiesLeft(CReporter& reporter, const std::vector<std::wstring>& left)
{
    std::wstring lines;
    for (size_t i = 0; i < left.size() && i < kMostPathsListed; ++i)
        lines += (i == 0 ? L"\t" : L"\n\t") + left[i];
    if (left.size() > kMostPathsListed)
        lines += L"\n" +
                 FormatMessageText(IDS_AND_MORE, {std::to_wstring(left.size() - kMostPathsListed)});
    ReportFormatted(reporter, IDS_COPIES_LEFT, MB_ICONEXCLAMATION, {lines});
}

void ReportJournalFailure(CReporter& reporter, const std::wstring& journalPath, DWORD platformError)
{
    ReportPathFailure(reporter, IDS_JOURNAL_FAILED, journalPath.substr(0, journalPath.rfind(L'\\')),
                      ErrorTextW(ErrnoFromPlatformError(platformError)));
}
