#include "core/check/SiteAddress.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

std::string Lower(std::string_view str)
{
    std::string out(str);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view WithoutWww(std::string_view strHost)
{
    return strHost.starts_with("www.") ? strHost.substr(4) : strHost;
}

bool IsIndexName(std::string_view strName)
{
    static constexpr std::array<std::string_view, 4> kStems{"index.", "default.", "home.", "start."};
    static constexpr std::array<std::string_view, 8> kExtensions{"html", "htm", "php", "asp", "aspx", "jsp",
                                                                 "shtml", "cfm"};
    const std::string name = Lower(strName);
    for (const auto stem : kStems) {
        if (!std::string_view(name).starts_with(stem))
            continue;
        const std::string_view ext = std::string_view(name).substr(stem.size());
        if (std::find(kExtensions.begin(), kExtensions.end(), ext) != kExtensions.end())
            return true;
    }
    return false;
}

// "en", "de", "pt-br", "zh_cn": a language as sites put it in a path.
bool IsLanguageName(std::string_view strName)
{
    auto isLetters = [](std::string_view s) {
        return s.size() == 2 && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalpha(c); });
    };
    if (strName.size() == 2)
        return isLetters(strName);
    return strName.size() == 5 && (strName[2] == '-' || strName[2] == '_') && isLetters(strName.substr(0, 2)) &&
           isLetters(strName.substr(3));
}

} // namespace

SiteAddress ParseSiteAddress(std::string_view strUrl)
{
    SiteAddress address;
    const auto nSchemeEnd = strUrl.find("://");
    if (nSchemeEnd == std::string_view::npos)
        return address;
    address.m_strScheme = Lower(strUrl.substr(0, nSchemeEnd));
    std::string_view rest = strUrl.substr(nSchemeEnd + 3);
    if (const auto nHash = rest.find('#'); nHash != std::string_view::npos)
        rest = rest.substr(0, nHash);
    const auto nAuthorityEnd = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, nAuthorityEnd);
    rest = nAuthorityEnd == std::string_view::npos ? std::string_view() : rest.substr(nAuthorityEnd);
    if (const auto nAt = authority.rfind('@'); nAt != std::string_view::npos)
        authority = authority.substr(nAt + 1);
    std::string_view host = authority;
    if (const auto nColon = authority.rfind(':');
        nColon != std::string_view::npos && authority.find(']', nColon) == std::string_view::npos) {
        host = authority.substr(0, nColon);
        address.m_strPort = std::string(authority.substr(nColon + 1));
    }
    address.m_strHost = Lower(host);
    const auto nQuery = rest.find('?');
    address.m_strPath = std::string(rest.substr(0, nQuery));
    if (nQuery != std::string_view::npos)
        address.m_strQuery = std::string(rest.substr(nQuery + 1));
    address.m_bValid = (address.m_strScheme == "http" || address.m_strScheme == "https") && !address.m_strHost.empty();
    return address;
}

bool IsSameSite(const SiteAddress& a, const SiteAddress& b)
{
    return a.m_bValid && b.m_bValid && WithoutWww(a.m_strHost) == WithoutWww(b.m_strHost);
}

bool IsHomePath(std::string_view strPath)
{
    while (!strPath.empty() && strPath.front() == '/')
        strPath.remove_prefix(1);
    if (strPath.empty())
        return true;
    const auto nSlash = strPath.find('/');
    const std::string_view first = strPath.substr(0, nSlash);
    if (nSlash == std::string_view::npos)
        return IsIndexName(first) || IsLanguageName(first);
    const std::string_view rest = strPath.substr(nSlash + 1);
    return IsLanguageName(first) && (rest.empty() || IsIndexName(rest));
}

bool IsRedirectToHome(std::string_view strFrom, std::string_view strTo)
{
    const SiteAddress from = ParseSiteAddress(strFrom);
    const SiteAddress to = ParseSiteAddress(strTo);
    if (!IsSameSite(from, to) || IsHomePath(from.m_strPath) || !to.m_strQuery.empty())
        return false;
    return IsHomePath(to.m_strPath);
}

std::string SiteOrigin(const SiteAddress& address)
{
    std::string out = address.m_strScheme + "://" + address.m_strHost;
    if (!address.m_strPort.empty())
        out += ":" + address.m_strPort;
    return out;
}

std::string_view PathFolder(std::string_view strPath)
{
    const auto nSlash = strPath.rfind('/');
    return nSlash == std::string_view::npos ? std::string_view("/") : strPath.substr(0, nSlash + 1);
}
