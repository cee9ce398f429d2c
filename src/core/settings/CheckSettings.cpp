#include "core/settings/CheckSettings.h"

#include "core/settings/Profile.h"

void LoadCheckSettings(IProfile& profile, CheckSettings& settings)
{
    int nTimeout = profile.GetProfileInt(kSettingsSection, "CommTimeout", kDefaultTimeoutSeconds);
    if (nTimeout < kMinTimeoutSeconds || nTimeout > kMaxTimeoutSeconds)
        nTimeout = kDefaultTimeoutSeconds;
    settings.m_nTimeoutMs = nTimeout * 1000;

    int nThreads = profile.GetProfileInt(kSettingsSection, "Threads", settings.m_nThreadCount);
    if (nThreads > kMaxThreads || nThreads <= 0)
        nThreads = kMinThreads;
    settings.m_nThreadCount = nThreads;

    settings.m_bAutoCheck = profile.GetProfileInt(kSettingsSection, "AutoCheck", 0) != 0;
    settings.m_bContentChecks = profile.GetProfileInt(kSettingsSection, "ContentChecks", 1) != 0;
}

void SaveCheckSettings(IProfile& profile, const CheckSettings& settings)
{
    profile.WriteProfileInt(kSettingsSection, "CommTimeout", settings.m_nTimeoutMs / 1000);
    profile.WriteProfileInt(kSettingsSection, "Threads", settings.m_nThreadCount);
    profile.WriteProfileInt(kSettingsSection, "AutoCheck", settings.m_bAutoCheck ? 1 : 0);
    profile.WriteProfileInt(kSettingsSection, "ContentChecks", settings.m_bContentChecks ? 1 : 0);
}
