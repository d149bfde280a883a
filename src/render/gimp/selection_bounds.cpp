#include "render/gimp/selection_bounds.h"

bool readSelectionBounds(gint32 drawableId, SelectionBounds& bounds)
{
    // A failing call leaves the corners as they were, and real bounds never
    // end before they start. GIMP's own report of the failure would only
    // repeat what the caller is told.
    bounds = {0, 0, -1, -1};
    gimp_plugin_set_pdb_error_handler(GIMP_PDB_ERROR_HANDLER_PLUGIN);
    gimp_drawable_mask_bounds(drawableId, &bounds.x1, &bounds.y1, &bounds.x2, &bounds.y2);
    gimp_plugin_set_pdb_error_handler(GIMP_PDB_ERROR_HANDLER_INTERNAL);
    return bounds.x2 >= bounds.x1 && bounds.y2 >= bounds.y1;
}
