#include "app/shell/ui/plaintreeview.h"

#include "biblefile/biblemodule.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"

namespace klmw {

CPlainTreeView::CPlainTreeView(BibleOf bibleOf, QWidget* parent)
    : QTreeWidget(parent), m_bibleOf(std::move(bibleOf)) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
    auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
    if (doc && item) doc->SetSectionKey(item->data(0, Qt::UserRole).toInt());
  });
}

void CPlainTreeView::OnUpdate(platform::CView*, long, void*) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  const CBibleModule* bible = doc && m_bibleOf ? m_bibleOf(*doc) : nullptr;
  if (bible != m_shown || topLevelItemCount() == 0) {
    clear();
    m_shown = bible;
    if (bible) {
      for (int b = 1; b <= bible->GetBookCount(); ++b) {
        auto* item = new QTreeWidgetItem(this, {FromLatin1252(bible->GetBookLabel(b))});
        item->setData(0, Qt::UserRole, bible->GetCumulative()[static_cast<size_t>(b - 1)]);
      }
    } else if (doc) {
      new QTreeWidgetItem(this, {FromLatin1252(doc->GetTitle())});
    }
  }
  if (!bible || !doc) return;
  int book = 0, chapter = 0, verse = 0;
  if (bible->IndexToPlace(doc->GetSectionKey(), book, chapter, verse)) {
    if (QTreeWidgetItem* item = topLevelItem(book)) {
      setCurrentItem(item);
      scrollToItem(item);
    }
  }
}

}  // namespace klmw
