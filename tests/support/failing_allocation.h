// Replaces the global allocation functions so that a test can make every allocation of at
// least `failingAllocationSize` bytes fail, as a machine out of memory does: the throwing forms
// throw std::bad_alloc, the nothrow forms answer null. Include it in one file per executable.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

inline std::size_t failingAllocationSize = 0;  // 0: nothing fails

inline void* tryAllocate(std::size_t size) {
    if (failingAllocationSize != 0 && size >= failingAllocationSize) return nullptr;
    return std::malloc(size ? size : 1);
}

// The replacements pair malloc with free on purpose, as the library's functions they replace.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (void* p = tryAllocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return tryAllocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// What a nothrow new calls when the constructor it ran throws.
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
