#pragma once

#include <string>
#include <string_view>

// The host a link's checks count against for a limit per host: the host
// name in lower case and the port, given or the scheme's own
// ("example.com:443"), so that two servers on one machine are two hosts and
// http://a and http://a:80 one. Redirects count against the link's own host.
// Empty when the link cannot be read as a URL with a host.
std::string CheckHostOf(std::string_view strUrl);
