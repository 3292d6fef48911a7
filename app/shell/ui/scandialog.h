// The disk scan's face: walks a folder with a progress box that can be
// cancelled, then lists the books found with a check box each for its
// active flag. Writing the registry is the caller's (CShellApp).
#pragma once

#include <QDialog>
#include <memory>

class QTreeWidget;

namespace Ui {
class CScanDialog;
}

namespace klmw {

class CBookScanner;
class CDataSetRegistry;

class CScanDialog : public QDialog {
  Q_OBJECT
 public:
  CScanDialog(CBookScanner& scanner, CDataSetRegistry& registry, QWidget* parent = nullptr);
  ~CScanDialog() override;

  // Walks root for books; false when the user cancelled (the list then shows
  // what was found so far).
  bool Scan(const QString& root);
  QTreeWidget* GetList() const;
  int GetFoundCount() const;
  // Copies the check boxes into the scan tree's active flags.
  void ApplyChecks();

 private:
  void FillList(bool cancelled);

  std::unique_ptr<Ui::CScanDialog> m_ui;
  CBookScanner& m_scanner;
  CDataSetRegistry& m_registry;
};

}  // namespace klmw
