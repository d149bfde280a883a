#include "host/drawable_checks.h"

namespace {

// Whether the item or a group it lies in has its pixels locked: GIMP then
// refuses every write to them.
bool pixelsLocked(gint32 itemId)
{
    for (gint32 item = itemId; item != -1; item = gimp_item_get_parent(item))
        if (gimp_item_get_lock_content(item))
            return true;
    return false;
}

} // namespace

const char* drawableRefusal(gint32 drawableId, SelectionBounds& bounds)
{
    if (!gimp_item_is_valid(drawableId) || !gimp_item_is_drawable(drawableId))
        return "Ormolo 2.0: drawable ID %d names no drawable";
    if (!readSelectionBounds(drawableId, bounds))
        return "Ormolo 2.0: drawable %d belongs to no image";
    if (!gimp_drawable_is_rgb(drawableId))
        return "Ormolo 2.0: drawable %d is not RGB or RGBA";
    if (gimp_item_is_group(drawableId))
        return "Ormolo 2.0: drawable %d is a layer group, whose pixels come from its layers; "
               "render one of them";
    if (pixelsLocked(drawableId))
        return "Ormolo 2.0: the pixels of drawable %d are locked";
    return nullptr;
}
