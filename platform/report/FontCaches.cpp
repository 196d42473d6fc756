#include "platform/report/FontCaches.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

void ReleaseFontCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}
