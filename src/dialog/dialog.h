// The settings dialog with its live preview.
#pragma once

// libgimpwidgets' GTK 3 migration header declares gtk_box_new without C
// linkage guards; declaring it here first gives the call C linkage from C++.
#include <gtk/gtk.h>
extern "C" GtkWidget* gtk_box_new(GtkOrientation orientation, gint spacing);

#include <libgimp/gimp.h>
#include <libgimp/gimpui.h>

// The widgets that the handlers read; filled while the dialog is built.
struct OrmoloDialogWidgets {
    GimpPreview* preview;
    GtkCheckButton* invertInput_checkButton;
    GtkRadioButton* slope_flat_radiobutton;
    GtkRadioButton* slope_round_radiobutton;
    GtkRadioButton* slope_round2_radiobutton;
    GtkRadioButton* probeImg_radiobutton;
    GtkRadioButton* normalMap_radiobutton;
    GimpDrawableComboBox* probeImg_drawCombo;
    GtkScale* specularity_scale;
};

extern OrmoloDialogWidgets ormoloDialogWidgets;

// Shows the dialog for `drawable`; TRUE when the user confirmed with OK.
// The controls edit bVals directly.
gboolean ormolo_dialog(GimpDrawable* drawable);
