#include "depthdose/window/EffectiveDoseWindow.h"

#include "depthdose/window/ScreenFit.h"

#include "common/DisplayFormat.h"
#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "common/TextFile.h"
#include "depthdose/window/PddMessages.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velnor::pdd {
namespace {

const char* const kTitle = "Effective Dose";
const char* const kHeading = "実効線量の概算 (参考データ) ";
const char* const kCaptions[kTissueRows] = {" 乳房　 ―", "骨髄(赤色) ", " 結腸　 ―", "　肺 　 ―", "　胃 　 ―", "生殖腺  ―",
                                           "甲状腺  ―", " 食道　 ―", " 肝臓　 ―", " 膀胱　 ―", "骨表面  ―", "入射皮膚面",
                                           "射出皮膚面", "　脳 　 ―", "唾液腺  ―", "残りの組織"};
const char* const kRowErrors[kTissueRows] = {
    "乳房のデータに入力ミスがあります",   "骨髄のデータに入力ミスがあります",   "結腸のデータに入力ミスがあります",
    "肺のデータに入力ミスがあります",     "胃のデータに入力ミスがあります",     "生殖腺のデータに入力ミスがあります",
    "甲状腺のデータに入力ミスがあります", "食道のデータに入力ミスがあります",   "肝臓のデータに入力ミスがあります",
    "膀胱のデータに入力ミスがあります",   "骨表面のデータに入力ミスがあります", "皮膚のデータに入力ミスがあります",
    "皮膚のデータに入力ミスがあります",   "脳の深さに入力ミスがあります",       "唾液腺のデータに入力ミスがあります",
    "残りの組織のデータに入力ミスがあります"};
const char* const kCannotCompute = "正しく計算できません";
const char* const kNoData = " のデータはありません";
const char* const kInstructions[] = {"データ入力方法", "(1) 照射野に含まれる組織・臓器にチェックを入れる",
                                     "(2) 対象組織・臓器の入射表面からの深さを入力する",
                                     "（肺は密度を 0.3 として自動的に実効深に換算される）",
                                     "(3) 対象組織・臓器の全容積のうち照射野に含まれる割合を入力する", "入力が完了したら OK ボタンを押す"};

QLineEdit* field(const QString& name, QWidget* parent)
{
    auto* e = new QLineEdit("0", parent);
    e->setObjectName(name);
    e->setMaximumWidth(60);
    e->setAlignment(Qt::AlignRight);
    return e;
}

} // namespace

