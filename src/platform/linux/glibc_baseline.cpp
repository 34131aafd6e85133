// Linked into the Linux plug-in modules, whose C++ runtime and libgcc are linked in
// statically, so that a module built against a new glibc loads from glibc 2.17 on. The
// linker gives every reference the newest version of its symbol; the few whose newest
// version is younger than 2.17 are sent here (-Wl,--wrap=NAME, see
// cmake/linux_plugin_module.cmake) and bound to the version the architecture's glibc has had
// from its start, or answered here where old systems lack the function altogether.
#include <dlfcn.h>
#include <link.h>
#include <pthread.h>

#include <cstdint>

#if defined(__x86_64__)
#define VELLUMINE_GLIBC_BASE "GLIBC_2.2.5"
#elif defined(__aarch64__)
#define VELLUMINE_GLIBC_BASE "GLIBC_2.17"
#else
#error "the glibc baseline is known for x86-64 and aarch64 only"
#endif

extern "C" {

// The oldest versions: until glibc 2.34 dladdr lived in libdl and the pthread functions in
// libpthread, which the modules name as needed for that reason.
int baseDladdr(const void* address, Dl_info* info);
int basePthreadOnce(pthread_once_t* once, void (*init)());
int basePthreadKeyCreate(pthread_key_t* key, void (*destroy)(void*));
double basePow(double x, double y);
__asm__(".symver baseDladdr,dladdr@" VELLUMINE_GLIBC_BASE);
__asm__(".symver basePthreadOnce,pthread_once@" VELLUMINE_GLIBC_BASE);
__asm__(".symver basePthreadKeyCreate,__pthread_key_create@" VELLUMINE_GLIBC_BASE);
__asm__(".symver basePow,pow@" VELLUMINE_GLIBC_BASE);

int __wrap_dladdr(const void* address, Dl_info* info) { return baseDladdr(address, info); }
int __wrap_pthread_once(pthread_once_t* once, void (*init)()) { return basePthreadOnce(once, init); }
int __wrap___pthread_key_create(pthread_key_t* key, void (*destroy)(void*)) {
    return basePthreadKeyCreate(key, destroy);
}
double __wrap_pow(double x, double y) { return basePow(x, y); }

// glibc 2.32 tells the C++ runtime through this flag that a process has one thread, so that
// it may skip atomic operations. The module's own copy says never, which is always safe.
__attribute__((visibility("hidden"))) char __libc_single_threaded = 0;

// glibc 2.35 finds the unwinding tables of the object holding an address for the unwinder
// (libgcc_eh). Older systems lack the function, so the module finds them as glibc did before:
// the loaded object whose segments hold the address, and its PT_GNU_EH_FRAME segment.
struct EhFrameSearch {
    std::uintptr_t address;
    dl_find_object* result;
    bool found;
};

int searchObject(dl_phdr_info* info, std::size_t, void* data) {
    auto& search = *static_cast<EhFrameSearch*>(data);
    std::uintptr_t start = UINTPTR_MAX, end = 0;
    bool holds = false;
    void* ehFrame = nullptr;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        const std::uintptr_t from = info->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_GNU_EH_FRAME) ehFrame = reinterpret_cast<void*>(from);
        if (segment.p_type != PT_LOAD) continue;
        const std::uintptr_t to = from + segment.p_memsz;
        holds = holds || (search.address >= from && search.address < to);
        start = from < start ? from : start;
        end = to > end ? to : end;
    }
    if (!holds) return 0;
    *search.result = {};
    search.result->dlfo_map_start = reinterpret_cast<void*>(start);
    search.result->dlfo_map_end = reinterpret_cast<void*>(end);
    search.result->dlfo_eh_frame = ehFrame;
    search.found = true;
    return 1;
}

int __wrap__dl_find_object(void* address, dl_find_object* result) {
    EhFrameSearch search{reinterpret_cast<std::uintptr_t>(address), result, false};
    dl_iterate_phdr(searchObject, &search);
    return search.found ? 0 : -1;
}

}  // extern "C"
