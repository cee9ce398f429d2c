// Finding a browser's bookmarks in a home folder the way the browser finds
// its profile, and saying what was looked for when there are none.
#include "BookmarkTestSupport.h"
#include "core/sources/bookmarks/BrowserProfiles.h"

using namespace bookmarktest;

namespace {

class BrowserProfiles : public BookmarkStoreTest {
protected:
    BrowserEnvironment Env() const { return {m_strHome, {}}; }
    BrowserStoreLocation Locate(const std::string& strRequest) const { return LocateBrowserStore(strRequest, Env()); }
    std::string Firefox(const std::string& strRelative) const { return m_strHome + "/.mozilla/firefox/" + strRelative; }
    void Touch(const std::string& strPath) const { WriteFile(strPath, "x"); }

    const std::string m_strHome = m_dir / "home";
};

TEST_F(BrowserProfiles, FirefoxStartsWithTheProfileItsInstallNames)
{
    // Three profiles: the install section wins over Default=1.
    WriteFile(Firefox("profiles.ini"), "[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                                       "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/abc.default-release\n\n"
                                       "[Profile2]\nName=Work Stuff\nIsRelative=0\nPath=" + m_dir / "elsewhere/work" +
                                       "\n\n[General]\nStartWithLastProfile=1\nVersion=2\n\n"
                                       "[InstallABCDEF0123456789]\nDefault=Profiles/abc.default-release\nLocked=1\n");
    for (const std::string& strStore : {Firefox("old.default/places.sqlite"),
                                        Firefox("Profiles/abc.default-release/places.sqlite"),
                                        m_dir / "elsewhere/work/places.sqlite"})
        Touch(strStore);
    EXPECT_EQ(Locate("firefox").m_strStore, Firefox("Profiles/abc.default-release/places.sqlite"));
    EXPECT_EQ(Locate("FireFox:Work Stuff").m_strStore, m_dir / "elsewhere/work/places.sqlite");
    EXPECT_EQ(Locate("firefox:work stuff").m_strStore, m_dir / "elsewhere/work/places.sqlite");
    EXPECT_EQ(Locate("firefox:old.default").m_strStore, Firefox("old.default/places.sqlite"));

    const BrowserStoreLocation none = Locate("firefox:nobody");
    EXPECT_TRUE(none.m_strStore.empty());
    EXPECT_EQ(none.m_strError, "Firefox has no profile named \"nobody\" in " + Firefox("profiles.ini") +
                                   "; its profiles are \"old\", \"default-release\" and \"Work Stuff\".");
}

TEST_F(BrowserProfiles, FirefoxFallsBackToInstallsIniThenTheDefaultProfile)
{
    WriteFile(Firefox("profiles.ini"), "[Profile0]\nName=a\nIsRelative=1\nPath=a\n\n[Profile1]\nName=b\nIsRelative=1\n"
                                       "Path=b\nDefault=1\n");
    Touch(Firefox("a/places.sqlite"));
    Touch(Firefox("b/places.sqlite"));
    EXPECT_EQ(Locate("firefox").m_strStore, Firefox("b/places.sqlite"));
    WriteFile(Firefox("installs.ini"), "[0123456789ABCDEF]\nDefault=a\nLocked=1\n");
    EXPECT_EQ(Locate("firefox").m_strStore, Firefox("a/places.sqlite"));
}

TEST_F(BrowserProfiles, FirefoxSaysWhatItLookedFor)
{
    const BrowserStoreLocation none = Locate("firefox");
    EXPECT_EQ(none.m_strError, "No Firefox profile was found: there is no " + Firefox("profiles.ini") + ", " +
                                   m_strHome + "/snap/firefox/common/.mozilla/firefox/profiles.ini or " + m_strHome +
                                   "/.var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini.");
    // The Snap's folder is used when it is the only one.
    MakeFirefoxProfile(m_strHome + "/snap/firefox/common");
    EXPECT_EQ(Locate("firefox").m_strError,
              "The Firefox profile \"default-release\" has no bookmarks: there is no " + m_strHome +
                  "/snap/firefox/common/.mozilla/firefox/abcd1234.default-release/places.sqlite.");
}

TEST_F(BrowserProfiles, TheChromiumFamilyUsesTheLastUsedProfileOfLocalState)
{
    struct Case {
        const char* m_pszName;
        const char* m_pszFolder;
    };
    for (const Case& browser : {Case{"chromium", "chromium"}, Case{"chrome", "google-chrome"},
                                Case{"brave", "BraveSoftware/Brave-Browser"}, Case{"vivaldi", "vivaldi"},
                                Case{"edge", "microsoft-edge"}}) {
        const std::string strFolder = m_strHome + "/.config/" + browser.m_pszFolder;
        Touch(strFolder + "/Default/Bookmarks");
        EXPECT_EQ(Locate(browser.m_pszName).m_strStore, strFolder + "/Default/Bookmarks") << browser.m_pszName;
        WriteFile(strFolder + "/Local State",
                  R"({"profile": {"last_used": "Profile 2", "info_cache": {)"
                  R"("Default": {"name": "Person 1"}, "Profile 2": {"name": "Work"}}}, "other": [1, 2]})");
        Touch(strFolder + "/Profile 2/Bookmarks");
        EXPECT_EQ(Locate(browser.m_pszName).m_strStore, strFolder + "/Profile 2/Bookmarks") << browser.m_pszName;
        EXPECT_EQ(Locate(std::string(browser.m_pszName) + ":Person 1").m_strStore, strFolder + "/Default/Bookmarks");
        EXPECT_EQ(Locate(std::string(browser.m_pszName) + ":Profile 2").m_strStore, strFolder + "/Profile 2/Bookmarks");
    }
    const std::string strChromium = m_strHome + "/.config/chromium";
    EXPECT_EQ(Locate("chromium:Nobody").m_strError, "Chromium has no profile named \"Nobody\" in " + strChromium +
                                                        "; its profiles are \"Person 1\" and \"Work\".");
    std::filesystem::remove(strChromium + "/Profile 2/Bookmarks");
    EXPECT_EQ(Locate("chromium").m_strError, "The Chromium profile \"Work\" has no bookmarks: there is no " +
                                                 strChromium + "/Profile 2/Bookmarks.");
}

TEST_F(BrowserProfiles, TheConfigurationFolderOfTheEnvironmentAndClearMessages)
{
    Touch(m_dir / "config/vivaldi/Default/Bookmarks");
    EXPECT_EQ(LocateBrowserStore("vivaldi", {m_strHome, m_dir / "config"}).m_strStore,
              m_dir / "config/vivaldi/Default/Bookmarks");
    EXPECT_EQ(Locate("brave").m_strError, "No Brave profile was found: there is no " + m_strHome +
                                              "/.config/BraveSoftware/Brave-Browser/Local State.");
    EXPECT_EQ(Locate("netscape").m_strError,
              "The browser \"netscape\" is not known; the browsers are firefox, chromium, chrome, brave, vivaldi "
              "and edge.");
    EXPECT_TRUE(IsKnownBrowser("Edge:Work"));
    EXPECT_FALSE(IsKnownBrowser("opera"));
}

TEST_F(BrowserProfiles, ABrowserRequestFillsTheTreeOrReportsWhatWasMissing)
{
    EnvGuard home("HOME", m_strHome);
    EnvGuard config("XDG_CONFIG_HOME", std::nullopt);
    WriteFile(m_strHome + "/.config/chromium/Default/Bookmarks", ChromiumBookmarksJson({Link("A", "http://a.example/")}));
    const Populated found = Populate({"ignored.html", "", "chromium"});
    EXPECT_EQ(found.Messages(), std::vector<ViewEvent>{ViewEvent::ListReady});
    EXPECT_EQ(found.Outline(), "Bookmarks bar\n  A\n");
    EXPECT_EQ(found.m_report.m_strStore, m_strHome + "/.config/chromium/Default/Bookmarks");

    const Populated missing = Populate({"", "", "firefox"});
    EXPECT_EQ(missing.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_TRUE(missing.m_report.m_strSourceError.starts_with("No Firefox profile was found: there is no "));
    EXPECT_FALSE(missing.m_pSink->TreeEnabled());

    // A store found but unreadable names the store.
    WriteFile(m_strHome + "/.config/chromium/Default/Bookmarks", "");
    const Populated empty = Populate({"", "", "chromium"});
    EXPECT_EQ(empty.Messages(), std::vector<ViewEvent>{ViewEvent::SourceError});
    EXPECT_EQ(empty.m_report.m_strSourceError, "The specified URL/File: " + m_strHome +
                                                   "/.config/chromium/Default/Bookmarks\ncannot be downloaded or opened.");
}

} // namespace
