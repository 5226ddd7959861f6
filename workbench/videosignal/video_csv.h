// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back a video signal saved as CSV (File → Save video signal…): the header
// "sample,position_px,value,threshold" and one row per sample, in order.
#pragma once

#include "workbench/adapters/video_snapshot.h"

#include <QString>
#include <optional>

// The signal in `path`, or nothing with `error` saying what is wrong with the file. The time
// is the file's modification time.
std::optional<VideoSnapshot> ReadVideoCsv(const QString &path, QString *error);
