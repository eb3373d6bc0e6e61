#include "vcl/ctrltypes.h"

#include "gfx/gdi.h"

unsigned AlignmentToDrawFlags(TAlignment a)
{
    switch (a) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}
