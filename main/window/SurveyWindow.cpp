#include "main/window/SurveyWindow.h"

#include "common/TextFile.h"
#include "main/results/ReportPainter.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"
#include "survey/SurveyFiles.h"
#include "survey/SurveyReport.h"

#include <QBarCategoryAxis>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

namespace velnor {
namespace {

const char* const kTitle = "線量調査";
const char* const kNote = "DICOM のフォルダ、撮影条件の CSV、または計算条件の JSON Lines を選び、すべての撮影を平面で計算して、"
                          "検査ごとの線量の中央値を診断参考レベルと比べます。";
const char* const kInputFilter = "撮影条件 (*.csv *.jsonl *.json *.dcm);;すべてのファイル (*)";
const char* const kNoInput = "調査するフォルダかファイルを選んで下さい";
const char* const kCannotStart = "　線量調査を始められません　";
const char* const kInputMissing = "　次の入力がありません　\n%1";
const char* const kChooseFolder = "調査するフォルダ";
const char* const kChooseFile = "調査するファイル";
const char* const kCannotSave = "　保存できません　";
const char* const kSaved = "保存しました";
const char* const kStopped = "中止しました（%1 件まで計算、統計とファイルは作りません）";
const char* const kDone = "計算 %1 件";
const char* const kFailedCount = "、計算できなかったもの %1 件（下の一覧）";
const char* const kRunning = "計算中… %1 件";
const char* const kBandNote = "　体厚範囲（体厚範囲.txt）の外の撮影は統計から除いています";

enum Column { Name, Room, Count, Outside, Median, Q1, Q3, Min, Max, Thickness, Effective, Level, Ratio, Columns };

QString qs(const std::string& s) { return QString::fromStdString(s); }
QString figure(double v) { return QString::number(v, 'g', 3); }
QString figure(const std::optional<double>& v) { return v ? figure(*v) : QString("―"); }

} // namespace

struct SurveyWindow::Finish {
    survey::SurveyOutcome outcome;
    QString error, detail; // the survey could not run or its files not be made
};

SurveyWindow::SurveyWindow(Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_folder(folder)
{
    setObjectName("FormSurvey");
    setWindowTitle(kTitle);
    auto* note = new QLabel(kNote, this);
    note->setWordWrap(true);
    m_input = controls::edit("TextInput", this, QWIDGETSIZE_MAX);
    m_input->setPlaceholderText("フォルダまたはファイル");
    auto* chooseFolder = controls::button("CommandFolder", "フォルダ...", this);
    auto* chooseFile = controls::button("CommandFile", "ファイル...", this);
    m_band = new QCheckBox("体厚範囲の撮影だけ（体厚範囲.txt）", this);
    m_band->setObjectName("CheckBand");
    m_band->setChecked(true);
    m_byRoom = new QCheckBox("撮影室別", this);
    m_byRoom->setObjectName("CheckRoom");
    m_start = controls::button("CommandStart", "開始", this);
    m_stop = controls::button("CommandStop", "中止", this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("ProgressSurvey");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_status = controls::label("LabelSurvey", {}, this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_table = new QTableWidget(0, Columns, this);
    m_table->setObjectName("GridSurvey");
    m_table->setHorizontalHeaderLabels({"検査", "撮影室", "件数", "範囲外", "中央値\n(mGy)", "第1四分位\n(mGy)", "第3四分位\n(mGy)",
                                        "最小\n(mGy)", "最大\n(mGy)", "体厚中央値\n(cm)", "実効線量中央値\n(mSv)", "DRL\n(mGy)", "中央値/DRL"});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_chart = new QChartView(this);
    m_chart->setObjectName("ChartSurvey");
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumWidth(280);
    m_failures = new QListWidget(this);
    m_failures->setObjectName("ListFailures");
    m_failures->setMaximumHeight(90);
    m_failures->hide();

    m_csv = controls::button("CommandCsv", "CSV保存", this);
    m_xlsx = controls::button("CommandXlsx", "XLSX保存", this);
    m_pdf = controls::button("CommandPdf", "PDF保存", this);
    m_print = controls::button("CommandPrint", "印刷", this);
    auto* close = controls::button("CommandClose", "閉じる", this);

    auto* inputRow = new QHBoxLayout;
    inputRow->addWidget(new QLabel("入力", this));
    inputRow->addWidget(m_input, 1);
    inputRow->addWidget(chooseFolder);
    inputRow->addWidget(chooseFile);
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(m_band);
    runRow->addWidget(m_byRoom);
    runRow->addWidget(m_start);
    runRow->addWidget(m_stop);
    runRow->addWidget(m_progress, 1);
    auto* split = new QSplitter(this);
    split->addWidget(m_table);
    split->addWidget(m_chart);
    split->setStretchFactor(0, 1);
    split->setSizes({900, 340});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(inputRow);
    layout->addLayout(runRow);
    layout->addWidget(m_status);
    layout->addWidget(split, 1);
    layout->addWidget(m_failures);
    layout->addLayout(controls::buttonRow({m_csv, m_xlsx, m_pdf, m_print, close}));

    m_chooseSave = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, qs(m_folder.string()), filter);
    };
    connect(chooseFolder, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, kChooseFolder, qs(startFolder().string()));
        if (!dir.isEmpty())
            m_input->setText(dir);
    });
    connect(chooseFile, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, kChooseFile, qs(startFolder().string()), kInputFilter);
        if (!file.isEmpty())
            m_input->setText(file);
    });
    connect(m_input, &QLineEdit::textChanged, this, &SurveyWindow::updateCommands);
    connect(m_input, &QLineEdit::returnPressed, m_start, &QPushButton::click);
    connect(m_start, &QPushButton::clicked, this, [this] { start(chosenInputs()); });
    connect(m_stop, &QPushButton::clicked, this, &SurveyWindow::stop);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) { showExamination(row); });
    auto save = [this](const QString& caption, const QString& filter, bool (SurveyWindow::*saveTo)(const std::filesystem::path&)) {
        const QString path = m_chooseSave(caption, filter);
        if (!path.isEmpty() && (this->*saveTo)(path.toStdString()))
            m_messages.inform(kSaved);
    };
    connect(m_csv, &QPushButton::clicked, this, [save] { save("CSV保存", "CSV (*.csv)", &SurveyWindow::saveCsv); });
    connect(m_xlsx, &QPushButton::clicked, this, [save] { save("XLSX保存", "Excel ブック (*.xlsx)", &SurveyWindow::saveWorkbook); });
    connect(m_pdf, &QPushButton::clicked, this, [save] { save("PDF保存", "PDF (*.pdf)", &SurveyWindow::savePdf); });
    connect(m_print, &QPushButton::clicked, this, [this] { controls::printPages(reportPages(), "線量調査.pdf", this); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    controls::enterClicksButtons(this);
    updateCommands();
    controls::fitOnScreen(this, QSize(1300, 660));
}

SurveyWindow::~SurveyWindow()
{
    m_stopAsked = true;
    if (m_worker.joinable())
        m_worker.join();
}

std::filesystem::path SurveyWindow::startFolder() const
{
    // The folder typed or chosen last, or the one of the file named there.
    std::error_code ec;
    for (std::filesystem::path p = m_input->text().trimmed().toStdString(); !p.empty() && p != p.parent_path(); p = p.parent_path())
        if (std::filesystem::is_directory(p, ec))
            return p;
    return m_folder;
}

std::vector<std::filesystem::path> SurveyWindow::chosenInputs() const
{
    const QString text = m_input->text().trimmed();
    if (text.isEmpty())
        return {};
    return {std::filesystem::path(text.toStdString())};
}

void SurveyWindow::start(const std::vector<std::filesystem::path>& inputs)
{
    if (running())
        return;
    if (inputs.empty()) {
        m_messages.warn(kNoInput);
        return;
    }
    for (const auto& input : inputs) {
        std::error_code ec;
        if (!std::filesystem::exists(input, ec)) {
            m_messages.warn(QString(kInputMissing).arg(qs(input.string())));
            return;
        }
    }
    m_completed = false;
    m_outcome = {};
    m_table->setRowCount(0);
    m_chart->setChart(new QChart);
    m_failures->clear();
    m_failures->hide();
    m_files = std::make_unique<QTemporaryDir>();
    m_surveyed = inputs;
    m_surveyedWithBand = m_band->isChecked();
    m_stopAsked = false;
    m_progress->setRange(0, 0); // the number of exposures is known only at the end
    m_status->setText(QString(kRunning).arg(0));

    survey::SurveyOptions options;
    options.band = m_band->isChecked();
    options.byRoom = m_byRoom->isChecked();
    const std::filesystem::path files = m_files->path().toStdString();
    m_worker = std::thread([this, inputs, options, files] {
        auto result = std::make_shared<Finish>();
        try {
            survey::SurveyCsv csv(files / "survey.csv");
            survey::SurveyWorkbook workbook(files / "survey.xlsx");
            survey::SurveyProgress progress;
            progress.exposure = [&](const survey::ExposureResult& r) {
                csv.add(r);
                workbook.add(r);
            };
            progress.progress = [this](std::size_t done) {
                QMetaObject::invokeMethod(this, [this, done] { m_status->setText(QString(kRunning).arg(done)); }, Qt::QueuedConnection);
            };
            progress.stop = &m_stopAsked;
            result->outcome = survey::runSurvey(inputs, m_folder, options, progress);
            if (!result->outcome.stopped) {
                csv.commit(result->outcome.examinations);
                workbook.commit(result->outcome.examinations);
            }
        } catch (const std::exception& e) {
            result->error = kCannotStart;
            result->detail = detailOf(e);
        }
        QMetaObject::invokeMethod(this, [this, result] { finish(result); }, Qt::QueuedConnection);
    });
    updateCommands();
}

void SurveyWindow::stop() { m_stopAsked = true; }

void SurveyWindow::finish(const std::shared_ptr<Finish>& result)
{
    m_worker.join();
    m_progress->setRange(0, 1);
    m_progress->setValue(result->error.isEmpty() && !result->outcome.stopped ? 1 : 0);
    const survey::SurveyOutcome& o = result->outcome;
    if (!result->error.isEmpty()) {
        m_status->clear();
        updateCommands();
        m_messages.warn(result->error, result->detail);
        emit finished();
        return;
    }
    if (o.stopped) {
        m_status->setText(QString(kStopped).arg(o.computed + o.failures.size()));
        updateCommands();
        emit finished();
        return;
    }
    m_outcome = o;
    m_completed = true;
    QString status = QString(kDone).arg(o.computed);
    if (!o.failures.empty())
        status += QString(kFailedCount).arg(o.failures.size());
    if (m_surveyedWithBand)
        status += kBandNote;
    m_status->setText(status);
    for (const survey::SurveyFailure& f : o.failures)
        m_failures->addItem(qs(f.source) + "：" + qs(f.errorJapanese.empty() ? f.error : f.errorJapanese));
    m_failures->setVisible(!o.failures.empty());

    m_table->setRowCount(static_cast<int>(o.examinations.size()));
    for (int r = 0; r < m_table->rowCount(); ++r) {
        const survey::ExaminationSummary& s = o.examinations[static_cast<std::size_t>(r)];
        const bool any = s.count > 0;
        const bool above = s.ratio && *s.ratio > 1;
        const QString cells[Columns] = {qs(s.name),
                                        qs(s.room),
                                        QString::number(s.count),
                                        m_surveyedWithBand ? QString::number(s.outsideBand) : "―",
                                        any ? figure(s.median) : "―",
                                        any ? figure(s.q1) : "―",
                                        any ? figure(s.q3) : "―",
                                        any ? figure(s.min) : "―",
                                        any ? figure(s.max) : "―",
                                        figure(s.medianThicknessCm),
                                        figure(s.medianEffectiveDoseMsv),
                                        figure(s.levelMgy),
                                        s.ratio ? qs(percentText(*s.ratio)) + (above ? " 超過" : "") : "―"};
        for (int c = 0; c < Columns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= Count)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (above && (c == Median || c == Ratio))
                item->setForeground(Qt::red);
            m_table->setItem(r, c, item);
        }
    }
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(0, 0);
    updateCommands();
    emit finished();
}

