#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace velnor {

class Messages;

// "  HVL or ATR-Index " (Form11): the measured index and how to approximate it.
// The entries are checked here; the main window runs the fit.
class FitDialog : public QWidget {
    Q_OBJECT
public:
    enum class Target { Hvl, Atr };
    enum class Method { Filtration, Voltage };

    FitDialog(Messages& messages, QWidget* parent);
    // Empties the entries, shows the computed values as the main window shows
    // them, selects the HVL target and the filtration method.
    void open(const QString& computedHvlMm, const QString& computedAtr, double hvl1Cm, double atrIndex);
    // The beam computed since the dialog opened: what OK compares with.
    void setComputed(const QString& computedHvlMm, const QString& computedAtr, double hvl1Cm, double atrIndex);

signals:
    // A measured HVL (cm Al) or ATR index, different from the computed one.
    void fitRequested(Target target, Method method, double measured);
    void atrExplanationRequested();

private:
    void accept();

    Messages& m_messages;
    QRadioButton* m_hvl;
    QRadioButton* m_atr;
    QRadioButton* m_voltage;
    QRadioButton* m_filtration;
    QLabel* m_computedHvl;
    QLabel* m_computedAtr;
    QLineEdit* m_measuredHvl;
    QLineEdit* m_measuredAtr;
    double m_hvl1Cm = 0;
    double m_atrIndex = 0;
};

} // namespace velnor
