// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "runtime/safe_file.h"
#include "runtime/serial_device.h"
#include "workbench/adapters/core_events.h"
#include "workbench/history/history_bar.h"
#include "workbench/history/history_window.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/version.h"
#include "workbench/shared/window_memory.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>

namespace {

// A Send and a Get, or two Gets, take well under this on any line the tool works on.
constexpr int kCheckTimeoutMs = 20000;
// A frame takes 19 ms at 19200 baud; an EEPROM write takes the sensor some more.
constexpr int kReadBackDelayMs = 300;

const QString kTechnicianKey = QStringLiteral("history/technician");
const QString kSharedKey = QStringLiteral("history/shared");

ParameterWords wordsOf(const QVector<quint16> &words) {
    ParameterWords w{};
    std::copy_n(words.cbegin(), std::min<qsizetype>(words.size(), PNUM), w.begin());
    return w;
}

QString fileText(const ParameterWords &words) {
    QString text;
    for (unsigned short w : words)
        text += QString::number(w) + '\n';
    return text;
}

} // namespace

HistoryFeature::HistoryFeature(CoreEvents &core, MenuBar &menus, const HistoryOptions &options)
    : options_(options) {
    session_ = NewSession();
    session_.version = VersionLine();
    session_.technician = WorkbenchSettings().value(kTechnicianKey).toString();

    QWidget *main = rtPanelWidget(ToolMainPanel());
    bar_ = new HistoryBar(main);
    main->layout()->addWidget(bar_);
    bar_->setTechnician(session_.technician);
    bar_->say(QStringLiteral("Opening the service history…"), false);
    connect(bar_, &HistoryBar::tagConfirmed, this, &HistoryFeature::setTag);
    connect(bar_, &HistoryBar::technicianChanged, this, &HistoryFeature::setTechnician);

    connect(&keeper_, &HistoryKeeper::opened, this, &HistoryFeature::opened);
    connect(&keeper_, &HistoryKeeper::notKept, this, &HistoryFeature::notKept);
    keeper_.open(options_.location, options_.local);
    const SessionRecord first = session_;
    keeper_.write([first](HistoryStore &s) { return s.addSession(first); });

    connect(&core, &CoreEvents::setRead, this, &HistoryFeature::onRead);
    connect(&core, &CoreEvents::setWritten, this, &HistoryFeature::onWritten);
    connect(&core, &CoreEvents::ending, this, &HistoryFeature::ending);

    checkTimeout_.setSingleShot(true);
    checkTimeout_.setInterval(kCheckTimeoutMs);
    connect(&checkTimeout_, &QTimer::timeout, this, [this] { finish(checks_.timedOut()); });

    QAction *history = AddMenuItem(menus.view(), QStringLiteral("Service &history"),
                                   QStringLiteral("Service history"));
    connect(history, &QAction::triggered, this, &HistoryFeature::showWindow);
    QAction *verify = AddMenuItem(menus.file(), QStringLiteral("&Write and verify"),
                                  QStringLiteral("Write and verify"));
    verify->setToolTip(QStringLiteral("Send the panels' set to the chosen RAM or EEPROM, read it "
                                      "back and say whether the sensor holds it"));
    connect(verify, &QAction::triggered, this, &HistoryFeature::writeAndVerify);
    QAction *backup = AddMenuItem(menus.file(), QStringLiteral("Back &up sensor…"),
                                  QStringLiteral("Back up sensor"));
    connect(backup, &QAction::triggered, this, [this, main] {
        AskSavePath(main, QStringLiteral("Back up sensor: also write the EEPROM set to a file?"),
                    QStringLiteral("backup.dat"), QStringLiteral("Parameter files (*.dat)"),
                    [this](const QString &path) { backUpSensor(path); });
    });
}

// Runs the writes still queued (the session's end) before the database closes.
HistoryFeature::~HistoryFeature() {
    delete window_;
    delete bar_;
}

void HistoryFeature::opened(const HistoryOpening &opening) {
    opening_ = opening;
    if (!opening.kept) {
        notKept(opening.problem);
        return;
    }
    if (opening.problem.isEmpty())
        say(QStringLiteral("History kept in %1").arg(opening.location));
    else if (bar_)
        bar_->say(QStringLiteral("The shared history cannot be reached (%1): this session is kept "
                                 "in %2; Upload local history merges it later")
                      .arg(opening.problem, opening.location),
                  true);
}

void HistoryFeature::notKept(const QString &why) {
    if (toldNotKept_)
        return;
    toldNotKept_ = true;
    opening_.problem = why;
    if (bar_)
        bar_->say(QStringLiteral("The service history is not being kept: %1").arg(why), true);
}

