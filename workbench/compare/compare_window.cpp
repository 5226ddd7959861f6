// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/compare_window.h"

#include "app/tool_api.h"
#include "runtime/runtime.h"
#include "runtime/safe_file.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/session_replay.h"
#include "workbench/shared/shades.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>

namespace {

// Word, name, unit and range first, then the panels and every place; the long meaning last.
const QStringList kDescriptionHeaders = {QStringLiteral("Word"), QStringLiteral("Name"),
                                         QStringLiteral("Unit"), QStringLiteral("Range")};
const int kPanelsColumn = 4;

QPushButton *addButton(QHBoxLayout *row, const QString &text, const QString &name) {
    auto *button = new QPushButton(text);
    button->setAccessibleName(name);
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

QTableWidgetItem *cell(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QTableWidgetItem *valueCell(unsigned short value, std::optional<unsigned short> panels) {
    const bool differs = panels && *panels != value;
    QTableWidgetItem *item =
        cell(differs ? QStringLiteral("≠ %1").arg(value) : QString::number(value));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setData(Qt::UserRole, value);
    if (differs) {
        item->setBackground(ShadeOf(QGuiApplication::palette(), Shade::Differing));
        item->setForeground(QGuiApplication::palette().color(QPalette::Text));
        QFont bold = item->font();
        bold.setBold(true);
        item->setFont(bold);
        const QString why = QStringLiteral("differs from the panels (%1)").arg(*panels);
        item->setToolTip(why);
        item->setData(Qt::AccessibleTextRole, QStringLiteral("%1, %2").arg(value).arg(why));
    }
    return item;
}

QString csvField(QString text) {
    text.replace('\n', ' ');
    if (text.contains(',') || text.contains('"')) {
        text.replace('"', QStringLiteral("\"\""));
        text = '"' + text + '"';
    }
    return text;
}

} // namespace

CompareWindow::CompareWindow(const ParameterPlaces &places, QWidget *parent)
    : QWidget(parent, Qt::Window), places_(places), summary_(new QLabel), note_(new QLabel),
      table_(new QTableWidget) {
    setWindowTitle(QStringLiteral("Compare parameter sets"));
    setObjectName(QStringLiteral("Compare parameter sets"));
    setAccessibleName(windowTitle());
    summary_->setAccessibleName(QStringLiteral("Summary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    summary_->setWordWrap(true);
    // A problem's shade under the palette's text, so that it reads on a dark palette too.
    note_->setAutoFillBackground(true);
    note_->setMargin(4);
    QPalette shaded = note_->palette();
    shaded.setColor(QPalette::Window, ShadeOf(shaded, Shade::Problem));
    note_->setPalette(shaded);
    note_->hide();
    table_->setAccessibleName(QStringLiteral("Parameter sets"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->setWordWrap(false);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table_->horizontalHeader()->setStretchLastSection(true);

    auto *buttons = new QHBoxLayout;
    connect(addButton(buttons, QStringLiteral("&Add file…"), QStringLiteral("Add file")),
            &QPushButton::clicked, this, &CompareWindow::chooseFile);
    connect(addButton(buttons, QStringLiteral("&Export CSV…"), QStringLiteral("Export CSV")),
            &QPushButton::clicked, this, &CompareWindow::chooseExport);
    buttons->addStretch();
    connect(addButton(buttons, QStringLiteral("&Close"), QStringLiteral("Close")),
            &QPushButton::clicked, this, &QWidget::close);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new ReplayBanner(this));
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    resize(1200, 620);
}

QString CompareWindow::summary() const {
    return summary_->text();
}

// Files the core loaded or saved and files added here, newest first, one column per path.
// Then the kept sets, in the order given.
QList<CompareWindow::Column> CompareWindow::columns() const {
    const auto placed = [](const QString &title, const PlacedSet *set) {
        return set ? Column{title, StateText(*set), &set->words, set->path}
                   : Column{title, QStringLiteral("not read"), nullptr, {}};
    };
    QList<Column> columns = {placed(QStringLiteral("RAM"), places_.ram()),
                             placed(QStringLiteral("EEPROM"), places_.eeprom())};
    for (const PlacedSet *f : ComparedFiles(places_.files(), viewed_))
        columns.append(placed(PlaceName(*f), f));
    for (const KeptSet &k : kept_)
        columns.append({k.title, k.state, &k.words, {}});
    return columns;
}

void CompareWindow::refresh(const ParameterWords &panels, const Overwrite &overwrite,
                            const QList<KeptSet> &kept, const QStringList &outside) {
    kept_ = kept;
    fill(panels);
    QList<PlacedSet> files;
    for (const PlacedSet *f : ComparedFiles(places_.files(), viewed_))
        files << *f;
    QStringList lines{overwrite.headline};
    lines << SummaryLines(panels, places_.ram(), places_.eeprom(), files);
    for (const KeptSet &k : kept_) {
        const int n = int(DifferingWords(panels, k.words).size());
        lines << (n == 0 ? QStringLiteral("Panels and %1 hold the same set").arg(k.title)
                         : QStringLiteral("%1 difference%2 between panels and %3")
                               .arg(n)
                               .arg(n == 1 ? QString() : QStringLiteral("s"), k.title));
    }
    lines << outside;
    summary_->setText(lines.join('\n'));
}

void CompareWindow::fill(const ParameterWords &panels) {
    const QList<Column> sets = columns();
    QStringList headers = kDescriptionHeaders;
    headers << QStringLiteral("Panels\nas a Send takes them");
    for (const Column &c : sets)
        headers << c.title + '\n' + c.state;
    headers << QStringLiteral("Meaning");
    const int meaningColumn = int(headers.size()) - 1;
    table_->clear();
    table_->setRowCount(PNUM);
    table_->setColumnCount(int(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < sets.size(); ++c) {
        if (!sets[c].path.isEmpty())
            table_->horizontalHeaderItem(kPanelsColumn + 1 + c)->setToolTip(sets[c].path);
    }
    for (int w = 0; w < PNUM; ++w) {
        const ParameterInfo &info = kParameterTable[w];
        table_->setItem(w, 0, cell(QString::number(w)));
        table_->setItem(w, 1, cell(QString::fromUtf8(info.name)));
        table_->setItem(w, 2, cell(QString::fromUtf8(info.unit)));
        table_->setItem(w, 3, cell(QStringLiteral("%1–%2").arg(info.min).arg(info.max)));
        table_->setItem(w, kPanelsColumn, valueCell(panels[w], std::nullopt));
        for (int c = 0; c < sets.size(); ++c) {
            const ParameterWords *words = sets[c].words;
            table_->setItem(w, kPanelsColumn + 1 + c,
                            words ? valueCell((*words)[w], panels[w]) : cell(QStringLiteral("—")));
        }
        table_->setItem(w, meaningColumn, cell(QString::fromUtf8(info.meaning)));
    }
    table_->resizeColumnsToContents();
}

bool CompareWindow::addFile(const QString &path) {
    unsigned int numbers[PNUM];
    const QByteArray local = path.toLocal8Bit();
    if (FileToArray(local.constData(), numbers, VAL_UNSIGNED_INTEGER, PNUM, 1, VAL_GROUPS_TOGETHER,
                    VAL_GROUPS_AS_COLUMNS, VAL_ASCII) != 0) {
        note_->setText(
            QStringLiteral("%1 is not a parameter file (16 unsigned numbers); nothing added.")
                .arg(path));
        note_->show();
        return false;
    }
    note_->hide();
    PlacedSet set;
    set.place = ParamPlace::File;
    set.path = AbsolutePathOf(path);
    set.origin = SetOrigin::Viewed;
    set.when = QDateTime::currentDateTime();
    for (int i = 0; i < PNUM; ++i)
        set.words[i] = static_cast<unsigned short>(numbers[i] & 0xFFFFu);
    viewed_.removeIf([&](const PlacedSet &f) { return f.path == set.path; });
    viewed_.prepend(set);
    emit refreshWanted();
    return true;
}

bool CompareWindow::exportCsv(const QString &path, QString *error) const {
    QByteArray csv;
    for (int row = -1; row < table_->rowCount(); ++row) {
        QStringList fields;
        for (int c = 0; c < table_->columnCount(); ++c) {
            const QTableWidgetItem *item =
                row < 0 ? table_->horizontalHeaderItem(c) : table_->item(row, c);
            // A value cell gives the bare number, without the "≠" of a difference.
            const QVariant value = item ? item->data(Qt::UserRole) : QVariant();
            fields << csvField(value.isValid() ? value.toString()
                               : item          ? item->text()
                                               : QString());
        }
        csv += fields.join(',').toUtf8() + '\n';
    }
    return WriteWholeFile(path, csv, error);
}

void CompareWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    emit refreshWanted();
}

// The shades of the cells follow a new palette.
void CompareWindow::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && isVisible())
        emit refreshWanted();
}

// The dialogs are window-modal but do not block: an operation the core is running goes on.
void CompareWindow::chooseFile() {
    AskOpenPath(this, QStringLiteral("Add a parameter file to the comparison"),
                QString::fromLocal8Bit(ToolProjectFolder()),
                QStringLiteral("Parameter files (*.dat)"),
                [this](const QString &path) { addFile(path); });
}

void CompareWindow::chooseExport() {
    AskSavePath(this, QStringLiteral("Export the comparison"), QStringLiteral("comparison.csv"),
                QStringLiteral("CSV files (*.csv)"), [this](const QString &path) {
                    QString error;
                    if (!exportCsv(path, &error)) {
                        note_->setText(
                            QStringLiteral("%1 could not be written: %2").arg(path, error));
                        note_->show();
                    }
                });
}
