// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_bar.h"

#include "workbench/shared/shades.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QLineEdit *field(const QString &name, const QString &placeholder) {
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setAccessibleName(name);
    edit->setPlaceholderText(placeholder);
    edit->setClearButtonEnabled(true);
    return edit;
}

QLabel *label(const QString &text, QWidget *buddy) {
    auto *l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

} // namespace

HistoryBar::HistoryBar(QWidget *main)
    : QWidget(main), tag_(field(QStringLiteral("Sensor tag"), QStringLiteral("untagged"))),
      technician_(field(QStringLiteral("Technician"), QStringLiteral("your name"))),
      note_(new QLabel) {
    setObjectName(QStringLiteral("History bar"));
    setAccessibleName(QStringLiteral("Service history"));
    tag_->setToolTip(QStringLiteral("The name this sensor is kept under in the service history, "
                                    "e.g. \"Line 3 / winder left\". Enter confirms a proposed "
                                    "tag; empty keeps the session untagged."));
    tag_->setMinimumWidth(220);
    note_->setAccessibleName(QStringLiteral("History state"));
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->addWidget(label(QStringLiteral("Sensor &tag"), tag_));
    row->addWidget(tag_, 2);
    row->addWidget(label(QStringLiteral("Te&chnician"), technician_));
    row->addWidget(technician_, 1);
    row->addWidget(note_, 3);
    connect(tag_, &QLineEdit::textEdited, this, [this] { confirmed_ = true; });
    connect(tag_, &QLineEdit::editingFinished, this, [this] {
        confirmed_ = true;
        emit tagConfirmed(tag_->text().trimmed());
    });
    connect(technician_, &QLineEdit::editingFinished, this,
            [this] { emit technicianChanged(technician_->text().trimmed()); });
}

void HistoryBar::propose(const QString &tag) {
    if (confirmed_ || tag.isEmpty())
        return;
    tag_->setText(tag);
    note_->setText(QStringLiteral("Tag proposed from the history: Enter confirms it"));
}

void HistoryBar::setTechnician(const QString &name) {
    technician_->setText(name);
}

void HistoryBar::say(const QString &text, bool problem) {
    note_->setText(text);
    note_->setAutoFillBackground(problem);
    if (problem) {
        QPalette p = note_->palette();
        p.setColor(QPalette::Window, ShadeOf(palette(), Shade::Problem));
        note_->setPalette(p);
    }
}

QString HistoryBar::text() const {
    return note_->text();
}