void HistoryFeature::say(const QString &text) {
    if (bar_ && !toldNotKept_)
        bar_->say(text, false);
}

void HistoryFeature::onRead(ParamPlace place, const QVector<quint16> &words, const QString &path) {
    keep(place, words, path, false);
    if (place == ParamPlace::File)
        return;
    noteAdapter();
    const ParameterWords w = wordsOf(words);
    // After the core's call: a check may queue the next click.
    QTimer::singleShot(0, this, [this, place, w] {
        if (const std::optional<CheckOutcome> o = checks_.read(place, w))
            finish(*o);
        updateSinceLastVisit();
        if (!session_.tag.isEmpty() || !proposal_.isEmpty())
            return;
        const AdapterId adapter{session_.adapter, session_.serial};
        const QString id = session_.id;
        proposal_ =
            keeper_.read<QString>([=](HistoryStore &s) { return s.proposeTag(w, adapter, id); });
        if (session_.tag.isEmpty() && bar_)
            bar_->propose(proposal_);
    });
}

void HistoryFeature::onWritten(ParamPlace place, const QVector<quint16> &words,
                               const QString &path) {
    keep(place, words, path, true);
    // A Get flushes the port's output: queued at once it could discard the Send's frame
    // before it has left, and the sensor may still be storing the set.
    if (checks_.written(place, wordsOf(words)))
        QTimer::singleShot(kReadBackDelayMs, this, [] { ToolClickGet(); });
}

void HistoryFeature::keep(ParamPlace place, const QVector<quint16> &words, const QString &path,
                          bool sent) {
    SetRecord set;
    set.id = NewRecordId();
    set.sessionId = session_.id;
    set.at = QDateTime::currentDateTimeUtc();
    set.seq = ++setsKept_;
    set.place = PlaceText(place);
    set.path = path;
    set.sent = sent;
    set.check = sent && place != ParamPlace::File ? SetCheck::Unconfirmed : SetCheck::None;
    set.purpose = checks_.purpose(place);
    set.words = wordsOf(words);
    if (sent)
        lastSentId_[int(place)] = set.id;
    else if (place != ParamPlace::File)
        lastRead_ = set;
    keeper_.write([set](HistoryStore &s) { return s.addSet(set); });
}

void HistoryFeature::noteAdapter() {
    const QString device = rtComDevice(ToolPortInUse());
    if (device == session_.port)
        return;
    session_.port = device;
    const AdapterId adapter = options_.adapterOf ? options_.adapterOf(device) : AdapterId();
    session_.adapter = adapter.byId;
    session_.serial = adapter.serial;
    saveSession();
}

void HistoryFeature::saveSession() {
    const SessionRecord s = session_;
    keeper_.write([s](HistoryStore &store) { return store.updateSession(s); });
}

void HistoryFeature::setTag(const QString &tag) {
    if (tag == session_.tag)
        return;
    session_.tag = tag;
    if (bar_ && bar_->tagField()->text().trimmed() != tag)
        bar_->tagField()->setText(tag);
    saveSession();
    updateSinceLastVisit();
    say(tag.isEmpty() ? QStringLiteral("This session is kept untagged")
                      : QStringLiteral("This session is kept under \"%1\"").arg(tag));
}

void HistoryFeature::setTechnician(const QString &name) {
    if (name == session_.technician)
        return;
    session_.technician = name;
    WorkbenchSettings().setValue(kTechnicianKey, name);
    if (bar_ && bar_->technicianField()->text().trimmed() != name)
        bar_->setTechnician(name);
    saveSession();
}

void HistoryFeature::setNote(const QString &note) {
    session_.note = note;
    saveSession();
}

// The set read now against the last set of the previous visit under the same tag.
void HistoryFeature::updateSinceLastVisit() {
    QString line;
    if (lastRead_ && !session_.tag.isEmpty()) {
        const QString tag = session_.tag;
        const QString id = session_.id;
        const std::optional<SetRecord> before =
            keeper_.read<std::optional<SetRecord>>([=, place = lastRead_->place](HistoryStore &s) {
                return s.lastSetBefore(tag, id, place);
            });
        if (before) {
            const QString when =
                before->at.toLocalTime().toString(QStringLiteral("d MMM yyyy HH:mm"));
            const QString changes = WordChanges(before->words, lastRead_->words);
            line = changes.isEmpty()
                       ? QStringLiteral("Unchanged since the last visit (%1, %2 %3): %4 read now "
                                        "holds the same set")
                             .arg(when, before->place, SetStateText(*before), lastRead_->place)
                       : QStringLiteral("Changed since the last visit (%1, %2 %3), %4 read now: %5")
                             .arg(when, before->place, SetStateText(*before), lastRead_->place,
                                  changes);
        }
    }
    if (line == sinceLastVisit_)
        return;
    sinceLastVisit_ = line;
    emit sinceLastVisitChanged(line);
}

