// velnor-screenshots DATA OUTDIR: renders the main window after a calculation,
// the results window with two rows, the spectrum window with two curves and
// the surface-shape preview and the engine's console into PNG files (works on the offscreen platform),
// with the reference data of DATA copied to a scratch working folder.
#include "common/TextFile.h"
#include "depthdose/window/DepthDoseWindow.h"
#include "depthdose/window/EffectiveDoseWindow.h"
#include "depthdose/window/PddMessages.h"
#include "main/dose/DepthDoseHandOff.h"
#include "main/results/ReportPainter.h"
#include "main/results/ResultsFile.h"
#include "main/window/AtrExplanation.h"
#include "main/window/ConditionDialogs.h"
#include "main/window/EngineConsole.h"
#include "main/window/FitDialog.h"
#include "main/window/OutputDataWindows.h"
#include "main/window/ResultsFileWindows.h"
#include "main/window/UserWindows.h"
#include "main/window/MainWindow.h"
#include "main/window/ReferenceLevelsWindow.h"
#include "main/window/Messages.h"
#include "main/window/ResultsWindow.h"
#include "main/window/SpectrumWindow.h"
#include "main/window/SurfaceShapeDialog.h"
#include "main/window/Translations.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>
#include <filesystem>

namespace {

// Answers every question with yes and prints every message.
class PrintedMessages : public velnor::Messages {
public:
    void warn(const QString& text, const QString& detail) override
    {
        std::printf("message: %s %s\n", text.toUtf8().constData(), detail.toUtf8().constData());
    }
    bool askYesNo(const QString&) override { return true; }
    bool askOkCancel(const QString&) override { return true; }
    void beep() override {}
};

class PrintedPddMessages : public velnor::pdd::PddMessages {
public:
    void warn(const QString& text, const QString& detail) override
    {
        std::printf("message: %s %s\n", text.toUtf8().constData(), detail.toUtf8().constData());
    }
    bool askOkCancel(const QString&) override { return true; }
};

void save(QWidget* w, const std::filesystem::path& file)
{
    w->grab().save(QString::fromStdString(file.string()));
    std::printf("wrote %s\n", file.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    velnor::installQtTranslations(app); // Qt's own buttons as the program shows them
    if (argc != 3) {
        std::puts("usage: velnor-screenshots DATA OUTDIR");
        return 2;
    }
    QFont font("Noto Sans CJK JP");
    font.setPointSize(10);
    QApplication::setFont(font);
    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out);
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "velnor-screenshots";
    std::filesystem::remove_all(work);
    std::filesystem::copy(argv[1], work, std::filesystem::copy_options::recursive);

    PrintedMessages messages;
    velnor::MainWindow window(work, &messages);
    if (!window.startUp())
        return 1;
    window.resize(1250, 760);
    window.show();
    window.calculate();
    window.addToResults();
    window.findChild<QLineEdit*>("Text5")->setText("110");
    window.findChild<QRadioButton*>("Option3")->setChecked(true);
    window.calculate();
    window.addToResults();
    window.findChild<QPushButton*>("Command10")->click();
    window.findChild<QLineEdit*>("Text5")->setText("60");
    window.findChild<QRadioButton*>("Option1")->setChecked(true);
    window.calculate();
    window.spectrumWindow()->findChild<QRadioButton*>("Option2")->setChecked(true);
    window.spectrumWindow()->redraw();
    window.spectrumWindow()->readOut(1000 + 15 * 66, 900);
    app.processEvents();
    save(&window, out / "main-window.png");
    save(window.resultsWindow(), out / "results-window.png");
    save(window.spectrumWindow(), out / "spectrum-window.png");
    window.findChild<QRadioButton*>("Option7")->setChecked(true);
    window.surfaceDialog()->findChild<QPushButton*>("Command6")->click();
    app.processEvents();
    save(window.surfaceDialog(), out / "surface-dialog.png");
    save(window.surfaceDialog()->preview(), out / "shape-preview.png");

    // The results files' windows and the printed page.
    window.resultsWindow()->findChild<QPushButton*>("Command2")->click();
    velnor::writeResultsFile(work / "exam-2026-12.csv", "外来 胸部・腹部", window.results(), window.state().dose.cfAir);
    window.resultsWindow()->saveWindow()->open();
    app.processEvents();
    save(window.resultsWindow()->saveWindow(), out / "data-save.png");
    window.resultsWindow()->readWindow()->open();
    app.processEvents();
    save(window.resultsWindow()->readWindow(), out / "data-read.png");
    QImage page(static_cast<int>(297 / 25.4 * 150), static_cast<int>(210 / 25.4 * 150), QImage::Format_RGB32);
    page.setDotsPerMeterX(static_cast<int>(150 / 0.0254));
    page.setDotsPerMeterY(static_cast<int>(150 / 0.0254));
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(6 * 150 / 25.4, 10 * 150 / 25.4); // the printer's margins
        velnor::paintReport(velnor::reportPage(window.results(), window.state().dose.cfAir, "ゲストユーザー", &window.referenceLevels()), page, painter);
    }
    page.save(QString::fromStdString((out / "printed-report.png").string()));
    std::printf("wrote %s\n", (out / "printed-report.png").c_str());

