#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/software/png_writer.h"
#include "platform/software/software_platform.h"

using namespace platform;
using namespace platform::software;

namespace {

struct NullHandler : WindowHandler {
    int paints = 0;
    PixelRect lastArea;
    void windowPaint(Surface&, const PixelRect& area) override {
        ++paints;
        lastArea = area;
    }
    void windowButtonDown(Surface&, PixelPoint) override {}
    void windowDestroyed() override {}
    void windowDrop(char**, int, int) override {}
};

}  // namespace

TEST(SoftwarePlatform, CursorPollsWalkTheScriptAndHoldTheLastStep) {
    SoftwarePlatform system;
    system.setInput({5, 5}, {.left = true});
    system.queueStep({6, 7}, {.left = true, .shift = true});
    system.queueStep({8, 9}, {});
    EXPECT_TRUE(system.inputState().left);
    EXPECT_FALSE(system.inputState().shift);
    EXPECT_EQ(system.cursorPosition(), (PixelPoint{6, 7}));
    EXPECT_TRUE(system.inputState().shift);
    EXPECT_EQ(system.cursorPosition(), (PixelPoint{8, 9}));
    EXPECT_FALSE(system.inputState().left);
    EXPECT_EQ(system.cursorPosition(), (PixelPoint{8, 9}));
    EXPECT_EQ(system.stepsLeft(), 0u);
}

TEST(SoftwarePlatform, SleepAdvancesTheVirtualClockAcrossTheWrap) {
    SoftwarePlatform system;
    system.setTickCount(0xFFFFFFFEu);
    system.sleep(4);
    EXPECT_EQ(system.tickCount(), 2u);
    EXPECT_EQ(system.sleepCalls(), 1u);
}

TEST(SoftwarePlatform, NewWindowsWaitForOnePaintOfTheirWholeArea) {
    SoftwarePlatform system;
    NullHandler handler;
    ParentWindow parent{{100, 50}};
    EXPECT_FALSE(system.createChildWindow("Unregistered", &parent, 20, 10, handler));
    system.registerWindowClass("Plugin");
    EXPECT_FALSE(system.createChildWindow("Plugin", nullptr, 20, 10, handler));
    auto window = system.createChildWindow("Plugin", &parent, 20, 10, handler);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->screenOrigin(), (PixelPoint{100, 50}));
    EXPECT_TRUE(system.dispatchOnePendingPaint());
    EXPECT_EQ(handler.lastArea, (PixelRect{0, 0, 20, 10}));
    EXPECT_FALSE(system.dispatchOnePendingPaint());
    EXPECT_EQ(handler.paints, 1);
}

TEST(PngWriter, WritesSignatureAndSize) {
    SoftwareImage image(7, 5, false, makeColourRef(1, 2, 3));
    const std::string path = std::string(VELLUMINE_SNAPSHOT_DIR) + "/png_writer_test.png";
    ASSERT_TRUE(writePng(image, path));
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(bytes.size(), 24u);
    const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, bytes.begin()));
    EXPECT_EQ(bytes[19], 7);  // IHDR width, big-endian
    EXPECT_EQ(bytes[23], 5);  // IHDR height
    EXPECT_FALSE(writePng(image, "/nonexistent-directory/x.png"));
}
