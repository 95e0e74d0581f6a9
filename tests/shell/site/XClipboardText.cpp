// Reads the CLIPBOARD selection as any X client does (see XClipboardText.h);
// Xlib's names stay in this file.
#include "tests/shell/site/XClipboardText.h"

#include <chrono>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace brevanton::testing {

std::optional<std::string> clipboardTextOnDisplay(const std::string& display, double seconds)
{
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return std::nullopt;
    Atom clipboard = XInternAtom(connection, "CLIPBOARD", False);
    Atom utf8 = XInternAtom(connection, "UTF8_STRING", False);
    Atom property = XInternAtom(connection, "BREVANTON_TEST_CLIPBOARD", False);
    std::optional<std::string> text;
    if (XGetSelectionOwner(connection, clipboard) != None) {
        ::Window window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
        XConvertSelection(connection, clipboard, utf8, property, window, CurrentTime);
        XFlush(connection);
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        XEvent event;
        bool answered = false;
        while (!answered && std::chrono::steady_clock::now() < until) {
            if (XCheckTypedWindowEvent(connection, window, SelectionNotify, &event))
                answered = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (answered && event.xselection.property != None) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0;
            unsigned long remaining = 0;
            unsigned char* data = nullptr;
            // Up to 16 MB, in 32-bit units.
            if (XGetWindowProperty(connection, window, property, 0, 4 << 20, True, AnyPropertyType, &type, &format, &count, &remaining, &data)
                    == Success
                && data) {
                if (format == 8)
                    text = std::string(reinterpret_cast<const char*>(data), count);
                XFree(data);
            }
        }
        XDestroyWindow(connection, window);
    }
    XCloseDisplay(connection);
    return text;
}

} // namespace brevanton::testing
