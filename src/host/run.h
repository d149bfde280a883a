// The run entry that GIMP calls for each call of plug-in-ormolo2.
#pragma once

#include <libgimp/gimp.h>

void run(const gchar* name, gint nparams, const GimpParam* param, gint* nreturn_vals,
         GimpParam** return_vals);
