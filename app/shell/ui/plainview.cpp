#include "app/shell/ui/plainview.h"

#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"

namespace klmw {

CPlainView::CPlainView(Describer describe, QWidget* parent)
    : QLabel(parent), m_describe(std::move(describe)) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setMargin(8);
  setWordWrap(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
}

void CPlainView::OnUpdate(platform::CView*, long, void*) {
  auto* doc = dynamic_cast<CPlaceDocument*>(GetDocument());
  if (!doc) {
    setText({});
    return;
  }
  QString text = QStringLiteral("<h3>%1</h3>").arg(FromLatin1252(doc->GetTitle()).toHtmlEscaped());
  // The first line of the description is the position, the rest text.
  std::string where = m_describe ? m_describe(*doc) : std::string();
  const QStringList lines = FromLatin1252(where).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    text += i == 0 ? QStringLiteral("<p><b>%1</b></p>").arg(lines[i].toHtmlEscaped())
                   : QStringLiteral("<p>%1</p>").arg(lines[i].toHtmlEscaped());
  }
  setText(text);
}

}  // namespace klmw
