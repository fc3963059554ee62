// velnor-screenshots DATA OUTDIR: renders the main window after a calculation,
// the results window with two rows, the spectrum window with two curves and
// the surface-shape preview and the engine's console into PNG files (works on the offscreen platform),
// with the reference data of DATA copied to a scratch working folder.
#include "common/TextFile.h"
#include "main/window/EngineConsole.h"
#include "main/window/MainWindow.h"
#include "main/window/Messages.h"
#include "main/window/ResultsWindow.h"
#include "main/window/SpectrumWindow.h"
#include "main/window/SurfaceShapeDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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

void save(QWidget* w, const std::filesystem::path& file)
{
    w->grab().save(QString::fromStdString(file.string()));
    std::printf("wrote %s\n", file.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
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

    // The engine's console window after a short run.
    velnor::writeTextLines(work / "joken.txt", {"020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000300000"});
    velnor::ConsoleWindowLauncher launcher(&window);
    launcher.start(velnor::runningProgramFolder() / "bsfmc_cylinder", work);
    while (!launcher.console()->finished())
        app.processEvents(QEventLoop::WaitForMoreEvents, 100);
    app.processEvents();
    save(launcher.console(), out / "engine-console.png");
    std::filesystem::remove_all(work);
    return 0;
}
