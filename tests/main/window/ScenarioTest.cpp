// One whole examination played through the windows as a user plays it, with
// clicks and keys and the real message boxes, on a real X server: register,
// compute a flat case, add it, depth dose and effective dose, add that back,
// a curved case through the real engine, save, clear, read back, print to
// PDF. The message boxes are answered as they appear, and each is checked to
// belong to the window the user was working in.
#include "common/TextFile.h"
#include "depthdose/window/DepthDoseWindow.h"
#include "depthdose/window/EffectiveDoseWindow.h"
#include "main/dose/ProgramLauncher.h"
#include "main/results/ReportPainter.h"
#include "main/results/ResultsFile.h"
#include "main/window/EngineConsole.h"
#include "main/window/MainWindow.h"
#include "main/window/ResultsFileWindows.h"
#include "main/window/ResultsWindow.h"
#include "main/window/SurfaceShapeDialog.h"
#include "main/window/UserWindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

namespace velnor {
namespace {

// Answers every message box as it appears: the affirmative button, except
// that the Monte Carlo wait box is answered only once the engine's console
// says it has finished. Records each box's text and the window it belongs to.
class BoxAnswerer : public QObject {
public:
    BoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::look);
        m_timer.start(30);
    }
    struct Box {
        QString text, owner;
    };
    QList<Box> boxes;

private:
    void look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box == m_answered)
            return;
        if (box->text().startsWith("しばらくこのままお待ちください") && !engineFinished())
            return;
        m_answered = box;
        QWidget* owner = box->parentWidget() ? box->parentWidget()->window() : nullptr;
        boxes.push_back({box->text(), owner ? owner->objectName() : QString()});
        for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::Ok})
            if (QAbstractButton* button = box->button(b)) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
    }
    static bool engineFinished()
    {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* console = qobject_cast<EngineConsole*>(w); console && console->finished())
                return true;
        return false;
    }
    QTimer m_timer;
    QMessageBox* m_answered = nullptr;
};

// Stands in for starting Velnor17_PDD: its windows, in this process.
class DepthDoseInProcess : public ProgramLauncher {
public:
    void start(const std::filesystem::path&, const std::filesystem::path& folder) override
    {
        window = std::make_unique<pdd::DepthDoseWindow>(folder);
        window->show();
        window->start();
    }
    std::unique_ptr<pdd::DepthDoseWindow> window;
};

class ScenarioTest : public QObject {
    Q_OBJECT

