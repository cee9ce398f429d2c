#pragma once

#include <string>
#include <string_view>

// The parts of a web address that say which site and which page it names.
struct SiteAddress {
    std::string m_strScheme; // lower case
    std::string m_strHost;   // lower case, without user or port
    std::string m_strPort;   // as written; empty when none
    std::string m_strPath;   // from the first "/" after the host up to "?" or "#"; may be empty
    std::string m_strQuery;  // after "?" up to "#", without the "?"
    bool m_bValid = false;   // an http or https address with a host
};

SiteAddress ParseSiteAddress(std::string_view strUrl);

// The same site: the same host once a leading "www." is set aside (the
// scheme and port may differ, as a site moved to https does).
bool IsSameSite(const SiteAddress& a, const SiteAddress& b);

// A path that names the site's home page: empty, "/", an index page
// ("/index.html", "/default.aspx" ...), or a bare language root ("/en",
// "/de/", "/pt-br/", "/en/index.html").
bool IsHomePath(std::string_view strPath);

// A deep link sent to its site's home page: strFrom names a page below the
// root (not itself a home path), and strTo is the same site's home page
// without a query. A home page sent to "/en/" is not one; nor is a move to
// another deep page.
bool IsRedirectToHome(std::string_view strFrom, std::string_view strTo);

// "scheme://host[:port]": the site of the address.
std::string SiteOrigin(const SiteAddress& address);

// The folder of the path: everything up to and including its last "/".
std::string_view PathFolder(std::string_view strPath);
