// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/sensor_checks.h"

#include "app/tool_api.h"
#include "workbench/history/history_records.h"

QString PlaceText(ParamPlace place) {
    switch (place) {
    case ParamPlace::Ram:
        return QStringLiteral("RAM");
    case ParamPlace::Eeprom:
        return QStringLiteral("EEPROM");
    case ParamPlace::File:
        break;
    }
    return QStringLiteral("file");
}

bool SensorChecks::startVerify(QString *why) {
    if (running()) {
        *why = QStringLiteral("a check is still running");
        return false;
    }
    place_ = ToolStorageTarget();
    if (place_ == ParamPlace::File) {
        *why = QStringLiteral("Write and verify writes to the sensor: choose RAM or EEPROM");
        return false;
    }
    step_ = Step::AwaitSend;
    ToolClickSend();
    return true;
}

bool SensorChecks::startBackup(const QString &file, QString *why) {
    if (running()) {
        *why = QStringLiteral("a check is still running");
        return false;
    }
    file_ = file;
    targetBefore_ = ToolStorageTarget();
    step_ = Step::AwaitRam;
    ToolChooseTarget(ParamPlace::Ram);
    ToolClickGet();
    return true;
}

QString SensorChecks::purpose(ParamPlace place) const {
    switch (step_) {
    case Step::AwaitSend:
    case Step::AwaitReadBack:
        return place == place_ ? QStringLiteral("verify") : QString();
    case Step::AwaitRam:
    case Step::AwaitEeprom:
        return place != ParamPlace::File ? QStringLiteral("backup") : QString();
    case Step::Idle:
        break;
    }
    return {};
}

bool SensorChecks::written(ParamPlace place, const ParameterWords &words) {
    if (step_ != Step::AwaitSend || place != place_)
        return false;
    sent_ = words;
    step_ = Step::AwaitReadBack;
    return true;
}

std::optional<CheckOutcome> SensorChecks::read(ParamPlace place, const ParameterWords &words) {
    CheckOutcome outcome;
    outcome.place = place;
    switch (step_) {
    case Step::AwaitSend:
        // The Get ran, but no Send went out before it.
        if (place != place_)
            return std::nullopt;
        step_ = Step::Idle;
        outcome.verify = true;
        outcome.text =
            QStringLiteral("%1 not verified: the Send did not go out").arg(PlaceText(place));
        return outcome;
    case Step::AwaitReadBack:
        if (place != place_)
            return std::nullopt;
        step_ = Step::Idle;
        outcome.verify = true;
        outcome.differing = DifferingWordsOf(sent_, words);
        outcome.verified = outcome.differing.isEmpty();
        outcome.text =
            outcome.verified
                ? QStringLiteral("%1 verified: it holds the set sent").arg(PlaceText(place))
                : QStringLiteral("%1 read back different from the set sent: %2")
                      .arg(PlaceText(place), WordChanges(sent_, words));
        return outcome;
    case Step::AwaitRam:
        if (place != ParamPlace::Ram)
            return std::nullopt;
        step_ = Step::AwaitEeprom;
        ToolChooseTarget(ParamPlace::Eeprom);
        ToolClickGet();
        return std::nullopt;
    case Step::AwaitEeprom:
        if (place != ParamPlace::Eeprom)
            return std::nullopt;
        step_ = Step::Idle;
        if (targetBefore_ != ParamPlace::Eeprom)
            ToolChooseTarget(targetBefore_);
        outcome.eeprom = words;
        outcome.file = file_;
        outcome.text = QStringLiteral("Sensor backed up: RAM and EEPROM read");
        return outcome;
    case Step::Idle:
        break;
    }
    return std::nullopt;
}

CheckOutcome SensorChecks::timedOut() {
    CheckOutcome outcome;
    outcome.place = place_;
    switch (step_) {
    case Step::AwaitSend:
    case Step::AwaitReadBack:
        outcome.verify = true;
        outcome.text =
            step_ == Step::AwaitSend
                ? QStringLiteral("%1 not verified: the Send did not go out").arg(PlaceText(place_))
                : QStringLiteral("%1 not verified: the Get after the Send read nothing")
                      .arg(PlaceText(place_));
        break;
    case Step::AwaitRam:
    case Step::AwaitEeprom:
        outcome.text =
            QStringLiteral("Back up failed: the %1 Get read nothing")
                .arg(step_ == Step::AwaitRam ? QStringLiteral("RAM") : QStringLiteral("EEPROM"));
        break;
    case Step::Idle:
        break;
    }
    step_ = Step::Idle;
    return outcome;
}
