// The one seam between the GUI toolkit and the operating system. It names what the toolkit
// needs (a child window, a surface to draw on, polled input, time, bitmap resources, a text
// editor over a field, a message box, drop registration), not how a system provides it. Each
// call maps onto one call, or one short fixed sequence of calls, of a native window system.
// Backends: src/platform/software (a framebuffer with scripted input and a virtual clock),
// src/platform/x11 (the software drawing presented in X11 windows), src/platform/win32 (Win32
// windows and GDI).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// A colour as red + 256 * green + 65536 * blue.
using ColourRef = std::uint32_t;

constexpr ColourRef makeColourRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return red | (ColourRef{green} << 8) | (ColourRef{blue} << 16);
}

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// Right and bottom are exclusive wherever a PixelRect is drawn or filled.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

enum class PenStyle { solid, dotted };
enum class TextAlign { left, centre, right };

// How a blit combines source and destination. A one-bit source maps its 1 bits to the
// surface's back colour and its 0 bits to its text colour first.
enum class RasterOp { copy, invert, mask };

struct FontDescription {
    std::string face;
    int pixelHeight = 12;  // character height, the size without internal leading
    int weight = 400;      // 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool decorative = false;  // decorative family instead of the proportional sans-serif one
};

// The physical state of the mouse buttons and modifier keys at the instant it is read.
struct InputState {
    bool left = false;
    bool middle = false;
    bool right = false;
    bool shift = false;
    bool control = false;
    bool alt = false;
};

// A decoded bitmap, colour or one bit per pixel.
class Image {
public:
    virtual ~Image() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

// A device surface of a window. Drawing objects set here are owned by the surface, replace
// their predecessors at once, and are released with it.
class Surface {
public:
    virtual ~Surface() = default;
    virtual void setPen(PenStyle style, int width, ColourRef colour) = 0;
    virtual bool setBrush(ColourRef colour) = 0;  // false keeps the previous brush
    virtual void setFont(const FontDescription& font) = 0;
    virtual void setTextColour(ColourRef colour) = 0;
    virtual void setBackColour(ColourRef colour) = 0;
    virtual ColourRef textColour() const = 0;
    virtual ColourRef backColour() const = 0;

    // A line from the current position to `to`, the end point itself not drawn.
    virtual void moveTo(PixelPoint to) = 0;
    virtual void lineTo(PixelPoint to) = 0;
    // Fills [left, right) x [top, bottom) with the brush.
    virtual void fillRect(const PixelRect& rect) = 0;
    // One line, vertically centred in `rect`, no prefix processing, clipped to `rect`.
    // Opaque text sits on a box of the back colour.
    virtual void drawText(const char* text, const PixelRect& rect, TextAlign align, bool opaque) = 0;

    virtual void blit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                      RasterOp op) = 0;
    // Copies every source pixel that is not `key`; only when the backend has such a routine.
    virtual void transparentBlit(const Image& source, PixelPoint sourceOrigin, const PixelRect& destination,
                                 ColourRef key) = 0;
    // A one-bit image of a block of `source`: 1 where the pixel equals `key`, 0 elsewhere.
    virtual std::unique_ptr<Image> makeMask(const Image& source, PixelPoint sourceOrigin, int width, int height,
                                            ColourRef key) = 0;
};

// A single-line text editor placed over a field. It tells its listener when editing ends.
class TextEditorListener {
public:
    virtual void editorReturnPressed() = 0;
    virtual void editorFocusLost() = 0;

protected:
    ~TextEditorListener() = default;
};

class TextEditor {
public:
    virtual ~TextEditor() = default;
    virtual std::string text() const = 0;
};

struct TextEditorSetup {
    PixelRect placement;  // in window pixels, right and bottom exclusive
    std::string text;
    TextAlign align = TextAlign::left;
    FontDescription font;
    std::size_t limit = 255;
    ColourRef textColour = 0;
    ColourRef backColour = 0;
};

// What a window reports to the toolkit object behind it.
class WindowHandler {
public:
    virtual void windowPaint(Surface& surface, const PixelRect& updateRect) = 0;
    virtual void windowButtonDown(Surface& surface, PixelPoint where) = 0;
    virtual void windowDestroyed() = 0;
    // Text and items dropped on the window: kind 0 file names, kind 1 text.
    virtual void windowDrop(char** items, int count, int kind) = 0;
    // The window system moved the window to another scale (a Windows DPI change).
    virtual void windowScaleChanged(double /*scale*/) {}

protected:
    ~WindowHandler() = default;
};

// A native child window. Destroying the object destroys the window.
class Window {
public:
    virtual ~Window() = default;
    virtual PixelPoint screenOrigin() const = 0;
    virtual std::unique_ptr<Surface> acquireSurface() = 0;
    virtual bool registerDropTarget() = 0;
    virtual void revokeDropTarget() = 0;
    virtual std::unique_ptr<TextEditor> createTextEditor(const TextEditorSetup& setup,
                                                         TextEditorListener& listener) = 0;
};

// Process services. Exactly one is installed while the toolkit runs.
class Services {
public:
    virtual ~Services() = default;

    // Window classes are named by the toolkit and counted by it; the backend registers.
    virtual std::uintptr_t moduleInstanceId() const = 0;
    virtual void registerWindowClass(const std::string& name) = 0;
    virtual void unregisterWindowClass(const std::string& name) = 0;
    virtual std::unique_ptr<Window> createChildWindow(const std::string& className, void* parent, int width,
                                                      int height, WindowHandler& handler) = 0;

    virtual InputState inputState() = 0;
    virtual PixelPoint cursorPosition() = 0;  // screen pixels
    virtual bool buttonsSwapped() = 0;
    virtual int doubleClickTime() = 0;

    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    virtual bool dispatchOnePendingPaint() = 0;
    // Delivers the window-system events that have arrived, where the host does not deliver
    // them itself (X11: the plug-in reads its own connection); the host's editor idle calls it.
    // Does nothing where the host's message loop delivers them.
    virtual void dispatchPendingEvents() {}

    virtual std::unique_ptr<Image> loadBitmap(int resourceId) = 0;
    // Whether a direct colour-keyed blit exists; without one the toolkit masks.
    virtual bool findTransparentBlit() = 0;

    virtual void initObjectLinking() = 0;
    virtual void uninitObjectLinking() = 0;

    // `scale`: that of the window it is shown for; boxes the system draws keep its own.
    virtual void messageBox(const std::string& text, const std::string& caption, double scale) = 0;

    // The scale the desktop asks of windows that no host gives a scale; 1 where the backend
    // knows of none.
    virtual double desktopScale() { return 1.0; }
    // Where every window has a scale of its own (the DPI of a Windows window): that of the
    // host's window `parent`; none where the backend knows only the desktop's.
    virtual std::optional<double> windowScale(void* /*parent*/) { return std::nullopt; }
};

Services& services();
// The installed backend, or null before the first installation.
Services* installedServices();
// Installs the process's backend; returns the one it replaces.
Services* installServices(Services* backend);

}  // namespace platform
