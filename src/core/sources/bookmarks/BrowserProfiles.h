#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where a browser keeps the bookmarks of a profile, found the way the
// browser finds its profile:
// - firefox: profiles.ini under ~/.mozilla/firefox (else the Snap's or the
//   Flatpak's folder of the same shape); the default profile is the one the
//   install sections of profiles.ini or installs.ini name, else the profile
//   marked Default=1, else the first. Store: places.sqlite.
// - chromium, chrome, brave, vivaldi, edge: their folder under
//   $XDG_CONFIG_HOME (else ~/.config), else the same folder of their Snap
//   (~/snap/NAME/...) or Flatpak (~/.var/app/ID/config/...) package where
//   there is one; the default profile is the last used one of its "Local
//   State" file, else "Default". Store: Bookmarks.
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
// "Firefox, Chromium, Google Chrome, Brave, Vivaldi or Microsoft Edge", as
// the user knows them.
std::string KnownBrowserTitles();

// One browser profile with a bookmark store, as the user picks it from a list.
struct BrowserStoreInfo {
    std::string m_strBrowser;      // as --browser takes it: "firefox"
    std::string m_strBrowserTitle; // as the user knows it: "Firefox", "Google Chrome"
    std::string m_strPlace;        // "" for the browser's own folder, "Snap" or "Flatpak" for a package's
    std::string m_strProfile;      // the profile's name as the browser shows it
    std::string m_strStore;        // the store's path
    bool m_bDefault = false;       // the profile that browser (in that place) starts with
};

// Every profile with a bookmark store of every browser above, in every
// place it is looked for: Firefox first, then the Chromium family in the
// order of their names; within a browser its own folder, then the Snap's,
// then the Flatpak's; within a place the profiles in the order the browser
// lists them. Reads only the small files that list the profiles.
std::vector<BrowserStoreInfo> ListBrowserStores(const BrowserEnvironment& env);

// "Firefox (default-release)", "Chromium (Default, Snap)": the store as the
// window's title and the lists name it.
std::string BrowserStoreCaption(const BrowserStoreInfo& store);
// The caption of the store at a path, found among ListBrowserStores; the
// path itself when it is none of them.
std::string BrowserStoreCaptionFor(std::string_view strStore, const BrowserEnvironment& env);

// The index of the store to offer first: the first browser's default
// profile; 0 when none is marked (or the list is empty).
std::size_t DefaultBrowserStore(const std::vector<BrowserStoreInfo>& stores);
