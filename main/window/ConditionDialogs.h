#pragma once

#include "main/form/ExposureForm.h"
#include "main/spectrum/FilterMaterial.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace velnor {

class Messages;

// "  任意フィルター設定" (Form5): a filter of any material from a ".ele" or
// ".mix" file of the working folder, beside the aluminium and copper filters.
class OtherFilterDialog : public QWidget {
    Q_OBJECT
public:
    OtherFilterDialog(Messages& messages, const std::filesystem::path& folder, QWidget* parent);
    void open();

signals:
    // The material and its thickness as typed (mm).
    void filterSet(const FilterMaterial& material, const QString& thicknessText);
    void filterCleared();

private:
    void set();

    Messages& m_messages;
    std::filesystem::path m_folder;
    QListWidget* m_files;
    QLabel* m_name;
    QLineEdit* m_thickness;
};

// "  実測照射線量入力" (Form9): a measured exposure at 1 m in place of the tube
// output table.
class MeasuredExposureDialog : public QWidget {
    Q_OBJECT
public:
    MeasuredExposureDialog(Messages& messages, QWidget* parent);
    void open();

signals:
    void measured(double exposureCkg);
    // An empty or unusable entry, Cancel or closing: back to the table.
    void tableChosen();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void accept();

    Messages& m_messages;
    QLineEdit* m_value;
    QRadioButton* m_ckg;
    QRadioButton* m_roentgen;
    QRadioButton* m_gray;
    bool m_answered = false;
};

// "  透視モード設定" (Form12): the average tube current of continuous or
// pulsed fluoroscopy.
class FluoroscopyDialog : public QWidget {
    Q_OBJECT
public:
    FluoroscopyDialog(Messages& messages, QWidget* parent);
    void open();

signals:
    void currentChosen(double averageMa);

private:
    void compute();

    Messages& m_messages;
    QRadioButton* m_continuous;
    QRadioButton* m_pulsed;
    QLineEdit* m_text[5] = {}; // Text1..Text4
};

} // namespace velnor
