// Registration of the plug-in's one procedure with GIMP.
#pragma once

// The procedure name; also the key of the stored settings and the dialog's
// help identifier, so every use must share this one string.
constexpr char ormoloProcedureName[] = "plug-in-ormolo2";

constexpr int ormoloArgumentCount = 11;

// Called by GIMP when it scans its plug-ins.
void query();
