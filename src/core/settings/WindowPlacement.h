#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The main window's stored placement: a 44-byte little-endian record of
// length, flags, show command, minimised and maximised positions and the
// normal rectangle (left, top, right, bottom).
struct WindowPlacement {
    static constexpr std::uint32_t kLength = 44;
    static constexpr std::uint32_t kShowNormal = 1;
    static constexpr std::uint32_t kShowMinimized = 2;
    static constexpr std::uint32_t kShowMaximized = 3;

    std::uint32_t m_nLength = kLength;
    std::uint32_t m_nFlags = 0;
    std::uint32_t m_nShowCmd = kShowNormal;
    std::int32_t m_ptMinX = -1, m_ptMinY = -1;
    std::int32_t m_ptMaxX = -1, m_ptMaxY = -1;
    std::int32_t m_nLeft = 0, m_nTop = 0, m_nRight = 0, m_nBottom = 0;

    std::vector<std::uint8_t> ToBytes() const;
    // Only a value of exactly 44 bytes is a record.
    static std::optional<WindowPlacement> FromBytes(const std::vector<std::uint8_t>& bytes);

    // Whether the normal rectangle lies within the given work area (signed
    // comparisons, edges included).
    bool NormalRectWithin(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                          std::int32_t nBottom) const;

    bool operator==(const WindowPlacement&) const = default;
};
