// Pages that answer 200 are judged by what they say, against a corpus of
// made pages served by our own server on several loopback hosts (each host
// one site): parked domains in several templates and languages, soft 404s of
// several kinds, deep links sent home and hosting that is gone are found,
// and every trap (articles about those things, tiny pages, script-built
// pages, wikis, sites that send the unknown home, genuine moves, PDFs) stays
// valid. A deep link sent home is never offered for updating, and with the
// switch off every 200 is valid as before.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CheckPassFixture.h"
#include "core/actions/UpdateMoved.h"
#include "core/check/PageProbe.h"
#include "core/settings/CheckSettings.h"
#include "support/TestHttpServer.h"

namespace {

using Response = CTestHttpServer::CResponse;

Response Html(std::string strBody, std::string strType = "text/html; charset=utf-8")
{
    return {200, {{"Content-Type", std::move(strType)}}, std::move(strBody)};
}

Response RedirectTo(int nStatus, std::string strLocation)
{
    return {nStatus, {{"Location", std::move(strLocation)}, {"Content-Type", "text/html"}}, "moved"};
}

std::string Page(const std::string& strTitle, const std::string& strBody, const std::string& strHead = {})
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + strTitle + "</title>" + strHead +
           "</head><body>" + strBody + "</body></html>";
}

// The navigation and footer every page of a made shop shares.
std::string ShopFrame(const std::string& strMain)
{
    return "<nav><a href=/>Home</a> <a href=/shop/>Shop</a> <a href=/about/>About us</a> <a href=/contact/>Contact</a>"
           " <a href=/blog/>Blog</a> <a href=/faq/>Questions and answers</a></nav><main>" +
           strMain +
           "</main><footer>Greenleaf Garden Supplies, Market Street, Springfield. Opening hours Monday to Saturday."
           " Free delivery on orders over fifty pounds. Follow us on social media for news about plants and"
           " seasonal offers. Terms and conditions apply.</footer>";
}

// Words enough to make an article of the given length.
std::string Words(int nWords, const std::string& strTopic)
{
    static const char* const kWords[] = {"the", "garden", "needs", "water", "every", "morning", "while", "roses",
                                         "prefer", "sunny", "places", "and", "deep", "soil", "with", "compost"};
    std::string out;
    for (int i = 0; i < nWords; ++i) {
        out += i % 37 == 0 ? strTopic : kWords[(i * 7 + i / 16) % 16];
        out += i % 12 == 11 ? ". " : " ";
    }
    return out;
}

std::string ParkedEnglish()
{
    return Page("example-garden.com",
                "<div class=banner>This domain may be for sale!</div><h2>Related Searches</h2><ul>"
                "<li><a href=#>Garden Tools</a></li><li><a href=#>Cheap Flights</a></li><li><a href=#>Car Insurance</a>"
                "</li></ul><p>Privacy Policy</p>");
}

std::string ParkedGerman()
{
    return Page("gartenfreunde.de - Diese Domain steht zum Verkauf",
                "<h1>gartenfreunde.de</h1><p>Diese Domain steht zum Verkauf. Jetzt Angebot abgeben.</p>");
}

// In ISO-8859-1, as older parking templates are: "à vendre".
std::string ParkedFrenchLatin1()
{
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
           "<title>jardin-facile.fr</title></head><body><h1>jardin-facile.fr</h1>"
           "<p>Ce nom de domaine est \xE0 vendre. Contactez le propri\xE9taire.</p></body></html>";
}

std::string ParkedSpanish()
{
    return Page("jardineria-facil.es", "<h1>¡Este dominio está a la venta!</h1><p>Haga una oferta hoy mismo.</p>"
                                       "<h3>Búsquedas relacionadas</h3><p>Flores - Semillas - Macetas</p>");
}

// Only sponsored searches, no word of a sale: the feed alone tells.
std::string ParkedFeed()
{
    return Page("gardenworld.net", "<div id=ads><h2>Related Searches</h2><a>Garden Furniture</a> <a>Lawn Mowers</a>"
                                   "<p>Sponsored Listings</p></div>");
}

std::string ParkedByScript()
{
    return Page("loading", "<div id=root></div>",
                "<script src=\"https://www.sedoparking.com/frmpark/park.js\"></script>");
}

