#pragma once

#include <string>
#include <string_view>

class IProfile;
struct BrowserEnvironment;

// What the window lists: the Favorites folder, a browser's bookmark store,
// or the links of one web page or file. Chosen from the window or read back
// from the settings; the command line names its source its own way.
enum class SourceKind : int {
    Favorites = 0, // the Favorites folder (normal mode)
    Browser = 1,   // a browser profile's store, by its path
    Page = 2,      // a web address or a file, as a command-line source is given
};

struct SourceChoice {
    SourceKind m_nKind = SourceKind::Favorites;
    std::string m_strLocation; // empty for the Favorites folder

    bool operator==(const SourceChoice&) const = default;
};

// The source as the window's title names it in front of the program's
// name: "Favorites"; a browser store's caption ("Firefox (default-release)",
// see BrowserStoreCaptionFor); a web page's address; a file's name without
// its folder.
std::string SourceCaption(const SourceChoice& source, const BrowserEnvironment& env);

// The name of a file without its folder; a web address whole.
std::string PageCaption(std::string_view strLocation);

// The source opened last, kept in the settings as "LastSourceKind" (0, 1 or
// 2, as SourceKind) and "LastSource" (its location, UTF-8 bytes). Anything
// absent, unknown or without a location reads as the Favorites folder.
SourceChoice LoadLastSource(IProfile& profile);
void SaveLastSource(IProfile& profile, const SourceChoice& source);
