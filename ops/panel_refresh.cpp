// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/panel_refresh.h"

#include "display/markers.h"
#include "display/video_curve.h"
#include "params/panel_binding.h"
#include "params/params.h"

// The corrected values are written back into the variables, so the next frame carries them.
// The threshold line follows vThd; the CCD-window band joins the plots the main graph holds.
// The window cursors move to the edges just read, as the start-up picture places them: left
// where they were, they would contradict the edge fields until the next commit or live frame.
void SetPanelValues() {
    RangeCheckParameters();
    WriteParameterControls();
    for (unsigned short &t : thdArray)
        t = vThd;
    PlotDATACurve(adcbuf);
    DrawCCDWindowBand();
    PlaceWindowCursors();
    FreeDependentControls();
}
