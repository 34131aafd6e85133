// The Win32 drop target, driven directly through its IDropTarget methods with a data object
// of our own: text before file lists, file names in order, shortcuts resolved, and the drag
// feedback.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "platform/win32/win32_drop_target.h"
#include "test_data_object.h"

using namespace platform;
using namespace platform::win32;
using win32test::TestDataObject;

namespace {

constexpr int kFilesKind = 0;
constexpr int kTextKind = 1;

struct Delivery {
    int kind;
    int count;
    std::vector<std::string> items;
};

struct RecordingHandler : WindowHandler {
    void windowPaint(Surface&, const PixelRect&) override {}
    void windowButtonDown(Surface&, PixelPoint) override {}
    void windowDestroyed() override {}
    // The items are only valid during the call, so they are copied here.
    void windowDrop(char** items, int count, int kind) override {
        Delivery delivery{kind, count, {}};
        const int listed = kind == kTextKind ? 1 : count;
        for (int i = 0; i < listed; ++i) delivery.items.emplace_back(items[i]);
        deliveries.push_back(delivery);
    }

    std::vector<Delivery> deliveries;
};

constexpr DWORD kSentinel = 0x5A5A;

class DropTargetTest : public ::testing::Test {
protected:
    // The target lives on the stack: it is never released, so it never deletes itself.
    RecordingHandler handler;
    Win32DropTarget target{handler};
    TestDataObject data;
    POINTL point{10, 20};

    // Drops the data without a drag first; answers the effect as the drop left it.
    DWORD drop() {
        DWORD effect = kSentinel;
        EXPECT_EQ(target.Drop(&data, 0, point, &effect), S_OK);
        return effect;
    }
};

TEST_F(DropTargetTest, TextIsDeliveredAsOneTerminatedItemCountedByBlockSize) {
    data.offerText("hello");  // five bytes, no terminator in the block

    const DWORD effect = drop();

    ASSERT_EQ(handler.deliveries.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].kind, kTextKind);
    EXPECT_EQ(handler.deliveries[0].count, 5);
    ASSERT_EQ(handler.deliveries[0].items.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].items[0], "hello");
    EXPECT_EQ(effect, kSentinel);  // the drop leaves the effect as the last drag-over gave it
}

TEST_F(DropTargetTest, TextCountIsTheBlockSizeNotTheTextLength) {
    data.offerText(std::string("ab\0", 3));

    drop();

    ASSERT_EQ(handler.deliveries.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].count, 3);
    EXPECT_EQ(handler.deliveries[0].items[0], "ab");
}

TEST_F(DropTargetTest, FileListIsDeliveredAsNamesInOrder) {
    data.offerFiles({"C:\\audio\\first take.wav", "D:\\loops\\second.aif"});

    drop();

    ASSERT_EQ(handler.deliveries.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].kind, kFilesKind);
    EXPECT_EQ(handler.deliveries[0].count, 2);
    ASSERT_EQ(handler.deliveries[0].items.size(), 2u);
    EXPECT_EQ(handler.deliveries[0].items[0], "C:\\audio\\first take.wav");
    EXPECT_EQ(handler.deliveries[0].items[1], "D:\\loops\\second.aif");
}

TEST_F(DropTargetTest, TextWinsWhenBothAreOffered) {
    data.offerFiles({"C:\\audio\\ignored.wav"});
    data.offerText(std::string("dropped words\0", 14));

    drop();

    ASSERT_EQ(handler.deliveries.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].kind, kTextKind);
    EXPECT_EQ(handler.deliveries[0].count, 14);
    EXPECT_EQ(handler.deliveries[0].items[0], "dropped words");
}

