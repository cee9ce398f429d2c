#include "core/sources/bookmarks/BrowserProfiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/platform/AsciiText.h"
#include "core/sources/FavoritesFolder.h"

namespace {

enum class BrowserFamily { Firefox, Chromium };

struct BrowserInfo {
    std::string_view m_strName;   // as --browser takes it
    std::string_view m_strTitle;  // as messages name it
    BrowserFamily m_nFamily;
    std::string_view m_strFolder; // Chromium family: below the configuration folder
    // Chromium family: the same folder of the Snap and of the Flatpak
    // package, below the home folder; empty where there is no such package.
    std::string_view m_strSnapFolder;
    std::string_view m_strFlatpakFolder;
};

constexpr BrowserInfo kBrowsers[] = {
    {"firefox", "Firefox", BrowserFamily::Firefox, "", "", ""},
    {"chromium", "Chromium", BrowserFamily::Chromium, "chromium", "/snap/chromium/common/chromium",
     "/.var/app/org.chromium.Chromium/config/chromium"},
    {"chrome", "Google Chrome", BrowserFamily::Chromium, "google-chrome", "",
     "/.var/app/com.google.Chrome/config/google-chrome"},
    {"brave", "Brave", BrowserFamily::Chromium, "BraveSoftware/Brave-Browser",
     "/snap/brave/current/.config/BraveSoftware/Brave-Browser",
     "/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
    {"vivaldi", "Vivaldi", BrowserFamily::Chromium, "vivaldi", "/snap/vivaldi/current/.config/vivaldi",
     "/.var/app/com.vivaldi.Vivaldi/config/vivaldi"},
    {"edge", "Microsoft Edge", BrowserFamily::Chromium, "microsoft-edge", "",
     "/.var/app/com.microsoft.Edge/config/microsoft-edge"},
};

// The packages a browser comes in, in the order they are looked at: the
// browser's own folder first, then the Snap's, then the Flatpak's.
constexpr std::string_view kPlaceNames[] = {"", "Snap", "Flatpak"};

// Where Firefox keeps profiles.ini: its own folder, then the Snap's and
// the Flatpak's, below the home folder.
constexpr std::string_view kFirefoxFolders[] = {
    "/.mozilla/firefox",
    "/snap/firefox/common/.mozilla/firefox",
    "/.var/app/org.mozilla.firefox/.mozilla/firefox",
};

constexpr std::size_t kMaxSettingsFile = 16 << 20;

const BrowserInfo* FindBrowser(std::string_view strName)
{
    for (const BrowserInfo& info : kBrowsers)
        if (EqualsAsciiNoCase(strName, info.m_strName))
            return &info;
    return nullptr;
}

bool IsRegularFile(const std::string& strPath)
{
    struct stat info {};
    return stat(strPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& strPath)
{
    struct stat info {};
    return stat(strPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> ReadSmallFile(const std::string& strPath)
{
    if (!IsRegularFile(strPath))
        return std::nullopt;
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string strText;
    char buffer[8192];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        strText.append(buffer, size_t(in.gcount()));
        if (strText.size() > kMaxSettingsFile)
            return std::nullopt;
    }
    return strText;
}

std::string Quoted(std::string_view strText) { return "\"" + std::string(strText) + "\""; }

// "a, b and c"
std::string JoinNames(const std::vector<std::string>& names, std::string_view strLast = " and ")
{
    std::string strList;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            strList += i + 1 == names.size() ? strLast : ", ";
        strList += names[i];
    }
    return strList;
}

BrowserStoreLocation Fail(std::string strError) { return {{}, std::move(strError)}; }

// ---- Firefox ----------------------------------------------------------

struct IniSection {
    std::string m_strName;
    std::vector<std::pair<std::string, std::string>> m_values;

    std::string Value(std::string_view strKey) const
    {
        for (const auto& [strName, strValue] : m_values)
            if (strName == strKey)
                return strValue;
        return {};
    }
};

// Firefox's INI files: "[Section]" lines and "Key=Value" lines, blanks
// around both trimmed, "#" and ";" lines are comments.
std::vector<IniSection> ParseIni(std::string_view strText)
{
    const auto trim = [](std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
            s.remove_suffix(1);
        return s;
    };
    std::vector<IniSection> sections;
    while (!strText.empty()) {
        const std::size_t nEnd = strText.find('\n');
        const std::string_view strLine = trim(strText.substr(0, nEnd));
        strText.remove_prefix(nEnd == std::string_view::npos ? strText.size() : nEnd + 1);
        if (strLine.empty() || strLine.front() == '#' || strLine.front() == ';')
            continue;
        if (strLine.front() == '[' && strLine.back() == ']') {
            sections.push_back({std::string(trim(strLine.substr(1, strLine.size() - 2))), {}});
            continue;
        }
        const std::size_t nEquals = strLine.find('=');
        if (nEquals == std::string_view::npos || sections.empty())
            continue;
        sections.back().m_values.emplace_back(std::string(trim(strLine.substr(0, nEquals))),
                                              std::string(trim(strLine.substr(nEquals + 1))));
    }
    return sections;
}

struct FirefoxProfile {
    std::string m_strName;
    std::string m_strFolder; // absolute
    bool m_bDefault = false;
};

std::string FirefoxFolderOf(const std::string& strRoot, const std::string& strPath, bool bRelative)
{
    return bRelative && !strPath.starts_with('/') ? strRoot + "/" + strPath : strPath;
}

std::string LastComponent(std::string_view strPath)
{
    while (strPath.size() > 1 && strPath.back() == '/')
        strPath.remove_suffix(1);
    const std::size_t nSlash = strPath.rfind('/');
    return std::string(nSlash == std::string_view::npos ? strPath : strPath.substr(nSlash + 1));
}

// The profile folder that an install section names ("Default=" holds the
// profile's path as its section has it).
std::optional<std::string> InstallDefault(const std::vector<IniSection>& sections, bool bOnlyInstallSections,
                                          const std::string& strRoot)
{
    for (const IniSection& section : sections) {
        if (bOnlyInstallSections && !section.m_strName.starts_with("Install"))
            continue;
        const std::string strDefault = section.Value("Default");
        if (!strDefault.empty())
            return FirefoxFolderOf(strRoot, strDefault, true);
    }
    return std::nullopt;
}

// The profiles of one profiles.ini and the folder of the profile Firefox
// starts with: the one the install sections of profiles.ini or of its copy
// installs.ini name, else the one marked Default=1, else the first.
struct FirefoxRoot {
    std::vector<FirefoxProfile> m_profiles;
    std::optional<std::string> m_strDefault;
};

FirefoxRoot ReadFirefoxRoot(const std::string& strRoot, std::string_view strIniText)
{
    FirefoxRoot root;
    const std::vector<IniSection> sections = ParseIni(strIniText);
    for (const IniSection& section : sections) {
        if (!section.m_strName.starts_with("Profile") || section.Value("Path").empty())
            continue;
        root.m_profiles.push_back({section.Value("Name"),
                                   FirefoxFolderOf(strRoot, section.Value("Path"), section.Value("IsRelative") != "0"),
                                   section.Value("Default") == "1"});
    }
    root.m_strDefault = InstallDefault(sections, true, strRoot);
    if (!root.m_strDefault)
        if (const auto strInstalls = ReadSmallFile(strRoot + "/installs.ini"))
            root.m_strDefault = InstallDefault(ParseIni(*strInstalls), false, strRoot);
    for (const FirefoxProfile& profile : root.m_profiles)
        if (!root.m_strDefault && profile.m_bDefault)
            root.m_strDefault = profile.m_strFolder;
    if (!root.m_strDefault && !root.m_profiles.empty())
        root.m_strDefault = root.m_profiles.front().m_strFolder;
    return root;
}

// The folders where Firefox may keep its profiles.ini, in the order of
// kPlaceNames.
std::vector<std::string> FirefoxRootCandidates(const BrowserEnvironment& env)
{
    std::vector<std::string> roots;
    for (std::string_view strFolder : kFirefoxFolders)
        roots.push_back(env.m_strHome + std::string(strFolder));
    return roots;
}

BrowserStoreLocation LocateFirefox(const std::string& strProfile, const BrowserEnvironment& env)
{
    std::string strRoot;
    std::vector<std::string> looked;
    for (const std::string& strCandidate : FirefoxRootCandidates(env)) {
        if (IsRegularFile(strCandidate + "/profiles.ini")) {
            strRoot = strCandidate;
            break;
        }
        looked.push_back(strCandidate + "/profiles.ini");
    }
    if (strRoot.empty())
        return Fail("No Firefox profile was found: there is no " + JoinNames(looked, " or ") + ".");

    const std::string strIni = strRoot + "/profiles.ini";
    const std::optional<std::string> strText = ReadSmallFile(strIni);
    if (!strText)
        return Fail("Firefox's list of profiles " + strIni + " cannot be read.");
    const FirefoxRoot root = ReadFirefoxRoot(strRoot, *strText);
    const std::vector<FirefoxProfile>& profiles = root.m_profiles;

    std::string strFolder;
    std::string strShown; // the profile as the messages name it
    if (!strProfile.empty()) {
        const FirefoxProfile* pFound = nullptr;
        for (const FirefoxProfile& profile : profiles)
            if (!pFound && profile.m_strName == strProfile)
                pFound = &profile;
        for (const FirefoxProfile& profile : profiles)
            if (!pFound && (EqualsAsciiNoCase(profile.m_strName, strProfile) ||
                            LastComponent(profile.m_strFolder) == strProfile))
                pFound = &profile;
        if (!pFound) {
            std::vector<std::string> names;
            for (const FirefoxProfile& profile : profiles)
                names.push_back(Quoted(profile.m_strName));
            return Fail("Firefox has no profile named " + Quoted(strProfile) + " in " + strIni +
                        (names.empty() ? std::string(".") : "; its profiles are " + JoinNames(names) + "."));
        }
        strFolder = pFound->m_strFolder;
        strShown = pFound->m_strName;
    } else {
        if (!root.m_strDefault)
            return Fail("No Firefox profile was found: " + strIni + " lists none.");
        strFolder = *root.m_strDefault;
        strShown = LastComponent(strFolder);
        for (const FirefoxProfile& profile : profiles)
            if (profile.m_strFolder == strFolder && !profile.m_strName.empty())
                strShown = profile.m_strName;
    }
    const std::string strStore = strFolder + "/places.sqlite";
    if (!IsRegularFile(strStore))
        return Fail("The Firefox profile " + Quoted(strShown) + " has no bookmarks: there is no " + strStore + ".");
    return {strStore, {}};
}

// ---- The Chromium family ----------------------------------------------

// The folders where a browser of the Chromium family may keep its profiles,
// in the order of kPlaceNames; an empty one where it has no such package.
std::vector<std::string> ChromiumFolderCandidates(const BrowserInfo& browser, const BrowserEnvironment& env)
{
    const std::string strConfig = env.m_strConfigHome.empty() ? env.m_strHome + "/.config" : env.m_strConfigHome;
    const auto below = [&](std::string_view strFolder) {
        return strFolder.empty() ? std::string() : env.m_strHome + std::string(strFolder);
    };
    return {strConfig + "/" + std::string(browser.m_strFolder), below(browser.m_strSnapFolder),
            below(browser.m_strFlatpakFolder)};
}

// The profiles the "Local State" file of a browser's folder lists (folder
// name -> shown name, in the file's order) and the one used last.
struct ChromiumProfiles {
    std::vector<std::pair<std::string, std::string>> m_profiles;
    std::string m_strLastUsed;

    std::string ShownName(const std::string& strDir) const
    {
        for (const auto& [strKnownDir, strName] : m_profiles)
            if (strKnownDir == strDir && !strName.empty())
                return strName;
        return strDir;
    }
    // The profile folder the browser starts with.
    std::string DefaultDir() const
    {
        return m_strLastUsed.empty() || m_strLastUsed.find('/') != std::string::npos ? "Default" : m_strLastUsed;
    }
};

ChromiumProfiles ReadLocalState(const std::string& strFolder)
{
    ChromiumProfiles result;
    const auto strText = ReadSmallFile(strFolder + "/Local State");
    if (!strText)
        return result;
    const nlohmann::json state = nlohmann::json::parse(*strText, nullptr, false);
    if (!state.is_object() || !state.contains("profile") || !state["profile"].is_object())
        return result;
    const nlohmann::json& profile = state["profile"];
    if (profile.contains("last_used") && profile["last_used"].is_string())
        result.m_strLastUsed = profile["last_used"].get<std::string>();
    if (profile.contains("info_cache") && profile["info_cache"].is_object()) {
        for (const auto& [strDir, info] : profile["info_cache"].items()) {
            std::string strName;
            if (info.is_object() && info.contains("name") && info["name"].is_string())
                strName = info["name"].get<std::string>();
            result.m_profiles.emplace_back(strDir, strName);
        }
    }
    return result;
}

BrowserStoreLocation LocateChromium(const BrowserInfo& browser, const std::string& strProfile,
                                    const BrowserEnvironment& env)
{
    // The browser's own folder, else that of its Snap or Flatpak package.
    const std::vector<std::string> candidates = ChromiumFolderCandidates(browser, env);
    std::string strFolder = candidates.front();
    for (const std::string& strCandidate : candidates) {
        if (!strCandidate.empty() && IsFolder(strCandidate)) {
            strFolder = strCandidate;
            break;
        }
    }
    const std::string strLocalState = strFolder + "/Local State";
    const std::string strTitle(browser.m_strTitle);
    if (!IsFolder(strFolder))
        return Fail("No " + strTitle + " profile was found: there is no " + strLocalState + ".");

    const ChromiumProfiles known = ReadLocalState(strFolder);
    const auto& profiles = known.m_profiles;

    std::string strDir;
    if (!strProfile.empty()) {
        for (const auto& [strKnownDir, strName] : profiles)
            if (strDir.empty() && strName == strProfile)
                strDir = strKnownDir;
        for (const auto& [strKnownDir, strName] : profiles)
            if (strDir.empty() && (strKnownDir == strProfile || EqualsAsciiNoCase(strName, strProfile)))
                strDir = strKnownDir;
        // A profile folder the list does not name (no Local State, say).
        if (strDir.empty() && strProfile.find('/') == std::string::npos && strProfile != "." &&
            strProfile != ".." && IsFolder(strFolder + "/" + strProfile))
            strDir = strProfile;
        if (strDir.empty()) {
            std::vector<std::string> names;
            for (const auto& [strKnownDir, strName] : profiles)
                names.push_back(Quoted(strName.empty() ? strKnownDir : strName));
            return Fail(strTitle + " has no profile named " + Quoted(strProfile) + " in " + strFolder +
                        (names.empty() ? std::string(".") : "; its profiles are " + JoinNames(names) + "."));
        }
    } else {
        strDir = known.DefaultDir();
    }
    const std::string strStore = strFolder + "/" + strDir + "/Bookmarks";
    if (!IsRegularFile(strStore))
        return Fail("The " + strTitle + " profile " + Quoted(known.ShownName(strDir)) +
                    " has no bookmarks: there is no " + strStore + ".");
    return {strStore, {}};
}

// ---- Every store of this home folder ----------------------------------

void ListFirefoxStores(const BrowserInfo& browser, const BrowserEnvironment& env,
                       std::vector<BrowserStoreInfo>& stores)
{
    const std::vector<std::string> roots = FirefoxRootCandidates(env);
    for (std::size_t nPlace = 0; nPlace < roots.size(); ++nPlace) {
        const auto strText = ReadSmallFile(roots[nPlace] + "/profiles.ini");
        if (!strText)
            continue;
        const FirefoxRoot root = ReadFirefoxRoot(roots[nPlace], *strText);
        for (const FirefoxProfile& profile : root.m_profiles) {
            const std::string strStore = profile.m_strFolder + "/places.sqlite";
            if (!IsRegularFile(strStore))
                continue;
            stores.push_back({std::string(browser.m_strName), std::string(browser.m_strTitle),
                              std::string(kPlaceNames[nPlace]),
                              profile.m_strName.empty() ? LastComponent(profile.m_strFolder) : profile.m_strName,
                              strStore, root.m_strDefault == profile.m_strFolder});
        }
    }
}

void ListChromiumStores(const BrowserInfo& browser, const BrowserEnvironment& env,
                        std::vector<BrowserStoreInfo>& stores)
{
    const std::vector<std::string> folders = ChromiumFolderCandidates(browser, env);
    for (std::size_t nPlace = 0; nPlace < folders.size(); ++nPlace) {
        const std::string& strFolder = folders[nPlace];
        if (strFolder.empty() || !IsFolder(strFolder))
            continue;
        const ChromiumProfiles known = ReadLocalState(strFolder);
        std::vector<std::string> dirs;
        for (const auto& [strDir, strName] : known.m_profiles)
            if (strDir.find('/') == std::string::npos && strDir != "." && strDir != "..")
                dirs.push_back(strDir);
        // A browser that never wrote its list of profiles still has its
        // first one.
        if (std::find(dirs.begin(), dirs.end(), "Default") == dirs.end())
            dirs.insert(dirs.begin(), "Default");
        const std::string strDefault = known.DefaultDir();
        for (const std::string& strDir : dirs) {
            const std::string strStore = strFolder + "/" + strDir + "/Bookmarks";
            if (!IsRegularFile(strStore))
                continue;
            stores.push_back({std::string(browser.m_strName), std::string(browser.m_strTitle),
                              std::string(kPlaceNames[nPlace]), known.ShownName(strDir), strStore,
                              strDir == strDefault});
        }
    }
}

} // namespace

BrowserEnvironment CurrentBrowserEnvironment()
{
    BrowserEnvironment env;
    env.m_strHome = CurrentFavoritesEnvironment().m_strHome;
    if (const char* pConfig = std::getenv("XDG_CONFIG_HOME"); pConfig != nullptr && pConfig[0] == '/')
        env.m_strConfigHome = pConfig;
    return env;
}

BrowserStoreLocation LocateBrowserStore(std::string_view strRequest, const BrowserEnvironment& env)
{
    const std::size_t nColon = strRequest.find(':');
    const std::string_view strName = strRequest.substr(0, nColon);
    const std::string strProfile(nColon == std::string_view::npos ? std::string_view() : strRequest.substr(nColon + 1));
    const BrowserInfo* pBrowser = FindBrowser(strName);
    if (pBrowser == nullptr)
        return Fail("The browser " + Quoted(strName) + " is not known; the browsers are " + KnownBrowserNames() + ".");
    if (env.m_strHome.empty())
        return Fail("No " + std::string(pBrowser->m_strTitle) + " profile was found: the home folder is not known.");
    if (pBrowser->m_nFamily == BrowserFamily::Firefox)
        return LocateFirefox(strProfile, env);
    return LocateChromium(*pBrowser, strProfile, env);
}

bool IsKnownBrowser(std::string_view strRequest)
{
    return FindBrowser(strRequest.substr(0, strRequest.find(':'))) != nullptr;
}

std::string KnownBrowserNames()
{
    std::vector<std::string> names;
    for (const BrowserInfo& info : kBrowsers)
        names.emplace_back(info.m_strName);
    return JoinNames(names);
}

std::string KnownBrowserTitles()
{
    std::vector<std::string> titles;
    for (const BrowserInfo& info : kBrowsers)
        titles.emplace_back(info.m_strTitle);
    return JoinNames(titles, " or ");
}

std::vector<BrowserStoreInfo> ListBrowserStores(const BrowserEnvironment& env)
{
    std::vector<BrowserStoreInfo> stores;
    if (env.m_strHome.empty())
        return stores;
    for (const BrowserInfo& browser : kBrowsers) {
        if (browser.m_nFamily == BrowserFamily::Firefox)
            ListFirefoxStores(browser, env, stores);
        else
            ListChromiumStores(browser, env, stores);
    }
    return stores;
}

std::string BrowserStoreCaption(const BrowserStoreInfo& store)
{
    std::string strCaption = store.m_strBrowserTitle + " (" + store.m_strProfile;
    if (!store.m_strPlace.empty())
        strCaption += ", " + store.m_strPlace;
    return strCaption + ")";
}

std::string BrowserStoreCaptionFor(std::string_view strStore, const BrowserEnvironment& env)
{
    for (const BrowserStoreInfo& store : ListBrowserStores(env))
        if (store.m_strStore == strStore)
            return BrowserStoreCaption(store);
    return std::string(strStore);
}

std::size_t DefaultBrowserStore(const std::vector<BrowserStoreInfo>& stores)
{
    for (std::size_t i = 0; i < stores.size(); ++i)
        if (stores[i].m_bDefault)
            return i;
    return 0;
}
