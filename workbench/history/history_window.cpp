// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_window.h"

#include "app/tool_api.h"
#include "workbench/history/history_feature.h"
#include "workbench/shared/close_button.h"
#include "workbench/shared/session_replay.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>

namespace {

QString localTime(const QDateTime &t) {
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       : QStringLiteral("—");
}

QTreeWidget *tree(const QString &name, const QStringList &headers) {
    auto *t = new QTreeWidget;
    t->setObjectName(name);
    t->setAccessibleName(name);
    t->setHeaderLabels(headers);
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    return t;
}

QPushButton *button(const QString &text, const QString &name) {
    auto *b = new QPushButton(text);
    b->setObjectName(name);
    b->setAccessibleName(name);
    return b;
}

QString sessionText(const SessionRecord &s) {
    QStringList parts{QStringLiteral("%1 – %2").arg(
        localTime(s.started), s.ended.isValid()
                                  ? s.ended.toLocalTime().toString(QStringLiteral("HH:mm:ss"))
                                  : QStringLiteral("not ended"))};
    if (!s.technician.isEmpty())
        parts << s.technician;
    if (!s.port.isEmpty())
        parts << (s.adapter.isEmpty() ? s.port : QStringLiteral("%1 (%2)").arg(s.port, s.adapter));
    if (!s.note.isEmpty())
        parts << QStringLiteral("“%1”").arg(s.note);
    return parts.join(QStringLiteral(" · "));
}

} // namespace

HistoryWindow::HistoryWindow(HistoryFeature &feature, QWidget *parent)
    : QWidget(parent, Qt::Window), feature_(feature),
      sensors_(tree(QStringLiteral("Sensors"), {QStringLiteral("Tag"), QStringLiteral("Last visit"),
                                                QStringLiteral("Sessions")})),
      timeline_(
          tree(QStringLiteral("Sessions"), {QStringLiteral("When"), QStringLiteral("Place"),
                                            QStringLiteral("State"), QStringLiteral("Words")})),
      audit_(tree(QStringLiteral("Audit trail"),
                  {QStringLiteral("When"), QStringLiteral("Place"), QStringLiteral("Word"),
                   QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("How")})),
      note_(new QLineEdit), shared_(new QLineEdit), message_(new QLabel),
      compare_(button(QStringLiteral("&Compare"), QStringLiteral("Compare"))),
      load_(button(QStringLiteral("&Load into panels"), QStringLiteral("Load into panels"))) {
    setWindowTitle(QStringLiteral("Service history"));
    setObjectName(QStringLiteral("Service history"));
    setAccessibleName(windowTitle());
    timeline_->setRootIsDecorated(true);
    timeline_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    compare_->setToolTip(QStringLiteral("Show one or two chosen sets in the compare view"));
    load_->setToolTip(QStringLiteral("Put the chosen set on the panels; a Send writes it"));
    note_->setAccessibleName(QStringLiteral("Note on this session"));
    note_->setPlaceholderText(QStringLiteral("what was done, what was found"));
    note_->setText(feature_.session().note);
    shared_->setAccessibleName(QStringLiteral("Shared history"));
    shared_->setPlaceholderText(QStringLiteral("postgresql://user@host/database"));
    shared_->setText(feature_.sharedLocation());
    message_->setAccessibleName(QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *noteRow = new QHBoxLayout;
    noteRow->addWidget(new QLabel(QStringLiteral("Note on this session")));
    noteRow->addWidget(note_, 1);
    auto *sharedRow = new QHBoxLayout;
    sharedRow->addWidget(new QLabel(QStringLiteral("Shared history")));
    sharedRow->addWidget(shared_, 1);
    QPushButton *upload =
        button(QStringLiteral("&Upload local history"), QStringLiteral("Upload local history"));
    upload->setToolTip(QStringLiteral("Add every local session, set and report the shared "
                                      "history lacks; the shared history is used from the next "
                                      "start"));
    sharedRow->addWidget(upload);

    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(timeline_);
    right->addWidget(audit_);
    auto *split = new QSplitter;
    split->addWidget(sensors_);
    split->addWidget(right);
    split->setStretchFactor(1, 2);
    // Wide enough for a tag, its last visit and its count without scrolling.
    split->setSizes({400, 700});

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(compare_);
    buttons->addWidget(load_);
    buttons->addStretch();
    buttons->addWidget(AddCloseButton(this));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addLayout(noteRow);
    layout->addWidget(split, 1);
    layout->addWidget(message_);
    layout->addLayout(sharedRow);
    layout->addLayout(buttons);
    resize(1100, 640);

    connect(sensors_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            showSensor(item->data(0, Qt::UserRole).toString());
    });
    connect(timeline_, &QTreeWidget::itemSelectionChanged, this, &HistoryWindow::chosenChanged);
    connect(note_, &QLineEdit::editingFinished, this, [this] { feature_.setNote(note_->text()); });
    connect(compare_, &QPushButton::clicked, this, &HistoryWindow::compareChosen);
    connect(load_, &QPushButton::clicked, this, &HistoryWindow::loadChosen);
    connect(upload, &QPushButton::clicked, this, &HistoryWindow::upload);
    chosenChanged();
}