void SurveyWindow::showExamination(int row)
{
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    if (row >= 0 && row < static_cast<int>(m_outcome.examinations.size())) {
        const survey::ExaminationSummary& s = m_outcome.examinations[static_cast<std::size_t>(row)];
        chart->setTitle(qs(s.room.empty() ? s.name : s.name + "（" + s.room + "）"));
        auto* categories = new QBarCategoryAxis;
        categories->append(QString("n = %1").arg(s.count));
        auto* values = new QValueAxis;
        values->setTitleText(QString("入射表面線量（%1） mGy").arg(drlDoseFileName(s.dose)));
        chart->addAxis(categories, Qt::AlignBottom);
        chart->addAxis(values, Qt::AlignLeft);
        double top = 0;
        if (s.count > 0) {
            auto* boxes = new QBoxPlotSeries;
            auto* box = new QBoxSet(s.min, s.q1, s.median, s.q3, s.max);
            boxes->append(box);
            chart->addSeries(boxes);
            boxes->attachAxis(categories);
            boxes->attachAxis(values);
            for (QLegendMarker* marker : chart->legend()->markers(boxes))
                marker->setVisible(false);
            top = s.max;
        }
        if (s.levelMgy) {
            // The level across the box, on the category axis's -0.5 .. 0.5.
            auto* level = new QLineSeries;
            level->setName(QString("DRL %1 mGy").arg(figure(*s.levelMgy)));
            level->append(-0.5, *s.levelMgy);
            level->append(0.5, *s.levelMgy);
            level->setPen(QPen(Qt::red, 2));
            chart->addSeries(level);
            level->attachAxis(categories);
            level->attachAxis(values);
            top = std::max(top, *s.levelMgy);
        }
        values->setRange(0, top > 0 ? top * 1.1 : 1);
        values->applyNiceNumbers();
    }
    m_chart->setChart(chart);
}

