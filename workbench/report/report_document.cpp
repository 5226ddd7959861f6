// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/report/report_document.h"

#include "runtime/safe_file.h"
#include "workbench/report/report_html.h"
#include "workbench/report/video_plot.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QMarginsF kMarginsMm(18, 14, 18, 10);
constexpr double kFooterInches = 0.4;
constexpr double kFontPoints = 8;
// Twice the picture's width in the document at 96 per inch: sharp at 200 per inch on paper.
const QSize kPicturePixels(1900, 760);

// Latin text set letter by letter: a ligature ("ﬀ") would stay one character in the text taken
// from the PDF, and a search for "difference" would not find it.
QFont reportFont(double points) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// The page a document position falls on.
int pageOf(double y, double pageHeight) {
    return int(y / pageHeight);
}

// A heading that would end a page while the first line under it begins the next one goes to
// the next page with it (once: a line taller than a page would never follow it). Returns
// whether any moved.
bool keepHeadingsWithNext(QTextDocument &doc, double pageHeight) {
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    layout->documentSize(); // lays the whole document out
    bool moved = false;
    for (QTextBlock b = doc.begin(); b.isValid() && b.next().isValid(); b = b.next()) {
        QTextBlockFormat format = b.blockFormat();
        if (format.headingLevel() == 0 || format.pageBreakPolicy() != QTextFormat::PageBreak_Auto ||
            b.next().layout()->lineCount() == 0)
            continue;
        const double headingTop = layout->blockBoundingRect(b).top();
        const double nextLineBottom = layout->blockBoundingRect(b.next()).top() +
                                      b.next().layout()->lineAt(0).rect().bottom();
        if (pageOf(headingTop, pageHeight) == pageOf(nextLineBottom, pageHeight))
            continue;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(b).setBlockFormat(format);
        moved = true;
    }
    return moved;
}

void drawFooter(QPainter &painter, const QRectF &area, const ServiceReport &report, int page,
                int pages) {
    painter.save();
    painter.setFont(reportFont(7));
    painter.setPen(QPen(Qt::black, 0));
    painter.drawLine(area.topLeft(), area.topRight());
    const QString left = QStringLiteral("R-MOX-QF service report, %1")
                             .arg(report.made.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, left);
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    painter.restore();
}

} // namespace

QPageSize::PageSizeId ReportPageSize(const QLocale &locale) {
    static const QList<QLocale::Territory> letter = {
        QLocale::UnitedStates, QLocale::Canada,    QLocale::Mexico,    QLocale::Belize,
        QLocale::Chile,        QLocale::Colombia,  QLocale::CostaRica, QLocale::ElSalvador,
        QLocale::Guatemala,    QLocale::Nicaragua, QLocale::Panama,    QLocale::Philippines,
        QLocale::PuertoRico,   QLocale::Venezuela};
    return locale.measurementSystem() == QLocale::ImperialUSSystem ||
                   letter.contains(locale.territory())
               ? QPageSize::Letter
               : QPageSize::A4;
}

bool PaintReport(const ServiceReport &report, QPagedPaintDevice &device) {
    QTextDocument doc;
    // Point sizes and the picture's width are measured in the device's resolution.
    doc.documentLayout()->setPaintDevice(&device);
    doc.setDefaultFont(reportFont(kFontPoints));
    doc.setDocumentMargin(0);
    if (report.video)
        doc.addResource(QTextDocument::ImageResource, VideoPictureUrl(),
                        VideoPlot(*report.video, kPicturePixels));
    doc.setHtml(ReportHtml(report));
    const double footer = kFooterInches * device.logicalDpiY();
    const QSizeF page(device.width(), device.height() - footer);
    doc.setPageSize(page);
    while (keepHeadingsWithNext(doc, page.height())) {
    }

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The picture's lines stay sharp, and it stays grey.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const int pages = doc.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device.newPage();
        const QRectF shown(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -shown.top());
        doc.drawContents(&painter, shown);
        painter.restore();
        drawFooter(painter, QRectF(0, page.height() + footer / 3, page.width(), footer * 2 / 3),
                   report, i + 1, pages);
    }
    return painter.end();
}

// The PDF is made in memory and written as a whole, so a failed write keeps the old file.
bool WriteReportPdf(const ServiceReport &report, const QString &path, QString *error) {
    QByteArray pdfBytes;
    QBuffer buffer(&pdfBytes);
    buffer.open(QIODevice::WriteOnly);
    bool painted = false;
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(QStringLiteral("Service report %1")
                         .arg(report.made.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        pdf.setCreator(report.version);
        pdf.setPageSize(QPageSize(ReportPageSize(QLocale())));
        pdf.setPageMargins(kMarginsMm, QPageLayout::Millimeter);
        painted = PaintReport(report, pdf);
    }
    QString why = QStringLiteral("the report could not be laid out");
    if (painted && WriteWholeFile(path, pdfBytes, &why))
        return true;
    *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return false;
}
