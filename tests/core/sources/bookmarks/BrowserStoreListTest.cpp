// The list of every browser profile with bookmarks that a home folder holds,
// as the window offers it: Firefox and the Chromium family in their own,
// Snap and Flatpak folders, each profile with the name the browser shows and
// the number of bookmarks its store holds, the default one marked; nothing
// at all in a home without browsers. And the store a listed entry names is
// read as that browser's own: a file that is no store is an error there,
// not a page to take links from.
#include "BookmarkTestSupport.h"
#include "core/sources/bookmarks/BrowserProfiles.h"

using namespace bookmarktest;

namespace {

class BrowserStoreList : public BookmarkStoreTest {
protected:
    BrowserEnvironment Env() const { return {m_strHome, {}}; }
    // "caption | default? | store below the home" of every store listed.
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> lines;
        for (const BrowserStoreInfo& store : ListBrowserStores(Env()))
            lines.push_back(BrowserStoreCaption(store) + (store.m_bDefault ? " | default | " : " | - | ") +
                            store.m_strStore.substr(m_strHome.size() + 1));
        return lines;
    }
    std::string ChromiumState(const std::string& strLastUsed) const
    {
        return R"({"profile": {"last_used": ")" + strLastUsed +
               R"(", "info_cache": {"Default": {"name": "Person 1"}, "Profile 3": {"name": "Work"},
                  "Profile 9": {"name": "Never used"}}}})";
    }

    const std::string m_strHome = m_dir / "home";
};

TEST_F(BrowserStoreList, AHomeWithoutBrowsersListsNothing)
{
    std::filesystem::create_directories(m_strHome + "/.config/chromium"); // a folder, but no profile in it
    EXPECT_TRUE(ListBrowserStores(Env()).empty());
    EXPECT_TRUE(ListBrowserStores({}).empty());
    EXPECT_EQ(DefaultBrowserStore({}), 0u);
}

TEST_F(BrowserStoreList, EveryProfileWithAStoreIsListedInEveryPlace)
{
    // Firefox: two profiles with stores, one without; the install's default
    // is the second.
    const std::string strRelease = MakeFirefoxProfile(m_strHome, "abcd1234.default-release", "default-release");
    WriteFile(m_strHome + "/.mozilla/firefox/profiles.ini",
              "[Install4F96D1932A9F858E]\nDefault=wxyz.work\nLocked=1\n\n"
              "[Profile0]\nName=default-release\nIsRelative=1\nPath=abcd1234.default-release\n\n"
              "[Profile1]\nName=Work\nIsRelative=1\nPath=wxyz.work\n\n"
              "[Profile2]\nName=empty\nIsRelative=1\nPath=none.empty\n");
    std::filesystem::remove(m_strHome + "/.mozilla/firefox/installs.ini");
    WriteFile(strRelease + "/places.sqlite", "x");
    WriteFile(m_strHome + "/.mozilla/firefox/wxyz.work/places.sqlite", "x");
    std::filesystem::create_directories(m_strHome + "/.mozilla/firefox/none.empty");
    // The Snap's Firefox too.
    WriteFile(MakeFirefoxProfile(m_strHome + "/snap/firefox/common") + "/places.sqlite", "x");
    // Chromium with three profiles, one without bookmarks; the last used
    // is "Profile 3".
    const std::string strChromium = m_strHome + "/.config/chromium";
    WriteFile(strChromium + "/Local State", ChromiumState("Profile 3"));
    WriteFile(strChromium + "/Default/Bookmarks", ChromiumBookmarksJson({Link("a", "http://a.example/")}));
    WriteFile(strChromium + "/Profile 3/Bookmarks", ChromiumBookmarksJson({}));
    // Brave only as a Flatpak, without a Local State: its first profile.
    WriteFile(m_strHome + "/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser/Default/Bookmarks",
              ChromiumBookmarksJson({}));

    EXPECT_EQ(Listed(), (std::vector<std::string>{
                            "Firefox (default-release) | - | .mozilla/firefox/abcd1234.default-release/places.sqlite",
                            "Firefox (Work) | default | .mozilla/firefox/wxyz.work/places.sqlite",
                            "Firefox (default-release, Snap) | default | "
                            "snap/firefox/common/.mozilla/firefox/abcd1234.default-release/places.sqlite",
                            "Chromium (Person 1) | - | .config/chromium/Default/Bookmarks",
                            "Chromium (Work) | default | .config/chromium/Profile 3/Bookmarks",
                            "Brave (Default, Flatpak) | default | "
                            ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser/Default/Bookmarks",
                        }));
    const std::vector<BrowserStoreInfo> stores = ListBrowserStores(Env());
    EXPECT_EQ(DefaultBrowserStore(stores), 1u);
    EXPECT_EQ(stores[4].m_strBrowser, "chromium");
    EXPECT_EQ(stores[4].m_strProfile, "Work");
    EXPECT_EQ(BrowserStoreCaptionFor(stores[4].m_strStore, Env()), "Chromium (Work)");
    EXPECT_EQ(BrowserStoreCaptionFor(m_strHome + "/elsewhere/Bookmarks", Env()), m_strHome + "/elsewhere/Bookmarks");
}

