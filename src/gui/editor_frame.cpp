#include "gui/editor_frame.h"

#include <algorithm>
#include <cstdio>

int knobMode = 0;

namespace {

int classUseCount = 0;
std::string className;

}  // namespace

const std::string& EditorFrame::windowClassName() { return className; }

int EditorFrame::windowClassUseCount() { return classUseCount; }

EditorFrame::EditorFrame(const Rect& r, void* parent, FrameEditor* owner, Scale windowScale)
    : View(r), editor(owner), parentWindow(parent), scale(windowScale) {
    platform::services().initObjectLinking();
    transparentBlitBound = platform::services().findTransparentBlit();
    openWindow(parent);
}

EditorFrame::~EditorFrame() {
    setDropEnabled(false);
    removeAllViews(true);
    if (background) background->release();
    platform::services().uninitObjectLinking();
    if (nativeWindow) {
        nativeWindow.reset();
        if (--classUseCount == 0) platform::services().unregisterWindowClass(className);
    }
}

bool EditorFrame::openWindow(void* parent) {
    if (!parent) return false;
    platform::Services& system = platform::services();
    if (++classUseCount == 1) {
        // Each loaded copy of the module gets its own class.
        char name[32];
        std::snprintf(name, sizeof name, "Plugin%08x", static_cast<unsigned>(system.moduleInstanceId()));
        className = name;
        system.registerWindowClass(className);
        buttonsSwapped = system.buttonsSwapped();
    }
    nativeWindow = system.createChildWindow(className, parentWindow, scale.pixels(bounds.width()), scale.pixels(bounds.height()), *this);
    setDropEnabled(true);
    return true;
}

bool EditorFrame::setDropEnabled(bool on) {
    if (!on && !dropRegistered) return true;
    if (!nativeWindow) return false;
    if (on) {
        dropRegistered = nativeWindow->registerDropTarget();
    } else {
        nativeWindow->revokeDropTarget();
        dropRegistered = false;
    }
    return true;
}

void EditorFrame::windowPaint(platform::Surface& surface, const platform::PixelRect& area) {
    PaintContext context(this, &surface, nativeWindow.get());
    // Every view that touches a pixel of the area is drawn.
    drawInRect(&context, {scale.unscaled(area.left), scale.unscaled(area.top), scale.unscaled(area.right - 1) + 1,
                          scale.unscaled(area.bottom - 1) + 1});
}

void EditorFrame::windowButtonDown(platform::Surface& surface, platform::PixelPoint where) {
    PaintContext context(this, &surface, nativeWindow.get());
    onMouseDown(&context, {scale.unscaled(where.x), scale.unscaled(where.y)});
}

void EditorFrame::windowDestroyed() {
    windowOpen = false;
    parentWindow = nullptr;
}

void EditorFrame::windowDrop(char** items, int count, int kind) {
    Point where;
    cursorPosition(where);
    acceptDrop(items, count, kind, where);
}

void EditorFrame::draw(PaintContext* context) {
    firstPaintPending = false;
    if (background) background->draw(*context, {0, 0, background->getWidth(), background->getHeight()}, {0, 0});
    for (View* view : views) view->draw(context);
}

void EditorFrame::drawInRect(PaintContext* context, const Rect& r) {
    firstPaintPending = false;
    if (background) background->draw(*context, r, {r.left, r.top});
    for (View* view : views)
        if (view->intersects(r)) view->drawInRect(context, r);
}

// The view is told while it still holds the focus, so that a text field ends its edit.
void EditorFrame::endFocus() {
    if (!focusView) return;
    focusView->loseFocus(nullptr);
    focusView = nullptr;
}

void EditorFrame::onMouseDown(PaintContext* context, Point where) {
    // Any click in the window ends text editing first.
    endFocus();
    const int buttons = context ? context->mouseButtons() : -1;
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if ((*it)->isMouseEnabled() && (*it)->containsPoint(where, buttons)) {
            (*it)->onMouseDown(context, where);
            return;
        }
    }
}

void EditorFrame::redrawIfDirty(PaintContext* context) {
    if (!windowOpen) return;
    if (View::needsRedraw()) {
        draw(context);
        View::setNeedsRedraw(false);
        return;
    }
    for (View* view : views) view->redrawIfDirty(context);
}

bool EditorFrame::anythingDirty() {
    return View::needsRedraw() || std::any_of(views.begin(), views.end(), [](View* v) { return v->needsRedraw(); });
}

