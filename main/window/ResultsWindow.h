#pragma once

#include "main/results/ResultsTable.h"

#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;

namespace velnor {

class Messages;

// The table drawn in its logical coordinates, scaled to the widget so that
// it stays legible at any window size.
class TablePicture : public QWidget {
    Q_OBJECT
public:
    TablePicture(const ResultsTable& table, QWidget* parent);
    void setUserName(const QString& name) { m_userName = name; update(); }
    void setTotals(std::optional<ResultsTable::Totals> totals) { m_totals = totals; update(); }
    // The title block sits lower at start-up than after a clear.
    void setStartUpTitle(bool startUp) { m_startUpTitle = startUp; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ResultsTable& m_table;
    QString m_userName;
    std::optional<ResultsTable::Totals> m_totals;
    bool m_startUpTitle = true;
};

// "  Calculation Results by Velnor_V17" (Form10).
class ResultsWindow : public QWidget {
    Q_OBJECT
public:
    ResultsWindow(ResultsTable& table, Messages& messages, QWidget* parent = nullptr);

    void setUserName(const QString& name);
    // Call after a row was added or the table changed otherwise.
    void tableChanged();

    TablePicture* picture() const { return m_picture; }

signals:
    void cleared();

private:
    void clearTable();
    void showTotals();

    ResultsTable& m_table;
    Messages& m_messages;
    TablePicture* m_picture;
    QPushButton* m_totalsButton;
    QLabel* m_userLabel;
};

} // namespace velnor
