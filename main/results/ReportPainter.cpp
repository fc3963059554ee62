#include "main/results/ReportPainter.h"

#include "common/DataFileError.h"
#include "common/TextFile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>


namespace velnor {
namespace {

constexpr const char* kReportFont = "Noto Serif CJK JP";

} // namespace

void paintReport(const ReportPage& page, QPaintDevice& device, QPainter& painter)
{
    // Millimetres of the printable area, whatever the device's resolution.
    const double dotsPerMm = device.logicalDpiX() / 25.4;
    painter.save();
    painter.scale(dotsPerMm, device.logicalDpiY() / 25.4);
    for (const ReportLine& l : page.lines) {
        painter.setPen(QPen(QColor(QRgb(l.rgb)), l.widthMm));
        painter.drawLine(QPointF(l.x1Mm, l.y1Mm), QPointF(l.x2Mm, l.y2Mm));
    }
    // Qt sizes fonts in whole pixels: the text is drawn in a 100-pixel font
    // scaled down to the point size in millimetres.
    QFont hundred(kReportFont);
    hundred.setPixelSize(100);
    const QFontMetricsF metrics(hundred);
    for (const ReportText& t : page.texts) {
        painter.save();
        painter.translate(t.xMm, t.yMm);
        const double em = t.pointSize * 25.4 / 72.0; // the font's size in mm
        painter.scale(em / 100.0, em / 100.0);
        painter.setFont(hundred);
        painter.setPen(QColor(QRgb(t.rgb)));
        QString text = QString::fromStdString(t.text);
        if (t.maxWidthMm > 0)
            text = metrics.elidedText(text, Qt::ElideRight, t.maxWidthMm * 100.0 / em);
        painter.drawText(QPointF(0, metrics.ascent()), text);
        painter.restore();
    }
    painter.restore();
}

void writeReportPdf(const ReportPage& page, const std::filesystem::path& path) { writeReportPdf({page}, "診断Ｘ線の入射表面線量", path); }

void writeReportPdf(const std::vector<ReportPage>& pages, const std::string& title, const std::filesystem::path& path)
{
    // Written beside its final name, then renamed: never a half-written page.
    AtomicFile file(path);
    {
        QPdfWriter writer(QString::fromStdString(file.temporaryPath().string()));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(6, 10, 6, 10),
                                         QPageLayout::Millimeter));
        writer.setTitle(QString::fromStdString(title));
        QPainter painter;
        if (!painter.begin(&writer))
            throw DataFileError(path.string(), Reason{ReasonCode::FileCannotWrite});
        for (std::size_t k = 0; k < pages.size(); ++k) {
            if (k > 0)
                writer.newPage();
            paintReport(pages[k], writer, painter);
        }
        painter.end();
    }
    file.commit();
}

} // namespace velnor
