#pragma once

#include "depthdose/DepthDose.h"

#include <QWidget>

#include <filesystem>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velnor::pdd {

class EffectiveDoseWindow;
class PddMessages;

// The semi-logarithmic graph of the percentage depth dose, in its logical
// coordinates (x = 30 cm of depth, y = 800 - 100 ln(10 PDD)), with the
// read-out under the mouse and with the arrow keys.
class PddGraph : public QWidget {
    Q_OBJECT
public:
    explicit PddGraph(QWidget* parent);
    void setTable(const std::vector<DepthDosePoint>& table, double thicknessCm);
    // Moves the read-out to point k (1-based) and reports it.
    void readOut(int k, bool byKey);
    int readOutPoint() const { return m_point; }

signals:
    void readOutChanged(int point, bool byKey);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTransform toWidget() const;
    std::vector<DepthDosePoint> m_table;
    double m_thickness = 0;
    int m_point = 0; // 0: none yet
};

// "Central-Axis Depth Dose for Diagnostic X-rays": the case handed over by
// the main program, its depth dose, the read-out, the PDD file, and the
// effective dose window.
class DepthDoseWindow : public QWidget {
    Q_OBJECT
public:
    DepthDoseWindow(const std::filesystem::path& folder, PddMessages* messages = nullptr);
    ~DepthDoseWindow() override;
    // Reads the hand-off, asks about a body above 40 cm, computes, draws and
    // prepares the effective dose window. False when nothing could be computed
    // (the window stays usable and says why).
    bool start();

    const std::vector<DepthDosePoint>& table() const { return m_table; }
    double thicknessCm() const { return m_thickness; }
    EffectiveDoseWindow* effectiveDoseWindow() const { return m_effective; }
    PddGraph* graph() const { return m_graph; }

    // Where the table is saved: by default the platform's save-file dialog,
    // opened at the box's name in the working folder (or at the path typed
    // into the box); an empty answer cancels. Tests replace it.
    using SavePathChooser = std::function<QString(const QString& suggested)>;
    void setSavePathChooser(SavePathChooser chooser) { m_chooseSavePath = std::move(chooser); }

private:
    void showReadOut(int point, bool byKey);
    void savePdd();
    void bye();

    std::filesystem::path m_folder;
    std::unique_ptr<PddMessages> m_ownMessages;
    PddMessages* m_messages;
    std::optional<HandOff> m_handOff;
    std::vector<DepthDosePoint> m_table;
    double m_thickness = 0;
    PddGraph* m_graph;
    QLabel* m_surfaceDose;
    QLabel* m_readOut;
    QLineEdit* m_saveName;
    QPushButton* m_effectiveButton;
    EffectiveDoseWindow* m_effective;
    SavePathChooser m_chooseSavePath;
};

} // namespace velnor::pdd