    template <typename T>
    static T* in(QWidget* parent, const char* name)
    {
        T* w = parent->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    // A control of a window that scrolls on this screen is scrolled into
    // view first, as a user would; the click lands where the control is seen.
    static void click(QWidget* w)
    {
        QVERIFY2(w->isVisible() && w->isEnabled(), qPrintable(w->objectName()));
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (auto* scroll = qobject_cast<QScrollArea*>(p))
                scroll->ensureWidgetVisible(w);
        QApplication::processEvents();
        // An option is clicked on its circle, where a user clicks it (its
        // row may be wider than its caption).
        const QPoint where = qobject_cast<QRadioButton*>(w) ? QPoint(8, w->height() / 2) : w->rect().center();
        QTest::mouseClick(w, Qt::LeftButton, {}, where);
    }
    // Key by key; a character beyond ASCII comes as the text of its key
    // event, as an input method delivers it.
    static void typeInto(QWidget* edit, const QString& text)
    {
        edit->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(edit))
            line->selectAll();
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    static void activate(QWidget* window)
    {
        window->raise();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }

private slots:
    void aWholeExamination()
    {
        std::random_device device;
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("velnor-scenario-" + std::to_string(device()));
        std::filesystem::copy(VELNOR_DATA_DIR, folder, std::filesystem::copy_options::recursive);
        std::filesystem::copy(std::filesystem::path(VELNOR_BIN_DIR) / "bsfmc_cylinder", folder / "bsfmc_cylinder");
        BoxAnswerer answerer;
        DepthDoseInProcess depthDose;
        MainWindow main(folder, nullptr, nullptr, &depthDose);
        QVERIFY(main.startUp());
        main.show();
        activate(&main);

        // Register a user.
        click(in<QPushButton>(&main, "Command8"));
        UserNameDialog* registration = main.registrationDialog();
        QVERIFY(QTest::qWaitForWindowExposed(registration));
        activate(registration);
        click(in<QPushButton>(registration, "Command1")); // no name yet: the box is the dialog's own
        QTRY_COMPARE(answerer.boxes.size(), 1);
        QCOMPARE(answerer.boxes.last().owner, QString("UserRegistration"));
        QTRY_COMPARE(QApplication::activeWindow(), registration); // and the keyboard comes back to it
        typeInto(in<QLineEdit>(registration, "Text1"), "放射線科 検査");
        click(in<QPushButton>(registration, "Command1"));
        QTRY_VERIFY(main.windowTitle().endsWith("放射線科 検査"));

        // A flat case, added to the table.
        activate(&main);
        typeInto(in<QLineEdit>(&main, "Text5"), "80");
        QTest::keyClick(in<QLineEdit>(&main, "Text5"), Qt::Key_Return); // Enter stores it and moves on
        click(in<QPushButton>(&main, "Command2"));
        QTRY_VERIFY(!in<QLabel>(&main, "Label73")->text().isEmpty());
        QCOMPARE(main.state().conditions.tubeVoltageKv, 80.0);
        click(in<QPushButton>(&main, "Command3"));
        QCOMPARE(main.results().nextFreeRow(), 2);

        // Depth dose and effective dose, then back into the row.
        activate(&main);
        click(in<QPushButton>(&main, "Command11"));
        QVERIFY(depthDose.window);
        QVERIFY(QTest::qWaitForWindowExposed(depthDose.window.get()));
        activate(depthDose.window.get());
        click(in<QPushButton>(depthDose.window.get(), "CommandEffective"));
        pdd::EffectiveDoseWindow* effective = depthDose.window->effectiveDoseWindow();
        QVERIFY(QTest::qWaitForWindowExposed(effective));
        activate(effective);
        click(in<QPushButton>(effective, "Command1"));
        QTRY_VERIFY(std::filesystem::exists(folder / "Eff-Dose.dat"));
        activate(&main);
        click(in<QPushButton>(&main, "Command5"));
        QVERIFY(main.results().row(1).effectiveDoseMsv.has_value());
        const double effectiveDose = *main.results().row(1).effectiveDoseMsv;
        QVERIFY2(effectiveDose > 0 && effectiveDose < 1, qPrintable(QString::number(effectiveDose)));

        // A curved case through the real engine, with few histories.
        click(in<QRadioButton>(&main, "Option7"));
        QVERIFY(in<QRadioButton>(&main, "Option7")->isChecked());
        SurfaceShapeDialog* surface = main.surfaceDialog();
        QVERIFY(surface->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(surface));
        activate(surface);
        auto* histories = in<QComboBox>(surface, "Combo1");
        histories->lineEdit()->selectAll();
        typeInto(histories->lineEdit(), "300000");
        QCOMPARE(histories->currentText(), QString("300000")); // typed, not completed from the list
        click(in<QPushButton>(surface, "Command1"));
        activate(&main);
        click(in<QPushButton>(&main, "Command2"));
        QTRY_VERIFY_WITH_TIMEOUT(!in<QLabel>(&main, "LabelSd68")->text().isEmpty(), 60000);
        click(in<QPushButton>(&main, "Command3"));
        QCOMPARE(main.results().nextFreeRow(), 3);

        // Save the table.
        ResultsWindow* results = main.resultsWindow();
        activate(results);
        click(in<QPushButton>(results, "Command2"));
        DataSaveWindow* save = results->saveWindow();
        QVERIFY(QTest::qWaitForWindowExposed(save));
        activate(save);
        typeInto(in<QLineEdit>(save, "Text2"), "外来 シナリオ");
        typeInto(in<QLineEdit>(save, "Text1"), "scenario");
        QTest::keyClick(in<QLineEdit>(save, "Text1"), Qt::Key_Return); // to OK
        auto* saveOk = in<QPushButton>(save, "Command1");
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(saveOk));
        QTest::keyClick(saveOk, Qt::Key_Return); // Enter presses OK
        QTRY_VERIFY_WITH_TIMEOUT(!save->isVisible(), 10000);
        const ResultsFileContent saved = readResultsFile(folder / "scenario.csv");
        QCOMPARE(saved.comment, std::string("外来 シナリオ"));
        QCOMPARE(saved.rows.size(), std::size_t(2));
        QCOMPARE(saved.rows[0].conditions.tubeVoltageKv, 80.0);
        QVERIFY(std::abs(*saved.rows[0].effectiveDoseMsv - effectiveDose) < 0.0005);
        QCOMPARE(saved.rows[1].conditions.surfaceCode, SurfaceCode::Cylinder);

        // Clear, then read it back.
        activate(results);
        click(in<QPushButton>(results, "Command5"));
        QTRY_VERIFY(main.results().empty());
        click(in<QPushButton>(results, "Command3"));
        DataReadWindow* read = results->readWindow();
        QVERIFY(QTest::qWaitForWindowExposed(read));
        activate(read);
        auto* files = in<QListWidget>(read, "File1");
        QListWidgetItem* item = files->findItems("scenario.csv", Qt::MatchExactly).value(0);
        QVERIFY(item);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(item).center());
        click(in<QPushButton>(read, "Command1"));
        QTRY_COMPARE(main.results().nextFreeRow(), 3);
        QVERIFY(!in<QPushButton>(&main, "Command11")->isEnabled()); // rows from a file hold no spectrum

        // Print to a PDF file and read its text.
        const std::filesystem::path pdf = folder / "scenario.pdf";
        results->setPrinter([&](const ReportPage& page, QWidget*) {
            writeReportPdf(page, pdf);
            return true;
        });
        activate(results);
        click(in<QPushButton>(results, "Command4"));
        QTRY_VERIFY(std::filesystem::exists(pdf));
        const std::string text = pdfText(pdf);
        QVERIFY2(text.find("放射線科 検査") != std::string::npos, text.c_str());
        QVERIFY2(text.find(formatted(effectiveDose)) != std::string::npos, text.c_str());

        // The boxes raised from a dialog belonged to it.
        bool savedNotice = false;
        for (const BoxAnswerer::Box& b : answerer.boxes)
            if (b.text.contains("保存しました")) {
                savedNotice = true;
                QCOMPARE(b.owner, QString("DataSave"));
            }
        QVERIFY(savedNotice);

        depthDose.window.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

private:
    static std::string formatted(double msv)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.3f", msv);
        return buffer;
    }
    static std::string pdfText(const std::filesystem::path& pdf)
    {
        const std::filesystem::path txt = pdf.string() + ".txt";
        const std::string command = "pdftotext -layout '" + pdf.string() + "' '" + txt.string() + "'";
        if (std::system(command.c_str()) != 0)
            return {};
        return readTextFile(txt);
    }
};

} // namespace
} // namespace velnor

QTEST_MAIN(velnor::ScenarioTest)
#include "ScenarioTest.moc"
