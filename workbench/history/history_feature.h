// SPDX-License-Identifier: GPL-3.0-or-later
// The service history as a workbench feature: this session and every parameter set read or
// written in it are kept in a database (history_keeper), the sensor's tag and the
// technician's name are typed in the history bar of the main window, View → Service history
// shows what earlier visits kept, and File → Write and verify / Back up sensor check the
// sensor with the user's own Send and Get. It only listens to the core and queues clicks.
#pragma once

#include "workbench/history/history_keeper.h"
#include "workbench/history/history_summary.h"
#include "workbench/history/sensor_checks.h"
#include "workbench/shared/kept_set.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class CoreEvents;
class HistoryBar;
class HistoryWindow;
class MenuBar;

struct HistoryOptions {
    QString location; // the database: a file or a postgresql:// URL
    QString local;    // where the session goes when a shared database cannot be reached
    // The adapter behind a device path, as the system names it.
    std::function<AdapterId(const QString &device)> adapterOf;
};

// The shared history set in View → Service history, used when no --history-db is given.
QString SharedHistorySetting();

class HistoryFeature : public QObject {
    Q_OBJECT
  public:
    HistoryFeature(CoreEvents &core, MenuBar &menus, const HistoryOptions &options);
    ~HistoryFeature() override;

    HistoryKeeper &keeper() { return keeper_; }
    const SessionRecord &session() const { return session_; }
    HistorySummary summary() const;
    QString tagProposal() const { return proposal_; }
    // The tag and the technician, as typed in the history bar.
    void setTag(const QString &tag);
    void setTechnician(const QString &name);
    void setNote(const QString &note);
    // Keeps a report the tool wrote: its path and its SHA-256.
    void recordReport(const QString &path);

    bool writeAndVerify();
    // `file` empty: the sets stay in the history only.
    bool backUpSensor(const QString &file = {});
    // Merges the local history into the shared one; a message saying what happened.
    QString uploadLocalHistory(const QString &shared);
    HistoryWindow *showWindow();
    HistoryBar *bar() const;
    QString sharedLocation() const;

  signals:
    // The line "changed since the last visit" for the compare view; empty when unknown.
    void sinceLastVisitChanged(const QString &line);
    // Check outcomes, newest last, for the compare view.
    void checksChanged(const QStringList &lines);
    // Kept sets to show in the compare view.
    void compareWanted(const QList<KeptSet> &sets);

  private:
    void opened(const HistoryOpening &opening);
    void notKept(const QString &why);
    void onRead(ParamPlace place, const QVector<quint16> &words, const QString &path);
    void onWritten(ParamPlace place, const QVector<quint16> &words, const QString &path);
    void keep(ParamPlace place, const QVector<quint16> &words, const QString &path, bool sent);
    void finish(const CheckOutcome &outcome);
    void saveSession();
    void noteAdapter();
    void updateSinceLastVisit();
    void say(const QString &text);
    void ending();

    HistoryOptions options_;
    HistoryKeeper keeper_;
    HistoryOpening opening_;
    SessionRecord session_;
    SensorChecks checks_;
    QTimer checkTimeout_;
    QString lastSentId_[3];             // by ParamPlace
    std::optional<SetRecord> lastRead_; // the last RAM or EEPROM set read in this session
    QString proposal_;
    QString sinceLastVisit_;
    QStringList checkLines_;
    int setsKept_ = 0;
    bool toldNotKept_ = false;
    QPointer<HistoryBar> bar_;       // owned by the main panel
    QPointer<HistoryWindow> window_; // owned by the main panel
};
