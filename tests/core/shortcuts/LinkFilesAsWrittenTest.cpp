// Link files as real desktops and old systems write them: KDE's desktop
// links (URL[$e]=, and links that only have localised URL[xx] keys), and
// Internet Shortcuts with CR, LF or CR LF line ends, read and rewritten in
// place alike.

#include <gtest/gtest.h>

#include "core/shortcuts/ShortcutRewrite.h"
#include "core/shortcuts/ShortcutText.h"

TEST(KdeDesktopLinks, TheUrlWithItsExpandFlagIsTheLink)
{
    // As Dolphin saves a link to a web page.
    const std::string strKde = "[Desktop Entry]\nEncoding=UTF-8\nIcon=text-html\nName=Example\n"
                               "Type=Link\nURL[$e]=https://kde.example/page?a=1\n";
    EXPECT_EQ(ParseDesktopLink(strKde), "https://kde.example/page?a=1");
    const auto rewritten = RewriteShortcutUrl(strKde, ShortcutFormat::DesktopLink, "https://new.example/");
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(*rewritten, "[Desktop Entry]\nEncoding=UTF-8\nIcon=text-html\nName=Example\n"
                          "Type=Link\nURL[$e]=https://new.example/\n");
}

TEST(KdeDesktopLinks, LocalisedUrlsCountOnlyWithoutAPlainOne)
{
    const std::string strLocalised = "[Desktop Entry]\nType=Link\nName=Docs\n"
                                     "URL[de]=https://docs.example/de/\nURL[fr]=https://docs.example/fr/\n";
    EXPECT_EQ(ParseDesktopLink(strLocalised), "https://docs.example/de/");
    EXPECT_EQ(*ParseDesktopLink(*RewriteShortcutUrl(strLocalised, ShortcutFormat::DesktopLink, "https://n.example/")),
              "https://n.example/");
    // A plain URL wins wherever it stands.
    const std::string strBoth = "[Desktop Entry]\nType=Link\nURL[de]=https://docs.example/de/\n"
                                "URL=https://docs.example/\n";
    EXPECT_EQ(ParseDesktopLink(strBoth), "https://docs.example/");
    EXPECT_EQ(*RewriteShortcutUrl(strBoth, ShortcutFormat::DesktopLink, "https://n.example/"),
              "[Desktop Entry]\nType=Link\nURL[de]=https://docs.example/de/\nURL=https://n.example/\n");
    // Keys that only look alike are no URL.
    for (const char* pszKey : {"URLS", "URL[]", "URL[de", "url", "X-URL"})
        EXPECT_EQ(ParseDesktopLink(std::string("[Desktop Entry]\nType=Link\n") + pszKey + "=https://x.example/\n"),
                  "")
            << pszKey;
}

TEST(InternetShortcutLineEnds, CrLfAndCrLfAllGiveTheUrl)
{
    for (const char* pszEnd : {"\r\n", "\n", "\r"}) {
        const std::string strEnd = pszEnd;
        const std::string strFile = "[DEFAULT]" + strEnd + "BASEURL=http://base.example/" + strEnd +
                                    "[InternetShortcut]" + strEnd + "URL=http://mac.example/page" + strEnd +
                                    "IconIndex=0" + strEnd;
        EXPECT_EQ(ParseInternetShortcut(strFile), "http://mac.example/page") << int(strEnd.size());
        const auto rewritten = RewriteShortcutUrl(strFile, ShortcutFormat::InternetShortcut, "https://n.example/");
        ASSERT_TRUE(rewritten);
        std::string strExpected = strFile;
        strExpected.replace(strExpected.find("http://mac.example/page"), 23, "https://n.example/");
        EXPECT_EQ(*rewritten, strExpected);
    }
    // A file of CR ends without a final one.
    EXPECT_EQ(ParseInternetShortcut("[InternetShortcut]\rURL=http://last.example/"), "http://last.example/");
    EXPECT_EQ(ParseDesktopLink("[Desktop Entry]\rType=Link\rURL=http://cr.example/\r"), "http://cr.example/");
}
