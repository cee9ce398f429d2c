#pragma once

#include <cstdint>

// The status image strip holds nine rows of four images: the row is the
// status's icon offset, the column the kind. A node's kind can therefore
// always be read back from its current image.
inline constexpr int kStatusImageCount = 36;

// Kind of a node from its image: below 4 the image is the kind itself.
constexpr int KindFromImage(int nImage) { return nImage < 4 ? nImage : nImage % 4; }

// Image of a node of the given kind showing the given status.
int ImageFor(int nKind, std::int32_t nStatus);
