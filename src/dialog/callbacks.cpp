#include "dialog/callbacks.h"

#include "dialog/preview_render.h"
#include "host/bvals.h"

namespace {

// Radio buttons built later than the handler's first run count as inactive.
bool isActive(GtkRadioButton* button)
{
    return button && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(button));
}

void invalidatePreview()
{
    gimp_preview_invalidate(ormoloDialogWidgets.preview);
}

} // namespace

void invertInput_changed_callback(GtkCheckButton*, gpointer)
{
    bVals.invertInput =
        gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(ormoloDialogWidgets.invertInput_checkButton));
    invalidatePreview();
}

void slopeType_changed_callback(GtkRadioButton*, gpointer)
{
    if (isActive(ormoloDialogWidgets.slope_flat_radiobutton)) {
        bVals.slopeType = SLOPE_FLAT;
        invalidatePreview();
    }
    if (isActive(ormoloDialogWidgets.slope_round_radiobutton)) {
        bVals.slopeType = SLOPE_ROUND;
        invalidatePreview();
    }
    if (isActive(ormoloDialogWidgets.slope_round2_radiobutton)) {
        bVals.slopeType = SLOPE_ROUND2;
        invalidatePreview();
    }
}

void reflection_changed_callback(GtkRadioButton*, gpointer)
{
    if (isActive(ormoloDialogWidgets.probeImg_radiobutton)) {
        // Without a combo, or with no active item, the field keeps its value.
        if (ormoloDialogWidgets.probeImg_drawCombo)
            gimp_int_combo_box_get_active(GIMP_INT_COMBO_BOX(ormoloDialogWidgets.probeImg_drawCombo),
                                          &bVals.probeImgDrawable);
        invalidatePreview();
    }
    if (isActive(ormoloDialogWidgets.normalMap_radiobutton)) {
        bVals.probeImgDrawable = -1;
        invalidatePreview();
    }
}

void probeImgDrawableChangedCallback(GtkWidget*, gpointer)
{
    reflection_changed_callback(nullptr, nullptr);
}

void specularity_value_changed(GtkWidget*, gpointer)
{
    bVals.specularity = gtk_range_get_value(GTK_RANGE(ormoloDialogWidgets.specularity_scale));
    invalidatePreview();
}

void preview_update_changed_callback(GObject*, GParamSpec*, gpointer)
{
    bVals.preview = gimp_preview_get_update(ormoloDialogWidgets.preview);
    // Switched off, the preview shows the drawable as it is.
    if (!bVals.preview)
        dropPreviewRender();
}

gboolean ormolopr_constraint(gint32, gint32 drawableId, gpointer)
{
    return drawableId == -1 || gimp_drawable_is_rgb(drawableId);
}