TEST_F(DropTargetTest, TextDragMovesAndCopiesWithControl) {
    data.offerText(std::string("x\0", 2));

    DWORD effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    effect = kSentinel;
    ASSERT_EQ(target.DragOver(MK_CONTROL, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = kSentinel;
    ASSERT_EQ(target.DragOver(MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(target.DragLeave(), S_OK);

    effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&data, MK_CONTROL | MK_LBUTTON, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(handler.deliveries.empty());
}

TEST_F(DropTargetTest, FileDragIsAcceptedWithTheSameFeedback) {
    data.offerFiles({"C:\\audio\\one.wav"});

    DWORD effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    effect = kSentinel;
    ASSERT_EQ(target.DragOver(MK_CONTROL, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST_F(DropTargetTest, NothingUsableGivesNoEffectAndNoDelivery) {
    DWORD effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = kSentinel;
    ASSERT_EQ(target.DragOver(MK_CONTROL, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));

    effect = kSentinel;
    ASSERT_EQ(target.Drop(&data, 0, point, &effect), S_OK);
    EXPECT_TRUE(handler.deliveries.empty());
    EXPECT_EQ(effect, kSentinel);
}

TEST_F(DropTargetTest, AnUnusableDragAfterAUsableOneGivesNoEffect) {
    TestDataObject text;
    text.offerText(std::string("x\0", 2));
    DWORD effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&text, 0, point, &effect), S_OK);
    ASSERT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    target.DragLeave();

    effect = kSentinel;
    ASSERT_EQ(target.DragEnter(&data, 0, point, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
}

std::wstring wide(const std::string& text) {
    wchar_t buffer[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, MAX_PATH);
    return buffer;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size();
    CloseHandle(file);
    return complete;
}

// A shortcut to `target` made with the shell's own link object, as Explorer makes one.
bool saveShortcut(const std::string& path, const std::string& target) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    const bool saved = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                                  reinterpret_cast<void**>(&link))) &&
                       SUCCEEDED(link->SetPath(target.c_str())) &&
                       SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                       SUCCEEDED(file->Save(wide(path).c_str(), TRUE));
    if (file) file->Release();
    if (link) link->Release();
    return saved;
}

std::string shortPathOf(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? buffer : "";
}

// Real files in a folder of this test's own under the temporary directory, removed at the end.
class ShortcutDropTest : public DropTargetTest {
protected:
    void SetUp() override {
        // The link object is a COM object: this thread needs COM, as the editor's thread has it.
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        comStarted = true;
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        folder = std::string(temp) + "vellumine drop test " + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    }
    void TearDown() override {
        for (const auto& name : created) DeleteFileA(name.c_str());
        if (!folder.empty()) RemoveDirectoryA(folder.c_str());
        if (comStarted) CoUninitialize();
    }

    std::string file(const char* name, const std::string& bytes) {
        const std::string path = folder + "\\" + name;
        created.push_back(path);
        EXPECT_TRUE(writeFile(path, bytes)) << path;
        return path;
    }
    std::string shortcut(const char* name, const std::string& target) {
        const std::string path = folder + "\\" + name;
        created.push_back(path);
        EXPECT_TRUE(saveShortcut(path, target)) << path;
        return path;
    }

    std::string folder;
    std::vector<std::string> created;
    bool comStarted = false;
};

// The drop target asks for the target's short path. Wine's link object gives back the path
// as it was set, whatever form is asked for, so the shortcuts are made to the short path,
// which Windows and Wine both return. Wine's Resolve also succeeds, without any UI, for a
// shortcut whose target has been deleted (the missing path comes back), where Windows may
// search for the target first: such a shortcut is left out, and the broken case here is a
// file that holds no shortcut at all.
TEST_F(ShortcutDropTest, ShortcutsAreReplacedByTheirTargetsAndOtherNamesStayInOrder) {
    const std::string take = file("first take.wav", "RIFF");
    const std::string ordinary = file("loop.wav", "RIFF");
    const std::string link = shortcut("target.lnk", shortPathOf(take));
    const std::string upperCase = shortcut("TARGET COPY.LNK", shortPathOf(take));
    // Named like a shortcut but no shortcut inside: the link object cannot load it.
    const std::string broken = file("broken.lnk", "not a shell link");
    data.offerFiles({link, ordinary, broken, upperCase});

    drop();

    ASSERT_EQ(handler.deliveries.size(), 1u);
    EXPECT_EQ(handler.deliveries[0].kind, kFilesKind);
    EXPECT_EQ(handler.deliveries[0].count, 4);
    const std::vector<std::string> expected = {shortPathOf(take), ordinary, broken, shortPathOf(take)};
    EXPECT_EQ(handler.deliveries[0].items, expected);
}

}  // namespace
