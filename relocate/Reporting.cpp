#include "relocate/Reporting.h"

#include "framework/ErrorTexts.h"
#include "framework/ResourceText.h"
#include "res/resource.h"

void ReportMessage(IReporter& reporter, UINT id, UINT iconKind)
{
    reporter.Report({id, iconKind, LoadResourceTextW(id), false});
}

void ReportFormatted(IReporter& reporter, UINT id, UINT iconKind,
                     std::initializer_list<std::wstring> arguments)
{
    reporter.Report({id, iconKind, FormatMessageText(id, arguments), true});
}

void ReportPathFailure(IReporter& reporter, UINT id, const std::wstring& path,
                       const std::wstring& errorText)
{
    ReportFormatted(reporter, id, MB_ICONEXCLAMATION, {path, errorText});
}

void ReportPathError(IReporter& reporter, UINT id, const std::wstring& path, int errorNumber)
{
    ReportPathFailure(reporter, id, path, ErrorTextW(errorNumber));
}

void ReportStoreFailure(IReporter& reporter, const std::wstring& path, DWORD platformError)
{
    const std::wstring reason = platformError != 0
                                    ? ErrorTextW(ErrnoFromPlatformError(platformError))
                                    : LoadResourceTextW(IDS_CHANGED_MEANWHILE);
    ReportPathFailure(reporter, IDS_STORE_FAILED, path, reason);
}