std::string NotFoundPage(const std::string& strTitle, const std::string& strHeading)
{
    return Page(strTitle, ShopFrame("<h1>" + strHeading + "</h1><p>Try the search above.</p>"));
}

// A "not found" page in words no table knows; it repeats the address asked
// and carries a request id and the time, which change with every answer.
std::string CustomMissingPage(const std::string& strPath, int nSerial)
{
    return Page("Greenleaf Garden Supplies",
                ShopFrame("<h2>Sorry, there is nothing at " + strPath +
                          "</h2><p>Perhaps the plant you wanted has gone out of season. Browse our catalogue or"
                          " ask our gardeners, who are happy to help you find something lovely.</p>"
                          "<p class=meta>Request " +
                          std::to_string(93817 + nSerial * 7919) + "-" + std::to_string(nSerial * 31) +
                          " served at 2026-12-0" + std::to_string(1 + nSerial % 8) + " 10:" +
                          std::to_string(10 + nSerial) + "</p>"));
}

std::string ArticlePage(const std::string& strTitle, const std::string& strTopic, int nWords)
{
    return Page(strTitle, ShopFrame("<h1>" + strTitle + "</h1><article>" + Words(nWords, strTopic) + "</article>"));
}

std::string HomePage()
{
    return Page("Greenleaf Garden Supplies",
                ShopFrame("<h1>Welcome to Greenleaf</h1><section>Spring bulbs are here. Our tulips, daffodils and"
                          " crocuses arrived this week.</section><section>New in the shop: hand-forged trowels.</section>"));
}

struct Case {
    std::string m_strName;
    std::string m_strUrl;
    LinkStatus m_nStatus;
    std::string m_strTextStart; // the status text begins so; empty: not looked at
};

} // namespace

class ContentCheckCorpus : public CheckPassFixture {
protected:
    void SetUp() override { m_nPassTimeoutMs = 10000; }

    // A new site on its own loopback address.
    CTestHttpServer& Site()
    {
        const std::string strAddress = "127.0.0." + std::to_string(20 + m_sites.size());
        m_sites.push_back(std::make_unique<CTestHttpServer>(std::vector<std::string>{strAddress}));
        return *m_sites.back();
    }

    std::string Url(CTestHttpServer& site, const std::string& strPath) { return site.Url(strPath); }

    void RunCases(const std::vector<Case>& cases)
    {
        std::map<std::string, std::shared_ptr<FavoriteItem>> items;
        for (const Case& c : cases)
            items[c.m_strName] = Add(c.m_strUrl);
        RunPass(4, {});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.m_strName + " " + c.m_strUrl);
            const auto& pItem = items.at(c.m_strName);
            EXPECT_EQ(pItem->Status(), c.m_nStatus) << pItem->StatusText();
            if (!c.m_strTextStart.empty()) {
                EXPECT_TRUE(pItem->StatusText().starts_with(c.m_strTextStart)) << pItem->StatusText();
            }
        }
        m_items = std::move(items);
    }

    CheckSettings m_saved;
    std::vector<std::unique_ptr<CTestHttpServer>> m_sites;
    std::map<std::string, std::shared_ptr<FavoriteItem>> m_items;
};

