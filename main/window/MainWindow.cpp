#include "main/window/MainWindow.h"

#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/NumberReading.h"
#include "common/FreeFormatReader.h"
#include "main/dose/DepthDoseHandOff.h"
#include "main/dose/NonPlanarBackscatter.h"
#include "main/records/CalculationError.h"
#include "main/records/DisplayPatterns.h"
#include "main/spectrum/Fitting.h"
#include "main/records/ReferenceLoader.h"
#include "main/records/UserFiles.h"
#include "main/window/EngineConsole.h"
#include "main/window/AtrExplanation.h"
#include "main/window/Controls.h"
#include "main/window/ConditionDialogs.h"
#include "main/window/FitDialog.h"
#include "main/window/Messages.h"
#include "main/window/OutputDataWindows.h"
#include "main/window/UserWindows.h"
#include "main/window/ReferenceLevelsWindow.h"
#include "main/window/SurveyWindow.h"
#include "main/window/ResultsWindow.h"
#include "main/window/SpectrumWindow.h"
#include "main/window/SurfaceShapeDialog.h"

#include <QFileDialog>
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <QSignalBlocker>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

// Captions, messages and patterns of the main window.
const char* const kHeading = "診断X線の入射表面線量計算";
const char* const kTitlePrefix = "Velnor-V17 ( Velnor, Version 17 )";
const char* const kCalculationFailed = "　???  正しく計算できませんでした  ???   ";
const char* const kThicknessRefused = "  被写体厚が (FFD-FSD) より大きくなっています  ";
const char* const kTableFull =
    "　これ以上の計算結果は保存できません。現在の結果表を一旦保存し、データ消去後、新たな結果表に保存して下さい。";
const char* const kExitQuestion = "　***  Velnor_V17 を終了していいですか？  ***  ";
const char* const kCircularPlanar = "　円形照射野の場合、平面入射となります　";
const char* const kCircularNonPlanar = "　円形照射野の場合、平面入射になります　";
const char* const kMonteCarloWait = "しばらくこのままお待ちください。 計算終了後、この OK ボタンを押して下さい";
const char* const kStartUpFailed = "参照データファイルを読み込めないため、Velnor_V17 を起動できません。";
const char* const kNotYet = "この機能はまだ使用できません。";
const char* const kHeadFrontal = "頭部正面";
const char* const kDepthDoseProgram = "Velnor17_PDD";
const char* const kDepthDoseMissing = "　深部線量プログラム Velnor17_PDD を起動できません　";
const char* const kNoEffectiveDose = "実効線量は計算されていません";
const char* const kComputeEffectiveDoseFirst = "実効線量概算で計算してから押して下さい";
const char* const kSdCaption = "標準偏差 (モンテカルロ)";
const char* const kFitDone = "　＊＊＊  計算を完了しました　＊＊＊   ";
const char* const kFitFailed = "***  正しく計算できません  ***";
const char* const kFitFailedAtrVoltage = " 正しく計算できません ";
const char* const kFitAbove150 = " 管電圧が規定の最大値(150kV)を超え、正しく計算できません ";
const char* const kFitAboveLimit = " 管電圧が JIS規格の設定値＋10% を超え、正しく計算できません ";
const char* const kFitBelow30 = " 管電圧が規定の最小値(30kV)より小さくなり、正しく計算できません ";
const char* const kFitBelowLimitHvl = " 管電圧が JIS規格の設定値-10% より小さくなり、正しく計算できません ";
const char* const kFitBelowLimitAtr = " 管電圧が JIS規格の設定値-10%より小さくなり、正しく計算できません ";
const char* const kFitAtrRange = "実測 ATR Index 値が、計算可能範囲外です";
const char* const kFitBelowNoFiltration = "　実測値は固有ろ過のないＸ線の値より小さく、近似できません　";
const char* const kBodyPartsUnreadable = "　照射部位ファイルを読み込めません　";
const char* const kLongAxisCaption = "　長軸方向サイズ";
const char* const kDiameterCaption = "  照射野サイズ（直径）";
const char* const kNonPlanarCaption = "非平面として計算";
const char* const kWelcome = "ようこそ Velnor_V17 へ ： 最初にユーザー名を登録して下さい";
const char* const kDefaultBodyPart = "腹部正面";
const char* const kInputRefused = "　入力された条件では計算できません　";
const char* const kSurfaceRefused = "　形状の寸法またはヒストリー数が正しくありません　";
const char* const kShowResults = "結果表を表示";
const char* const kOtherFilterHint = "アルミ・銅以外のフィルター設定";
const char* const kUnsavedOnExit = "　保存も印刷もされていない計算結果があります。終了しますか？　";
const char* const kEngineOnExit = "　モンテカルロ計算の実行中です。終了すると計算は中止されます。終了しますか？　";
const char* const kExposureUnit = "C/kg";
const char* const kDrlButton = "DRL表";
const char* const kDicomButton = "DICOM読込";
const char* const kSurveyButton = "線量調査";
const char* const kDicomFilter = "DICOM (*.dcm *.DCM *.dicom);;すべてのファイル (*)";
const char* const kDicomSettingsUnreadable = "　DICOM の設定ファイル（撮影装置.txt、DICOM撮影部位.txt）を読み込めません　";
const char* const kDicomUnreadable = "　この DICOM ファイルは読み込めません　";
const char* const kDicomNotComputable = "　この撮影の条件では計算できません　";
const char* const kDicomChooseEvent = "計算する照射イベントを選んで下さい";
const char* const kDrlNote = "DRLは標準体格の患者群の中央値と比べる目安です";
const char* const kDrlUnavailable = "診断参考レベルと比べられません：";

// Enter moves the focus along this chain.
const std::pair<const char*, const char*> kEnterChain[] = {
    {"Text1", "Text2"}, {"Text2", "Text3"}, {"Text3", "Text4"}, {"Text4", "Combo2"}, {"Combo2", "Text5"},
    {"Text5", "Text6"}, {"Text6", "Text7"}, {"Text7", "Text8"}, {"Text8", "Text23"}, {"Text23", "Text9"},
    {"Text9", "Combo1"}, {"Text10", "Text11"}, {"Text11", "Command2"},
};

QString qs(const std::string& s) { return QString::fromStdString(s); }

double numberIn(const QString& text) { return readLeadingNumber(text.toStdString()); }

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

} // namespace

