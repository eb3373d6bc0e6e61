#include "screensaver.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

bool SuspendX11ScreenSaver(void* display, bool suspend)
{
    auto* x = static_cast<Display*>(display);
    if (!x) return false;
    int event = 0, error = 0;
    if (!XScreenSaverQueryExtension(x, &event, &error)) return false;
    XScreenSaverSuspend(x, suspend ? True : False);
    XFlush(x);
    return true;
}