QString HistoryWindow::message() const {
    return message_->text();
}

void HistoryWindow::refresh() {
    const QList<SensorRecord> sensors =
        feature_.keeper().read<QList<SensorRecord>>([](HistoryStore &s) { return s.sensors(); });
    const QString current = feature_.session().tag;
    const QString shown = tag_.isNull() ? current : tag_;
    sensors_->clear();
    QTreeWidgetItem *chosen = nullptr;
    for (const SensorRecord &s : sensors) {
        auto *item =
            new QTreeWidgetItem(sensors_, {s.tag.isEmpty() ? QStringLiteral("(untagged)") : s.tag,
                                           localTime(s.lastVisit), QString::number(s.sessions)});
        item->setData(0, Qt::UserRole, s.tag);
        if (s.tag == shown)
            chosen = item;
    }
    for (int c = 0; c < sensors_->columnCount(); ++c)
        sensors_->resizeColumnToContents(c);
    if (chosen)
        sensors_->setCurrentItem(chosen);
    showSensor(chosen ? shown : QString());
}

void HistoryWindow::showSensor(const QString &tag) {
    tag_ = tag;
    const QList<SessionRecord> sessions = feature_.keeper().read<QList<SessionRecord>>(
        [tag](HistoryStore &s) { return s.sessions(tag); });
    timeline_->clear();
    sets_.clear();
    QHash<QString, QString> started; // session -> its start, for the audit trail
    for (const SessionRecord &session : sessions) {
        started[session.id] = localTime(session.started);
        auto *top = new QTreeWidgetItem(timeline_, {sessionText(session)});
        top->setFirstColumnSpanned(true);
        top->setFlags(Qt::ItemIsEnabled);
        const QString id = session.id;
        const auto [sets, reports] =
            feature_.keeper().read<std::pair<QList<SetRecord>, QList<ReportRecord>>>(
                [id](HistoryStore &s) { return std::pair(s.sets(id), s.reports(id)); });
        for (const SetRecord &set : sets) {
            QString state = SetStateText(set);
            if (!set.purpose.isEmpty())
                state += QStringLiteral(" (%1)").arg(set.purpose);
            auto *item = new QTreeWidgetItem(top, {localTime(set.at),
                                                   set.path.isEmpty() ? set.place : set.path, state,
                                                   WordsText(set.words)});
            item->setData(0, Qt::UserRole, int(sets_.size()));
            sets_ << set;
        }
        for (const ReportRecord &r : reports) {
            auto *item =
                new QTreeWidgetItem(top, {localTime(r.at), r.path, QStringLiteral("report"),
                                          QStringLiteral("SHA-256 %1").arg(r.sha256)});
            item->setFlags(Qt::ItemIsEnabled);
        }
    }
    timeline_->expandAll();
    for (int c = 0; c < timeline_->columnCount(); ++c)
        timeline_->resizeColumnToContents(c);

    const QList<AuditChange> changes = feature_.keeper().read<QList<AuditChange>>(
        [tag](HistoryStore &s) { return s.auditTrail(tag); });
    audit_->clear();
    for (const AuditChange &c : changes)
        new QTreeWidgetItem(
            audit_, {localTime(c.at), c.place,
                     QStringLiteral("%1 %2").arg(c.word).arg(
                         QString::fromUtf8(kParameterTable[std::size_t(c.word)].name)),
                     QString::number(c.from), QString::number(c.to),
                     (c.sent ? QStringLiteral("sent") : QStringLiteral("found on a read")) +
                         QStringLiteral(", session of %1").arg(started.value(c.sessionId))});
    for (int c = 0; c < audit_->columnCount(); ++c)
        audit_->resizeColumnToContents(c);
    chosenChanged();
}

QList<SetRecord> HistoryWindow::chosenSets() const {
    QList<SetRecord> chosen;
    QTreeWidgetItemIterator it(timeline_, QTreeWidgetItemIterator::Selected);
    for (; *it; ++it) {
        const QVariant index = (*it)->data(0, Qt::UserRole);
        if (index.isValid())
            chosen << sets_[index.toInt()];
    }
    return chosen;
}

void HistoryWindow::chosenChanged() {
    const qsizetype n = chosenSets().size();
    compare_->setEnabled(n == 1 || n == 2);
    load_->setEnabled(n == 1);
}

void HistoryWindow::compareChosen() {
    QList<KeptSet> kept;
    for (const SetRecord &set : chosenSets())
        kept.append({QStringLiteral("%1, %2").arg(set.path.isEmpty() ? set.place : set.path,
                                                  localTime(set.at)),
                     SetStateText(set), set.words});
    if (!kept.isEmpty())
        emit feature_.compareWanted(kept);
}

void HistoryWindow::loadChosen() {
    const QList<SetRecord> chosen = chosenSets();
    if (chosen.size() != 1)
        return;
    ToolShowOnPanels(chosen.front().words.data());
    message_->setText(QStringLiteral("The %1 set of %2 is on the panels; Send writes it to the "
                                     "sensor")
                          .arg(chosen.front().place, localTime(chosen.front().at)));
}

void HistoryWindow::upload() {
    message_->setText(feature_.uploadLocalHistory(shared_->text().trimmed()));
}
