// SPDX-License-Identifier: GPL-3.0-or-later
// Write and verify, and Back up sensor, as steps the user's own clicks would take: a Send and
// the matching Get; a Get from RAM and one from EEPROM. The steps are queued as clicks and
// follow each other through the core's notifications; each notification says how far they
// went.
#pragma once

#include "state/notify.h"
#include "workbench/adapters/parameter_table.h"

#include <QList>
#include <QString>
#include <optional>

// The end of a check, for the user and the history.
struct CheckOutcome {
    QString text; // "EEPROM verified", "EEPROM read back different: Power 700 → 699", ...
    bool verify = false;
    bool verified = false;
    QList<int> differing;
    ParamPlace place = ParamPlace::Ram;
    std::optional<ParameterWords> eeprom; // a backup's EEPROM set
    QString file;                         // where a backup is to be written, empty for none
};

class SensorChecks {
  public:
    bool running() const { return step_ != Step::Idle; }
    // Queues the click of a Send to the chosen target; the Get follows once it went out. False
    // (with `why`) when a parameter file is chosen or a check runs.
    bool startVerify(QString *why);
    // Queues a Get from RAM; the EEPROM Get follows when it came. `file` empty: no file.
    bool startBackup(const QString &file, QString *why);
    // Why the set that just came is there: "verify", "backup" or empty.
    QString purpose(ParamPlace place) const;

    // What the core did. True when the Send of a verify went out: its Get is due once the
    // frame has left the port and the sensor has stored it.
    bool written(ParamPlace place, const ParameterWords &words);
    // An outcome when the check ended with the set read.
    std::optional<CheckOutcome> read(ParamPlace place, const ParameterWords &words);
    // No notification came in time: the check ends, saying which step did not happen.
    CheckOutcome timedOut();

  private:
    enum class Step { Idle, AwaitSend, AwaitReadBack, AwaitRam, AwaitEeprom };
    Step step_ = Step::Idle;
    ParamPlace place_ = ParamPlace::Ram;
    ParamPlace targetBefore_ = ParamPlace::Ram;
    ParameterWords sent_{};
    QString file_;
};

QString PlaceText(ParamPlace place);
