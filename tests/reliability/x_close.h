#pragma once
// Test-only: closes the game's window the way a window manager's close
// button does, with a WM_DELETE_WINDOW client message (SDL turns it into a
// quit event). xdotool of Debian 12 can only destroy windows.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>

inline Window findWindowNamed(Display* display, Window under, const char* name)
{
    XClassHint hint{nullptr, nullptr};
    if (XGetClassHint(display, under, &hint)) {
        const bool match = hint.res_name && std::strcmp(hint.res_name, name) == 0;
        if (hint.res_name)
            XFree(hint.res_name);
        if (hint.res_class)
            XFree(hint.res_class);
        if (match)
            return under;
    }
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window result = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !result; ++i)
            result = findWindowNamed(display, children[i], name);
        if (children)
            XFree(children);
    }
    return result;
}

// True when a window of class "vantor" was found on the display and asked to close.
inline bool closeGameWindow(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display)
        return false;
    Window window = findWindowNamed(display, DefaultRootWindow(display), "vantor");
    if (window) {
        XEvent event;
        std::memset(&event, 0, sizeof event);
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return window != 0;
}
