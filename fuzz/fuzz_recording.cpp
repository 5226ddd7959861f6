// SPDX-License-Identifier: GPL-3.0-or-later
// The recording reader on any file content. It must refuse the file with a reason and no
// frames, or take as many frames as it says it read, in the unit it names, and say why when it
// stopped early.
#include "fuzz_harness.h"

#include "workbench/trend/recording_reader.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    StartFuzzApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    QBuffer file;
    file.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    file.open(QIODevice::ReadOnly);
    TrendStore store;
    const RecordingFile recording = ReadRecording(file, store);
    FUZZ_CHECK(recording.refused == (recording.rows == 0));
    FUZZ_CHECK(!recording.refused || !recording.problem.isEmpty());
    FUZZ_CHECK(store.whole(Unit::Pixels).frames() == recording.rows);
    FUZZ_CHECK(!recording.unitChanged || recording.unit == Unit::Pixels);
    // Every byte is read unless reading stopped, and then the problem says where.
    FUZZ_CHECK(file.atEnd() || !recording.problem.isEmpty());
    return 0;
}
