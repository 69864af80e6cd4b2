#pragma once
// The editor's render view: an X11 child window of the host's window.

namespace crv {

/** Creates an unmapped child window of parent at (0, 0), width x height. Returns its id, or 0 if
    the parent is not a window or the display cannot be opened (X errors are caught, never fatal). */
unsigned long CreateChildWindow(unsigned long parent, int width, int height);
/** Resizes the child window the engine created; false if there is none or X refuses. */
bool ResizeChildWindow(int width, int height);
/** Destroys the child window the engine created, if any. */
void DestroyChildWindow();

/** While alive, X errors of any connection in the process are counted instead of ending the
    process (Xlib's default); the previous handler comes back afterwards. Every export holds one, so a
    host that destroys its window under the engine's view does not take the process down. */
class XErrorTrap {
public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

private:
    void* m_previous;
    bool m_outermost;
};

} // namespace crv