void SurveyWindow::updateCommands()
{
    const bool busy = running();
    m_start->setEnabled(!busy && !m_input->text().trimmed().isEmpty());
    m_stop->setEnabled(busy);
    m_input->setEnabled(!busy);
    m_band->setEnabled(!busy);
    m_byRoom->setEnabled(!busy);
    for (QPushButton* b : {m_csv, m_xlsx, m_pdf, m_print})
        b->setEnabled(!busy && m_completed);
}

bool SurveyWindow::saveCsv(const std::filesystem::path& path)
{
    try {
        const std::filesystem::path from = std::filesystem::path(m_files->path().toStdString()) / "survey.csv";
        copyFileWhole(survey::summaryPathFor(from), survey::summaryPathFor(path));
        copyFileWhole(from, path);
        return true;
    } catch (const std::exception& e) {
        m_messages.warn(kCannotSave, detailOf(e));
        return false;
    }
}

bool SurveyWindow::saveWorkbook(const std::filesystem::path& path)
{
    try {
        copyFileWhole(std::filesystem::path(m_files->path().toStdString()) / "survey.xlsx", path);
        return true;
    } catch (const std::exception& e) {
        m_messages.warn(kCannotSave, detailOf(e));
        return false;
    }
}

std::vector<ReportPage> SurveyWindow::reportPages() const
{
    survey::SurveyReportInfo info;
    info.date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    for (const auto& input : m_surveyed)
        info.inputs += (info.inputs.empty() ? "" : "、") + input.string();
    info.computed = m_outcome.computed;
    info.failed = m_outcome.failures.size();
    info.dose = m_outcome.dose;
    info.band = m_surveyedWithBand;
    return survey::surveyReportPages(m_outcome.examinations, info);
}

bool SurveyWindow::savePdf(const std::filesystem::path& path)
{
    try {
        writeReportPdf(reportPages(), kTitle, path);
        return true;
    } catch (const std::exception& e) {
        m_messages.warn(kCannotSave, detailOf(e));
        return false;
    }
}

void SurveyWindow::closeEvent(QCloseEvent* event)
{
    // A survey does not go on behind a closed window.
    m_stopAsked = true;
    QWidget::closeEvent(event);
}

} // namespace velnor
