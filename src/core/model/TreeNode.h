#pragma once

#include <cstdint>

// A node of the favourites tree as the core sees it: a number handed out by
// the tree sink. Zero is "no node", and as a parent it means the root.
using TreeNode = std::uint64_t;
inline constexpr TreeNode kNoTreeNode = 0;
inline constexpr TreeNode kTreeRoot = 0;
