// "Bible Display Options": the one switch "Suppress Footnotes".
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CBibleViewsDialog;
}

namespace klmw {

class CBibleViewsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit CBibleViewsDialog(QWidget* parent = nullptr);
  ~CBibleViewsDialog() override;

  bool GetSuppressFootnotes() const;
  void SetSuppressFootnotes(bool on);

 private:
  std::unique_ptr<Ui::CBibleViewsDialog> m_ui;
};

}  // namespace klmw
