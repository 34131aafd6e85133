#pragma once

#include <cstring>

// Copies at most capacity - 1 characters of a text that may lack a terminator within
// that many bytes, and always terminates the destination.
inline void copyBounded(char* destination, std::size_t capacity, const char* source) {
    const std::size_t length = strnlen(source, capacity - 1);
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}
