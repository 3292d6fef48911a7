// View > Colour Legend: the topic colours of the active Bible with what
// each stands for, and what underlining means.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "textpane/layout/surface.h"

namespace klmw {

class CLegendDialog : public QDialog {
  Q_OBJECT

 public:
  // colours[k - 1] and names[k - 1] for topic colour k.
  CLegendDialog(const std::vector<textpane::RGB>& colours, const std::vector<std::string>& names,
                QWidget* parent = nullptr);
};

}  // namespace klmw
