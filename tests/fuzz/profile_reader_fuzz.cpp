// Feeds arbitrary bytes to the profile-file reader and checks that what it read writes out as text
// that reads back to the same profile, and that the stored password form reads back any password.
#include "profiles/site_profile.h"
#include "profiles/state_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kestovan;

void require(bool ok)
{
    if (!ok)
        std::abort();
}

bool lines_fit(std::string_view text)
{
    bool fit = true;
    std::size_t start = 0;
    for (std::size_t feed = text.find('\n'); feed != std::string_view::npos; feed = text.find('\n', start)) {
        fit = fit && feed - start <= PROFILE_LINE_LIMIT;
        start = feed + 1;
    }
    return fit && start == text.size(); // every line ends with LF
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    SiteProfile profile;
    std::uint8_t kind = KIND_SITE;
    parse_profile_text(text, profile, kind);
    for (const auto* value : {&profile.server, &profile.port, &profile.username, &profile.account,
                              &profile.local_folder, &profile.remote_folder, &profile.comment}) {
        require(!*value ||
                ((*value)->find('\n') == std::string::npos && (*value)->find('\0') == std::string::npos &&
                 (*value)->size() <= PROFILE_LINE_LIMIT));
    }

    const std::string written = format_profile_file(profile, kind, "fuzz");
    if (lines_fit(written)) {
        SiteProfile again;
        std::uint8_t again_kind = 0;
        parse_profile_text(written, again, again_kind);
        require(again_kind == kind);
        require(format_profile_file(again, again_kind, "fuzz") == written);
    }

    std::string password(text.substr(0, text.find('\0')));
    require(unscramble_password(scramble_password(password)) == password);
    return 0;
}
