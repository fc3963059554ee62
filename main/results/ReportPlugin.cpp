// The printed page as a PDF file, in a plug-in that velnor-calc loads only for
// --report: QtGui and its fonts are then loaded by the processes that print,
// and every other run of velnor-calc starts without them.
#include "main/results/ReportPainter.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

extern "C" int velnor_write_report_pdf(const velnor::ReportPage* page, const char* path, char* error, std::size_t errorSize)
{
    try {
        // The fonts come from Qt's GUI layer, which needs an application
        // object; no window is shown.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velnor-calc";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv); // lives as long as the process
        velnor::writeReportPdf(*page, path);
        return 0;
    } catch (const std::exception& e) {
        std::snprintf(error, errorSize, "%s", e.what());
        return 1;
    }
}