    // The output table, user and body-part windows.
    window.findChild<QPushButton*>("Command12")->click();
    app.processEvents();
    save(window.outputEditor(), out / "output-editor.png");
    window.findChild<QPushButton*>("Command13")->click();
    app.processEvents();
    save(window.outputSelector(), out / "output-selector.png");
    window.findChild<QPushButton*>("Command8")->click();
    app.processEvents();
    save(window.registrationDialog(), out / "user-registration.png");
    window.findChild<QPushButton*>("Command7")->click();
    app.processEvents();
    save(window.bodyPartDialog(), out / "body-parts.png");
    window.findChild<QPushButton*>("CommandDrl")->click();
    app.processEvents();
    save(window.referenceLevelsWindow(), out / "reference-levels.png");
    save(window.findChild<QWidget*>("Picture1"), out / "mascot.png");

    // The fitting dialog, the ATR explanation and the condition dialogs.
    window.findChild<QPushButton*>("Command14")->click();
    window.fitDialog()->findChild<QLineEdit*>("Text1")->setText("3.2");
    app.processEvents();
    save(window.fitDialog(), out / "fit-dialog.png");
    window.findChild<QPushButton*>("Command6")->click();
    app.processEvents();
    save(window.atrExplanation(), out / "atr-explanation.png");
    window.findChild<QPushButton*>("Command9")->click();
    app.processEvents();
    save(window.otherFilterDialog(), out / "other-filter.png");
    window.findChild<QRadioButton*>("Option4")->setChecked(true);
    app.processEvents();
    save(window.measuredExposureDialog(), out / "measured-exposure.png");
    window.findChild<QPushButton*>("Command4")->click();
    app.processEvents();
    save(window.fluoroscopyDialog(), out / "fluoroscopy.png");

    // The depth-dose program on the last case: its graph with a read-out, and
    // the effective dose window after OK.
    {
        const velnor::CalculationState::ComputedCase& last = *window.state().lastCase;
        velnor::writeDepthDoseHandOff(work, last.conditions, last.dose.esdSoftTissue, last.photonSpectrum);
        PrintedPddMessages pddMessages;
        velnor::pdd::DepthDoseWindow pdd(work, &pddMessages);
        pdd.resize(860, 860);
        pdd.show();
        pdd.start();
        pdd.graph()->readOut(12, true);
        app.processEvents();
        save(&pdd, out / "depth-dose.png");
        pdd.effectiveDoseWindow()->show();
        pdd.effectiveDoseWindow()->compute();
        app.processEvents();
        save(pdd.effectiveDoseWindow(), out / "effective-dose.png");
    }

    // The engine's console window and the main window's wait during a run
    // (at its first progress report), then the console after it.
    velnor::writeTextLines(work / "joken.txt", {"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00020000000"});
    velnor::ConsoleWindowLauncher launcher(&window);
    launcher.start(velnor::runningProgramFolder() / "bsfmc_cylinder", work);
    velnor::EngineWaitDialog wait(*launcher.console(), &window);
    wait.show();
    while (launcher.console()->percentDone() <= 0 && !launcher.console()->finished())
        app.processEvents(QEventLoop::WaitForMoreEvents, 100);
    app.processEvents();
    save(&wait, out / "engine-wait.png");
    save(launcher.console(), out / "engine-console-running.png");
    while (!launcher.console()->finished())
        app.processEvents(QEventLoop::WaitForMoreEvents, 100);
    app.processEvents();
    save(launcher.console(), out / "engine-console.png");

    // A failure as the user meets it: the message, and the reason in
    // Japanese behind the details button, opened.
    velnor::writeTextLines(work / "damaged.csv", {"comment", "2", "X,1"});
    QString detail;
    try {
        velnor::readResultsFile(work / "damaged.csv");
    } catch (const std::exception& e) {
        detail = velnor::detailOf(e);
    }
    QMessageBox box(QMessageBox::Warning, "Velnor_V17", "　このファイルは読み込めません。現在の計算結果はそのまま残っています　", QMessageBox::Ok);
    velnor::prepareMessageBox(box, detail);
    box.show();
    for (QAbstractButton* b : box.buttons())
        if (box.buttonRole(b) == QMessageBox::ActionRole)
            b->click();
    app.processEvents();
    save(&box, out / "message-details.png");

    std::filesystem::remove_all(work);
    return 0;
}
