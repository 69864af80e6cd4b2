#include "core/ChildWindow.hpp"

#include <X11/Xlib.h>

#include <cstdio>

namespace crv {

namespace {

Display* g_display = nullptr;
Window g_child = 0;
bool g_xError = false;

int recordError(Display*, XErrorEvent*) {
    g_xError = true;
    return 0;
}

// Xlib's error handler is process-wide: ours is installed only around our own calls, and the
// host's is put back afterwards.
template <typename F>
bool withErrorTrap(F&& call) {
    g_xError = false;
    XSync(g_display, False);
    auto previous = XSetErrorHandler(recordError);
    call();
    XSync(g_display, False);
    XSetErrorHandler(previous);
    return !g_xError;
}

int g_trapDepth = 0;

int countError(Display*, XErrorEvent* event) {
    g_xError = true;
    // Only the request code: this runs inside Xlib, where logging must stay cheap and lock-free.
    fprintf(stderr, "corvel: X error %d on request %d (ignored)\n", event->error_code, event->request_code);
    return 0;
}

} // namespace

XErrorTrap::XErrorTrap() : m_previous(nullptr), m_outermost(g_trapDepth++ == 0) {
    if (m_outermost)
        m_previous = reinterpret_cast<void*>(XSetErrorHandler(countError));
}

XErrorTrap::~XErrorTrap() {
    --g_trapDepth;
    if (m_outermost)
        XSetErrorHandler(reinterpret_cast<int (*)(Display*, XErrorEvent*)>(m_previous));
}

unsigned long CreateChildWindow(unsigned long parent, int width, int height) {
    if (parent == 0 || width <= 0 || height <= 0)
        return 0;
    if (!g_display)
        g_display = XOpenDisplay(nullptr);
    if (!g_display)
        return 0;
    Window child = 0;
    const bool ok = withErrorTrap([&] {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(g_display, parent, &attributes))
            return;
        XSetWindowAttributes set{};
        set.background_pixmap = None;
        set.event_mask = ExposureMask | StructureNotifyMask;
        child = XCreateWindow(g_display, parent, 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWBackPixmap | CWEventMask, &set);
    });
    if (!ok || child == 0) {
        if (child != 0)
            withErrorTrap([&] { XDestroyWindow(g_display, child); });
        return 0;
    }
    XFlush(g_display);
    g_child = child;
    return child;
}

bool ResizeChildWindow(int width, int height) {
    if (!g_display || g_child == 0 || width <= 0 || height <= 0)
        return false;
    return withErrorTrap([&] {
        XMoveResizeWindow(g_display, g_child, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XClearWindow(g_display, g_child);
    });
}

void DestroyChildWindow() {
    if (!g_display || g_child == 0)
        return;
    withErrorTrap([&] { XDestroyWindow(g_display, g_child); });
    g_child = 0;
    XCloseDisplay(g_display);
    g_display = nullptr;
}

} // namespace crv
