#include "dialog/dialog.h"

#include "dialog/callbacks.h"
#include "dialog/preview_render.h"
#include "host/bvals.h"
#include "host/registration.h"

OrmoloDialogWidgets ormoloDialogWidgets;

namespace {

GtkWidget* verticalBox(gint spacing)
{
    return gtk_box_new(GTK_ORIENTATION_VERTICAL, spacing);
}

GtkWidget* horizontalBox(gint spacing)
{
    return gtk_box_new(GTK_ORIENTATION_HORIZONTAL, spacing);
}

// A frame whose title is a bold markup label.
GtkWidget* titledFrame(const gchar* markup)
{
    GtkWidget* frame = gtk_frame_new(nullptr);
    GtkWidget* label = gtk_label_new(nullptr);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    gtk_frame_set_label_widget(GTK_FRAME(frame), label);
    return frame;
}

void packStart(GtkWidget* box, GtkWidget* child, gboolean expand, gboolean fill, guint padding)
{
    gtk_box_pack_start(GTK_BOX(box), child, expand, fill, padding);
}

// An untitled frame holding a mnemonic label and a spin button, packed into
// `row`; returns the spin button's adjustment.
GtkObject* spinButtonFrame(GtkWidget* row, const gchar* label, gdouble value, gdouble upper,
                           gdouble step, gdouble page, gdouble pageSize, gdouble climbRate,
                           guint digits)
{
    GtkWidget* frame = gtk_frame_new(nullptr);
    packStart(row, frame, FALSE, FALSE, 2);
    GtkWidget* box = horizontalBox(6);
    gtk_container_add(GTK_CONTAINER(frame), box);
    packStart(box, gtk_label_new_with_mnemonic(label), FALSE, FALSE, 2);
    GtkObject* adjustment = nullptr;
    GtkWidget* spinButton =
        gimp_spin_button_new(&adjustment, value, 1.0, upper, step, page, pageSize, climbRate, digits);
    packStart(box, spinButton, FALSE, FALSE, 2);
    return adjustment;
}

// The three depth spin buttons differ only in their value and upper bound.
GtkObject* depthSpinButtonFrame(GtkWidget* row, gfloat depth, gdouble upper)
{
    return spinButtonFrame(row, "_Depth: ", depth, upper, 0.1, 0.5, 0.0, 0.1, 2);
}

// A spin button's adjustment first asks for a new preview, then stores its
// value: the preview renders later, from the main loop, and sees the value.
void connectAdjustment(GtkObject* adjustment, GCallback update, gpointer field)
{
    g_signal_connect_data(adjustment, "value_changed", G_CALLBACK(gimp_preview_invalidate),
                          ormoloDialogWidgets.preview, nullptr, G_CONNECT_SWAPPED);
    g_signal_connect_data(adjustment, "value_changed", update, field, nullptr, GConnectFlags(0));
}

// A mnemonic radio button in the group of `groupMember` (null: a new group),
// recorded in `member` before anything can run a handler that reads it.
GtkWidget* radioButton(GtkWidget* groupMember, const gchar* label, GtkRadioButton** member)
{
    GtkWidget* button = groupMember
        ? gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(groupMember), label)
        : gtk_radio_button_new_with_mnemonic(nullptr, label);
    *member = GTK_RADIO_BUTTON(button);
    return button;
}

// The initial state is set before the handler is connected, so that setting
// it does not run the button's own handler.
void initToggle(GtkWidget* button, gboolean active, GCallback handler)
{
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(button), active);
    g_signal_connect_data(button, "toggled", handler, nullptr, nullptr, GConnectFlags(0));
}

// One slope row: its radio button first, then the frames of its settings.
GtkWidget* slopeRow(GtkWidget* slopeBox, gboolean fill)
{
    GtkWidget* row = horizontalBox(6);
    packStart(slopeBox, row, FALSE, fill, 2);
    return row;
}

// The Round and Round2 rows: the profile's radio button in the slope group,
// then the frame of its depth, which is all these profiles have.
void depthSlopeRow(GtkWidget* slopeBox, GtkWidget* slopeGroup, const gchar* label,
                   GtkRadioButton** member, gint32 slope, gfloat* depth, gdouble upper)
{
    GtkWidget* row = slopeRow(slopeBox, FALSE);
    GtkWidget* button = radioButton(slopeGroup, label, member);
    packStart(row, button, FALSE, FALSE, 2);
    initToggle(button, bVals.slopeType == slope, G_CALLBACK(slopeType_changed_callback));
    GtkObject* adjustment = depthSpinButtonFrame(row, *depth, upper);
    connectAdjustment(adjustment, G_CALLBACK(gimp_float_adjustment_update), depth);
}

} // namespace

