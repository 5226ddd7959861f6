// SPDX-License-Identifier: GPL-3.0-or-later
// The panel file loader on malformed files. The first input byte picks the panel number and
// whether the panel is loaded as a child of the tool's main panel; the rest is the file.
// LoadPanel must return a handle or one of its error codes, and a panel it returns must be
// complete enough to be discarded.
#include "fuzz_harness.h"

#include "app/VidaREZezad11.h"
#include "runtime/runtime.h"
#include "state/globals.h"

#include <QTimer>
#include <string>

namespace {

bool isLoadError(int result) {
    return result == UIEFileNotFound || result == UIEPanelNotFound ||
           result == UIECallbackUnknown || result == UIEDuplicateCtrl || result == UIEBadPanelFile;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    StartFuzzApp();
    LoadToolPanels();
    return 0;
}

// Control byte: bits 0-2 the panel number (1, 2, 3, 0 or -1, then 1, 2, 1 again), bit 3 a
// child of the main panel.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static constexpr int kResourceIds[] = {1, 2, 3, 0, -1, 1, 2, 1};
    FuzzInput in(data, size);
    const std::uint8_t control = in.byte();
    const std::string file = ScratchPath("panels.uir");
    WriteScratchFile(file, in.rest());

    const int parent = (control & 8) ? panelHandle : 0;
    const int panel = LoadPanel(parent, file.c_str(), kResourceIds[control & 7]);
    FUZZ_CHECK(panel > 0 || isLoadError(panel));
    if (panel > 0) {
        FUZZ_CHECK(panel != panelHandle && panel != panelPopUp);
        FUZZ_CHECK(DiscardPanel(panel) == 0);
        FUZZ_CHECK(DiscardPanel(panel) == UIEBadHandle);
    }
    // Let Qt finish deletions it deferred, so memory does not pile up over a long run.
    QTimer::singleShot(0, [] {});
    ProcessSystemEvents();
    return 0;
}
