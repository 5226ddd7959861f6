// SPDX-License-Identifier: GPL-3.0-or-later
// Entry points of the platform layer that only tests and fuzz targets use. The application
// never includes this.
#pragma once

// The next FileSelectPopup returns `result` with `path` without showing a dialog. The path
// goes through the same length check as one chosen in the dialog.
void SetNextFileSelectAnswer(int result, const char *path);

// The device path that port n maps to (after RMOX_COM<n>); empty for a port with no device.
const char *ComDevicePath(int port);
