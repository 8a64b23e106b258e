// Waits for a shown top-level window with the given title on the X
// display, prints its size and asks it to close, as a window manager's
// close button does (WM_DELETE_WINDOW). Exit status 0 when the window was
// found and asked, 1 on timeout, 2 for a usage error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string windowName(Display *display, Window window)
{
    std::string name;
    XTextProperty property;
    if (XGetWMName(display, window, &property) && property.value) {
        name.assign(reinterpret_cast<const char *>(property.value), property.nitems);
        XFree(property.value);
    }
    return name;
}

Window findShown(Display *display, Window parent, const std::string &title)
{
    Window root = 0;
    Window up = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && windowName(display, children[i]) == title)
            found = children[i];
        else
            found = findShown(display, children[i], title);
    }
    if (children)
        XFree(children);
    return found;
}

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0; // windows may vanish while the tree is walked
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TITLE SECONDS\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[2]));
    XSetErrorHandler(ignoreErrors);

    Display *display = nullptr;
    Window window = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!display)
            display = XOpenDisplay(nullptr);
        if (display && (window = findShown(display, DefaultRootWindow(display), title)))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!window) {
        std::fprintf(stderr, "no window \"%s\" appeared\n", title.c_str());
        return 1;
    }

    XWindowAttributes attributes;
    XGetWindowAttributes(display, window, &attributes);
    std::printf("window \"%s\" shown at %dx%d\n", title.c_str(), attributes.width,
                attributes.height);

    XEvent close;
    std::memset(&close, 0, sizeof close);
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}