TEST_F(ContentCheckCorpus, GoneSitesAndGonePagesAreFoundAndEveryTrapStaysValid)
{
    std::vector<Case> cases;
    auto add = [&](std::string strName, std::string strUrl, LinkStatus nStatus, std::string strText = {}) {
        cases.push_back({std::move(strName), std::move(strUrl), nStatus, std::move(strText)});
    };
    constexpr const char* kParked = "The site's domain appears to be parked or for sale";
    constexpr const char* kHosting = "The site's hosting appears to be gone";
    constexpr const char* kSays = "The page answers, but says it was not found: ";
    constexpr const char* kHome = "The page's address is sent to the site's home page";

    // Parked domains: every address of the site answers with the parking page.
    for (const auto& [strName, strPage] : std::vector<std::pair<std::string, std::string>>{
             {"parked en", ParkedEnglish()},
             {"parked de", ParkedGerman()},
             {"parked fr latin-1", ParkedFrenchLatin1()},
             {"parked es", ParkedSpanish()},
             {"parked feed", ParkedFeed()},
             {"parked script", ParkedByScript()}}) {
        CTestHttpServer& site = Site();
        site.SetFallback(Html(strPage, strName == "parked fr latin-1" ? "text/html" : "text/html; charset=utf-8"));
        add(strName, Url(site, "/blog/2019/05/great-article.html"), StatusBroken, kParked);
    }
    {
        // A lander that sends the reader on by script to the parking page.
        CTestHttpServer& site = Site();
        site.ServeResponse("/recipes/soup.html",
                           Html(Page("", "<script>window.location.href = \"/park/lander?d=1\";</script>")));
        site.ServeResponse("/park/lander", Html(ParkedEnglish()));
        add("parked behind a script lander", Url(site, "/recipes/soup.html"), StatusBroken, kParked);
        // And one by meta refresh.
        site.ServeResponse("/recipes/bread.html",
                           Html(Page("", "", "<meta http-equiv=\"refresh\" content=\"0; URL='/park/lander'\">")));
        add("parked behind a refresh", Url(site, "/recipes/bread.html"), StatusBroken, kParked);
    }

    // Hosting that is gone.
    for (const auto& [strName, strPage] : std::vector<std::pair<std::string, std::string>>{
             {"suspended en", Page("Account Suspended", "<h1>Account Suspended</h1><p>This Account has been suspended."
                                                          " Contact your hosting provider for more information.</p>")},
             {"suspended fr", Page("Hébergement", "<h1>Compte suspendu</h1><p>Ce compte a été suspendu.</p>")},
             {"nginx welcome", Page("Welcome to nginx!",
                                    "<h1>Welcome to nginx!</h1><p>If you see this page, the nginx web server is"
                                    " successfully installed and working. Further configuration is required.</p>")},
             {"apache welcome", Page("Apache2 Debian Default Page: It works",
                                     "<div>Apache2 Debian Default Page</div><div>It works!</div><p>This is the default"
                                     " welcome page used to test the correct operation of the Apache2 server.</p>")},
             {"no pages site", Page("Site not found &middot; GitHub Pages",
                                    "<h1>404</h1><p><strong>There isn't a GitHub Pages site here.</strong></p>")}}) {
        CTestHttpServer& site = Site();
        site.SetFallback(Html(strPage));
        add(strName, Url(site, "/docs/guide/install.html"), StatusBroken, kHosting);
    }

    // Pages that say they were not found, on a site that answers every
    // unknown address with them.
    for (const auto& [strName, strTitle, strHeading] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"not found en", "Page not found – Greenleaf", "Oops! That page can’t be found."},
             {"not found de", "Greenleaf Gartenbedarf", "Seite nicht gefunden"},
             {"not found fr", "Page introuvable | Greenleaf", "Désolé"},
             {"not found es", "Error 404 | Tienda Greenleaf", "Lo sentimos"}}) {
        CTestHttpServer& site = Site();
        site.SetFallback(Html(NotFoundPage(strTitle, strHeading)));
        add(strName, Url(site, "/shop/roses/climbing-rose-red.html"), StatusPartiallyValid, kSays);
    }
    {
        // Sent to the site's error page.
        CTestHttpServer& site = Site();
        site.ServeResponse("/catalogue/item-77.html", RedirectTo(302, "/errors/404.html"));
        site.ServeResponse("/errors/404.html", Html(Page("Greenleaf", ShopFrame("<p>Oops.</p>"))));
        add("sent to 404.html", Url(site, "/catalogue/item-77.html"), StatusPartiallyValid,
            "The page answers, but was sent to the site's error page");
        site.ServeResponse("/catalogue/item-78.html", RedirectTo(301, "/?error=404"));
        site.ServeResponse("/?error=404", Html(HomePage()));
        add("sent to ?error=404", Url(site, "/catalogue/item-78.html"), StatusPartiallyValid,
            "The page answers, but was sent to the site's error page");
    }
    {
        // Missing pages in words no table knows, told only by the probe.
        CTestHttpServer& site = Site();
        site.ServeResponse("/", Html(HomePage()));
        site.ServeResponse("/articles/how-to-prune-apple-trees",
                           Html(ArticlePage("How to prune apple trees", "pruning", 320)));
        // The server's answer for anything else: the custom missing page,
        // which repeats the address and changes with every answer.
        site.ServeResponse("/articles/old-piece-on-tulips",
                           Html(CustomMissingPage("/articles/old-piece-on-tulips", 1)));
        site.SetFallback(Html(CustomMissingPage("/articles/xkqzvbnmwplrtyhg", 6)));
        add("same as a missing page", Url(site, "/articles/old-piece-on-tulips"), StatusPartiallyValid,
            "The page answers, but with what the site answers for an address that does not exist");
        add("real article beside it", Url(site, "/articles/how-to-prune-apple-trees"), StatusValid);
    }

    // Deep links sent home.
    {
        CTestHttpServer& site = Site();
        site.ServeResponse("/", Html(HomePage()));
        site.ServeResponse("/en/", Html(HomePage()));
        site.ServeResponse("/index.php", Html(HomePage()));
        site.ServeResponse("/2019/05/great-article.html", RedirectTo(301, "/"));
        site.ServeResponse("/docs/old/page", RedirectTo(302, "/en/"));
        site.ServeResponse("/products/item", RedirectTo(308, "/index.php"));
        add("home 301", Url(site, "/2019/05/great-article.html"), StatusPartiallyValid, kHome);
        add("home 302 language root", Url(site, "/docs/old/page"), StatusPartiallyValid, kHome);
        add("home 308 index", Url(site, "/products/item"), StatusPartiallyValid, kHome);
    }

    // Traps: all valid.
    {
        CTestHttpServer& site = Site(); // a site with true 404s
        site.ServeResponse("/guides/buying-a-domain.html",
                           Html(ArticlePage("How to buy a domain that is for sale",
                                            "this domain is for sale, related searches, buy this domain", 700)));
        site.ServeResponse("/guides/fix-404.html",
                           Html(Page("How to fix 404 Not Found errors - Web Guide",
                                     "<h1>How to Fix the “404 Not Found” Error on Your Site</h1><article>" +
                                         Words(900, "page not found 404 error") + "</article>")));
        site.ServeResponse("/reviews/not-found.html",
                           Html(Page("Not Found: the album review | Music Notes",
                                     "<h1>Not Found: the album review</h1><article>" + Words(600, "album") +
                                         "</article>")));
        site.ServeResponse("/~anna/about.html",
                           Html(Page("Anna's corner", "<h1>Hi, I'm Anna</h1><p>I like cats and tea.</p>")));
        site.ServeResponse("/files/report.pdf", Html("%PDF-1.4 Page not found 404 this domain is for sale",
                                                     "application/pdf"));
        site.ServeResponse("/help/suspensions.html",
                           Html(ArticlePage("Why was my account suspended? | Help Center", "suspension", 300)));
        add("article about domains for sale", Url(site, "/guides/buying-a-domain.html"), StatusValid,
            "Link is valid.");
        add("article about fixing 404", Url(site, "/guides/fix-404.html"), StatusValid);
        add("album called Not Found", Url(site, "/reviews/not-found.html"), StatusValid);
        add("tiny personal page", Url(site, "/~anna/about.html"), StatusValid);
        add("pdf", Url(site, "/files/report.pdf"), StatusValid);
        add("help page about suspensions", Url(site, "/help/suspensions.html"), StatusValid);
    }
    {
        // A script-built site answers every address with the same shell.
        CTestHttpServer& site = Site();
        site.SetFallback(Html(Page("Planner", "<div id=root></div><noscript>You need to enable JavaScript to run"
                                              " this app.</noscript>",
                                   "<script src=/static/js/main.4f2a.js></script>")));
        add("single-page application", Url(site, "/app/settings/profile"), StatusValid);
        // One whose frame has a menu and a footer around the empty root.
        CTestHttpServer& framed = Site();
        framed.SetFallback(Html(Page("Greenleaf Planner", ShopFrame("<div id=\"app\"></div>"),
                                     "<script src=/static/js/main.4f2a.js></script>")));
        add("single-page application in a frame", Url(framed, "/app/beds/north-border"), StatusValid);
    }
    {
        // A wiki offers to create the pages it does not have.
        CTestHttpServer& site = Site();
        site.ServeResponse("/wiki/Composting", Html(ArticlePage("Composting – TeamWiki", "compost heap", 250)));
        site.SetFallback(Html(Page("New page – TeamWiki",
                                   ShopFrame("<h1>New page</h1><p>This page does not exist yet. You can create this"
                                             " page, or search for its title in other pages. Please write in a"
                                             " neutral tone and cite your sources.</p>"))));
        add("wiki page to create", Url(site, "/wiki/Hedgehogs"), StatusValid);
        add("wiki page", Url(site, "/wiki/Composting"), StatusValid);
    }
    {
        // A site that ignores the words after an id: any address next to
        // the favourite is the same page, which names its own address.
        CTestHttpServer& site = Site();
        site.SetFallback(Html(Page("How to sort a list of tuples - Q&A",
                                   ShopFrame("<h1>How to sort a list of tuples by the second item?</h1><p>I have a"
                                             " list of pairs and want them ordered by the number in each pair."
                                             " Asked 3 years ago, viewed 120k times.</p>"))));
        add("slug ignored after an id", Url(site, "/questions/4174941/how-to-sort-a-list-of-tuples"), StatusValid);
    }
    {
        // A site that sends every unknown address home.
        CTestHttpServer& site = Site();
        site.ServeResponse("/", Html(HomePage()));
        site.ServeResponse("/about/team.html",
                           Html(ArticlePage("Our team", "gardeners Maria and Tom and Lea", 200)));
        site.SetFallback(RedirectTo(302, "/"));
        add("home page of a site that sends the unknown home", Url(site, "/"), StatusValid);
        add("real page of that site", Url(site, "/about/team.html"), StatusValid);
    }
    {
        // Genuine moves, and a home page that goes to its language.
        CTestHttpServer& site = Site();
        site.ServeResponse("/old/planting-guide.html", RedirectTo(301, "/guides/planting.html"));
        site.ServeResponse("/guides/planting.html", Html(ArticlePage("Planting guide", "planting", 300)));
        site.ServeResponse("/", RedirectTo(301, "/en/"));
        site.ServeResponse("/en/", Html(HomePage()));
        add("genuine move", Url(site, "/old/planting-guide.html"), StatusValid);
        add("home to /en/", Url(site, "/"), StatusValid);
    }

    RunCases(cases);

    // A deep link sent home is not offered for updating; a genuine move is.
    EXPECT_FALSE(IsOfferedForUpdate(*m_items.at("home 301")));
    EXPECT_FALSE(IsOfferedForUpdate(*m_items.at("home 308 index")));
    EXPECT_TRUE(IsOfferedForUpdate(*m_items.at("genuine move")));
}

