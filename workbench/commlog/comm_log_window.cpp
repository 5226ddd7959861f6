// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_log_window.h"

#include "workbench/adapters/comm_decode.h"
#include "workbench/commlog/comm_cell_delegate.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_file.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/shared/close_button.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/session_replay.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// One batch a second. During Run a batch repaints every visible row and lays out the text of
// each new row that shows; twice a second cost Run more of a core than the log is worth.
constexpr int kRefreshMs = 1000;
const int kColumnWidths[kCommColumns] = {80, 95, 130, 75, 150, 45, 300, 0};

template <typename W> W *named(W *widget, const QString &name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

} // namespace

CommLogWindow::CommLogWindow(const CommLog &log, QWidget *parent)
    : QWidget(parent, Qt::Window), log_(log), model_(log), filter_(model_) {
    setWindowTitle(QStringLiteral("Communication log"));
    named(this, QStringLiteral("Communication log"));
    resize(1200, 640);
    counts_ = named(new QLabel(this), QStringLiteral("Row counts"));
    file_ = named(new QLabel(this), QStringLiteral("Log file"));
    file_->setVisible(false);
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(makeControls());
    makeTable();
    layout->addWidget(table_, 1);
    layout->addWidget(file_);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(counts_, 1);
    bottom->addWidget(AddCloseButton(this));
    layout->addLayout(bottom);
    timer_.setInterval(kRefreshMs);
    timer_.callOnTimeout(this, &CommLogWindow::refresh);
    restoreSettings();
}

void CommLogWindow::setFileText(const QString &text) {
    file_->setText(text);
    file_->setVisible(!text.isEmpty());
}

QToolButton *CommLogWindow::addButton(QWidget *bar, QBoxLayout *row, const QString &text,
                                      const QString &name) {
    auto *button = named(new QToolButton(bar), name);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    row->addWidget(button);
    return button;
}

// A push button rather than a tool button: it keeps room for its menu arrow beside the text,
// where a tool button draws the arrow over the text's end.
QPushButton *CommLogWindow::makeOrderButton(QWidget *bar) {
    auto *button =
        named(new QPushButton(QStringLiteral("&Orders: all"), bar), QStringLiteral("Orders"));
    auto *menu = new QMenu(button);
    for (int order = 1; order <= kHighestOrder + 1; ++order) {
        QAction *action =
            menu->addAction(order <= kHighestOrder ? OrderTitle(order) : QStringLiteral("other"));
        action->setCheckable(true);
        action->setChecked(true);
        action->setData(order <= kHighestOrder ? order : 0);
        orderItems_ << action;
    }
    button->setMenu(menu);
    connect(menu, &QMenu::triggered, this, &CommLogWindow::ordersChosen);
    return button;
}

void CommLogWindow::ordersChosen() {
    quint16 mask = 0;
    QStringList shown;
    for (QAction *a : orderItems_)
        if (a->isChecked()) {
            mask |= quint16(1u << a->data().toInt());
            shown << (a->data().toInt() ? a->data().toString() : QStringLiteral("other"));
        }
    filter_.setOrders(mask);
    orders_->setText(mask == CommLogFilter::kAllOrders
                         ? QStringLiteral("&Orders: all")
                         : QStringLiteral("&Orders: %1")
                               .arg(shown.isEmpty() ? QStringLiteral("none") : shown.join(' ')));
}

void CommLogWindow::restoreSettings() {
    QSettings settings = WorkbenchSettings();
    settings.beginGroup(SettingsGroup(objectName()));
    directions_->setCurrentIndex(settings.value(QStringLiteral("directions"), 0).toInt());
    const quint16 mask =
        quint16(settings.value(QStringLiteral("orders"), CommLogFilter::kAllOrders).toUInt());
    for (QAction *a : orderItems_)
        a->setChecked(mask & (1u << a->data().toInt()));
    ordersChosen();
    problems_->setChecked(settings.value(QStringLiteral("problemsOnly"), false).toBool());
    table_->horizontalHeader()->restoreState(
        settings.value(QStringLiteral("columns")).toByteArray());
}

void CommLogWindow::saveSettings(QSettings &settings) const {
    settings.setValue(QStringLiteral("directions"), directions_->currentIndex());
    settings.setValue(QStringLiteral("orders"), filter_.orders());
    settings.setValue(QStringLiteral("problemsOnly"), problems_->isChecked());
    settings.setValue(QStringLiteral("columns"), table_->horizontalHeader()->saveState());
}

