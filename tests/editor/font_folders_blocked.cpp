// Preloaded into a program, makes every open under /usr/share/fonts fail as if the folder did
// not exist: the stand-in for a private mount namespace where the machine refuses those.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

bool blocked(const char* path) { return path && std::strncmp(path, "/usr/share/fonts", 16) == 0; }

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int modeOf(int flags, va_list arguments) { return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, int) : 0; }

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    if (blocked(path)) return errno = ENOENT, -1;
    return next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    if (blocked(path)) return errno = ENOENT, -1;
    return next<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int openat(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    if (blocked(path)) return errno = ENOENT, -1;
    return next<int (*)(int, const char*, int, ...)>("openat")(directory, path, flags, mode);
}

int openat64(int directory, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeOf(flags, arguments);
    va_end(arguments);
    if (blocked(path)) return errno = ENOENT, -1;
    return next<int (*)(int, const char*, int, ...)>("openat64")(directory, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode) {
    if (blocked(path)) return errno = ENOENT, nullptr;
    return next<FILE* (*)(const char*, const char*)>("fopen")(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    if (blocked(path)) return errno = ENOENT, nullptr;
    return next<FILE* (*)(const char*, const char*)>("fopen64")(path, mode);
}

}  // extern "C"