TEST_F(ContentCheckCorpus, OneProbePerSiteAndFolderAtMost)
{
    CTestHttpServer& site = Site();
    site.SetFallback(Html(CustomMissingPage("/x", 2)));
    for (const char* pszPath : {"/a/one", "/a/two", "/a/three", "/a/four", "/b/one", "/b/two"})
        Add(Url(site, pszPath));
    auto pPass = StartPass(4, {});
    ASSERT_NE(pPass, nullptr);
    ASSERT_TRUE(pPass->WaitFinished(20s));
    // Six favourites, two folders: eight requests at most.
    EXPECT_LE(site.RequestCount(), 8u);
    EXPECT_EQ(pPass->ProbeCount(), 2u);
}

TEST_F(ContentCheckCorpus, WithTheSwitchOffEveryAnswerIsJudgedByItsStatusAlone)
{
    m_bContentChecks = false;
    CTestHttpServer& parked = Site();
    parked.SetFallback(Html(ParkedEnglish()));
    CTestHttpServer& home = Site();
    home.ServeResponse("/", Html(HomePage()));
    home.ServeResponse("/2019/05/great-article.html", RedirectTo(301, "/"));
    RunCases({{"parked", Url(parked, "/blog/post.html"), StatusValid, "Link is valid."},
              {"home", Url(home, "/2019/05/great-article.html"), StatusValid, "Link is valid."}});
    // Only headers were asked for: one request each, no probe.
    EXPECT_EQ(parked.RequestCount(), 1u);
    // Even unjudged, a deep link sent home is never offered for updating.
    EXPECT_FALSE(IsOfferedForUpdate(*m_items.at("home")));
}
