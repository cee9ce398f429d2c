#pragma once

#include <cstddef>

// The bytes this program holds through operator new, counted by the
// replacement of the global operator new and delete in AllocationCounter.cpp.
namespace alloccount {

std::size_t LiveBytes();
// The most held at once since the last ResetPeak().
std::size_t PeakBytes();
void ResetPeak();

} // namespace alloccount
