#pragma once

#include <string>
#include <string_view>

// Where a browser keeps the bookmarks of a profile, found the way the
// browser finds its profile:
// - firefox: profiles.ini under ~/.mozilla/firefox (else the Snap's or the
//   Flatpak's folder of the same shape); the default profile is the one the
//   install sections of profiles.ini or installs.ini name, else the profile
//   marked Default=1, else the first. Store: places.sqlite.
// - chromium, chrome, brave, vivaldi, edge: their folder under
//   $XDG_CONFIG_HOME (else ~/.config); the default profile is the last used
//   one of its "Local State" file, else "Default". Store: Bookmarks.
// A request is "NAME" or "NAME:PROFILE", where PROFILE is a profile's name
// as the browser shows it or the name of its folder.

struct BrowserEnvironment {
    std::string m_strHome;       // the home folder
    std::string m_strConfigHome; // $XDG_CONFIG_HOME; empty: ~/.config
};

// The environment of this process ($HOME, else the password database).
BrowserEnvironment CurrentBrowserEnvironment();

struct BrowserStoreLocation {
    std::string m_strStore; // the store's path; empty when there is none
    std::string m_strError; // when there is none: why, naming what was looked for
};

BrowserStoreLocation LocateBrowserStore(std::string_view strRequest, const BrowserEnvironment& env);

// True when the NAME of the request is one of the browsers above (in any
// letter case).
bool IsKnownBrowser(std::string_view strRequest);
// "firefox, chromium, chrome, brave, vivaldi and edge", for messages.
std::string KnownBrowserNames();
