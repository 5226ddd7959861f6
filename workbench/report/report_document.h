// SPDX-License-Identifier: GPL-3.0-or-later
// The service report on paper: laid out on pages of the size the locale uses, with a footer
// that numbers them and the video signal's picture embedded, for a PDF file or a printer.
#pragma once

#include "workbench/report/service_report.h"

#include <QPageSize>
#include <QString>

class QLocale;
class QPagedPaintDevice;

// Letter where the locale's country uses it (the US, Canada, Mexico, ...), A4 elsewhere.
QPageSize::PageSizeId ReportPageSize(const QLocale &locale);
// Lays the report out on the device's pages, in its page size and margins; false when the
// device cannot be painted on.
bool PaintReport(const ServiceReport &report, QPagedPaintDevice &device);
// Writes the report as PDF on pages of the system locale's size. `path` is replaced only when
// the whole file is written; false with `error` set otherwise.
bool WriteReportPdf(const ServiceReport &report, const QString &path, QString *error);
