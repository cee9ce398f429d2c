#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "core/check/CheckClassification.h"
#include "core/check/PageFacts.h"
#include "core/check/PageJudge.h"
#include "core/check/PageProbe.h"
#include "core/net/HttpCheckResult.h"
#include "core/net/HttpClient.h"

// The look into a page that answers: what the check reads of it, and the
// verdict on what it read. Only a check that ended at a 200 with a page is
// judged; every other outcome stands as the status table has it.

// The options of a check's request that reads its page. The facts of the
// last page read are left in `lastFacts`, so that the page is parsed once.
PageReadOptions ContentReadOptions(PageFacts& lastFacts);

// The verdict on the answer of strUrl: the page's own signs first, then a
// deep link sent home, then, for a deep page, the site's answer to an
// address next to it that cannot exist (one probe per site and folder and
// pass, kept in `probes` and made through `client` within the deadline).
// None when the page stands, also whenever the evidence is weak or time ran
// out.
PageVerdict JudgeAnswer(std::string_view strUrl, const HttpCheckResult& result, const PageFacts& facts,
                        CHttpClient& client, CPageProbeCache& probes, std::chrono::steady_clock::time_point deadline);

// The outcome that replaces a valid one for a verdict; empty for None.
std::optional<CheckOutcome> OutcomeForVerdict(const PageVerdict& verdict);