gboolean ormolo_dialog(GimpDrawable* drawable)
{
    gimp_ui_init("ormolo2", FALSE);

    GtkWidget* dialog = gimp_dialog_new("Ormolo 2.0", "ormolo2", nullptr, GtkDialogFlags(0),
                                        gimp_standard_help_func, ormoloProcedureName,
                                        "gtk-cancel", GTK_RESPONSE_CANCEL,
                                        "gtk-ok", GTK_RESPONSE_OK, nullptr);

    GtkWidget* main_vbox = verticalBox(6);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), main_vbox);

    // libgimp 2.10 ignores the toggle pointer, so the switch is set from
    // bVals.preview here and its changes are written back by a handler.
    GtkWidget* preview = gimp_drawable_preview_new(drawable, &bVals.preview);
    ormoloDialogWidgets.preview = GIMP_PREVIEW(preview);
    packStart(main_vbox, preview, TRUE, TRUE, 0);
    gimp_preview_set_update(ormoloDialogWidgets.preview, bVals.preview);
    g_signal_connect_data(preview, "invalidated", G_CALLBACK(ormolo2), drawable, nullptr,
                          G_CONNECT_SWAPPED);
    addPreviewProgressBar(ormoloDialogWidgets.preview);
    g_signal_connect_data(preview, "notify::update", G_CALLBACK(preview_update_changed_callback),
                          nullptr, nullptr, GConnectFlags(0));

    GtkWidget* main_hbox = horizontalBox(0);
    packStart(main_vbox, main_hbox, FALSE, FALSE, 0);
    GtkWidget* left_vbox = verticalBox(2);
    packStart(main_hbox, left_vbox, FALSE, FALSE, 0);

    GtkWidget* input_frame = titledFrame("<b>Input</b>");
    packStart(left_vbox, input_frame, TRUE, TRUE, 2);
    gtk_container_set_border_width(GTK_CONTAINER(input_frame), 6);
    GtkWidget* invertInput_checkButton = gtk_check_button_new_with_mnemonic("_Invert input");
    ormoloDialogWidgets.invertInput_checkButton = GTK_CHECK_BUTTON(invertInput_checkButton);
    gtk_container_add(GTK_CONTAINER(input_frame), invertInput_checkButton);
    initToggle(invertInput_checkButton, bVals.invertInput, G_CALLBACK(invertInput_changed_callback));

    GtkWidget* slope_frame = titledFrame("<b>Bevel Options</b>");
    packStart(left_vbox, slope_frame, TRUE, TRUE, 2);
    gtk_container_set_border_width(GTK_CONTAINER(slope_frame), 6);
    GtkWidget* slope_vbox = verticalBox(2);
    gtk_container_add(GTK_CONTAINER(slope_frame), slope_vbox);

    GtkWidget* slope_flat_hbox = slopeRow(slope_vbox, TRUE);
    GtkWidget* slope_flat_radiobutton =
        radioButton(nullptr, "_Flat      ", &ormoloDialogWidgets.slope_flat_radiobutton);
    packStart(slope_flat_hbox, slope_flat_radiobutton, TRUE, TRUE, 2);
    initToggle(slope_flat_radiobutton, bVals.slopeType == SLOPE_FLAT, G_CALLBACK(slopeType_changed_callback));
    GtkObject* flat_radius_spinbutton_adj = spinButtonFrame(
        slope_flat_hbox, "_Smoothing: ", bVals.maxNormalMapBlurRadius, 32.0, 1.0, 1.0, 1.0, 5.0, 0);
    connectAdjustment(flat_radius_spinbutton_adj, G_CALLBACK(gimp_int_adjustment_update),
                      &bVals.maxNormalMapBlurRadius);
    GtkObject* flat_depth_radius_spinbutton_adj =
        depthSpinButtonFrame(slope_flat_hbox, bVals.slopeDepthFlat, 10.5);
    connectAdjustment(flat_depth_radius_spinbutton_adj, G_CALLBACK(gimp_float_adjustment_update),
                      &bVals.slopeDepthFlat);

    depthSlopeRow(slope_vbox, slope_flat_radiobutton, "_Round  ",
                  &ormoloDialogWidgets.slope_round_radiobutton, SLOPE_ROUND, &bVals.slopeDepthRound, 8.0);
    depthSlopeRow(slope_vbox, slope_flat_radiobutton, "_Round2",
                  &ormoloDialogWidgets.slope_round2_radiobutton, SLOPE_ROUND2, &bVals.slopeDepthRound2, 25.0);

    GtkWidget* reflection_frame = titledFrame("<b>Reflection Color</b>");
    packStart(main_hbox, reflection_frame, TRUE, TRUE, 2);
    gtk_container_set_border_width(GTK_CONTAINER(reflection_frame), 6);
    GtkWidget* reflection_vbox = verticalBox(2);
    gtk_container_add(GTK_CONTAINER(reflection_frame), reflection_vbox);

    GtkWidget* normalMap_radiobutton =
        radioButton(nullptr, "_Normal Map", &ormoloDialogWidgets.normalMap_radiobutton);
    packStart(reflection_vbox, normalMap_radiobutton, TRUE, TRUE, 0);
    initToggle(normalMap_radiobutton, bVals.probeImgDrawable < 0, G_CALLBACK(reflection_changed_callback));

    GtkWidget* ref_probeImg_hbox = horizontalBox(2);
    packStart(reflection_vbox, ref_probeImg_hbox, TRUE, TRUE, 0);
    GtkWidget* tmp_alignment = gtk_alignment_new(0, 0, 0, 0);
    packStart(ref_probeImg_hbox, tmp_alignment, FALSE, FALSE, 0);
    GtkWidget* probeImg_radiobutton =
        radioButton(normalMap_radiobutton, "_Spherical Map ->", &ormoloDialogWidgets.probeImg_radiobutton);
    gtk_container_add(GTK_CONTAINER(tmp_alignment), probeImg_radiobutton);
    initToggle(probeImg_radiobutton, bVals.probeImgDrawable >= 0, G_CALLBACK(reflection_changed_callback));

    GtkWidget* probeImg_vbox = verticalBox(0);
    packStart(ref_probeImg_hbox, probeImg_vbox, TRUE, TRUE, 0);
    GtkWidget* probeImg_drawCombo = gimp_drawable_combo_box_new(ormolopr_constraint, nullptr);
    ormoloDialogWidgets.probeImg_drawCombo = GIMP_DRAWABLE_COMBO_BOX(probeImg_drawCombo);
    packStart(probeImg_vbox, probeImg_drawCombo, FALSE, FALSE, 0);
    gimp_int_combo_box_connect(GIMP_INT_COMBO_BOX(probeImg_drawCombo), bVals.probeImgDrawable,
                               G_CALLBACK(probeImgDrawableChangedCallback), nullptr);

    GtkWidget* specularity_frame = titledFrame("<b>Specularity</b>");
    packStart(probeImg_vbox, specularity_frame, TRUE, TRUE, 0);
    gtk_container_set_border_width(GTK_CONTAINER(specularity_frame), 6);
    GtkWidget* specularity_vbox = verticalBox(2);
    gtk_container_add(GTK_CONTAINER(specularity_frame), specularity_vbox);
    GtkObject* specularity_scale_adj = gtk_adjustment_new(0.0, 0.0, 1.0, 0.1, 0.5, 0.0);
    GtkWidget* specularity_scale = gtk_hscale_new(GTK_ADJUSTMENT(specularity_scale_adj));
    ormoloDialogWidgets.specularity_scale = GTK_SCALE(specularity_scale);
    packStart(specularity_vbox, specularity_scale, TRUE, TRUE, 0);
    gtk_range_set_value(GTK_RANGE(specularity_scale), bVals.specularity);
    g_signal_connect_data(specularity_scale, "value_changed", G_CALLBACK(specularity_value_changed),
                          nullptr, nullptr, GConnectFlags(0));
    GtkWidget* specularity_hbox = horizontalBox(2);
    packStart(specularity_vbox, specularity_hbox, TRUE, TRUE, 0);
    packStart(specularity_hbox, gtk_label_new("Diffuse(0)<------->"), FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(specularity_hbox), gtk_label_new("Shiny(1)"), FALSE, FALSE, 0);

    ormolo2(drawable, ormoloDialogWidgets.preview);
    gtk_widget_show_all(dialog);
    // A window destroyed from outside ends the run already destroyed; our
    // reference keeps the object alive for the destroy below.
    g_object_ref(dialog);
    const gint response = gimp_dialog_run(GIMP_DIALOG(dialog));
    endPreviewRenders();
    if (response == GTK_RESPONSE_OK)
        bVals.preview = gimp_preview_get_update(ormoloDialogWidgets.preview);
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    return response == GTK_RESPONSE_OK;
}
