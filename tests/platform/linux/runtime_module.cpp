// A module linked as the Linux plug-ins are (the C++ runtime inside, old glibc versions): it
// throws and catches an exception, which needs the unwinder to find the module's tables, runs
// a once-only initialisation and finds its own file.
#include <dlfcn.h>

#include <mutex>
#include <stdexcept>
#include <string>

// 10 x the length of the message caught, plus the number of initialisations; -1 when the
// module cannot find itself.
extern "C" __attribute__((visibility("default"))) int runtimeModuleCheck(int length) {
    static std::once_flag once;
    static int initialisations = 0;
    std::call_once(once, [] { ++initialisations; });
    int caught = 0;
    try {
        throw std::runtime_error(std::string(static_cast<std::size_t>(length), 'x'));
    } catch (const std::runtime_error& e) {
        caught = static_cast<int>(std::string(e.what()).size());
    }
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&runtimeModuleCheck), &info) == 0 || !info.dli_fname) return -1;
    return caught * 10 + initialisations;
}
