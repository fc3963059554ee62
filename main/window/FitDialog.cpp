#include "main/window/FitDialog.h"

#include "main/form/ExposureForm.h"

#include "common/NumberReading.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velnor {
namespace {

const char* const kTitle = "  HVL or ATR-Index ";
const char* const kHeading = "実測した指標に近似するＸ線スペクトルの計算";
const char* const kEnterHvl = "　半価層を入力してください　";
const char* const kEnterAtr = "  ATR-Index を入力して下さい  ";
const char* const kSameHvl = "　実測値と計算値が同じです　";
const char* const kSameAtr = "  実測値と計算値が同じです  ";

using controls::label;

QRadioButton* option(const char* name, const char* text, QWidget* parent)
{
    auto* o = new QRadioButton(text, parent);
    o->setObjectName(name);
    return o;
}

} // namespace

FitDialog::FitDialog(Messages& messages, QWidget* parent) : QWidget(parent, Qt::Window), m_messages(messages)
{
    setObjectName("Form11");
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* heading = controls::heading(kHeading, this, 2, true);
    heading->setObjectName("Label1");
    layout->addWidget(heading);

    auto* target = new QGroupBox(" 対象とする指標", this);
    target->setObjectName("Frame1");
    m_hvl = option("Option1", "実測 HVL に近似させる", target);
    m_atr = option("Option2", "実測 ATR-Index に近似させる", target);
    auto* targetLayout = new QVBoxLayout(target);
    targetLayout->addWidget(m_hvl);
    targetLayout->addWidget(m_atr);
    auto* method = new QGroupBox("近似方法", this);
    method->setObjectName("Frame2");
    m_voltage = option("Option4", "管電圧を調整 (0.2 keV 間隔) して近似させる", method);
    m_filtration = option("Option3", "固有ろ過 (アルミ当量) を調節して近似させる", method);
    auto* methodLayout = new QVBoxLayout(method);
    methodLayout->addWidget(m_filtration);
    methodLayout->addWidget(m_voltage);
    auto* frames = new QHBoxLayout;
    frames->addWidget(target);
    frames->addWidget(method);
    layout->addLayout(frames);

    auto* values = new QGridLayout;
    m_computedHvl = label("Label6", "", this);
    m_computedAtr = label("Label8", "", this);
    m_measuredHvl = new QLineEdit(this);
    m_measuredHvl->setObjectName("Text1");
    m_measuredAtr = new QLineEdit(this);
    m_measuredAtr->setObjectName("Text2");
    for (QLabel* l : {m_computedHvl, m_computedAtr}) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(80);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    values->addWidget(label("Label4", "計算による HVL =", this), 0, 0);
    values->addWidget(m_computedHvl, 0, 1);
    values->addWidget(label("Label5", "mmAl", this), 0, 2);
    values->addWidget(label("Label7", "実測 HVL =", this), 1, 0);
    values->addWidget(m_measuredHvl, 1, 1);
    values->addWidget(label("Label9", "mmAl", this), 1, 2);
    values->addWidget(label("Label3", "計算による ATR-Index =", this), 2, 0);
    values->addWidget(m_computedAtr, 2, 1);
    values->addWidget(label("Label2", "実測 ATR-Index =", this), 3, 0);
    values->addWidget(m_measuredAtr, 3, 1);
    layout->addLayout(values);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Command1");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Command2");
    auto* explain = new QPushButton("ATR-Index とは", this);
    explain->setObjectName("Command3");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(explain);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &FitDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
    connect(explain, &QPushButton::clicked, this, &FitDialog::atrExplanationRequested);
}

void FitDialog::open(const QString& computedHvlMm, const QString& computedAtr, double hvl1Cm, double atrIndex)
{
    m_measuredHvl->clear();
    m_measuredAtr->clear();
    setComputed(computedHvlMm, computedAtr, hvl1Cm, atrIndex);
    m_hvl->setChecked(true);
    m_filtration->setChecked(true);
    controls::bringForward(this);
}

void FitDialog::setComputed(const QString& computedHvlMm, const QString& computedAtr, double hvl1Cm, double atrIndex)
{
    m_computedHvl->setText(computedHvlMm);
    m_computedAtr->setText(computedAtr);
    m_hvl1Cm = hvl1Cm;
    m_atrIndex = atrIndex;
}

void FitDialog::accept()
{
    const Method method = m_voltage->isChecked() ? Method::Voltage : Method::Filtration;
    if (m_hvl->isChecked()) {
        if (m_measuredHvl->text().isEmpty()) {
            m_messages.beep();
            m_messages.warn(kEnterHvl);
            return;
        }
        if (const form::Check letters = form::typedNumberFault("measuredHvl", m_measuredHvl->text().toStdString())) {
            m_messages.beep();
            m_messages.warn(QString::fromStdString("　" + letters.reasonJa + "　"));
            return;
        }
        const double measuredCm = readLeadingNumber(m_measuredHvl->text().toStdString()) * 0.1;
        if (measuredCm == m_hvl1Cm) {
            m_messages.beep();
            m_messages.warn(kSameHvl);
            return;
        }
        emit fitRequested(Target::Hvl, method, measuredCm);
        return;
    }
    if (m_measuredAtr->text().isEmpty()) {
        m_messages.beep();
        m_messages.warn(kEnterAtr);
        return;
    }
    if (const form::Check letters = form::typedNumberFault("measuredAtr", m_measuredAtr->text().toStdString())) {
        m_messages.beep();
        m_messages.warn(QString::fromStdString("　" + letters.reasonJa + "　"));
        return;
    }
    const double measured = readLeadingNumber(m_measuredAtr->text().toStdString());
    if (measured == m_atrIndex) {
        m_messages.beep();
        m_messages.warn(kSameAtr);
        return;
    }
    emit fitRequested(Target::Atr, method, measured);
}

} // namespace velnor
