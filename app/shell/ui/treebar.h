// The docked tree bar: a tab control whose "Books" page lists the registered
// books under "Books on Disk" (a Bible's books below it, a book's sections
// read as their nodes open). Its width and height
// are kept in [options] tree_dimentions.
#pragma once

#include <QDockWidget>
#include <map>
#include <memory>

#include "soltread.h"

class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace klmw {

class CDataSetRegistry;

class CTreeBar : public QDockWidget {
  Q_OBJECT
 public:
  static constexpr int kMinWidth = 30;
  explicit CTreeBar(QWidget* parent = nullptr);
  ~CTreeBar() override;

  QTabWidget* GetTabs() const { return m_tabs; }
  QTreeWidget* GetBookTree() const { return m_books; }

  // Size only; the bar keeps its place. Applied by the main frame.
  void SetDimensions(int width, int height);
  // The size on screen once laid out, else the size asked for.
  void GetDimensions(int& width, int& height) const;
  // Writes [options] tree_dimentions (the width at least kMinWidth).
  bool WriteDimensions(const std::string& settingsPath) const;

  void Rebuild(const CDataSetRegistry& registry);

 signals:
  // The user picked a book (and a place in it: for a Bible, the index of the
  // first verse of the book chosen).
  void openBook(int bookIndex, int sectionKey);
  void dimensionsRequested(int width, int height);

 private:
  void OnItemActivated(QTreeWidgetItem* item);
  void OnItemExpanded(QTreeWidgetItem* item);
  // The tree's own copy of registered book i, opened when first read.
  cSOLTBook* Reader(int bookIndex);
  void CloseReaders();

  QTabWidget* m_tabs;
  QTreeWidget* m_books;
  const CDataSetRegistry* m_registry = nullptr;
  std::map<int, std::unique_ptr<cSOLTBook>> m_readers;
  int m_width = 200;
  int m_height = 400;
};

}  // namespace klmw
