// The text pane of a book window: the section the document's position names,
// read from the book into the document and shown from the section's level.
// Bible windows keep the stand-in view until the Bible view exists.
#pragma once

#include <functional>
#include <memory>

#include "soltread.h"
#include "textpane/ui/rtfview.h"

namespace klmw {

class CBookSection;
class CPlaceDocument;

class CBookView : public textpane::CRtfView {
  Q_OBJECT

 public:
  // The registered book a document shows; null when it shows none.
  using BookOf = std::function<const cSOLTBook*(const CPlaceDocument&)>;

  explicit CBookView(BookOf bookOf, QWidget* parent = nullptr);
  ~CBookView() override;

  // A new position reads the text again; the text arriving (hint 0 while
  // reading) is only laid out.
  void OnUpdate(platform::CView* sender, long hint, void* object) override;

 protected:
  // The reader scrolled into another section of the area: the document
  // follows without reading the text again.
  void OnLevelChanged(unsigned level) override;

 private:
  void Reload();

  BookOf m_bookOf;
  std::unique_ptr<CBookSection> m_section;
  int m_bookIndex = -1;  // the registry index m_section reads
  bool m_reloading = false;
  bool m_loaded = false;
};

}  // namespace klmw