bool HistoryFeature::writeAndVerify() {
    QString why;
    if (!checks_.startVerify(&why)) {
        say(QStringLiteral("Write and verify: %1").arg(why));
        return false;
    }
    checkTimeout_.start();
    say(QStringLiteral("Write and verify: sending and reading back…"));
    return true;
}

bool HistoryFeature::backUpSensor(const QString &file) {
    QString why;
    if (!checks_.startBackup(file, &why)) {
        say(QStringLiteral("Back up sensor: %1").arg(why));
        return false;
    }
    checkTimeout_.start();
    say(QStringLiteral("Backing up the sensor: reading RAM and EEPROM…"));
    return true;
}

void HistoryFeature::finish(const CheckOutcome &outcome) {
    checkTimeout_.stop();
    QString text = outcome.text;
    if (outcome.verify && !lastSentId_[int(outcome.place)].isEmpty() &&
        (outcome.verified || !outcome.differing.isEmpty())) {
        const QString id = lastSentId_[int(outcome.place)];
        const SetCheck check = outcome.verified ? SetCheck::Verified : SetCheck::Differs;
        const QList<int> differing = outcome.differing;
        keeper_.write([=](HistoryStore &s) { return s.setCheck(id, check, differing); });
    }
    if (outcome.eeprom && !outcome.file.isEmpty()) {
        QString error;
        if (WriteWholeFile(outcome.file, fileText(*outcome.eeprom).toUtf8(), &error)) {
            QVector<quint16> words(outcome.eeprom->begin(), outcome.eeprom->end());
            keep(ParamPlace::File, words, outcome.file, true);
            text += QStringLiteral(", EEPROM set written to %1").arg(outcome.file);
        } else {
            text +=
                QStringLiteral("; the file %1 could not be written: %2").arg(outcome.file, error);
        }
    }
    const QString stamped = QStringLiteral("%1 %2").arg(
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), text);
    checkLines_ << stamped;
    say(text);
    emit checksChanged(checkLines_);
}

void HistoryFeature::recordReport(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    const ReportRecord report{NewRecordId(), session_.id, QDateTime::currentDateTimeUtc(), path,
                              QString::fromLatin1(hash.result().toHex())};
    keeper_.write([report](HistoryStore &s) { return s.addReport(report); });
}

HistorySummary HistoryFeature::summary() const {
    HistorySummary s;
    if (!opening_.kept || toldNotKept_)
        s.kept = QStringLiteral("The service history is not being kept: %1").arg(opening_.problem);
    else if (!opening_.problem.isEmpty())
        s.kept = QStringLiteral("Kept in the local history %1: the shared one could not be reached")
                     .arg(opening_.location);
    else
        s.kept = QStringLiteral("Kept in %1").arg(opening_.location);
    s.tag = session_.tag;
    s.technician = session_.technician;
    s.sinceLastVisit = sinceLastVisit_;
    s.checks = checkLines_;
    return s;
}

QString SharedHistorySetting() {
    return WorkbenchSettings().value(kSharedKey).toString();
}

QString HistoryFeature::sharedLocation() const {
    return IsSharedLocation(options_.location) ? options_.location : SharedHistorySetting();
}

QString HistoryFeature::uploadLocalHistory(const QString &shared) {
    if (!IsSharedLocation(shared))
        return QStringLiteral("Upload needs a shared history: postgresql://user@host/database");
    WorkbenchSettings().setValue(kSharedKey, shared);
    QString error;
    const int added = keeper_.upload(options_.local, shared, &error);
    if (added < 0)
        return QStringLiteral("Nothing uploaded to %1: %2").arg(DisplayedLocation(shared), error);
    return added == 0 ? QStringLiteral("%1 holds every local record already")
                            .arg(DisplayedLocation(shared))
                      : QStringLiteral("%1 records uploaded to %2")
                            .arg(added)
                            .arg(DisplayedLocation(shared));
}

HistoryBar *HistoryFeature::bar() const {
    return bar_;
}

HistoryWindow *HistoryFeature::showWindow() {
    if (!window_)
        window_ = new HistoryWindow(*this, rtPanelWidget(ToolMainPanel()));
    window_->refresh();
    window_->show();
    window_->raise();
    window_->activateWindow();
    return window_;
}

void HistoryFeature::ending() {
    session_.ended = QDateTime::currentDateTimeUtc();
    saveSession();
}