MainWindow::MainWindow(const std::filesystem::path& workingFolder, Messages* messages, ProgramLauncher* launcher,
                       ProgramLauncher* windowedLauncher)
    : m_folder(workingFolder)
{
    setObjectName("Form1");
    controls::enterClicksButtons(this);
    if (!messages) {
        m_ownMessages = std::make_unique<DialogMessages>(this);
        messages = m_ownMessages.get();
    }
    m_messages = messages;
    if (!launcher) {
        auto console = std::make_unique<ConsoleWindowLauncher>(this);
        m_consoleLauncher = console.get();
        m_ownLauncher = std::move(console);
        launcher = m_ownLauncher.get();
    }
    m_launcher = launcher;
    if (!windowedLauncher) {
        m_ownWindowedLauncher = std::make_unique<WindowedLauncher>();
        windowedLauncher = m_ownWindowedLauncher.get();
    }
    m_windowedLauncher = windowedLauncher;
    m_state.exchangeFolder = m_folder;
    m_state.nonPlanarBackscatter = [this](const ExposureConditions&, const BinArray&) { return runMonteCarlo(); };
    buildControls();
    m_resultsWindow = new ResultsWindow(m_results, m_state.dose.cfAir, *m_messages, m_folder, this);
    m_spectrumWindow = new SpectrumWindow(m_state, this);
    m_surfaceDialog = new SurfaceShapeDialog(this);
    m_outputEditor = new OutputDataEditor(m_state.outputData, *m_messages, m_folder, this);
    m_outputSelector = new OutputDataSelector(m_state.outputData, *m_messages, m_folder, this);
    m_registration = new UserNameDialog(UserNameDialog::Mode::Registration, *m_messages, m_folder, this);
    m_nameChange = new UserNameDialog(UserNameDialog::Mode::Change, *m_messages, m_folder, this);
    m_bodyParts = new BodyPartDialog(*m_messages, m_folder, this);
    m_levelsWindow = new ReferenceLevelsWindow(*m_messages, m_folder, this);
    m_surveyWindow = new SurveyWindow(*m_messages, m_folder, this);
    m_fitDialog = new FitDialog(*m_messages, this);
    m_atrExplanation = new AtrExplanation(this);
    m_otherFilter = new OtherFilterDialog(*m_messages, m_folder, this);
    m_measuredExposure = new MeasuredExposureDialog(*m_messages, this);
    m_fluoroscopy = new FluoroscopyDialog(*m_messages, this);
    connectControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls()
{
    auto* heading = new QLabel(kHeading, this);
    heading->setObjectName("LabelHeading");
    QFont headingFont = heading->font();
    headingFont.setPointSize(headingFont.pointSize() + 6);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    auto* date = new QLabel(this);
    date->setObjectName("Label52");
    m_label["Label52"] = date;

    // Inputs.
    auto* inputs = new QGroupBox("撮影条件", this);
    auto* grid = new QGridLayout(inputs);
    int row = 0;
    auto addField = [&](const form::InputField& f) {
        auto* edit = new QLineEdit(f.startUpText, inputs);
        edit->setObjectName(f.name);
        edit->setMaximumWidth(90);
        edit->installEventFilter(this);
        m_text[f.name] = edit;
        grid->addWidget(new QLabel(f.caption, inputs), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(f.unit, inputs), row, 2);
        ++row;
    };
    const std::vector<form::InputField>& fields = form::inputFields();
    for (int i = 0; i < 4; ++i)
        addField(fields[static_cast<std::size_t>(i)]);
    m_combo2 = new QComboBox(inputs);
    m_combo2->setObjectName("Combo2");
    m_combo2->setEditable(true);
    m_combo2->installEventFilter(this);
    m_combo2->lineEdit()->installEventFilter(this);
    grid->addWidget(new QLabel("照射部位", inputs), row, 0);
    grid->addWidget(m_combo2, row, 1, 1, 2);
    auto* bodyPartsButton = new QPushButton("追加・削除", inputs);
    bodyPartsButton->setObjectName("Command7");
    m_command["Command7"] = bodyPartsButton;
    grid->addWidget(bodyPartsButton, row, 3);
    ++row;
    for (std::size_t i = 4; i < fields.size(); ++i)
        addField(fields[i]);

    // Other filter.
    auto* otherFilter = new QPushButton("任意フィルタ", inputs);
    otherFilter->setObjectName("Command9");
    m_command["Command9"] = otherFilter;
    grid->addWidget(otherFilter, row, 0);
    m_label["Label29"] = new QLabel("―", inputs);
    m_label["Label29"]->setObjectName("Label29");
    m_label["Label26"] = new QLabel("0", inputs);
    m_label["Label26"]->setObjectName("Label26");
    grid->addWidget(m_label["Label29"], row, 1);
    grid->addWidget(m_label["Label26"], row, 2);
    grid->addWidget(new QLabel("mm", inputs), row, 3);
    ++row;
    grid->addWidget(new QLabel(kOtherFilterHint, inputs), row, 0, 1, 4);
    ++row;

    // Field size.
    auto* field = new QGroupBox("受像面での照射野サイズ", this);
    auto* fieldGrid = new QGridLayout(field);
    m_combo1 = new QComboBox(field);
    m_combo1->setObjectName("Combo1");
    for (const form::FieldPreset& p : form::fieldPresets())
        m_combo1->addItem(p.name);
    m_combo1->installEventFilter(this);
    fieldGrid->addWidget(m_combo1, 0, 0, 1, 3);
    m_label["Label22"] = new QLabel(kLongAxisCaption, field);
    m_label["Label22"]->setObjectName("Label22");
    for (const char* name : {"Text10", "Text11"}) {
        auto* edit = new QLineEdit(field);
        edit->setObjectName(name);
        edit->setMaximumWidth(90);
        edit->installEventFilter(this);
        m_text[name] = edit;
    }
    fieldGrid->addWidget(m_label["Label22"], 1, 0);
    fieldGrid->addWidget(m_text["Text10"], 1, 1);
    fieldGrid->addWidget(new QLabel("cm", field), 1, 2);
    fieldGrid->addWidget(new QLabel("　単軸方向サイズ", field), 2, 0);
    fieldGrid->addWidget(m_text["Text11"], 2, 1);
    fieldGrid->addWidget(new QLabel("cm", field), 2, 2);

    // Option groups.
    auto makeGroup = [&](const char* caption, std::initializer_list<std::pair<const char*, const char*>> options) {
        auto* box = new QGroupBox(caption, this);
        auto* layout = new QVBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (const auto& [name, text] : options) {
            auto* option = new QRadioButton(text, box);
            option->setObjectName(name);
            group->addButton(option);
            layout->addWidget(option);
            m_option[name] = option;
        }
        return box;
    };
    auto* rectification = makeGroup("高電圧整流方式", {{"Option1", "定電圧・インバータ"}, {"Option2", "三相12ピーク"}, {"Option3", "単相全波"}});
    auto* source = makeGroup("焦点から１ｍの距離の照射線量",
                             {{"Option4", "実測値を直接入力"}, {"Option5", "デフォルト出力データを利用 (推奨)"}});
    m_label["Label78"] = new QLabel(source);
    m_label["Label78"]->setObjectName("Label78");
    m_label["Label78"]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Wide enough for its value before there is one, so that the window's
    // size does not change with the first calculation.
    m_label["Label78"]->setMinimumWidth(m_label["Label78"]->fontMetrics().horizontalAdvance("0.00E-00") + 12);
    m_label["Label78"]->setMinimumWidth(80);
    m_label["Label78"]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* exposureRow = new QHBoxLayout;
    exposureRow->addWidget(m_label["Label78"]);
    exposureRow->addWidget(new QLabel(kExposureUnit, source));
    exposureRow->addStretch();
    static_cast<QVBoxLayout*>(source->layout())->addLayout(exposureRow);
    auto* outputRow = new QHBoxLayout;
    m_label["Label79"] = new QLabel(source);
    m_label["Label79"]->setObjectName("Label79");
    outputRow->addWidget(m_label["Label79"]);
    for (const auto& [name, text] : {std::pair{"Command12", "出力データ編集"}, std::pair{"Command13", "出力データ選択"}}) {
        auto* button = new QPushButton(text, source);
        button->setObjectName(name);
        m_command[name] = button;
        outputRow->addWidget(button);
    }
    static_cast<QVBoxLayout*>(source->layout())->addLayout(outputRow);
    auto* incidence = makeGroup("後方散乱係数 算出方法", {{"Option6", "平面として計算"}, {"Option7", kNonPlanarCaption}});
    auto* phantom = makeGroup("", {{"Option8", "頭 部"}, {"Option9", "頭部以外"}});
    phantom->setFlat(true);
    incidence->layout()->addWidget(phantom);

    // Results block.
    auto* results = new QGroupBox("計算結果", this);
    auto* resultGrid = new QGridLayout(results);
    auto addResult = [&](int r, int c, const char* name) {
        auto* label = new QLabel(results);
        label->setObjectName(name);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(80);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_label[name] = label;
        resultGrid->addWidget(label, r, c);
    };
    resultGrid->addWidget(new QLabel("第1半価層 (mmAl)", results), 0, 0);
    addResult(0, 1, "Label65");
    resultGrid->addWidget(new QLabel("実効エネルギー (keV)", results), 0, 2);
    addResult(0, 3, "Label66");
    auto* atrButton = new QPushButton("ATR-Index", results);
    atrButton->setObjectName("Command6");
    m_command["Command6"] = atrButton;
    resultGrid->addWidget(atrButton, 1, 0);
    addResult(1, 1, "Label67");
    resultGrid->addWidget(new QLabel("軟部組織", results), 2, 1);
    resultGrid->addWidget(new QLabel("皮膚組織", results), 2, 2);
    resultGrid->addWidget(new QLabel("空気カーマ", results), 2, 3);
    resultGrid->addWidget(new QLabel("後方散乱係数", results), 3, 0);
    addResult(3, 1, "Label68");
    addResult(3, 2, "Label69");
    addResult(3, 3, "Label70");
    resultGrid->addWidget(new QLabel("照射線量 - 吸収線量 変換係数", results), 4, 0);
    addResult(4, 1, "Label71");
    addResult(4, 2, "Label72");
    resultGrid->addWidget(new QLabel("入射表面線量 (mGy)", results), 5, 0);
    addResult(5, 1, "Label73");
    addResult(5, 2, "Label74");
    addResult(5, 3, "Label75");
    // The statistical uncertainty of a Monte Carlo engine's factors.
    resultGrid->addWidget(new QLabel(kSdCaption, results), 6, 0);
    for (int i = 0; i < 3; ++i) {
        const QString name = QString("LabelSd%1").arg(68 + i);
        auto* sd = new QLabel(results);
        sd->setObjectName(name);
        sd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_label[name] = sd;
        resultGrid->addWidget(sd, 6, 1 + i);
    }

    // Command buttons.
    auto makeButton = [&](const char* name, const char* caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        m_command[name] = button;
        return button;
    };
    auto* calculateButton = makeButton("Command2", "この条件で計算する");
    QFont big = calculateButton->font();
    big.setPointSize(big.pointSize() + 2);
    big.setBold(true);
    calculateButton->setFont(big);
    makeButton("Command14", "再計算する");
    makeButton("Command3", "結果表に追加");
    makeButton("Command11", "実効線量概算");
    makeButton("Command5", "結果表に追加");
    makeButton("Command10", "Ｘ線スペクトル表示");
    makeButton("ShowResults", kShowResults);
    makeButton("Command4", "透視");
    makeButton("Command8", kWelcome);
    makeButton("Command1", "---  bye bye  ---");
    makeButton("CommandDrl", kDrlButton);
    makeButton("CommandDicom", kDicomButton);
    makeButton("CommandSurvey", kSurveyButton);
    auto addNote = [&](const char* name) {
        auto* note = new QLabel(this);
        note->setObjectName(name);
        note->setWordWrap(true);
        note->setTextFormat(Qt::RichText);
        m_label[name] = note;
        return note;
    };
    QLabel* drl = addNote("LabelDrl");
    QLabel* dicomNote = addNote("LabelDicom");
    auto* userPicture = new MascotPicture(this);
    m_mascot = userPicture;

    // Arrangement.
    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch();
    top->addWidget(date);
    top->addWidget(userPicture);
    auto* left = new QVBoxLayout;
    left->addWidget(inputs);
    left->addWidget(field);
    left->addWidget(m_command["Command4"]);
    left->addStretch();
    auto* middle = new QVBoxLayout;
    middle->addWidget(rectification);
    middle->addWidget(source);
    middle->addWidget(incidence);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(calculateButton);
    right->addWidget(results);
    auto* actions = new QGridLayout;
    actions->addWidget(m_command["Command3"], 0, 0);
    actions->addWidget(m_command["Command14"], 0, 1);
    actions->addWidget(m_command["Command11"], 1, 0);
    actions->addWidget(m_command["Command5"], 1, 1);
    actions->addWidget(m_command["Command10"], 2, 0);
    actions->addWidget(m_command["ShowResults"], 2, 1);
    right->addLayout(actions);
    // Below the commands: the case against its diagnostic reference level,
    // and what a DICOM file gave.
    auto* notes = new QVBoxLayout;
    notes->addWidget(drl);
    notes->addWidget(dicomNote);
    auto* noteButtons = new QVBoxLayout;
    noteButtons->addWidget(m_command["CommandDicom"]);
    noteButtons->addWidget(m_command["CommandDrl"]);
    noteButtons->addWidget(m_command["CommandSurvey"]);
    noteButtons->addStretch();
    auto* levels = new QHBoxLayout;
    levels->addLayout(notes, 1);
    levels->addLayout(noteButtons);
    right->addLayout(levels);
    right->addStretch();
    right->addWidget(m_command["Command8"]);
    right->addWidget(m_command["Command1"]);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(middle);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout;
    layout->addLayout(top);
    layout->addLayout(columns);
    controls::scrollWhenTooLarge(this, layout);
}

void MainWindow::connectControls()
{
    connect(m_command["Command2"], &QPushButton::clicked, this, &MainWindow::calculate);
    connect(m_command["Command3"], &QPushButton::clicked, this, &MainWindow::addToResults);
    connect(m_command["Command1"], &QPushButton::clicked, this, &MainWindow::requestExit);
    connect(m_command["Command10"], &QPushButton::clicked, m_spectrumWindow, &SpectrumWindow::showSpectrum);
    connect(m_command["ShowResults"], &QPushButton::clicked, this, [this] { controls::bringForward(m_resultsWindow); });
    // Enter presses a focused button: the calculation moves the focus to
    // the next button to press.
    for (auto& [name, button] : m_command)
        button->installEventFilter(this);
    connect(m_command["Command11"], &QPushButton::clicked, this, &MainWindow::startDepthDose);
    connect(m_command["Command5"], &QPushButton::clicked, this, &MainWindow::addEffectiveDose);

    // Fitting to a measured index, and the ATR explanation.
    connect(m_command["Command14"], &QPushButton::clicked, this, [this] {
        m_fitDialog->open(m_label["Label65"]->text(), m_label["Label67"]->text(), m_state.beamQuality.hvl1Cm,
                          m_state.beamQuality.atrIndex);
    });
    connect(m_fitDialog, &FitDialog::fitRequested, this, [this](FitDialog::Target target, FitDialog::Method method, double measured) {
        runFit(static_cast<int>(target), static_cast<int>(method), measured);
    });
    auto explain = [this] { controls::bringForward(m_atrExplanation); };
    connect(m_command["Command6"], &QPushButton::clicked, this, explain);
    connect(m_fitDialog, &FitDialog::atrExplanationRequested, this, explain);

    // Other filter, measured exposure, fluoroscopy.
    connect(m_command["Command9"], &QPushButton::clicked, m_otherFilter, &OtherFilterDialog::open);
    connect(m_otherFilter, &OtherFilterDialog::filterSet, this, [this](const FilterMaterial& material, const QString& mmText) {
        applyOtherFilter(m_state.conditions, material, numberIn(mmText));
        m_label["Label29"]->setText(qs(material.name));
        m_label["Label26"]->setText(mmText);
    });
    connect(m_otherFilter, &OtherFilterDialog::filterCleared, this, [this] {
        clearOtherFilter(m_state.conditions);
        m_label["Label29"]->clear();
        m_label["Label26"]->clear();
    });
    connect(m_measuredExposure, &MeasuredExposureDialog::measured, this, [this](double exposureCkg) {
        form::setMeasuredExposure(m_state.conditions, exposureCkg);
        m_label["Label78"]->setText(qs(formatNumber(exposureCkg, patterns::kExposureAt1m)));
    });
    connect(m_measuredExposure, &MeasuredExposureDialog::tableChosen, this, [this] {
        m_state.conditions.exposureSource = ExposureSource::OutputTable;
        m_option["Option5"]->setChecked(true);
        m_label["Label78"]->clear();
    });
    connect(m_command["Command4"], &QPushButton::clicked, m_fluoroscopy, &FluoroscopyDialog::open);
    connect(m_fluoroscopy, &FluoroscopyDialog::currentChosen, this, [this](double averageMa) {
        m_state.conditions.tubeCurrentMa = averageMa;
        m_text["Text6"]->setText(qs(formatAsIs(averageMa)));
    });

    // Tube output tables.
    connect(m_command["Command12"], &QPushButton::clicked, m_outputEditor, &OutputDataEditor::open);
    connect(m_command["Command13"], &QPushButton::clicked, m_outputSelector, &OutputDataSelector::open);
    auto showOutputName = [this] { m_label["Label79"]->setText(qs(outputDataDisplayName(m_state.outputData))); };
    connect(m_outputEditor, &OutputDataEditor::saved, this, showOutputName);
    connect(m_outputSelector, &OutputDataSelector::selected, this, showOutputName);

    // Users and body parts.
    connect(m_command["Command8"], &QPushButton::clicked, this, [this] { m_registration->open(); });
    connect(m_mascot, &MascotPicture::doubleClicked, this, [this] { m_nameChange->open(m_userName); });
    connect(m_registration, &UserNameDialog::userNamed, this, &MainWindow::setUser);
    connect(m_nameChange, &UserNameDialog::userNamed, this, &MainWindow::setUser);
    connect(m_command["Command7"], &QPushButton::clicked, m_bodyParts, &BodyPartDialog::open);
    connect(m_bodyParts, &BodyPartDialog::added, this, [this](const QString& name) { m_combo2->addItem(name); });
    connect(m_bodyParts, &BodyPartDialog::removed, this, &MainWindow::reloadBodyParts);
    connect(m_combo1, QOverload<int>::of(&QComboBox::activated), this, [this](int index) { choosePreset(m_combo1->itemText(index)); });
    connect(m_combo2, QOverload<int>::of(&QComboBox::activated), this, [this] { m_text["Text5"]->setFocus(); });

    auto onChecked = [this](const char* name, auto action) {
        connect(m_option[name], &QRadioButton::toggled, this, [action](bool checked) {
            if (checked)
                action();
        });
    };
    onChecked("Option1", [this] { m_state.conditions.rectification = Rectification::ConstantPotential; });
    onChecked("Option2", [this] { m_state.conditions.rectification = Rectification::ThreePhase12Peak; });
    onChecked("Option3", [this] { m_state.conditions.rectification = Rectification::SinglePhaseFullWave; });
    onChecked("Option4", [this] { m_measuredExposure->open(); });
    onChecked("Option5", [this] {
        m_state.conditions.exposureSource = ExposureSource::OutputTable;
        m_state.labels.label78.clear(); // with the screen, so that a later failure cannot bring it back
        m_label["Label78"]->clear();
    });
    onChecked("Option6", [this] { onIncidencePlanar(); });
    onChecked("Option7", [this] { onIncidenceNonPlanar(); });
    onChecked("Option8", [this] { form::choosePhantom(m_state.conditions, true); });
    onChecked("Option9", [this] { form::choosePhantom(m_state.conditions, false); });
    connect(m_surfaceDialog, &SurfaceShapeDialog::accepted, this, &MainWindow::onSurfaceAccepted);
    connect(m_surfaceDialog, &SurfaceShapeDialog::cancelled, this, &MainWindow::onSurfaceCancelled);
    connect(m_surfaceDialog, &SurfaceShapeDialog::shapeCheckRequested, this, &MainWindow::onShapeCheck);
    connect(m_resultsWindow, &ResultsWindow::cleared, this, &MainWindow::onResultsCleared);
    // A value the user types is no longer an assumed one.
    auto unmark = [this](QWidget* w) {
        const auto it = std::find(m_assumedInputs.begin(), m_assumedInputs.end(), w);
        if (it == m_assumedInputs.end())
            return;
        w->setStyleSheet({});
        w->setToolTip({});
        m_assumedInputs.erase(it);
    };
    for (const char* name : form::kCalculationFields)
        connect(m_text[name], &QLineEdit::textEdited, this, [unmark, w = m_text[name]] { unmark(w); });
    connect(m_combo2->lineEdit(), &QLineEdit::textEdited, this, [unmark, this] { unmark(m_combo2); });
    connect(m_combo2, QOverload<int>::of(&QComboBox::activated), this, [unmark, this] { unmark(m_combo2); });
    connect(m_command["CommandDrl"], &QPushButton::clicked, m_levelsWindow, &ReferenceLevelsWindow::open);
    connect(m_command["CommandSurvey"], &QPushButton::clicked, this, [this] { controls::bringForward(m_surveyWindow); });
    connect(m_command["CommandDicom"], &QPushButton::clicked, this, [this] {
        // The folder of the last file read, where the next image usually is.
        const std::filesystem::path start = m_dicom ? m_dicom->file.parent_path() : m_folder;
        const QString file = QFileDialog::getOpenFileName(this, kDicomButton, qs(start.string()), kDicomFilter);
        if (!file.isEmpty())
            importDicom(file.toStdString());
    });
    connect(m_levelsWindow, &ReferenceLevelsWindow::saved, this, [this] {
        m_levels = loadReferenceLevels(m_folder);
        showReferenceLevel();
        m_resultsWindow->picture()->update();
    });
    connect(m_resultsWindow, &ResultsWindow::read, this, [this] { workflow(form::WorkflowEvent::TableRead); });
    connect(m_resultsWindow, &ResultsWindow::saved, this, [this] { m_unsavedRows = false; });
    connect(m_resultsWindow, &ResultsWindow::printed, this, [this] {
        // The printed page is the record now: the last case's doses are
        // cleared, in the record as on the screen.
        ResultLabels& l = m_state.labels;
        for (std::string* text : {&l.label68, &l.label69, &l.label70, &l.label71, &l.label72, &l.label73, &l.label74, &l.label75,
                                  &l.label78, &l.sd68, &l.sd69, &l.sd70})
            text->clear();
        for (const char* name : {"Label68", "Label69", "Label70", "Label71", "Label72", "Label73", "Label74", "Label75", "Label78",
                                 "LabelSd68", "LabelSd69", "LabelSd70"})
            m_label[name]->clear();
        showReferenceLevel();
        workflow(form::WorkflowEvent::Printed);
    });
}

void MainWindow::setNotAvailable(QPushButton* button)
{
    connect(button, &QPushButton::clicked, this, [this] { m_messages->warn(kNotYet); });
}

bool MainWindow::startUp()
{
    m_label["Label52"]->setText(QDate::currentDate().toString("MM-dd-yyyy") + " です");
    StartupData startup;
    try {
        startup = loadStartupData(m_folder);
    } catch (const std::exception& e) {
        m_messages->warn(kStartUpFailed, detailOf(e));
        return false;
    }
    m_state.tables = std::move(startup.tables);
    m_state.outputData = std::move(startup.outputData);
    m_combo2->clear();
    for (const std::string& part : startup.bodyParts)
        m_combo2->addItem(qs(part));
    m_combo2->setCurrentText(kDefaultBodyPart);
    applyStartUpValues();

    // A table that cannot be read stops nothing: each comparison says why.
    m_levels = loadReferenceLevels(m_folder);
    m_resultsWindow->setReferenceLevels(&m_levels);
    m_resultsWindow->showBesideTheMainWindow();
    m_guest = !startup.userName.has_value();
    m_userName = m_guest ? QString(kGuestUserName) : qs(*startup.userName);
    m_resultsWindow->setUserName(m_userName);
    m_command["Command8"]->setVisible(m_guest);
    m_workflow = form::WorkflowState{};
    showWorkflow();
    controls::fitScrollingWindow(this); // the lists are filled now
    setWindowTitle(m_guest ? QString(kTitlePrefix) : QString(kTitlePrefix) + "  :  " + m_userName);
    return true;
}

void MainWindow::setUser(const QString& name, bool stored)
{
    m_userName = name;
    m_guest = !stored && name == kGuestUserName;
    m_resultsWindow->setUserName(name);
    m_command["Command8"]->setVisible(false);
    setWindowTitle(QString(kTitlePrefix) + "  :  " + name); // a cancelled registration names the guest
}

void MainWindow::reloadBodyParts()
{
    m_combo2->clear();
    try {
        for (const std::string& part : readBodyParts(findFileIgnoringCase(m_folder, files::kBodyParts)))
            m_combo2->addItem(qs(part));
    } catch (const std::exception& e) {
        m_messages->warn(kBodyPartsUnreadable, detailOf(e));
    }
    m_combo2->setCurrentText(kHeadFrontal);
}

void MainWindow::applyStartUpValues()
{
    m_state.conditions = ExposureConditions{};
    for (const form::InputField& f : form::inputFields())
        m_text[f.name]->setText(f.startUpText);
    m_label["Label26"]->setText("0");
    m_label["Label29"]->setText("―");
    m_label["Label79"]->setText(qs(outputDataDisplayName(m_state.outputData)));
    m_combo1->setCurrentText(form::kStartUpPreset);
    m_text["Text10"]->setText("43.2");
    m_text["Text11"]->setText("35.6");
    for (int i = 65; i <= 75; ++i)
        m_label[QString("Label%1").arg(i)]->clear();
    m_label["Label78"]->clear();
    m_option["Option1"]->setChecked(true);
    m_option["Option5"]->setChecked(true);
    m_option["Option6"]->setChecked(true);
    m_option["Option9"]->setChecked(true);
    form::choosePlanar(m_state.conditions);
}

void MainWindow::readField(QLineEdit* field)
{
    form::readField(field->objectName().toStdString(), field->text().toStdString(), m_state.conditions);
}

void MainWindow::readAllFields()
{
    for (const char* name : form::kCalculationFields)
        readField(m_text[name]);
    form::readOtherFilterLabel(m_label["Label26"]->text().toStdString(), m_state.conditions);
}

void MainWindow::choosePreset(const QString& name)
{
    const std::optional<form::FieldPreset> preset = form::choosePreset(name.toStdString(), m_state.conditions);
    if (!preset)
        return;
    if (name == form::kCircularPreset) {
        m_messages->warn(kCircularPlanar);
        m_option["Option6"]->setChecked(true);
        m_label["Label22"]->setText(kDiameterCaption);
    } else {
        m_label["Label22"]->setText(kLongAxisCaption);
    }
    m_text["Text10"]->setText(preset->longText);
    m_text["Text11"]->setText(preset->shortText);
    m_text["Text10"]->setFocus();
}

void MainWindow::onIncidencePlanar()
{
    form::choosePlanar(m_state.conditions);
    m_option["Option7"]->setText(kNonPlanarCaption);
    m_option["Option8"]->setEnabled(true);
    m_option["Option9"]->setEnabled(true);
    m_option["Option9"]->setChecked(true);
    // A surface dialog left open would later store a curved surface for a
    // flat calculation.
    m_surfaceDialog->preview()->hide();
    m_surfaceDialog->hide();
}

void MainWindow::onIncidenceNonPlanar()
{
    if (!form::chooseNonPlanar(m_state.conditions)) {
        m_messages->warn(kCircularNonPlanar);
        m_option["Option6"]->setChecked(true);
        // The square preset the rule chose, as its own texts.
        m_combo1->setCurrentText(form::kSquarePreset);
        m_text["Text10"]->setText(qs(formatAsIs(m_state.conditions.fieldLongCm.value_or(0.0))));
        m_text["Text11"]->setText(qs(formatAsIs(m_state.conditions.fieldShortCm.value_or(0.0))));
        m_label["Label22"]->setText(kLongAxisCaption);
        return;
    }
    m_option["Option8"]->setEnabled(false);
    m_option["Option9"]->setEnabled(false);
    m_surfaceDialog->open();
}

void MainWindow::onSurfaceAccepted()
{
    const form::SurfaceChoice choice = m_surfaceDialog->choice();
    form::Check fault = m_surfaceDialog->typedFault();
    if (!fault)
        fault = form::surfaceChoiceFault(choice);
    if (fault) {
        m_messages->warn(kSurfaceRefused, QString::fromStdString(fault.reasonJa));
        return; // the dialog stays open for a correction
    }
    form::applySurfaceChoice(choice, m_state.conditions);
    m_option["Option7"]->setText(m_surfaceDialog->description());
    m_surfaceDialog->preview()->hide();
    m_surfaceDialog->hide();
}

void MainWindow::onSurfaceCancelled()
{
    m_option["Option6"]->setChecked(true);
    m_state.conditions.incidenceMode = IncidenceMode::Planar;
    m_surfaceDialog->preview()->hide();
    m_surfaceDialog->hide();
}

void MainWindow::onShapeCheck()
{
    readAllFields();
    m_surfaceDialog->preview()->setScene(m_surfaceDialog->scene(m_state.conditions));
    m_surfaceDialog->preview()->show();
    m_surfaceDialog->preview()->raise();
}

void MainWindow::onResultsCleared()
{
    // Cleared for good: a later failed calculation shows only what it computed.
    m_state.labels = ResultLabels{};
    for (int i = 65; i <= 75; ++i)
        m_label[QString("Label%1").arg(i)]->clear();
    for (const char* name : {"Label78", "LabelSd68", "LabelSd69", "LabelSd70"})
        m_label[name]->clear();
    showReferenceLevel();
    workflow(form::WorkflowEvent::TableCleared);
}

BackscatterFactors MainWindow::runMonteCarlo()
{
    // The job carries the conditions as they were checked (the calculation
    // has just read every field), with the receptor-plane sizes as typed.
    const ExposureConditions& c = m_state.conditions;
    workflow(form::WorkflowEvent::EngineStarted);
    struct Ended {
        MainWindow* window;
        ~Ended() { window->workflow(form::WorkflowEvent::EngineEnded); }
    } ended{this};
    return nonPlanarBackscatter(c, c.fieldShortCm.value_or(0.0), c.fieldLongCm.value_or(0.0), m_folder, *m_launcher, [this] {
        QApplication::processEvents();
        EngineConsole* console = m_consoleLauncher ? m_consoleLauncher->console() : nullptr;
        if (!console) { // another launcher: the user confirms the end
            m_messages->warn(kMonteCarloWait);
            return;
        }
        EngineWaitDialog wait(*console, this);
        wait.waitForEngine();
        if (console->stopped())
            throw EngineStopped();
    });
}

void MainWindow::showLabels()
{
    const ResultLabels& l = m_state.labels;
    const std::pair<const char*, const std::string*> texts[] = {
        {"Label65", &l.label65}, {"Label66", &l.label66}, {"Label67", &l.label67}, {"Label68", &l.label68},
        {"Label69", &l.label69}, {"Label70", &l.label70}, {"Label71", &l.label71}, {"Label72", &l.label72},
        {"Label73", &l.label73}, {"Label74", &l.label74}, {"Label75", &l.label75},
        {"LabelSd68", &l.sd68},  {"LabelSd69", &l.sd69},  {"LabelSd70", &l.sd70},
    };
    for (const auto& [name, text] : texts)
        m_label[name]->setText(qs(*text));
    if (m_state.conditions.exposureSource == ExposureSource::OutputTable)
        m_label["Label78"]->setText(qs(l.label78));
    showReferenceLevel();
    showDicomCase();
}

bool MainWindow::importDicom(const std::filesystem::path& file)
{
    form::DicomSettings settings;
    try {
        settings = form::loadDicomSettings(m_folder);
    } catch (const std::exception& e) {
        m_messages->warn(kDicomSettingsUnreadable, detailOf(e));
        return false;
    }
    std::vector<dicom::Exposure> exposures;
    try {
        exposures = dicom::readExposures(file);
    } catch (const std::exception& e) {
        m_messages->warn(kDicomUnreadable, qs(file.filename().string()) + "：" + detailOf(e));
        return false;
    }
    int chosen = 0;
    if (exposures.size() > 1) {
        QStringList items;
        for (const dicom::Exposure& x : exposures)
            items << QString("照射イベント %1：%2 kV").arg(x.event).arg(x.tubeVoltageKv ? qs(formatAsIs(x.tubeVoltageKv->value)) : QString("―"));
        chosen = m_messages->choose(kDicomChooseEvent, items);
        if (chosen < 0)
            return false;
    }
    const dicom::Exposure& exposure = exposures[static_cast<std::size_t>(chosen)];
    form::DicomCase dicomCase;
    OutputDataTable outputData = m_state.outputData;
    try {
        dicomCase = form::completeExposure(exposure, settings);
        if (QString::compare(qs(outputData.fileName), qs(dicomCase.outputTable), Qt::CaseInsensitive) != 0)
            outputData = loadOutputDataTable(findFileIgnoringCase(m_folder, dicomCase.outputTable));
    } catch (const std::exception& e) {
        m_messages->warn(kDicomNotComputable, detailOf(e));
        return false;
    }
    // The inputs as the user would type them; the calculation reads them.
    const ExposureConditions& c = dicomCase.conditions;
    m_state.outputData = outputData;
    m_label["Label79"]->setText(qs(outputDataDisplayName(m_state.outputData)));
    m_option["Option5"]->setChecked(true);
    m_option["Option6"]->setChecked(true);
    const std::pair<const char*, double> values[] = {
        {"Text1", c.targetAngleDeg}, {"Text2", 10 * c.inherentFiltrationCm}, {"Text3", 10 * c.addedAlCm}, {"Text4", 10 * c.addedCuCm},
        {"Text5", c.tubeVoltageKv},  {"Text6", c.tubeCurrentMa},              {"Text7", c.exposureTimeS},   {"Text8", c.focusReceptorDistanceCm},
        {"Text23", c.bodyThicknessCm}, {"Text9", c.focusSurfaceDistanceCm}};
    for (const auto& [name, value] : values)
        m_text[name]->setText(qs(formatAsIs(value)));
    m_option[c.rectification == Rectification::ConstantPotential ? "Option1"
             : c.rectification == Rectification::ThreePhase12Peak ? "Option2"
                                                                   : "Option3"]
        ->setChecked(true);
    // The list's entry itself (an editable box given only its text keeps the
    // previous entry current, which comes back when the box is redrawn).
    if (const int part = m_combo2->findText(qs(c.bodyPart)); part >= 0)
        m_combo2->setCurrentIndex(part);
    else
        m_combo2->setEditText(qs(c.bodyPart));
    choosePreset(QString(form::kOtherPreset));
    m_combo1->setCurrentIndex(m_combo1->findText(form::kOtherPreset));
    m_text["Text10"]->setText(qs(formatAsIs(c.fieldLongCm.value_or(0))));
    m_text["Text11"]->setText(qs(formatAsIs(c.fieldShortCm.value_or(0))));
    m_dicom = ImportedDicom{file, exposure, dicomCase, false};
    markDicomInputs();
    showDicomCase();

    m_command["Command2"]->setFocus();
    return true;
}

namespace {

// The input that shows a case's key, if one does.
const char* inputOf(const std::string& key)
{
    static const std::pair<const char*, const char*> kInputs[] = {
        {"targetAngleDeg", "Text1"},   {"inherentFiltrationCm", "Text2"},   {"addedAlCm", "Text3"},
        {"addedCuCm", "Text4"},        {"tubeVoltageKv", "Text5"},          {"tubeCurrentMa", "Text6"},
        {"exposureTimeS", "Text7"},    {"focusReceptorDistanceCm", "Text8"}, {"bodyThicknessCm", "Text23"},
        {"focusSurfaceDistanceCm", "Text9"}, {"fieldLongCm", "Text10"},    {"fieldShortCm", "Text11"},
        {"bodyPart", "Combo2"}};
    for (const auto& [k, input] : kInputs)
        if (key == k)
            return input;
    return nullptr;
}

constexpr const char* kAssumedStyle = "background-color: #fff3b0;";

} // namespace

void MainWindow::markDicomInputs()
{
    for (QWidget* w : m_assumedInputs) {
        w->setStyleSheet({});
        w->setToolTip({});
    }
    m_assumedInputs.clear();
    if (!m_dicom)
        return;
    for (const form::ValueOrigin& v : m_dicom->dicomCase.assumed) {
        const char* name = inputOf(v.key);
        QWidget* w = name ? findChild<QWidget*>(name) : nullptr;
        if (!w)
            continue;
        w->setStyleSheet(kAssumedStyle);
        w->setToolTip(QString("仮定：") + qs(v.fromJa));
        m_assumedInputs.push_back(w);
    }
    for (const form::ValueOrigin& v : m_dicom->dicomCase.fromFile)
        if (const char* name = inputOf(v.key))
            if (QWidget* w = findChild<QWidget*>(name))
                w->setToolTip(QString("DICOM：") + qs(v.fromJa));
}

void MainWindow::showDicomCase()
{
    QLabel* label = m_label["LabelDicom"];
    if (!m_dicom) {
        label->clear();
        return;
    }
    QString text = QString("DICOM：%1").arg(qs(m_dicom->file.filename().string())).toHtmlEscaped();
    if (m_dicom->exposure.event > 0)
        text += QString("（照射イベント %1）").arg(m_dicom->exposure.event);
    QStringList unitValues;
    QString unitFrom;
    for (const form::ValueOrigin& v : m_dicom->dicomCase.assumed)
        if (!inputOf(v.key)) {
            unitValues << qs(fieldNameJapanese(v.key));
            unitFrom = qs(v.fromJa);
        }
    text += QString("<br><small><span style=\"%1\">色付きの欄</span>は設定ファイルから仮定した値です").arg(kAssumedStyle);
    if (!unitValues.isEmpty())
        text += QString("（%1：%2）").arg(unitValues.join("・"), unitFrom.toHtmlEscaped());
    // After a calculation made since the import: the system's own figures beside ours.
    if (m_dicom->computed && m_state.lastCase && !m_state.labels.label75.empty()) {
        const dicom::Exposure& e = m_dicom->exposure;
        const form::SystemComparison s = form::compareWithSystem(e, m_state.lastCase->conditions, m_state.lastCase->dose);
        QStringList figures;
        if (e.entranceDoseMgy && s.entranceDoseRatio)
            figures << QString("入射線量 %1 mGy（この計算の空気カーマ %2 mGy の %3 倍）")
                           .arg(qs(formatAsIs(e.entranceDoseMgy->value)), qs(formatKeepingDigits(s.incidentAirKermaMgy, "#0.00")),
                                qs(formatNumber(*s.entranceDoseRatio, "0.00")));
        if (e.dapDgyCm2 && s.dapRatio)
            figures << QString("面積線量 %1 dGy·cm²（%2 倍）").arg(qs(formatAsIs(e.dapDgyCm2->value)), qs(formatNumber(*s.dapRatio, "0.00")));
        if (!figures.isEmpty())
            text += "<br>装置の表示：" + figures.join("、");
        for (const std::optional<double>& ratio : {s.entranceDoseRatio, s.dapRatio})
            if (ratio && (*ratio < form::kSystemRatioLow || *ratio > form::kSystemRatioHigh)) {
                text += "<br><span style=\"color:#c00000\">装置の値と大きく違います。仮定した値か装置の校正を確かめて下さい</span>";
                break;
            }
    }
    label->setText(text + "</small>");
}

void MainWindow::showReferenceLevel()
{
    QLabel* label = m_label["LabelDrl"];
    // Only beside doses on the screen: the case they belong to.
    if (!m_state.lastCase || m_state.labels.label75.empty()) {
        label->clear();
        return;
    }
    const auto& c = *m_state.lastCase;
    const DrlComparison drl = compareWithReferenceLevel(m_levels, c.conditions.bodyPart, c.conditions.tubeVoltageKv, c.dose);
    QString text;
    switch (drl.kind) {
    case DrlComparison::Kind::NoLevel:
        break;
    case DrlComparison::Kind::Unavailable:
        text = QString(kDrlUnavailable) + qs(drl.why.japanese).toHtmlEscaped();
        break;
    case DrlComparison::Kind::Compared:
        text = qs("診断参考レベル " + formatAsIs(drl.levelMgy) + " mGy（" + drl.edition + " " + drl.name + "）：この条件の入射表面線量（" +
                  drlDoseFileName(drl.dose) + "）はその " + percentText(drl.ratio))
                   .toHtmlEscaped();
        if (drl.above())
            text = "<span style=\"color:#c00000; font-weight:bold\">" + text + "　― DRLを超えています</span>";
        text += QString("<br><small>") + kDrlNote + "</small>";
        break;
    }
    label->setText(text);
}

bool MainWindow::refusedInput()
{
    // Letters where a number belongs are named as such, before they are read as 0.
    for (const char* name : form::kCalculationFields)
        if (const form::Check typed = form::typedNumberFault(form::fieldOfTextBox(name), m_text[name]->text().toStdString())) {
            m_messages->warn(kInputRefused, QString::fromStdString(typed.reasonJa));
            m_text[name]->setFocus();
            return true;
        }
    const form::Check check = form::checkBeforeCalculation(m_state.conditions);
    if (!check)
        return false;
    if (check.refusal == form::Refusal::ThicknessExceedsGap)
        m_messages->warn(kThicknessRefused, QString::fromStdString(check.reasonJa));
    else
        m_messages->warn(kInputRefused, QString::fromStdString(check.reasonJa));
    return true;
}

void MainWindow::calculate()
{
    readAllFields();
    if (refusedInput()) {
        // The inputs on the screen have no result: the previous case is not added for them.
        workflow(form::WorkflowEvent::CalculationFailed);
        return;
    }
    // A calculation that fails or is stopped leaves every record, text and
    // the spectrum file as they were before the press.
    try {
        m_state.calculate();
    } catch (const EngineStopped&) {
        showLabels();
        return;
    } catch (const std::exception& e) {
        showLabels();
        workflow(form::WorkflowEvent::CalculationFailed);
        m_messages->beep();
        m_messages->warn(kCalculationFailed, detailOf(e));
        return;
    }
    afterCalculation();
    m_messages->beep();
}

void MainWindow::afterCalculation()
{
    const QString part = m_combo2->currentText();
    m_state.conditions.bodyPart = part.isEmpty() ? std::string("　") : part.toStdString();
    m_state.lastCase->conditions.bodyPart = m_state.conditions.bodyPart;
    if (m_dicom)
        m_dicom->computed = true;
    showLabels(); // with the level and the file's figures of this case
    QApplication::processEvents();
    workflow(form::WorkflowEvent::CalculationSucceeded);
    m_fitDialog->setComputed(m_label["Label65"]->text(), m_label["Label67"]->text(), m_state.beamQuality.hvl1Cm,
                             m_state.beamQuality.atrIndex);
    if (m_command["Command3"]->isEnabled())
        m_command["Command3"]->setFocus();
    // The measured-exposure choice is made again for the next case; the
    // source itself stays.
    QButtonGroup* group = m_option["Option4"]->group();
    if (m_option["Option4"]->isChecked() && group) {
        const QSignalBlocker block(m_option["Option4"]);
        group->setExclusive(false);
        m_option["Option4"]->setChecked(false);
        group->setExclusive(true);
    }
}

void MainWindow::runFit(int targetCode, int methodCode, double measured)
{
    const bool hvl = static_cast<FitDialog::Target>(targetCode) == FitDialog::Target::Hvl;
    const bool voltage = static_cast<FitDialog::Method>(methodCode) == FitDialog::Method::Voltage;
    // A fit is a calculation: it reads every field as the compute button does
    // (a FSD typed since goes into the job file) and passes the same checks.
    readAllFields();
    if (refusedInput())
        return;
    const FitStart start{m_state.conditions, m_state.tables, m_state.outputData, m_state.beamQuality};
    FitOutcome outcome;
    if (hvl)
        outcome = voltage ? raiseVoltageToHvl(start, measured) : fitInherentFiltrationToHvl(start, measured);
    else
        outcome = voltage ? raiseVoltageToAtr(start, measured) : fitInherentFiltrationToAtr(start, measured);
    const char* failed = voltage && !hvl ? kFitFailedAtrVoltage : kFitFailed;
    if (!outcome) {
        QString message;
        switch (outcome.failure) {
        case FitFailure::VoltageAboveMaximum:
            message = kFitAbove150;
            break;
        case FitFailure::VoltageAboveLimit:
            message = kFitAboveLimit;
            break;
        case FitFailure::VoltageBelowMinimum:
            message = kFitBelow30;
            break;
        case FitFailure::VoltageBelowLimit:
            message = hvl ? kFitBelowLimitHvl : kFitBelowLimitAtr;
            break;
        case FitFailure::AtrOutOfRange:
            message = kFitAtrRange;
            break;
        case FitFailure::BelowNoFiltration:
            message = kFitBelowNoFiltration;
            break;
        default:
            message = failed;
            break;
        }
        m_messages->warn(message, QString::fromStdString(outcome.reasonJa));
        return; // nothing has changed; the dialog stays open
    }
    const double value = *outcome.value;
    try {
        m_state.recalculateWith([&](ExposureConditions& c) {
            if (voltage)
                c.tubeVoltageKv = value;
            else
                c.inherentFiltrationCm = value;
        });
    } catch (const std::exception& e) {
        m_messages->warn(failed, detailOf(e)); // every record is as it was
        return;
    }
    if (voltage)
        m_text["Text5"]->setText(qs(formatNumber(value, "#00.0")));
    else
        m_text["Text2"]->setText(qs(formatNumber(10 * value, "0.000")));
    afterCalculation();
    m_messages->beep();
    m_messages->inform(kFitDone);
    m_fitDialog->hide();
}

void MainWindow::addToResults()
{
    if (!form::enabled(m_workflow, form::Command::AddToResults) || !m_state.lastCase)
        return;
    const CalculationState::ComputedCase& computed = *m_state.lastCase;
    m_results.addRow(computed.conditions, computed.beamQuality, computed.dose, computed.photonSpectrum);
    workflow(form::WorkflowEvent::RowAdded);
    m_resultsWindow->tableChanged();
    if (m_results.full()) {
        m_messages->beep();
        m_messages->warn(kTableFull);
    }
    m_command["Command11"]->setFocus();
}

void MainWindow::startDepthDose()
{
    // The case handed over is the last row's, as the row holds it: its
    // effective dose comes back into that row, whatever was computed since.
    if (!form::enabled(m_workflow, form::Command::EstimateEffectiveDose) || m_results.empty())
        return;
    const ResultRow& row = m_results.row(m_results.nextFreeRow() - 1);
    if (!row.photonSpectrum)
        return;
    const std::filesystem::path program = locateProgram(kDepthDoseProgram, m_folder);
    if (program.empty()) {
        m_messages->warn(kDepthDoseMissing, "Velnor17_PDD is neither in the working folder nor beside Velnor_V17");
        return; // the buttons stay as they are
    }
    try {
        // One depth-dose program at a time: the previous one, and its answer,
        // belonged to another row.
        m_windowedLauncher->stop();
        removeFileQuietly(m_folder, files::kEffectiveDose);
        writeDepthDoseHandOff(m_folder, row.conditions, row.dose.esdSoftTissue, *row.photonSpectrum);
        std::error_code ec;
        m_handOffTime = std::filesystem::last_write_time(findFileIgnoringCase(m_folder, files::kDepthDoseHandOff), ec);
        QApplication::processEvents();
        m_windowedLauncher->start(program, m_folder);
    } catch (const std::exception& e) {
        m_messages->warn(kDepthDoseMissing, detailOf(e));
        return;
    }
    workflow(form::WorkflowEvent::DepthDoseStarted);
}

void MainWindow::addEffectiveDose()
{
    if (!form::enabled(m_workflow, form::Command::AddEffectiveDose))
        return;
    double msv = 0;
    try {
        const std::filesystem::path answer = findFileIgnoringCase(m_folder, files::kEffectiveDose);
        std::error_code ec;
        const std::filesystem::file_time_type written = std::filesystem::last_write_time(answer, ec);
        if (!ec && written < m_handOffTime)
            throw WordedError(Reason{ReasonCode::AnswerBeforeHandOff, {}, static_cast<double>(m_workflow.awaitingRow)});
        FreeFormatReader reader = FreeFormatReader::fromFile(answer);
        reader.readLine(); // the header
        msv = reader.readNumber();
        if (!(msv >= 0) || !std::isfinite(msv))
            throw WordedError(Reason{ReasonCode::NotFiniteOrNegative, "effectiveDoseMsv", msv, 0, 0, "mSv"});
    } catch (const std::exception& e) {
        // The answer may still come (the button stays), or the program can be started again.
        std::error_code ec;
        const bool noAnswer = !std::filesystem::exists(findFileIgnoringCase(m_folder, files::kEffectiveDose), ec);
        m_messages->warn(kNoEffectiveDose, noAnswer ? QString(kComputeEffectiveDoseFirst) : detailOf(e));
        workflow(form::WorkflowEvent::EffectiveDoseMissing);
        return;
    }
    QApplication::processEvents();
    m_results.setEffectiveDoseOfRow(m_workflow.awaitingRow, msv);
    m_resultsWindow->tableChanged();
    removeFileQuietly(m_folder, files::kEffectiveDose);
    workflow(form::WorkflowEvent::EffectiveDoseAdded);
}

void MainWindow::workflow(form::WorkflowEvent event)
{
    // Rows not yet in a file or on paper.
    switch (event) {
    case form::WorkflowEvent::RowAdded:
    case form::WorkflowEvent::EffectiveDoseAdded:
        m_unsavedRows = true;
        break;
    case form::WorkflowEvent::TableCleared:
    case form::WorkflowEvent::TableRead:
    case form::WorkflowEvent::Printed:
        m_unsavedRows = false;
        break;
    default:
        break;
    }
    m_workflow = form::next(m_workflow, event, m_results.nextFreeRow() - 1);
    showWorkflow();
}

void MainWindow::showWorkflow()
{
    for (form::Command c : form::kWorkflowCommands)
        m_command[form::commandName(c)]->setEnabled(form::enabled(m_workflow, c));
}

QString MainWindow::whatExitWouldLose() const
{
    if (m_workflow.engineRunning)
        return kEngineOnExit;
    if (m_unsavedRows)
        return kUnsavedOnExit;
    return {};
}

void MainWindow::requestExit()
{
    const QString loss = whatExitWouldLose();
    if (!m_messages->askYesNo(loss.isEmpty() ? QString(kExitQuestion) : loss))
        return;
    m_exitConfirmed = true;
    close();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The combo boxes take their size from their contents when first shown:
    // the window is fitted to its content once that has settled.
    if (!m_fittedOnce) {
        m_fittedOnce = true;
        QTimer::singleShot(0, this, [this] { controls::fitScrollingWindow(this); });
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close box quits at once, unless something would be lost.
    if (!m_exitConfirmed) {
        const QString loss = whatExitWouldLose();
        if (!loss.isEmpty() && !m_messages->askYesNo(loss)) {
            event->ignore();
            return;
        }
    }
    m_windowedLauncher->stop(); // its answer would have no row to go to
    for (const char* name : files::kDeletedAtExit)
        removeFileQuietly(m_folder, name);
    for (QWidget* w : {static_cast<QWidget*>(m_resultsWindow), static_cast<QWidget*>(m_spectrumWindow),
                       static_cast<QWidget*>(m_surfaceDialog), static_cast<QWidget*>(m_surfaceDialog->preview())})
        w->hide();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && m_text.count(edit->objectName()))
            readField(edit);
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_combo1) {
        // Any key in the preset box moves on to the long-axis size.
        m_text["Text10"]->setFocus();
        return true;
    }
    if (!isEnter(key))
        return QWidget::eventFilter(watched, event);
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        if (button->isEnabled())
            button->click();
        return true;
    }
    QString name = watched->objectName();
    if (watched == m_combo2->lineEdit())
        name = "Combo2";
    for (const auto& [from, to] : kEnterChain) {
        if (name == from) {
            if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && m_text.count(name))
                readField(edit);
            QWidget* next = findChild<QWidget*>(to);
            if (next)
                next->setFocus();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velnor
