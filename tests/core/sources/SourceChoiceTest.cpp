// The source the window opened last, kept in the settings and read back at
// the next start; a value that is absent, unknown or damaged reads as the
// Favorites folder. And the name the window's title gives each kind of
// source.
#include <gtest/gtest.h>

#include "core/sources/SourceChoice.h"
#include "core/sources/bookmarks/BrowserProfiles.h"
#include "support/MemoryProfile.h"

namespace {

TEST(LastSource, EachKindComesBackAsItWasKept)
{
    for (const SourceChoice& source : {SourceChoice{SourceKind::Browser, "/home/u/.mozilla/firefox/p/places.sqlite"},
                                       SourceChoice{SourceKind::Page, "https://example.com/links?a=1&b=\xc3\xa9"},
                                       SourceChoice{SourceKind::Page, "/home/u/Lesezeichen \xc3\xbc.html"},
                                       SourceChoice{}}) {
        MemoryProfile profile;
        SaveLastSource(profile, source);
        EXPECT_EQ(LoadLastSource(profile), source) << source.m_strLocation;
    }
}

TEST(LastSource, FavoritesReplacesWhatWasKeptBefore)
{
    MemoryProfile profile;
    SaveLastSource(profile, {SourceKind::Page, "https://example.com/"});
    SaveLastSource(profile, {});
    EXPECT_EQ(profile.m_ints["Settings/LastSourceKind"], 0);
    EXPECT_TRUE(profile.m_binaries["Settings/LastSource"].empty());
    EXPECT_EQ(LoadLastSource(profile), SourceChoice{});
}

TEST(LastSource, AnythingUnknownOrDamagedIsTheFavoritesFolder)
{
    MemoryProfile none;
    EXPECT_EQ(LoadLastSource(none), SourceChoice{});

    const auto kept = [](int nKind, const std::string& strLocation) {
        MemoryProfile profile;
        profile.m_ints["Settings/LastSourceKind"] = nKind;
        profile.m_binaries["Settings/LastSource"] = std::vector<std::uint8_t>(strLocation.begin(), strLocation.end());
        return LoadLastSource(profile);
    };
    EXPECT_EQ(kept(7, "https://example.com/"), SourceChoice{});
    EXPECT_EQ(kept(-1, "https://example.com/"), SourceChoice{});
    EXPECT_EQ(kept(2, ""), SourceChoice{});
    EXPECT_EQ(kept(2, std::string("a\0b", 3)), SourceChoice{});
    EXPECT_EQ(kept(1, std::string(100000, 'a')), SourceChoice{});
    // A page kind without any location value at all.
    MemoryProfile kindOnly;
    kindOnly.m_ints["Settings/LastSourceKind"] = 2;
    EXPECT_EQ(LoadLastSource(kindOnly), SourceChoice{});
}

TEST(SourceCaption, NamesWhatIsOpen)
{
    const BrowserEnvironment env{"/nonexistent-zorbel-home", {}};
    EXPECT_EQ(SourceCaption({}, env), "Favorites");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "https://example.com/a/b.html"}, env), "https://example.com/a/b.html");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "HTTP://Example.com"}, env), "HTTP://Example.com");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "/home/u/Bookmarks/bookmarks.html"}, env), "bookmarks.html");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "links.txt"}, env), "links.txt");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "/srv/pages/"}, env), "pages");
    EXPECT_EQ(SourceCaption({SourceKind::Page, "/"}, env), "/");
    // A store that is no longer listed is named by its path.
    EXPECT_EQ(SourceCaption({SourceKind::Browser, "/gone/places.sqlite"}, env), "/gone/places.sqlite");
}

} // namespace
