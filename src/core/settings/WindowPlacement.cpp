#include "core/settings/WindowPlacement.h"

#include <array>

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& in, size_t at)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return v;
}

} // namespace

std::vector<std::uint8_t> WindowPlacement::ToBytes() const
{
    std::vector<std::uint8_t> out;
    out.reserve(kLength);
    for (std::uint32_t v : std::array<std::uint32_t, 11>{
             m_nLength, m_nFlags, m_nShowCmd, static_cast<std::uint32_t>(m_ptMinX),
             static_cast<std::uint32_t>(m_ptMinY), static_cast<std::uint32_t>(m_ptMaxX),
             static_cast<std::uint32_t>(m_ptMaxY), static_cast<std::uint32_t>(m_nLeft),
             static_cast<std::uint32_t>(m_nTop), static_cast<std::uint32_t>(m_nRight),
             static_cast<std::uint32_t>(m_nBottom)})
        Put32(out, v);
    return out;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() != kLength)
        return std::nullopt;
    WindowPlacement wp;
    wp.m_nLength = Get32(bytes, 0);
    wp.m_nFlags = Get32(bytes, 4);
    wp.m_nShowCmd = Get32(bytes, 8);
    wp.m_ptMinX = static_cast<std::int32_t>(Get32(bytes, 12));
    wp.m_ptMinY = static_cast<std::int32_t>(Get32(bytes, 16));
    wp.m_ptMaxX = static_cast<std::int32_t>(Get32(bytes, 20));
    wp.m_ptMaxY = static_cast<std::int32_t>(Get32(bytes, 24));
    wp.m_nLeft = static_cast<std::int32_t>(Get32(bytes, 28));
    wp.m_nTop = static_cast<std::int32_t>(Get32(bytes, 32));
    wp.m_nRight = static_cast<std::int32_t>(Get32(bytes, 36));
    wp.m_nBottom = static_cast<std::int32_t>(Get32(bytes, 40));
    return wp;
}

bool WindowPlacement::NormalRectWithin(std::int32_t nLeft, std::int32_t nTop, std::int32_t nRight,
                                       std::int32_t nBottom) const
{
    return m_nLeft >= nLeft && m_nTop >= nTop && m_nRight <= nRight && m_nBottom <= nBottom;
}
