#pragma once

#include "depthdose/OrganDose.h"

#include <QWidget>

#include <array>
#include <filesystem>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace velnor::pdd {

class PddMessages;

// "Effective Dose": sixteen tissue rows, their defaults from the body part's
// organ data, the contributions and the total, written to "Eff-Dose.dat".
class EffectiveDoseWindow : public QWidget {
    Q_OBJECT
public:
    EffectiveDoseWindow(PddMessages& messages, const std::filesystem::path& folder, QWidget* parent);
    // The case: its depth-dose table, body part, thickness and surface dose.
    void setCase(const std::vector<DepthDosePoint>& table, const std::string& bodyPart, double thicknessCm, double surfaceDoseMgy);
    // Clears every row and loads the body part's defaults.
    void loadDefaults();
    void compute();

signals:
    void byeRequested();

private:
    PddMessages& m_messages;
    std::filesystem::path m_folder;
    std::vector<DepthDosePoint> m_table;
    std::string m_bodyPart;
    double m_thickness = 0, m_surfaceDose = 0;
    std::array<QCheckBox*, kTissueRows> m_check{};
    std::array<QLineEdit*, kTissueRows> m_from{}, m_to{}, m_percent{};
    std::array<QLabel*, kTissueRows> m_result{};
    QLabel* m_total;
    QLabel* m_case;
};

} // namespace velnor::pdd