TEST_F(BrowserStoreList, TheChromiumFamilyIsFoundInItsPackagesToo)
{
    // Chromium as a Snap only: --browser chromium finds it as the list does.
    const std::string strSnap = m_strHome + "/snap/chromium/common/chromium";
    WriteFile(strSnap + "/Default/Bookmarks", ChromiumBookmarksJson({}));
    EXPECT_EQ(LocateBrowserStore("chromium", Env()).m_strStore, strSnap + "/Default/Bookmarks");
    // The browser's own folder wins over its packages.
    WriteFile(m_strHome + "/.config/chromium/Default/Bookmarks", ChromiumBookmarksJson({}));
    EXPECT_EQ(LocateBrowserStore("chromium", Env()).m_strStore, m_strHome + "/.config/chromium/Default/Bookmarks");
    // Without any, the message still names the browser's own folder.
    EXPECT_EQ(LocateBrowserStore("edge", Env()).m_strError,
              "No Microsoft Edge profile was found: there is no " + m_strHome + "/.config/microsoft-edge/Local State.");
}

TEST_F(BrowserStoreList, BookmarksAreCountedAsTheTreeWouldShowThem)
{
    const std::string strProfile = MakeFirefoxProfile(m_strHome);
    {
        CPlacesDatabase db(strProfile + "/places.sqlite");
        const auto nFolder = db.AddFolder(CPlacesDatabase::kToolbar, "News");
        db.AddBookmark(nFolder, "One", "http://one.example/");
        db.AddBookmark(nFolder, "Two", "http://two.example/");
        db.AddSeparator(nFolder);
        db.AddBookmark(CPlacesDatabase::kMenu, "Most visited", "place:sort=8&maxResults=10");
        db.AddBookmark(CPlacesDatabase::kMenu, "Three", "http://three.example/");
    }
    EXPECT_EQ(CountBookmarks(strProfile + "/places.sqlite", [] { return false; }), 3u);
    const std::string strChromium = m_dir / "Bookmarks";
    WriteFile(strChromium, ChromiumBookmarksJson({Folder("Empty", {}), Link("a", "http://a.example/")},
                                                 {Link("b", "http://b.example/")}));
    EXPECT_EQ(CountBookmarks(strChromium, [] { return false; }), 2u);
    // Not a store, no file, or stopped: no count.
    WriteFile(m_dir / "page.html", "<a href=\"http://x.example/\">x</a>");
    EXPECT_EQ(CountBookmarks(m_dir / "page.html", [] { return false; }), std::nullopt);
    EXPECT_EQ(CountBookmarks(m_dir / "missing", [] { return false; }), std::nullopt);
    EXPECT_EQ(CountBookmarks(strChromium, [] { return true; }), std::nullopt);
}

TEST_F(BrowserStoreList, AListedStoreIsReadAsTheBrowsersOwn)
{
    const std::string strStore = m_dir / "Bookmarks";
    WriteFile(strStore, ChromiumBookmarksJson({Link("a", "http://a.example/")}));
    PopulationRequest request;
    request.m_strBrowserStore = strStore;
    request.m_strFavoritesRoot = m_dir / "NoFavorites";
    EXPECT_TRUE(IsDocumentRequest(request));
    const Populated read = Populate(request);
    EXPECT_EQ(read.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(read.Records(), std::vector<std::string>{"Bookmarks bar | a | http://a.example/ @1"});

    // A page where the store was: an error, not the page's links.
    WriteFile(strStore, "<a href=\"http://x.example/\">x</a>");
    const Populated page = Populate(request);
    EXPECT_EQ(page.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_TRUE(page.Records().empty());
    EXPECT_NE(page.m_report.m_strSourceError.find(strStore), std::string::npos);
}

} // namespace
