// Evidence of the preview's renders for the dialog test, which cannot see a
// render in flight otherwise. Only when ORMOLO_PREVIEW_EVIDENCE names a
// folder, each event is appended to previews.log there, one line each:
//   PID started N X Y WIDTH HEIGHT CHANNELS   render N of the area at (X, Y)
//   PID drawn N      its pixels, as drawn, in preview-PID-N.data, row by row
//   PID stopped N    dropped before it was complete
//   PID stale N      complete, but dropped for a newer request
// Without the variable nothing is written.
#pragma once

#include "render/gimp/frame.h"

void notePreviewStarted(unsigned render, const PreviewJob& job);
void notePreviewDrawn(unsigned render, const PreviewJob& job);
void notePreviewDropped(unsigned render, bool complete);
