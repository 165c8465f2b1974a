#pragma once

// The arrangement both pages of the "Scale" sheet share: the grid of the axis limits on top, the
// "Linear" / "Log" choice in a frame under it, then "Reset" and "AutoScale".

class QGridLayout;
class QPushButton;
class QRadioButton;
class QWidget;

namespace kv {

// Lays `page` out with `limits` (the page's own rows of limits) and the shared controls; the two
// radio buttons become one group, "Linear" 0 and "Log" 1.
void LayOutScalePage(QWidget* page, QGridLayout* limits, QRadioButton* linear, QRadioButton* log,
                     QPushButton* reset, QPushButton* autoScale);

}  // namespace kv
