// The stand-in view of Bible and book windows: it shows the document's title
// and position as text. The real views replace it through the view factory of
// their template (CUiDocTemplate::SetViewFactory), so nothing else names it.
#pragma once

#include <QLabel>
#include <functional>
#include <string>

#include "platform/docview.h"

namespace klmw {

class CPlaceDocument;

class CPlainView : public QLabel, public platform::CView {
 public:
  // Describes the position of a document in words ("Genesis 1:1").
  using Describer = std::function<std::string(const CPlaceDocument&)>;

  explicit CPlainView(Describer describe, QWidget* parent = nullptr);
  void OnUpdate(platform::CView* sender, long hint, void* object) override;

 private:
  Describer m_describe;
};

}  // namespace klmw