EffectiveDoseWindow::EffectiveDoseWindow(PddMessages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_folder(folder)
{
    setObjectName("EffectiveDose");
    setWindowTitle(kTitle);
    auto* grid = new QGridLayout;
    const char* headings[] = {"組織・臓器", "組織荷重\n係数 W<sub>T</sub>", "組織・臓器の厚さ\n表面からの深さ cm", "", "",
                              "対象組織のうち\n照射容積に\n含まれる\n割合 %", "組織等価線量\nμSv"};
    const int columns[] = {0, 1, 2, -1, -1, 5, 6};
    for (int i = 0; i < 7; ++i)
        if (columns[i] >= 0) {
            auto* h = new QLabel(QString(headings[i]).replace("\n", "<br>"), this);
            h->setTextFormat(Qt::RichText);
            h->setAlignment(Qt::AlignCenter);
            grid->addWidget(h, 0, columns[i], 1, columns[i] == 2 ? 3 : 1);
        }
    for (int t = 0; t < kTissueRows; ++t) {
        const int r = t + 1;
        m_check[t] = new QCheckBox(kCaptions[t], this);
        m_check[t]->setObjectName(QString("Check%1").arg(r));
        grid->addWidget(m_check[t], r, 0);
        grid->addWidget(new QLabel(QString::number(kTissueWeights[static_cast<std::size_t>(t)]), this), r, 1, Qt::AlignCenter);
        m_from[t] = field(QString("From%1").arg(r), this);
        m_to[t] = field(QString("To%1").arg(r), this);
        m_percent[t] = field(QString("Percent%1").arg(r), this);
        grid->addWidget(m_from[t], r, 2);
        grid->addWidget(new QLabel("～", this), r, 3);
        grid->addWidget(m_to[t], r, 4);
        grid->addWidget(m_percent[t], r, 5);
        m_result[t] = new QLabel(this);
        m_result[t]->setObjectName(QString("Result%1").arg(r));
        m_result[t]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_result[t]->setMinimumWidth(70);
        m_result[t]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(m_result[t], r, 6);
    }
    m_total = new QLabel(this);
    m_total->setObjectName("Total");
    m_total->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_total->setMinimumWidth(70);
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(new QLabel("合計（実効線量）=", this), kTissueRows + 1, 2, 1, 4, Qt::AlignRight);
    grid->addWidget(m_total, kTissueRows + 1, 6);
    grid->addWidget(new QLabel("mSv", this), kTissueRows + 1, 7);

    auto* heading = new QLabel(kHeading, this);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    heading->setFont(big);
    m_case = new QLabel(this);
    m_case->setObjectName("CaseLabel");
    auto* instructions = new QVBoxLayout;
    for (const char* line : kInstructions)
        instructions->addWidget(new QLabel(line, this));
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    auto* reset = new QPushButton("Reset", this);
    reset->setObjectName("Command2");
    auto* bye = new QPushButton("  bye  ", this);
    bye->setObjectName("Command3");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(reset);
    buttons->addStretch();
    buttons->addWidget(bye);
    auto* layout = new QVBoxLayout;
    layout->addWidget(heading);
    layout->addWidget(m_case);
    layout->addLayout(grid);
    layout->addLayout(instructions);
    layout->addLayout(buttons);
    scrollWhenTooLarge(this, layout);
    connect(ok, &QPushButton::clicked, this, &EffectiveDoseWindow::compute);
    connect(reset, &QPushButton::clicked, this, &EffectiveDoseWindow::loadDefaults);
    connect(bye, &QPushButton::clicked, this, &EffectiveDoseWindow::byeRequested);
}

void EffectiveDoseWindow::setCase(const std::vector<DepthDosePoint>& table, const std::string& bodyPart, double thickness,
                                  double surfaceDose)
{
    m_table = table;
    m_bodyPart = bodyPart;
    m_thickness = thickness;
    m_surfaceDose = surfaceDose;
    m_case->setText(QString::fromStdString(bodyPart) + "    被写体厚 = " + QString::fromStdString(formatAsIs(thickness)) + " cm");
}

void EffectiveDoseWindow::loadDefaults()
{
    for (int t = 0; t < kTissueRows; ++t) {
        m_check[t]->setChecked(false);
        m_from[t]->setText("0");
        m_to[t]->setText("0");
        m_percent[t]->setText("0");
        m_result[t]->clear();
    }
    m_total->clear();
    std::optional<std::array<OrganRow, kTissueRows>> rows;
    try {
        rows = readOrganDefaults(m_folder, m_bodyPart, m_thickness);
    } catch (const std::exception& e) {
        m_messages.warn(QString::fromStdString(m_bodyPart) + kNoData, QString::fromStdString(japaneseOf(e)));
        return;
    }
    if (!rows) {
        m_messages.warn(QString::fromStdString(m_bodyPart) + kNoData);
        return;
    }
    for (int t = 0; t < kTissueRows; ++t) {
        const OrganRow& row = (*rows)[static_cast<std::size_t>(t)];
        if (!row.checked)
            continue;
        m_check[t]->setChecked(true);
        m_from[t]->setText(QString::fromStdString(row.fromText));
        m_to[t]->setText(QString::fromStdString(row.toText));
        m_percent[t]->setText(QString::fromStdString(row.percentText));
    }
}

void EffectiveDoseWindow::compute()
{
    std::array<OrganRow, kTissueRows> rows;
    for (int t = 0; t < kTissueRows; ++t)
        rows[static_cast<std::size_t>(t)] = {m_check[t]->isChecked(), m_from[t]->text().toStdString(), m_to[t]->text().toStdString(),
                                             m_percent[t]->text().toStdString()};
    const EffectiveDose e = computeEffectiveDose(rows, m_bodyPart, m_thickness, m_table, m_surfaceDose);
    // The rows before a refused one show their new values; the refused row
    // and those after it have none ("-" would say "not in the field").
    for (int t = 0; t < kTissueRows; ++t) {
        if (e.refusedRow >= 0 && t >= e.refusedRow) {
            m_result[t]->clear();
            continue;
        }
        const auto& c = e.contributionMsv[static_cast<std::size_t>(t)];
        m_result[t]->setText(c ? QString::fromStdString(formatNumber(1000 * *c, "###0.0")) : QString("-"));
    }
    if (e.refusedRow >= 0) {
        m_messages.warn(kRowErrors[e.refusedRow]);
        return;
    }
    if (e.notComputable) {
        m_messages.warn(kCannotCompute, QString::fromStdString(inJapanese({ReasonCode::RowOutsideTable})));
        return;
    }
    m_total->setText(QString::fromStdString(formatNumber(e.totalMsv, "##0.000")));
    try {
        writeTextLines(findFileIgnoringCase(m_folder, files::kEffectiveDose), effectiveDoseFileLines(e.totalMsv));
    } catch (const std::exception& ex) {
        m_messages.warn(kCannotCompute, QString::fromStdString(japaneseOf(ex)));
    }
}

} // namespace velnor::pdd
