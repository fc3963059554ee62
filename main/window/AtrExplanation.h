#pragma once

#include <QWidget>

namespace velnor {

// "ATR Index とは" (Form16): the definition of the ATR index with a drawing of
// its geometry, drawn by our own code.
class AtrExplanation : public QWidget {
    Q_OBJECT
public:
    explicit AtrExplanation(QWidget* parent);
};

} // namespace velnor
