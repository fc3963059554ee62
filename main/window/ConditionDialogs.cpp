#include "main/window/ConditionDialogs.h"

#include "common/DisplayFormat.h"
#include "common/NumberReading.h"
#include "common/TextFile.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

// Captions and messages of the three dialogs.
const char* const kFilterTitle = "  任意フィルター設定";
const char* const kNoMaterial = "　フィルター材質が未選択です　";
const char* const kNoThickness = "　フィルターの厚さを入力して下さい　";
const char* const kMaterialRefused = "　この材質ファイルは使用できません。これまでのフィルター設定のままです　";
const char* const kExposureTitle = "  実測照射線量入力";
const char* const kFluoroscopyTitle = "  透視モード設定";
const char* const kEnterCurrent = "　管電流を入力してください　";
const char* const kEnterData = "　データを入力してください　";
const char* const kPulsesRefused = "　このパルス条件では平均管電流を計算できません　";

using controls::button;
using controls::edit;
using controls::label;

const char* const kNotANumber = "　数値を入力して下さい　";

double numberIn(const QLineEdit* e) { return readLeadingNumber(e->text().toStdString()); }

// Whether the entry is blank or a number as a whole; if not, it is named and
// gets the keyboard, and the dialog stays as it is ("abc" is not 0, "2OO" not 2).
bool numberTyped(Messages& messages, QLineEdit* e, const char* field)
{
    const form::Check typed = form::typedNumberFault(field, e->text().toStdString());
    if (!typed)
        return true;
    messages.beep();
    messages.warn(kNotANumber, QString::fromStdString(typed.reasonJa));
    e->setFocus();
    e->selectAll();
    return false;
}

} // namespace

