#pragma once

#include <cstdint>

class IProfile;

// The three user settings: the view owns them, the configuration sheet
// changes them, and a pass or a download takes copies of what it needs when
// it starts. The console checker has its own, read from the same profile.
struct CheckSettings {
    std::int32_t m_nTimeoutMs = 0;   // response time-out in milliseconds, 0 until loaded
    std::int32_t m_nThreadCount = 0; // worker threads, 1 to 16, 0 until loaded
    bool m_bAutoCheck = false;       // check everything once the list is filled
    // Look into pages that answer 200 (parked domains, missing pages,
    // deep links sent home, hosting gone): "ContentChecks", on by default.
    bool m_bContentChecks = true;
};

inline constexpr int kDefaultTimeoutSeconds = 60;
inline constexpr int kMinTimeoutSeconds = 30;
inline constexpr int kMaxTimeoutSeconds = 300;
inline constexpr int kMinThreads = 1;
inline constexpr int kMaxThreads = 16;

// Reads "CommTimeout", "Threads", "AutoCheck" and "ContentChecks" with
// their defaults and ranges. The thread count's default is its current value.
void LoadCheckSettings(IProfile& profile, CheckSettings& settings);

// Writes the four values back, whether they changed or not.
void SaveCheckSettings(IProfile& profile, const CheckSettings& settings);
