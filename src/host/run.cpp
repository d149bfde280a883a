#include "host/run.h"

#include <cstdint>
#include <string>

#include "dialog/dialog.h"
#include "dialog/display.h"
#include "host/bvals.h"
#include "host/drawable_checks.h"
#include "host/registration.h"
#include "host/render_settings_of.h"
#include "render/gimp/frame.h"
#include "render/normals/lane_set.h"

namespace {

// GIMP reads the return values after run has returned, so they live here.
GimpParam values[2];
gchar errorMessage[256];

void setStatus(GimpPDBStatusType status)
{
    values[0].data.d_status = status;
}

// A failure with a message that GIMP shows to the caller.
void fail(GimpPDBStatusType status, gint* nreturn_vals, const gchar* format, gint32 drawableId)
{
    g_snprintf(errorMessage, sizeof errorMessage, format, drawableId);
    setStatus(status);
    values[1].type = GIMP_PDB_STRING;
    values[1].data.d_string = errorMessage;
    *nreturn_vals = 2;
}

// A record of any other size would not fit bVals, so only a 48-byte one is
// taken; otherwise the defaults stand.
void loadStoredSettings()
{
    if (gimp_procedural_db_get_data_size(ormoloProcedureName) == ormoloStoredSize)
        gimp_procedural_db_get_data(ormoloProcedureName, &bVals);
}

// The INT8 arguments arrive unsigned (0..255); the FLOAT ones in double.
void settingsFromArguments(const GimpParam* param)
{
    bVals.invertInput = param[3].data.d_int8;
    bVals.slopeType = param[4].data.d_int8;
    bVals.maxNormalMapBlurRadius = param[5].data.d_int8;
    bVals.slopeDepthFlat = static_cast<float>(param[6].data.d_float);
    bVals.slopeDepthRound = static_cast<float>(param[7].data.d_float);
    bVals.slopeDepthRound2 = static_cast<float>(param[8].data.d_float);
    bVals.probeImgDrawable = param[9].data.d_drawable;
    bVals.specularity = param[10].data.d_float;
}

// A refused ORMOLO_LANES is told once per run: the bytes do not depend on
// the instruction set, but whoever pinned one is comparing paths and must
// know that theirs was not taken.
void reportRefusedLaneSet()
{
    const LaneChoice& lanes = environmentLaneChoice();
    if (lanes.refused.empty())
        return;
    gchar* escaped = g_strescape(lanes.refused.c_str(), nullptr);
    g_message("%s", laneRefusal(lanes, std::string("'") + escaped + "'").c_str());
    g_free(escaped);
}

} // namespace

void run(const gchar* /*name*/, gint nparams, const GimpParam* param, gint* nreturn_vals,
         GimpParam** return_vals)
{
    *nreturn_vals = 1;
    *return_vals = values;
    values[0].type = GIMP_PDB_STATUS;
    setStatus(GIMP_PDB_SUCCESS);

    // The status tells the caller what happened to its image: arguments that
    // name no call the procedure can make are a calling error, a call that
    // cannot be carried out (no display for the dialog, a result GIMP did
    // not take) an execution error and a dismissed dialog a cancel, each with
    // the image untouched, so that a script never takes a failure for a
    // render.
    if (nparams < 3) {
        setStatus(GIMP_PDB_CALLING_ERROR);
        return;
    }
    const GimpRunMode runMode = static_cast<GimpRunMode>(param[0].data.d_int32);
    if (runMode == GIMP_RUN_NONINTERACTIVE && nparams != ormoloArgumentCount) {
        setStatus(GIMP_PDB_CALLING_ERROR);
        return;
    }
    const gint32 drawableId = param[2].data.d_drawable;
    SelectionBounds bounds;
    if (const char* refusal = drawableRefusal(drawableId, bounds)) {
        fail(GIMP_PDB_CALLING_ERROR, nreturn_vals, refusal, drawableId);
        return;
    }
    // Without a display the toolkit would end the process before the dialog.
    if (runMode == GIMP_RUN_INTERACTIVE && !dialogDisplayOpens()) {
        fail(GIMP_PDB_EXECUTION_ERROR, nreturn_vals,
             "Ormolo 2.0: no display can be opened for the dialog; call the procedure "
             "non-interactively or with the last values to render drawable %d", drawableId);
        return;
    }

    reportRefusedLaneSet();

    switch (runMode) {
    case GIMP_RUN_INTERACTIVE:
        loadStoredSettings();
        break;
    case GIMP_RUN_NONINTERACTIVE:
        settingsFromArguments(param);
        break;
    case GIMP_RUN_WITH_LAST_VALS:
        loadStoredSettings();
        break;
    default:
        break;
    }

    GimpDrawable* drawable = gimp_drawable_get(drawableId);
    // Cancel or closing the dialog: nothing rendered, nothing stored.
    if (runMode == GIMP_RUN_INTERACTIVE && !ormolo_dialog(drawable)) {
        gimp_drawable_detach(drawable);
        setStatus(GIMP_PDB_CANCEL);
        return;
    }
    // The image stays open to the user while the dialog runs: the render
    // takes the selection as it is when the dialog ends.
    const char* failure = runMode == GIMP_RUN_INTERACTIVE && !readSelectionBounds(drawableId, bounds)
                              ? "Ormolo 2.0: GIMP gives no selection bounds for drawable %d"
                              : renderSelection(drawable, bounds, renderSettingsOf(bVals),
                                                bVals.probeImgDrawable);
    gimp_displays_flush();
    gimp_drawable_detach(drawable);
    if (failure) {
        fail(GIMP_PDB_EXECUTION_ERROR, nreturn_vals, failure, drawableId);
        return;
    }

    if (runMode == GIMP_RUN_INTERACTIVE)
        gimp_procedural_db_set_data(ormoloProcedureName, &bVals, sizeof bVals);
}
