#include "AllocationCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_nLive{0};
std::atomic<std::size_t> g_nPeak{0};

void* Counted(void* p)
{
    if (p == nullptr)
        return nullptr;
    const std::size_t nLive = g_nLive.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    std::size_t nPeak = g_nPeak.load();
    while (nLive > nPeak && !g_nPeak.compare_exchange_weak(nPeak, nLive)) {
    }
    return p;
}

void Release(void* p)
{
    if (p == nullptr)
        return;
    g_nLive.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

void* Allocate(std::size_t nSize, std::size_t nAlign = 0)
{
    void* p = nAlign > alignof(std::max_align_t)
                  ? std::aligned_alloc(nAlign, (nSize + nAlign - 1) / nAlign * nAlign)
                  : std::malloc(nSize == 0 ? 1 : nSize);
    if (p == nullptr)
        throw std::bad_alloc();
    return Counted(p);
}

} // namespace

namespace alloccount {

std::size_t LiveBytes() { return g_nLive.load(); }
std::size_t PeakBytes() { return g_nPeak.load(); }
void ResetPeak() { g_nPeak.store(g_nLive.load()); }

} // namespace alloccount

void* operator new(std::size_t nSize) { return Allocate(nSize); }
void* operator new[](std::size_t nSize) { return Allocate(nSize); }
void* operator new(std::size_t nSize, std::align_val_t nAlign) { return Allocate(nSize, std::size_t(nAlign)); }
void* operator new[](std::size_t nSize, std::align_val_t nAlign) { return Allocate(nSize, std::size_t(nAlign)); }
void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(nSize);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(nSize);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
