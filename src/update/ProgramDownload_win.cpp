// The program-file download of the self-update.
#include "update/ProgramDownload_win.h"

#include "BuildHosts.h"
#include "update/SelfUpdate_win.h"
#include "update/VersionKey.h"

namespace zarn {

bool IsAllowedProgramUrl(const std::wstring& url) {
    const std::array<std::wstring_view, 3> domains = {build::AllowedDomains[0], build::AllowedDomains[1],
                                                      build::AllowedDomains[2]};
    return IsAllowedDownloadUrl(url, domains);
}

ProgramDownload::ProgramDownload(std::wstring url, std::wstring target, std::wstring expectedKey,
                                 std::function<void(unsigned)> progress)
    : Url_(std::move(url)), Target_(std::move(target)), ExpectedKey_(std::move(expectedKey)),
      Progress_(std::move(progress)) {}

bool ProgramDownload::Run() {
    Success_ = false;
    if (!IsAllowedProgramUrl(Url_))
        return false;
    const std::optional<HttpTarget> target = SplitHttpUrl(SkipScheme(Url_));
    if (!target || Target_.empty())
        return false;
    StreamOptions options;
    options.PieceSize = 512;
    options.RequireSuccessStatus = true;
    options.Progress = Progress_;
    if (!Transfer_.StreamToFile(*target, Target_, options))
        return false;
    if (!ExpectedKey_.empty() && !DigestMatchesKey(Md5OfFile(Target_), ExpectedKey_))
        return false;
    if (Transfer_.Cancelled())
        return false;
    Success_ = true;
    return true;
}

} // namespace zarn
