// SPDX-License-Identifier: GPL-3.0-or-later
// Setting up the sensor's port: open, line check and, when the sensor answers, the read-back
// of its RAM parameter set; and the port ring that repeats it on another port.
#pragma once

void InitRS232(int port);
// Opens the port again after its device came back: line settings, receive callback and the echo
// check, whose message the status line shows. The parameter set is not read, so edits on the
// panels stay; a Get reads it. The check yields to the user: when input comes while it waits,
// it ends without a message (ret 0) and false is returned; the input runs after it.
bool ReopenRS232(int port);
int CC_DropDCom(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
