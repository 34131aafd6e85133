// The runtime pieces that a module linked for old glibc versions replaces or rebinds still
// work: exceptions unwind inside it, a once-only initialisation runs once, dladdr answers.
#include <dlfcn.h>

#include <gtest/gtest.h>

TEST(GlibcBaseline, ExceptionsOnceAndDladdrWorkInsideTheModule) {
    void* module = dlopen(RUNTIME_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    const auto check = reinterpret_cast<int (*)(int)>(dlsym(module, "runtimeModuleCheck"));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check(7), 71);
    EXPECT_EQ(check(40), 401);  // initialised once only
    dlclose(module);
}