// Two rows, the filters above the actions, so that every text shows whole down to the
// window's smallest width.
QWidget *CommLogWindow::makeControls() {
    auto *bar = new QWidget(this);
    auto *rows = new QVBoxLayout(bar);
    rows->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    auto *actions = new QHBoxLayout;
    rows->addLayout(row);
    rows->addLayout(actions);

    directions_ = named(new QComboBox(bar), QStringLiteral("Directions"));
    directions_->addItems({QStringLiteral("Both directions"), QStringLiteral("To the sensor"),
                           QStringLiteral("From the sensor")});
    connect(directions_, &QComboBox::currentIndexChanged, this,
            [this](int i) { filter_.setDirections(CommLogFilter::Directions(i)); });
    row->addWidget(directions_);
    orders_ = makeOrderButton(bar);
    row->addWidget(orders_);

    problems_ = named(new QCheckBox(QStringLiteral("Only p&roblems"), bar),
                      QStringLiteral("Only problems"));
    connect(problems_, &QCheckBox::toggled, this, [this](bool on) { filter_.setProblemsOnly(on); });
    row->addWidget(problems_);

    auto *search = named(new QLineEdit(bar), QStringLiteral("Search"));
    search->setPlaceholderText(QStringLiteral("Search (Ctrl+F)"));
    search->setClearButtonEnabled(true);
    // Room for the whole placeholder, the frame and the clear button.
    search->setMinimumWidth(
        std::max(search->sizeHint().width(),
                 search->fontMetrics().horizontalAdvance(search->placeholderText()) +
                     search->sizeHint().height()));
    connect(search, &QLineEdit::textChanged, this, [this](const QString &t) {
        filter_.setSearch(t);
        updateCounts();
    });
    connect(&filter_, &CommLogFilter::searchFinished, this, &CommLogWindow::updateCounts);
    auto *find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, search, [search] { search->setFocus(); });
    addAction(find);
    row->addWidget(search, 1);

    pause_ = addButton(bar, actions, QStringLiteral("&Pause"), QStringLiteral("Pause"));
    pause_->setCheckable(true);
    connect(pause_, &QToolButton::toggled, this, &CommLogWindow::refresh);
    connect(addButton(bar, actions, QStringLiteral("&Copy"), QStringLiteral("Copy")),
            &QToolButton::clicked, this, &CommLogWindow::copySelection);
    connect(addButton(bar, actions, QStringLiteral("&Save…"), QStringLiteral("Save")),
            &QToolButton::clicked, this, [this] { save(std::nullopt); });
    saveSelection_ = addButton(bar, actions, QStringLiteral("Save se&lection…"),
                               QStringLiteral("Save selection"));
    actions->addStretch(1);
    saveSelection_->setEnabled(false);
    connect(saveSelection_, &QToolButton::clicked, this, [this] { save(selectedSeqs()); });
    return bar;
}

void CommLogWindow::makeTable() {
    table_ = named(new QTableView(this), QStringLiteral("Rows"));
    table_->setModel(&filter_);
    table_->setItemDelegate(new CommCellDelegate(table_));
    table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setWordWrap(false);
    table_->setCornerButtonEnabled(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int c = 0; c + 1 < kCommColumns; ++c)
        table_->setColumnWidth(c, kColumnWidths[c]);
    auto *copy = new QAction(QStringLiteral("Copy"), table_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &CommLogWindow::copySelection);
    table_->addAction(copy);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { saveSelection_->setEnabled(table_->selectionModel()->hasSelection()); });
}

void CommLogWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
    timer_.start();
}

void CommLogWindow::hideEvent(QHideEvent *event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

// Follows the end of the log while the view shows its last row.
void CommLogWindow::refresh() {
    if (!pause_->isChecked() &&
        (model_.pending() > 0 || log_.ring().firstSeq() > model_.seqAt(0))) {
        const QScrollBar *bar = table_->verticalScrollBar();
        const bool atEnd = bar->value() == bar->maximum();
        model_.catchUp();
        if (atEnd)
            table_->scrollToBottom();
    }
    updateCounts();
}

void CommLogWindow::updateCounts() {
    const CommRing &ring = log_.ring();
    QString text = QStringLiteral("%1 rows held (%2 KiB), %3 shown")
                       .arg(ring.endSeq() - ring.firstSeq())
                       .arg(ring.heldBytes() / 1024)
                       .arg(filter_.rowCount());
    if (filter_.searching())
        text += QStringLiteral("; searching");
    if (pause_->isChecked())
        text += QStringLiteral("; paused, %1 new rows wait").arg(model_.pending());
    if (counts_->text() != text)
        counts_->setText(text);
}

QList<qint64> CommLogWindow::selectedSeqs() const {
    QList<qint64> seqs;
    for (const QModelIndex &index : table_->selectionModel()->selectedRows())
        seqs << model_.seqAt(filter_.mapToSource(index).row());
    std::sort(seqs.begin(), seqs.end());
    return seqs;
}

QList<qint64> CommLogWindow::allSeqs() const {
    QList<qint64> seqs;
    for (qint64 seq = log_.ring().firstSeq(); seq < log_.ring().endSeq(); ++seq)
        seqs << seq;
    return seqs;
}

void CommLogWindow::copySelection() {
    QStringList lines;
    for (const qint64 seq : selectedSeqs())
        if (const CommRow *row = log_.ring().at(seq))
            lines << TextLine(log_, *row);
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

// The dialog is not modal: a nested event loop here would hold up a running operation. Rows
// keep coming meanwhile, and the oldest leave: Save… takes what the log holds when the user
// confirms; of a selection, the rows that left are told.
void CommLogWindow::save(const std::optional<QList<qint64>> &chosen) {
    QFileDialog *dialog = AskSavePath(
        this, QStringLiteral("Save the communication log"),
        TimedFileName(QStringLiteral("communication-log"), QDateTime::currentDateTime(),
                      QStringLiteral("txt")),
        QStringLiteral("Text (*.txt);;CSV, one row per frame (*.csv)"),
        [this, chosen](const QString &path) {
            const QList<qint64> seqs = chosen ? *chosen : allSeqs();
            QString error;
            qsizetype left = 0;
            if (!SaveCommRows(log_, seqs, path, &error, &left))
                ShowProblem(this, QStringLiteral("Communication log"),
                            QStringLiteral("%1 could not be written: %2").arg(path, error));
            else if (left > 0)
                tellSaved(QStringLiteral("%1 of the %2 selected rows left the log (it keeps the "
                                         "last 10 minutes or 32 MiB) before the save; the other "
                                         "%3 are in %4.")
                              .arg(left)
                              .arg(seqs.size())
                              .arg(seqs.size() - left)
                              .arg(path));
        });
    connect(dialog, &QFileDialog::filterSelected, dialog, [dialog](const QString &filter) {
        dialog->setDefaultSuffix(filter.contains(QLatin1String("csv")) ? QStringLiteral("csv")
                                                                       : QStringLiteral("txt"));
    });
}

void CommLogWindow::tellSaved(const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Communication log"), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
