#pragma once
// A host's own top-level X11 window, for embedding the editor's render view.

#include <X11/Xlib.h>

namespace crvtest {

class HostWindow {
public:
    HostWindow(unsigned width, unsigned height) {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        const int screen = DefaultScreen(m_display);
        m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 0, 0, width, height, 0,
                                       BlackPixel(m_display, screen), WhitePixel(m_display, screen));
        XMapWindow(m_display, m_window);
        XSync(m_display, False);
    }
    ~HostWindow() {
        if (m_display) {
            if (m_window)
                XDestroyWindow(m_display, m_window);
            XCloseDisplay(m_display);
        }
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    unsigned long id() const { return m_window; }
    Display* display() const { return m_display; }
    /** Maps the engine's child window, as an editor does when it wants the view shown. */
    void show(unsigned long child) const {
        XMapWindow(m_display, child);
        XSync(m_display, False);
    }
    /** Attributes of a window on the host's connection; false if it is not a window. */
    bool attributes(unsigned long window, XWindowAttributes& out) const {
        auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        const bool ok = XGetWindowAttributes(m_display, window, &out) != 0;
        XSync(m_display, False);
        XSetErrorHandler(previous);
        return ok;
    }

private:
    Display* m_display = nullptr;
    Window m_window = 0;
};

} // namespace crvtest
