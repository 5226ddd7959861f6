// SPDX-License-Identifier: GPL-3.0-or-later
// The service report as HTML for a QTextDocument: headings, tables and text, so that a PDF of
// it keeps its text selectable. Differences carry "≠", bold type and a light shade, so that
// they show without colour. The video signal is an image resource the document must provide.
#pragma once

#include "workbench/report/service_report.h"

#include <QString>
#include <QUrl>

// The name under which the document holds the video signal's picture.
QUrl VideoPictureUrl();

QString ReportHtml(const ServiceReport &report);
