// The VST 3 module's entry: the factory with its one class, and the functions hosts look up.
#include <travesty/factory.h>

#include <cstdio>
#include <new>

#include "vst3/delay_plugin.h"
#include "vst3/vst3_text.h"

#if defined(_WIN32)
#define VELLUMINE_VST3_EXPORT extern "C" __declspec(dllexport)
#else
#define VELLUMINE_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// The class id hosts store in projects: never change it.
constexpr v3_tuid kClassId = V3_ID(0x7F64B264, 0x1BC74181, 0x961A8529, 0xB4BF5056);
constexpr const char* kVendor = "Quorvane";
constexpr const char* kName = "Vellumine";
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Fx|Delay";
// The interface generation the declarations describe; the SDK itself is not used.
constexpr const char* kInterfaceVersion = "VST 3";
constexpr std::int32_t kManyInstances = 0x7FFFFFFF;
constexpr std::int32_t kUnicodeStrings = 1 << 4;

template <std::size_t Size>
void copyText(char (&to)[Size], const char* text) {
    std::snprintf(to, Size, "%s", text);
}

void copyClassId(v3_tuid to) {
    for (std::size_t i = 0; i < sizeof(v3_tuid); ++i) to[i] = kClassId[i];
}

// The factory lives as long as the module: counting does nothing.
v3_result V3_API factoryQuery(void* self, const v3_tuid iid, void** object);
std::uint32_t V3_API factoryReference(void*) { return 1; }

v3_result V3_API factoryInfo(void*, v3_factory_info* info) {
    if (!info) return V3_INVALID_ARG;
    *info = {};
    copyText(info->vendor, kVendor);
    info->flags = kUnicodeStrings;
    return V3_OK;
}

std::int32_t V3_API classCount(void*) { return 1; }

v3_result V3_API classInfo(void*, std::int32_t index, v3_class_info* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    *info = {};
    copyClassId(info->class_id);
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    copyText(info->name, kName);
    return V3_OK;
}

v3_result V3_API createInstance(void*, const v3_tuid classId, const v3_tuid iid, void** instance) {
    if (!instance) return V3_INVALID_ARG;
    *instance = nullptr;
    if (!classId || !iid || !v3_tuid_match(classId, kClassId)) return V3_NO_INTERFACE;
    try {
        auto* plugin = new vst3door::DelayPlugin;
        plugin->ref();  // held while asking, so that a refused interface frees it
        const v3_result result = plugin->query(iid, instance);
        plugin->unref();
        return result;
    } catch (...) {
        return V3_NOMEM;
    }
}

v3_result V3_API classInfo2(void*, std::int32_t index, v3_class_info_2* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    *info = {};
    copyClassId(info->class_id);
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    copyText(info->name, kName);
    copyText(info->sub_categories, kSubCategories);
    copyText(info->vendor, kVendor);
    copyText(info->version, VELLUMINE_VERSION);
    copyText(info->sdk_version, kInterfaceVersion);
    return V3_OK;
}

v3_result V3_API classInfoUtf16(void*, std::int32_t index, v3_class_info_3* info) {
    if (index != 0 || !info) return V3_INVALID_ARG;
    *info = {};
    copyClassId(info->class_id);
    info->cardinality = kManyInstances;
    copyText(info->category, kCategory);
    vst3door::toUtf16(kName, info->name, 64);
    copyText(info->sub_categories, kSubCategories);
    vst3door::toUtf16(kVendor, info->vendor, 64);
    vst3door::toUtf16(VELLUMINE_VERSION, info->version, 64);
    vst3door::toUtf16(kInterfaceVersion, info->sdk_version, 64);
    return V3_OK;
}

v3_result V3_API setHostContext(void*, v3_funknown**) { return V3_OK; }

constexpr v3_plugin_factory_cpp kFactoryTable = {
    {factoryQuery, factoryReference, factoryReference},
    {factoryInfo, classCount, classInfo, createInstance},
    {classInfo2},
    {classInfoUtf16, setHostContext}};

struct Factory {
    const v3_plugin_factory_cpp* table;
};
Factory factory{&kFactoryTable};

v3_result V3_API factoryQuery(void* self, const v3_tuid iid, void** object) {
    if (!object) return V3_INVALID_ARG;
    const bool known = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_factory_iid) ||
                       v3_tuid_match(iid, v3_plugin_factory_2_iid) || v3_tuid_match(iid, v3_plugin_factory_3_iid);
    *object = known ? self : nullptr;
    return known ? V3_OK : V3_NO_INTERFACE;
}

}  // namespace

VELLUMINE_VST3_EXPORT void* GetPluginFactory() { return &factory; }

// Nothing to set up or tear down: the module holds no state beyond its instances.
#if defined(_WIN32)
VELLUMINE_VST3_EXPORT bool InitDll() { return true; }
VELLUMINE_VST3_EXPORT bool ExitDll() { return true; }
#else
VELLUMINE_VST3_EXPORT bool ModuleEntry(void*) { return true; }
VELLUMINE_VST3_EXPORT bool ModuleExit() { return true; }
#endif
