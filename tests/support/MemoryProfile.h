#pragma once

#include <map>
#include <string>

#include "core/settings/Profile.h"

// A settings store in memory; integers and binaries kept apart as a real
// store keeps their types.
class MemoryProfile : public IProfile {
public:
    int GetProfileInt(std::string_view strSection, std::string_view strEntry, int nDefault) override
    {
        auto it = m_ints.find(Key(strSection, strEntry));
        return it == m_ints.end() ? nDefault : it->second;
    }
    bool WriteProfileInt(std::string_view strSection, std::string_view strEntry, int nValue) override
    {
        m_ints[Key(strSection, strEntry)] = nValue;
        return true;
    }
    std::optional<std::vector<std::uint8_t>> GetProfileBinary(std::string_view strSection,
                                                              std::string_view strEntry) override
    {
        auto it = m_binaries.find(Key(strSection, strEntry));
        if (it == m_binaries.end())
            return std::nullopt;
        return it->second;
    }
    bool WriteProfileBinary(std::string_view strSection, std::string_view strEntry,
                            const std::vector<std::uint8_t>& bytes) override
    {
        m_binaries[Key(strSection, strEntry)] = bytes;
        return true;
    }

    std::map<std::string, int> m_ints;
    std::map<std::string, std::vector<std::uint8_t>> m_binaries;

    static std::string Key(std::string_view strSection, std::string_view strEntry)
    {
        return std::string(strSection) + "/" + std::string(strEntry);
    }
};
