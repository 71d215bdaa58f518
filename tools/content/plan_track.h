#pragma once
// vantor-content track PLAN OUTDIR: a player's plan built into
// OUTDIR/tracks/NAME/ with its author run and medal times.

#include <string>

// Exit status: 0 when written, 2 when the plan or OUTDIR is refused (one line
// on standard error, nothing written), 1 when writing failed.
int buildPlanTrack(const std::string& planPath, const std::string& outDir);