OtherFilterDialog::OtherFilterDialog(Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_folder(folder)
{
    setObjectName("Form5");
    setWindowTitle(kFilterTitle);
    m_files = new QListWidget(this);
    m_files->setObjectName("File1");
    m_name = label("Label5", "", this);
    m_name->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_thickness = edit("Text2", this);
    auto* set = button("Command1", "設 定", this);
    auto* clear = button("Command2", "解 除", this);
    clear->setToolTip("任意フィルターの設定を解除します");
    auto* cancel = button("Command3", "Cancel", this);

    auto* right = new QGridLayout;
    right->addWidget(label("Label4", "材質", this), 0, 0);
    right->addWidget(m_name, 0, 1, 1, 2);
    right->addWidget(label("Label2", "厚さ", this), 1, 0);
    right->addWidget(m_thickness, 1, 1);
    right->addWidget(label("Label3", "mm", this), 1, 2);
    auto* hint = new QVBoxLayout;
    for (const auto& [name, text] : {std::pair{"Label6", "左のリストに含まれていない物質を"}, std::pair{"Label7", "付加フィルターに使用する方法は"},
                                     std::pair{"Label8", "”はじめにお読み下さい.txt” "}, std::pair{"Label9", "に記載してあります。"}})
        hint->addWidget(label(name, text, this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(set);
    buttons->addWidget(clear);
    buttons->addWidget(cancel);
    auto* rightColumn = new QVBoxLayout;
    rightColumn->addLayout(right);
    rightColumn->addSpacing(12);
    rightColumn->addLayout(hint);
    rightColumn->addStretch();
    rightColumn->addLayout(buttons);
    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(label("Label1", "フィルター材質の選択", this));
    leftColumn->addWidget(m_files, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(leftColumn);
    layout->addLayout(rightColumn);
    resize(560, 340);

    // A click on a material, or Enter on it, shows its name and asks for the thickness.
    auto take = [this](QListWidgetItem* item) {
        if (!item->isSelected())
            return; // Enter on an item the user did not choose
        try {
            const std::vector<std::string> lines = readTextLines(m_folder / item->text().toStdString());
            m_name->setText(lines.empty() ? QString() : QString::fromStdString(lines[0]));
        } catch (const std::exception&) {
            m_name->clear();
        }
        m_thickness->setFocus();
    };
    connect(m_files, &QListWidget::itemClicked, this, take);
    connect(m_files, &QListWidget::itemActivated, this, take);
    connect(m_thickness, &QLineEdit::returnPressed, this, [this, set] {
        if (!m_thickness->text().isEmpty())
            set->setFocus();
    });
    connect(set, &QPushButton::clicked, this, &OtherFilterDialog::set);
    connect(clear, &QPushButton::clicked, this, [this] {
        hide();
        emit filterCleared();
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void OtherFilterDialog::open()
{
    m_files->clear();
    m_files->addItems(controls::filesWithExtensions(m_folder, {".ele", ".mix"}));
    m_name->clear();
    m_thickness->clear();
    controls::bringForward(this);
    m_files->setFocus();
}

void OtherFilterDialog::set()
{
    QListWidgetItem* item = controls::chosenItem(m_files);
    if (!item) {
        m_messages.beep();
        m_messages.warn(kNoMaterial);
        return;
    }
    if (!numberTyped(m_messages, m_thickness, "filterThicknessMm"))
        return;
    if (m_thickness->text().isEmpty() || !(numberIn(m_thickness) > 0)) {
        m_messages.beep();
        m_messages.warn(kNoThickness);
        return;
    }
    FilterMaterial material;
    try {
        material = readFilterMaterialFile(m_folder / item->text().toStdString());
    } catch (const std::exception& e) {
        m_messages.warn(kMaterialRefused, detailOf(e));
        return;
    }
    hide();
    emit filterSet(material, m_thickness->text());
}

MeasuredExposureDialog::MeasuredExposureDialog(Messages& messages, QWidget* parent) : QWidget(parent, Qt::Window), m_messages(messages)
{
    setObjectName("Form9");
    setWindowTitle(kExposureTitle);
    m_value = edit("Text1", this);
    auto* units = new QGroupBox("入力単位", this);
    units->setObjectName("Frame1");
    m_ckg = new QRadioButton("照射線量 [ C/kg ]", units);
    m_ckg->setObjectName("Option1");
    m_roentgen = new QRadioButton("照射線量   [ R ]", units);
    m_roentgen->setObjectName("Option2");
    m_gray = new QRadioButton("空気カーマ [ Gy ]", units);
    m_gray->setObjectName("Option3");
    auto* unitLayout = new QVBoxLayout(units);
    for (QRadioButton* o : {m_ckg, m_roentgen, m_gray})
        unitLayout->addWidget(o);
    m_ckg->setChecked(true);
    auto* ok = button("Command1", "OK", this);
    auto* cancel = button("Command2", "Cancel", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label("Label1", "焦点から１ｍの距離の実測線量", this));
    auto* row = new QHBoxLayout;
    row->addWidget(m_value);
    row->addWidget(units);
    layout->addLayout(row);
    layout->addWidget(label("Label4", "入力例", this));
    layout->addWidget(new QLabel("2.58E-04\n0.000258\n25.8e-5", this));
    layout->addLayout(controls::buttonRow({ok, cancel}));
    connect(m_value, &QLineEdit::returnPressed, this, [ok] { ok->setFocus(); });
    connect(ok, &QPushButton::clicked, this, &MeasuredExposureDialog::accept);
    connect(cancel, &QPushButton::clicked, this, [this] {
        m_answered = true;
        hide();
        emit tableChosen();
    });
}

void MeasuredExposureDialog::open()
{
    m_value->clear();
    m_answered = false;
    controls::bringForward(this);
    m_value->setFocus();
}

void MeasuredExposureDialog::accept()
{
    if (!numberTyped(m_messages, m_value, "exposureAt1m"))
        return;
    m_answered = true;
    hide();
    const double value = numberIn(m_value);
    if (m_value->text().isEmpty() || !(value > 0)) {
        emit tableChosen();
        return;
    }
    const form::MeasuredUnit unit = m_roentgen->isChecked() ? form::MeasuredUnit::Roentgen
        : m_gray->isChecked()                               ? form::MeasuredUnit::Gray
                                                            : form::MeasuredUnit::CoulombPerKg;
    emit measured(form::exposureFromMeasurement(value, unit));
}

void MeasuredExposureDialog::closeEvent(QCloseEvent* event)
{
    if (!m_answered) {
        m_answered = true;
        emit tableChosen();
    }
    event->accept();
}

FluoroscopyDialog::FluoroscopyDialog(Messages& messages, QWidget* parent) : QWidget(parent, Qt::Window), m_messages(messages)
{
    setObjectName("Form12");
    setWindowTitle(kFluoroscopyTitle);
    auto* mode = new QGroupBox("  透視モード  ", this);
    mode->setObjectName("Frame1");
    m_continuous = new QRadioButton("連続透視", mode);
    m_continuous->setObjectName("Option1");
    m_pulsed = new QRadioButton("パルス透視", mode);
    m_pulsed->setObjectName("Option2");
    auto* modeLayout = new QHBoxLayout(mode);
    modeLayout->addWidget(m_continuous);
    modeLayout->addWidget(m_pulsed);
    auto* grid = new QGridLayout;
    const char* captions[5][4] = {{}, {"Label1", "透視管電流", "Label3", "mA"}, {"Label5", "パルス幅", "Label6", "msec"},
                                  {"Label2", "パルスレート", "Label4", "pps"}, {"Label7", "平均管電流", "Label8", "mA"}};
    for (int i = 1; i <= 4; ++i) {
        m_text[i] = edit(QString("Text%1").arg(i), this);
        grid->addWidget(label(captions[i][0], captions[i][1], this), i, 0);
        grid->addWidget(m_text[i], i, 1);
        grid->addWidget(label(captions[i][2], captions[i][3], this), i, 2);
    }
    auto* compute = button("Command3", "平均管電流を計算 ⇒", this);
    grid->addWidget(compute, 4, 3);
    auto* ok = button("Command1", "OK", this);
    auto* cancel = button("Command2", "Cancel", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mode);
    layout->addLayout(grid);
    layout->addLayout(controls::buttonRow({ok, cancel}));

    auto pulsed = [this](bool on) {
        m_text[2]->setEnabled(on);
        m_text[3]->setEnabled(on);
    };
    connect(m_pulsed, &QRadioButton::toggled, this, pulsed);
    connect(compute, &QPushButton::clicked, this, &FluoroscopyDialog::compute);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!numberTyped(m_messages, m_text[4], "tubeCurrentMa"))
            return;
        hide();
        emit currentChosen(numberIn(m_text[4]));
    });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void FluoroscopyDialog::open()
{
    m_continuous->setChecked(true);
    for (int i = 1; i <= 4; ++i)
        m_text[i]->clear();
    m_text[2]->setEnabled(false);
    m_text[3]->setEnabled(false);
    controls::bringForward(this);
}

void FluoroscopyDialog::compute()
{
    if (!numberTyped(m_messages, m_text[1], m_continuous->isChecked() ? "tubeCurrentMa" : "pulseCurrentMa"))
        return;
    if (!m_continuous->isChecked()
        && !(numberTyped(m_messages, m_text[2], "pulseWidthMs") && numberTyped(m_messages, m_text[3], "pulsesPerSecond")))
        return;
    if (m_continuous->isChecked()) {
        if (m_text[1]->text().isEmpty()) {
            m_messages.beep();
            m_messages.warn(kEnterCurrent);
            return;
        }
        m_text[4]->setText(m_text[1]->text());
        return;
    }
    const double p = numberIn(m_text[1]) * numberIn(m_text[2]) * numberIn(m_text[3]);
    if (p == 0) {
        m_messages.beep();
        m_messages.warn(kEnterData);
        return;
    }
    const double ma = numberIn(m_text[1]), ms = numberIn(m_text[2]), pps = numberIn(m_text[3]);
    if (const form::Check fault = form::pulsedFluoroscopyFault(ma, ms, pps)) {
        m_messages.beep();
        m_messages.warn(kPulsesRefused, QString::fromStdString(fault.reasonJa));
        return;
    }
    m_text[4]->setText(QString::fromStdString(formatAsIs(form::pulsedAverageCurrentMa(ma, ms, pps))));
}

} // namespace velnor
