// How render time grows with the thickness of a shape: discs of radius 50 to
// 400 under each profile, with the longest time the progress display went
// without a report.
#pragma once

// Prints one line per disc and profile; `threads` as for renderRegion.
void runThicknessSweep(int threads);
