// Where a check's redirects ended, against our own server: the final
// address and whether every hop was permanent are kept beside an outcome
// that stays exactly what the tables make of the final answer; a whole
// pass carries them into the records, and the next outcome replaces them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "CheckPassFixture.h"
#include "core/actions/UpdateMoved.h"
#include "core/check/CheckClassification.h"
#include "core/check/CheckOneFavorite.h"
#include "core/net/HttpClient.h"
#include "core/settings/CheckSettings.h"
#include "support/TestHttpServer.h"

namespace {

HttpCheckResult CheckUrl(const std::string& strUrl)
{
    return CHttpClient::ForThisThread().Check(strUrl, 5s);
}

} // namespace

class MovedCheck : public ::testing::Test {
protected:
    CTestHttpServer m_server;
};

TEST_F(MovedCheck, ChainsKeepTheirEndAndWhetherEveryHopWasPermanent)
{
    const struct {
        const char* m_pszPath;
        const char* m_pszEnd; // "" when no redirect was followed
        bool m_bPermanent;
        LinkStatus m_nStatus;
    } rows[] = {
        {"/200", "", false, StatusValid},
        {"/301", "/200", true, StatusValid},
        {"/308", "/200", true, StatusValid},
        {"/301-308", "/200", true, StatusValid},
        {"/302", "/200", false, StatusValid},
        {"/303", "/200", false, StatusValid},
        {"/307", "/200", false, StatusValid},
        {"/301-302", "/200", false, StatusValid},
        // The status is the 404's; the address shows where the link went.
        {"/301-404", "/404", true, StatusPartiallyValid},
        // A loop never ends anywhere.
        {"/loop", "", false, StatusUnverified},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.m_pszPath);
        const HttpCheckResult result = CheckUrl(m_server.Url(row.m_pszPath));
        EXPECT_EQ(result.m_strFinalUrl, *row.m_pszEnd ? m_server.Url(row.m_pszEnd) : "");
        EXPECT_EQ(result.m_bPermanentRedirects, row.m_bPermanent);
        EXPECT_EQ(ClassifyCheck(result).m_nStatus, row.m_nStatus);
    }
    // The texts stay those of the final answer.
    EXPECT_EQ(ClassifyCheck(CheckUrl(m_server.Url("/301-404"))).m_strText,
              "HTTP status code 404 (File Not Found, or Access Forbidden) was received.");
    EXPECT_EQ(ClassifyCheck(CheckUrl(m_server.Url("/301-308"))).m_strText, "Link is valid.");
}

TEST_F(MovedCheck, TheFragmentOfTheFavoriteGoesWithItUnlessALocationBringsItsOwn)
{
    EXPECT_EQ(CheckUrl(m_server.Url("/301-308#part-2")).m_strFinalUrl, m_server.Url("/200#part-2"));
    m_server.ServeResponse("/anchored", {.m_nStatus = 301, .m_headers = {{"Location", "/301#new"}}, .m_strBody = {}});
    EXPECT_EQ(CheckUrl(m_server.Url("/anchored#old")).m_strFinalUrl, m_server.Url("/200#new"));
}

TEST_F(MovedCheck, AFinalAddressIsPlainAsciiWhateverTheServerSent)
{
    // Raw UTF-8 in a Location is sent percent-encoded, as a browser sends it,
    // so the address can be written into any favourite file.
    m_server.ServeResponse("/utf8", {.m_nStatus = 301,
                                     .m_headers = {{"Location", "/caf\xc3\xa9?q=\xc3\xa9"}},
                                     .m_strBody = {}});
    const HttpCheckResult result = CheckUrl(m_server.Url("/utf8"));
    EXPECT_EQ(result.m_strFinalUrl.find_first_of(std::string("\x80\xc3\xa9", 3)), std::string::npos)
        << result.m_strFinalUrl;
    EXPECT_NE(result.m_strFinalUrl.find("%"), std::string::npos) << result.m_strFinalUrl;
}

class MovedCheckPass : public CheckPassFixture {
protected:
    CTestHttpServer m_server;
};

TEST_F(MovedCheckPass, APassKeepsTheRedirectInTheRecordAndTheNextOutcomeReplacesIt)
{
    auto pPermanent = Add(m_server.Url("/301-308"));
    auto pTemporary = Add(m_server.Url("/301-302"));
    auto pGone = Add(m_server.Url("/301-404"));
    auto pPlain = Add(m_server.Url("/200"));
    RunPass(2, {});

    EXPECT_EQ(pPermanent->Redirect(), (FavoriteRedirect{m_server.Url("/200"), true}));
    EXPECT_EQ(pTemporary->Redirect(), (FavoriteRedirect{m_server.Url("/200"), false}));
    EXPECT_EQ(pGone->Redirect(), (FavoriteRedirect{m_server.Url("/404"), true}));
    EXPECT_EQ(pPlain->Redirect(), FavoriteRedirect{});
    // Only the chain of permanent hops to a valid page is offered.
    EXPECT_TRUE(IsOfferedForUpdate(*pPermanent));
    EXPECT_FALSE(IsOfferedForUpdate(*pTemporary));
    EXPECT_FALSE(IsOfferedForUpdate(*pGone));
    EXPECT_FALSE(IsOfferedForUpdate(*pPlain));

    // The site stops redirecting: the next pass leaves no redirect behind,
    // nor does a check that throws.
    m_server.ServeResponse("/301-308", {.m_nStatus = 200, .m_headers = {}, .m_strBody = "here now"});
    RunPass(1, [this](WorkerSlot& slot) {
        if (slot.m_pItem->m_strUrl == m_server.Url("/301-302"))
            throw std::runtime_error("check failed");
        CheckOneFavorite(slot);
    });
    EXPECT_EQ(pPermanent->Status(), StatusValid);
    EXPECT_EQ(pPermanent->Redirect(), FavoriteRedirect{});
    EXPECT_EQ(pTemporary->Status(), StatusUnverified);
    EXPECT_EQ(pTemporary->Redirect(), FavoriteRedirect{});
}
