#include "relocate/Reporting.h"

#include "base/ErrorTexts.h"
#include "base/ResourceText.h"
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

void ReportStoreFailure(CReporter& reporter, const std::wstring& path, DWORD platformError)
{
    const std::wstring reason = platformError != 0
                                    ? ErrorTextW(ErrnoFromPlatformError(platformError))
                                    : LoadResourceTextW(IDS_CHANGED_MEANWHILE);
    ReportPathFailure(reporter, IDS_STORE_FAILED, path, reason);
}
