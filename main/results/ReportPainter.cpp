#include "main/results/ReportPainter.h"

#include "common/DataFileError.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <unistd.h>

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
    painter.setPen(QPen(Qt::black, 0.2));
    for (const ReportLine& l : page.lines)
        painter.drawLine(QPointF(l.x1Mm, l.y1Mm), QPointF(l.x2Mm, l.y2Mm));
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
        QString text = QString::fromStdString(t.text);
        if (t.maxWidthMm > 0)
            text = metrics.elidedText(text, Qt::ElideRight, t.maxWidthMm * 100.0 / em);
        painter.drawText(QPointF(0, metrics.ascent()), text);
        painter.restore();
    }
    painter.restore();
}

void writeReportPdf(const ReportPage& page, const std::filesystem::path& path)
{
    // Written beside its final name, then renamed: never a half-written page.
    const std::filesystem::path temporary = path.parent_path() / ("." + path.filename().string() + ".part" + std::to_string(::getpid()));
    {
        QPdfWriter writer(QString::fromStdString(temporary.string()));
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(6, 10, 6, 10),
                                         QPageLayout::Millimeter));
        writer.setTitle("診断Ｘ線の入射表面線量");
        QPainter painter;
        if (!painter.begin(&writer))
            throw DataFileError(path.string(), Reason{ReasonCode::FileCannotWrite});
        paintReport(page, writer, painter);
        painter.end();
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        throw DataFileError(path.string(), Reason{ReasonCode::FileCannotReplace, {}, 0, 0, 0, {}, {}, ec.message()});
    }
}

} // namespace velnor
