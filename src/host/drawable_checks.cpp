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

bool selectionBounds(gint32 drawableId, gint& x1, gint& y1, gint& x2, gint& y2)
{
    // A failing call leaves the corners as they were, and real bounds never
    // end before they start. GIMP's own report of the failure would only
    // repeat what the caller is told.
    x1 = y1 = 0;
    x2 = y2 = -1;
    gimp_plugin_set_pdb_error_handler(GIMP_PDB_ERROR_HANDLER_PLUGIN);
    gimp_drawable_mask_bounds(drawableId, &x1, &y1, &x2, &y2);
    gimp_plugin_set_pdb_error_handler(GIMP_PDB_ERROR_HANDLER_INTERNAL);
    return x2 >= x1 && y2 >= y1;
}

const char* drawableRefusal(gint32 drawableId)
{
    if (!gimp_item_is_valid(drawableId) || !gimp_item_is_drawable(drawableId))
        return "Ormolo 2.0: drawable ID %d names no drawable";
    gint x1, y1, x2, y2;
    if (!selectionBounds(drawableId, x1, y1, x2, y2))
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
