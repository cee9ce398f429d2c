#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/check/PageFingerprint.h"

// What a site answers for an address next to a page that cannot exist
// ("/<folder>/<16 random letters>"): asked once per site and folder in a
// pass, and kept for the rest of the pass.
struct ProbeAnswer {
    bool m_bAnswered = false; // the probe got an answer at all
    // It answered 200 with a page (after any redirects): a site that does
    // so answers every address, and a page of it that looks the same says
    // nothing more than the probe.
    bool m_bPage = false;
    std::string m_strWords;     // the words of that page (PageWords)
    std::vector<std::string> m_chain; // the addresses asked, the probe's first
};

// The probes of a pass, shared by its workers. A probe is made by the first
// worker that needs it while the others that need the same one wait for it
// (within their own time); each is made at most once a pass.
class CPageProbeCache {
public:
    void Clear();

    // The answer for strKey ("scheme://host:port/folder/"), made by probe()
    // when nobody has asked yet. Empty when it is not ready by the
    // deadline.
    std::optional<ProbeAnswer> Get(const std::string& strKey, const std::function<ProbeAnswer()>& probe,
                                   std::chrono::steady_clock::time_point deadline);

    std::size_t ProbeCount() const;

private:
    mutable std::mutex m_mx;
    std::map<std::string, std::shared_future<ProbeAnswer>> m_answers;
    std::size_t m_nProbes = 0;
};

// Sixteen random lower-case letters: a path part no site has.
std::string RandomProbeName();
