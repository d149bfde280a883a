#include "dialog/display.h"

#include <X11/Xlib.h>
#include <libgimp/gimp.h>

bool dialogDisplayOpens()
{
    Display* display = XOpenDisplay(gimp_display_name());
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}
