#pragma once

class QWidget;

namespace velnor {

// Gives a drawing area the white background of a picture box.
void paintWhite(QWidget* canvas);

} // namespace velnor