template <typename Paint>
void EditorFrame::paintOnWindow(Paint paint) {
    if (!nativeWindow) return;
    const auto surface = nativeWindow->acquireSurface();
    PaintContext context(this, surface.get(), nativeWindow.get());
    paint(context);
}

void EditorFrame::idleRedraw() {
    if (!windowOpen || firstPaintPending || !anythingDirty()) return;
    paintOnWindow([this](PaintContext& context) { redrawIfDirty(&context); });
}

void EditorFrame::redrawView(View* view) {
    paintOnWindow([this, view](PaintContext& context) {
        if (view && containsView(view)) {
            view->draw(&context);
        } else {
            draw(&context);
        }
    });
}

int EditorFrame::handleKeyDown(KeyStroke& key) {
    if (focusView) {
        const int used = focusView->handleKeyDown(key);
        if (used != -1) return used;
    }
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        const int used = (*it)->handleKeyDown(key);
        if (used != -1) return used;
    }
    return -1;
}

int EditorFrame::handleKeyUp(KeyStroke& key) {
    if (focusView) {
        const int used = focusView->handleKeyUp(key);
        if (used != -1) return used;
    }
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        const int used = (*it)->handleKeyUp(key);
        if (used != -1) return used;
    }
    return -1;
}

bool EditorFrame::handleWheel(PaintContext* context, Point, float distance) {
    View* target = viewUnderCursor();
    if (!target) return false;
    Point where;
    cursorPosition(where);
    if (context) return target->handleWheel(context, where, distance);
    const auto surface = nativeWindow ? nativeWindow->acquireSurface() : nullptr;
    PaintContext temporary(this, surface.get(), nativeWindow.get());
    return target->handleWheel(&temporary, where, distance);
}

View* EditorFrame::viewUnderCursor() {
    Point where;
    cursorPosition(where);
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        Rect r;
        (*it)->getBounds(r);
        if (r.contains(where)) return *it;
    }
    return nullptr;
}

bool EditorFrame::cursorPosition(Point& p) {
    const platform::PixelPoint screen = platform::services().cursorPosition();
    const platform::PixelPoint origin = nativeWindow ? nativeWindow->screenOrigin() : platform::PixelPoint{};
    p = {scale.unscaled(screen.x - origin.x), scale.unscaled(screen.y - origin.y)};
    return true;
}

void EditorFrame::setFocusView(View* view) {
    View* previous = focusView;
    focusView = view;
    if (previous) previous->loseFocus(nullptr);
}

void EditorFrame::beginEdit(std::int32_t tag) {
    if (editor) editor->beginEdit(tag);
}

void EditorFrame::endEdit(std::int32_t tag) {
    if (editor) editor->endEdit(tag);
}

// The tick count as a signed number: it wraps to negative after 24.8 days, which callers
// comparing ticks must allow for.
std::int32_t EditorFrame::tickCount() {
    return editor ? static_cast<std::int32_t>(platform::services().tickCount()) : 0;
}

void EditorFrame::setBackground(ResourceBitmap* bitmap) {
    if (bitmap) bitmap->retain();
    if (background) background->release();
    background = bitmap;
}

bool EditorFrame::addView(View* view) {
    if (!view) return false;
    views.push_back(view);
    view->setFrame(this);
    view->attachedTo(this);
    return true;
}

bool EditorFrame::removeView(View* view, bool release) {
    const auto found = std::find(views.begin(), views.end(), view);
    if (found == views.end()) return true;
    if (view == focusView) endFocus();
    views.erase(found);
    view->detachedFrom(this);
    if (release) view->release();
    return true;
}

bool EditorFrame::removeAllViews(bool release) {
    endFocus();
    std::vector<View*> leaving;
    leaving.swap(views);
    for (View* view : leaving) {
        view->detachedFrom(this);
        if (release) view->release();
    }
    return true;
}

bool EditorFrame::containsView(View* view) { return std::find(views.begin(), views.end(), view) != views.end(); }

View* EditorFrame::viewAt(int index) {
    return index < 0 || index >= viewCount() ? nullptr : views[static_cast<std::size_t>(index)];
}

bool EditorFrame::acceptDrop(char** items, int count, int kind, Point where) {
    if (focusView) return false;
    for (auto it = views.rbegin(); it != views.rend(); ++it) {
        if ((*it)->isMouseEnabled() && (*it)->containsPoint(where, -1) && (*it)->acceptDrop(items, count, kind, where))
            return true;
    }
    return false;
}
