// The stand-in tree pane of Bible windows: the books of the window's Bible,
// the current one selected; activating one moves the window there. Replaced
// by the real Bible tree through the template's tree factory.
#pragma once

#include <QTreeWidget>
#include <functional>

#include "platform/docview.h"

namespace klmw {

class CBibleModule;
class CPlaceDocument;

class CPlainTreeView : public QTreeWidget, public platform::CView {
 public:
  // The Bible a document shows, or null for a book.
  using BibleOf = std::function<const CBibleModule*(const CPlaceDocument&)>;

  explicit CPlainTreeView(BibleOf bibleOf, QWidget* parent = nullptr);
  void OnUpdate(platform::CView* sender, long hint, void* object) override;

 private:
  BibleOf m_bibleOf;
  const CBibleModule* m_shown = nullptr;
};

}  // namespace klmw
