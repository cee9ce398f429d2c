#include "core/sources/SourceChoice.h"

#include <cstdint>
#include <vector>

#include "core/settings/Profile.h"
#include "core/sources/SourceLocation.h"
#include "core/sources/bookmarks/BrowserProfiles.h"

namespace {

constexpr std::string_view kKindEntry = "LastSourceKind";
constexpr std::string_view kLocationEntry = "LastSource";
// Far more than any address or path a user opens.
constexpr std::size_t kMaxLocationBytes = 64 * 1024;

} // namespace

std::string PageCaption(std::string_view strLocation)
{
    if (IsWebSource(strLocation))
        return std::string(strLocation);
    while (strLocation.size() > 1 && strLocation.back() == '/')
        strLocation.remove_suffix(1);
    const std::size_t nSlash = strLocation.rfind('/');
    if (nSlash == std::string_view::npos || nSlash + 1 == strLocation.size())
        return std::string(strLocation);
    return std::string(strLocation.substr(nSlash + 1));
}

std::string SourceCaption(const SourceChoice& source, const BrowserEnvironment& env)
{
    switch (source.m_nKind) {
    case SourceKind::Browser:
        return BrowserStoreCaptionFor(source.m_strLocation, env);
    case SourceKind::Page:
        return PageCaption(source.m_strLocation);
    case SourceKind::Favorites:
        break;
    }
    return "Favorites";
}

SourceChoice LoadLastSource(IProfile& profile)
{
    const int nKind = profile.GetProfileInt(kSettingsSection, kKindEntry, int(SourceKind::Favorites));
    if (nKind != int(SourceKind::Browser) && nKind != int(SourceKind::Page))
        return {};
    const auto bytes = profile.GetProfileBinary(kSettingsSection, kLocationEntry);
    if (!bytes || bytes->empty() || bytes->size() > kMaxLocationBytes)
        return {};
    std::string strLocation(bytes->begin(), bytes->end());
    // A path cannot hold a NUL byte; such a value was never written here.
    if (strLocation.find('\0') != std::string::npos)
        return {};
    return {SourceKind(nKind), std::move(strLocation)};
}

void SaveLastSource(IProfile& profile, const SourceChoice& source)
{
    const bool bFavorites = source.m_nKind == SourceKind::Favorites || source.m_strLocation.empty();
    profile.WriteProfileInt(kSettingsSection, kKindEntry, bFavorites ? int(SourceKind::Favorites) : int(source.m_nKind));
    const std::string strLocation = bFavorites ? std::string() : source.m_strLocation;
    profile.WriteProfileBinary(kSettingsSection, kLocationEntry,
                               std::vector<std::uint8_t>(strLocation.begin(), strLocation.end()));
}
