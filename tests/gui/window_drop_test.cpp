// Drops through the window's own drop target: the software window's, and natively the target
// the window registered with OLE, entered, moved over and dropped on as a drag does.
#include "gui_test_support.h"

using namespace guitest;

namespace {

constexpr int kFilesKind = 0;
constexpr int kTextKind = 1;

// Lower A (0..30) takes drops, upper B (10..40) does not: each view under the cursor is
// offered the drop, the last added first, until one takes it. Text arrives as one item counted
// with its terminator; file names as they were dropped, in order.
TEST_F(GuiTest, ADropOnTheWindowIsOfferedAtTheCursorFromTheLastAddedView) {
    const struct {
        Point where;
        std::string text;  // dropped when there are no files
        std::vector<std::string> files;
        std::vector<std::string> offeredTo;
        int kind;
        int count;
        std::vector<std::string> itemsForA;
    } cases[] = {
        {{25, 25}, "dropped words", {}, {"B drop", "A drop"}, kTextKind, 14, {"dropped words"}},
        {{5, 5}, "", {"C:\\audio\\first take.wav", "D:\\loops\\second.aif"}, {"A drop"}, kFilesKind, 2,
         {"C:\\audio\\first take.wav", "D:\\loops\\second.aif"}},
        {{35, 35}, "", {"C:\\audio\\one.wav"}, {"B drop"}, -1, -1, {}},
        {{45, 45}, "beyond both", {}, {}, -1, -1, {}},
    };
    openFrame();
    std::vector<std::string> log;
    auto* lower = new ProbeView({0, 0, 30, 30}, "A", log);
    auto* upper = new ProbeView({10, 10, 40, 40}, "B", log);
    lower->acceptsDrops = true;
    frame->addView(lower);
    frame->addView(upper);
    ASSERT_TRUE(backend.hasDropTarget(window()));

    for (const auto& c : cases) {
        log.clear();
        lower->dropKind = lower->dropCount = -1;
        lower->dropItems.clear();
        pointAt(c.where);
        const bool delivered = c.files.empty() ? backend.dropText(window(), c.text) : backend.dropFiles(window(), c.files);

        EXPECT_TRUE(delivered) << c.where.x;
        EXPECT_EQ(log, c.offeredTo) << c.where.x;
        EXPECT_EQ(lower->dropKind, c.kind) << c.where.x;
        EXPECT_EQ(lower->dropCount, c.count) << c.where.x;
        EXPECT_EQ(lower->dropItems, c.itemsForA) << c.where.x;
        if (c.kind != -1) {
            EXPECT_EQ(lower->lastWhere, c.where);
        }
    }
}

// Without a registered target the window takes no drop; enabled again, it has one again.
TEST_F(GuiTest, AWindowWhoseDropTargetIsRevokedTakesNoDrop) {
    openFrame();
    std::vector<std::string> log;
    auto* view = new ProbeView({0, 0, 60, 50}, "A", log);
    view->acceptsDrops = true;
    frame->addView(view);
    pointAt({20, 20});

    ASSERT_TRUE(frame->setDropEnabled(false));
    EXPECT_FALSE(backend.hasDropTarget(window()));
    EXPECT_FALSE(backend.dropText(window(), "words"));
    EXPECT_FALSE(backend.dropFiles(window(), {"C:\\audio\\one.wav"}));
    EXPECT_TRUE(log.empty());

    ASSERT_TRUE(frame->setDropEnabled(true));
    EXPECT_TRUE(backend.hasDropTarget(window()));
    EXPECT_TRUE(backend.dropText(window(), "words"));
    EXPECT_EQ(log, (std::vector<std::string>{"A drop"}));
}

}  // namespace
