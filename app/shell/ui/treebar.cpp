#include "app/shell/ui/treebar.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTreeWidget>

#include "biblefile/booknames.h"
#include "app/books/booknavigation.h"
#include "app/shell/registry.h"
#include "app/shell/settings.h"
#include "app/shell/ui/qtext.h"

namespace klmw {

namespace {
constexpr int kBookRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole + 1;
// A book's sections: the key a node's children are read from (-1 for the
// book's top level), absent on other nodes; and whether they were read.
constexpr int kSectionsRole = Qt::UserRole + 2;
constexpr int kFilledRole = Qt::UserRole + 3;
}  // namespace

CTreeBar::CTreeBar(QWidget* parent) : QDockWidget(tr("Books"), parent) {
  setObjectName(QStringLiteral("treeBar"));
  setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  m_tabs = new QTabWidget(this);
  m_tabs->setDocumentMode(true);
  m_books = new QTreeWidget(m_tabs);
  m_books->setHeaderHidden(true);
  m_books->setColumnCount(1);
  m_books->header()->setStretchLastSection(true);
  m_tabs->addTab(m_books, tr("Books"));
  setWidget(m_tabs);
  // The saved width may be as small as kMinWidth; the contents' own
  // minimum would not allow it.
  m_books->setMinimumWidth(kMinWidth);
  m_tabs->setMinimumWidth(kMinWidth);
  setMinimumWidth(kMinWidth);
  connect(m_books, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item, int) { OnItemActivated(item); });
  connect(m_books, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { OnItemExpanded(item); });
}

CTreeBar::~CTreeBar() { CloseReaders(); }

void CTreeBar::CloseReaders() {
  for (auto& [index, book] : m_readers) {
    if (book->IsOpen(SOLT_ALL_FILES)) book->Close(SOLT_ALL_FILES);
  }
  m_readers.clear();
}

cSOLTBook* CTreeBar::Reader(int bookIndex) {
  auto it = m_readers.find(bookIndex);
  if (it != m_readers.end()) return it->second.get();
  const cSOLTBook* registered = m_registry ? m_registry->GetBook(bookIndex) : nullptr;
  if (!registered) return nullptr;
  return m_readers.emplace(bookIndex, std::make_unique<cSOLTBook>(*registered)).first->second.get();
}

void CTreeBar::OnItemExpanded(QTreeWidgetItem* item) {
  if (!item || !item->data(0, kSectionsRole).isValid() || item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const int bookIndex = item->data(0, kBookRole).toInt();
  cSOLTBook* book = Reader(bookIndex);
  if (!book) return;
  for (const cSectionsData& section : GetChildSections(*book, item->data(0, kSectionsRole).toInt())) {
    auto* child = new QTreeWidgetItem(item, {FromLatin1252(section.GetName())});
    child->setData(0, kBookRole, bookIndex);
    child->setData(0, kKeyRole, section.GetSectionKey());
    child->setData(0, kSectionsRole, section.GetSectionKey());
    child->setChildIndicatorPolicy(HasChildSections(*book, section) ? QTreeWidgetItem::ShowIndicator
                                                                    : QTreeWidgetItem::DontShowIndicator);
  }
  if (item->childCount() == 0) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void CTreeBar::SetDimensions(int width, int height) {
  m_width = std::max(width, kMinWidth);
  m_height = std::max(height, 0);
  emit dimensionsRequested(m_width, m_height);
}

void CTreeBar::GetDimensions(int& width, int& height) const {
  if (isVisible()) {
    width = this->width();
    height = this->height();
  } else {
    width = m_width;
    height = m_height;
  }
}

bool CTreeBar::WriteDimensions(const std::string& settingsPath) const {
  int w = 0, h = 0;
  GetDimensions(w, h);
  return WriteTreeDimensions(settingsPath, std::max(w, kMinWidth), h);
}

void CTreeBar::Rebuild(const CDataSetRegistry& registry) {
  m_books->clear();
  CloseReaders();
  m_registry = &registry;
  auto* root = new QTreeWidgetItem(m_books, {tr("Books on Disk")});
  root->setData(0, kBookRole, -1);
  const CBibleModuleList& modules = registry.GetBibleModules();
  for (int i = 0; i < registry.GetBookCount(); ++i) {
    const cSOLTBook* book = registry.GetBook(i);
    auto* item = new QTreeWidgetItem(root, {FromLatin1252(book->GetBookName())});
    item->setToolTip(0, FromLatin1252(book->GetTextPath()));
    item->setData(0, kBookRole, i);
    item->setData(0, kKeyRole, 0);
    if (const CBibleModule* bible = modules.Find(book->GetBookName())) {
      const std::vector<int>& cumulative = bible->GetCumulative();
      for (int b = 1; b <= bible->GetBookCount(); ++b) {
        // The canonical books by the program's own names (Spanish for "RVR").
        const std::string name = b <= kBibleBookCount ? GetBookName(book->GetBookName(), b) : bible->GetBookLabel(b);
        auto* child = new QTreeWidgetItem(item, {FromLatin1252(name)});
        child->setData(0, kBookRole, i);
        child->setData(0, kKeyRole, cumulative[static_cast<size_t>(b - 1)]);
      }
    } else {
      // A book's sections are read when its node first opens.
      item->setData(0, kSectionsRole, -1);
      item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
  }
  root->setExpanded(true);
}

void CTreeBar::OnItemActivated(QTreeWidgetItem* item) {
  if (!item) return;
  int book = item->data(0, kBookRole).toInt();
  if (book < 0) return;
  emit openBook(book, item->data(0, kKeyRole).toInt());
}

}  // namespace klmw
