// Printed pages as a PDF file, in a plug-in that velnor-calc and velnor-survey
// load only for --report: QtGui and its fonts are then loaded by the processes
// that print, and every other run starts without them.
#include "main/results/ReportPainter.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

namespace {

QtMessageHandler g_qtDefault = nullptr;

// A command-line run has no desktop session, so Qt finds no runtime folder
// and says so; nothing is wrong then, and standard error stays quiet.
void quietWithoutASession(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    if (g_qtDefault)
        g_qtDefault(type, context, message);
}

} // namespace

// The pages as a PDF file with its title; 0, or 1 with the reason in `error`.
extern "C" int velnor_write_report_pdf(const velnor::ReportPage* pages, std::size_t count, const char* title, const char* path, char* error,
                                       std::size_t errorSize)
{
    try {
        // The fonts come from Qt's GUI layer, which needs an application
        // object; no window is shown.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velnor";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance()) {
            g_qtDefault = qInstallMessageHandler(quietWithoutASession);
            new QGuiApplication(argc, argv); // lives as long as the process
        }
        velnor::writeReportPdf(std::vector<velnor::ReportPage>(pages, pages + count), title, path);
        return 0;
    } catch (const std::exception& e) {
        std::snprintf(error, errorSize, "%s", e.what());
        return 1;
    }
}
