// Xlib's macros (None, Bool, Status) clash with the test framework's names, so the X server is
// asked from here alone.
#include "WindowTitle.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <functional>

std::string WindowTitleOf(int pid) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return {};
    }
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const Atom nameAtom = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    auto property = [display](Window window, Atom name, Atom type) {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::string value;
        if (XGetWindowProperty(display, window, name, 0, 1024, False, type, &actual, &format,
                               &count, &after, &data) == Success &&
            data) {
            if (actual == type) {
                value.assign(reinterpret_cast<const char*>(data),
                             format == 32 ? count * sizeof(long) : count * format / 8);
            }
            XFree(data);
        }
        return value;
    };
    std::string title;
    std::function<void(Window)> visit = [&](Window window) {
        const std::string owner = property(window, pidAtom, XA_CARDINAL);
        // Only a window on the screen: the toolkit's hidden leader window carries the
        // program's name instead.
        XWindowAttributes attributes;
        if (owner.size() >= sizeof(long) && *reinterpret_cast<const long*>(owner.data()) == pid &&
            XGetWindowAttributes(display, window, &attributes) &&
            attributes.map_state == IsViewable) {
            const std::string name = property(window, nameAtom, utf8);
            if (!name.empty()) {
                title = name;
                return;
            }
        }
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && title.empty(); ++i) {
                visit(children[i]);
            }
            if (children) {
                XFree(children);
            }
        }
    };
    visit(DefaultRootWindow(display));
    XCloseDisplay(display);
    return title;
}
