// Signal handlers of the settings dialog: each control writes its setting
// into bVals and asks the preview to render again.
#pragma once

#include "dialog/dialog.h"

void invertInput_changed_callback(GtkCheckButton* checkbutton, gpointer data);
void slopeType_changed_callback(GtkRadioButton* radiobutton, gpointer data);
void reflection_changed_callback(GtkRadioButton* radiobutton, gpointer data);
void probeImgDrawableChangedCallback(GtkWidget* widget, gpointer preview);
void specularity_value_changed(GtkWidget* scale, gpointer data);

// Keeps the preview's own on/off switch and bVals.preview in step.
void preview_update_changed_callback(GObject* preview, GParamSpec* pspec, gpointer data);

// The probe combo offers RGB and RGBA drawables only.
gboolean ormolopr_constraint(gint32 imageId, gint32 drawableId, gpointer data);
