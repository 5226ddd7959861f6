// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter file: the packet's 16 words as ASCII text, one unsigned decimal number a line
// in packet order, right-aligned in a field of 4. Both dialogs open in the program's
// directory and accept only *.dat names.
#include "ops/param_file.h"

#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/notify.h"
#include "state/status_line.h"

namespace {

constexpr const char *kDefaultFileName = "DIRIdadu.dat";
constexpr const char *kFileTypes = "*.dat";
constexpr int kFieldWidth = 4;

int selectFile(const char *title, int buttonLabel) {
    return FileSelectPopup(proj_dir, kDefaultFileName, kFileTypes, title, buttonLabel, 0, 1, 1, 1,
                           file_name);
}

} // namespace

// A dialog error (such as a path too long to keep) is a failed save; a cancel is not.
bool ChooseSaveFile() {
    const int chosen = selectFile("R-MOX-QF-Series Parameter File", VAL_OK_BUTTON);
    if (chosen < 0)
        ShowStatus("Parameter file could not be written!");
    return chosen > 0;
}

// The file is replaced only once it has been written completely, so a failed save leaves the
// previous file as it was.
void SendParaToFile() {
    GetPanelValues();
    CopyVarsToPP();
    unsigned int words[PNUM];
    for (int i = 0; i < PNUM; ++i)
        words[i] = pp[i];
    const int result =
        ArrayToFile(file_name, words, VAL_UNSIGNED_INTEGER, PNUM, 1, VAL_GROUPS_TOGETHER,
                    VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, kFieldWidth, VAL_ASCII, VAL_TRUNCATE);
    if (result == 0)
        NotifyParameterSetWritten(ParamPlace::File, pp, file_name);
    ShowStatus(result == 0 ? "Parameter file saved!" : "Parameter file could not be written!");
}

// A dialog error, or a file that is missing, unreadable, short or holds anything but unsigned
// numbers, leaves pp and the variables as they were; a cancel reports nothing. The outcome
// goes to szStatus, which the Get shows after its panel refresh.
void ReadParaFromFile() {
    const int chosen = selectFile("R-MOX-QF-Parameter File", VAL_LOAD_BUTTON);
    if (chosen == 0)
        return;
    unsigned int words[PNUM];
    if (chosen < 0 || FileToArray(file_name, words, VAL_UNSIGNED_INTEGER, PNUM, 1,
                                  VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS, VAL_ASCII) != 0) {
        SetStatusText("Parameter file could not be read!");
        return;
    }
    for (int i = 0; i < PNUM; ++i)
        pp[i] = static_cast<unsigned short>(words[i] & 0xFFFFu);
    CopyPPtoVars();
    NotifyParameterSetRead(ParamPlace::File, pp, file_name);
    SetStatusText("Parameter file loaded!");
}
