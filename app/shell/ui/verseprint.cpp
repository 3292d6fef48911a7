#include "app/shell/ui/verseprint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

namespace klmw {

bool PrintTextEntries(QPrinter& printer, const QString& header, const QString& contHeader,
                      const std::vector<QString>& entries) {
  QPainter p;
  if (!p.begin(&printer)) return false;
  const QFont font(QStringLiteral("Arial"), 10);
  p.setFont(font);
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QFontMetricsF metrics(font, &printer);
  const qreal lineHeight = metrics.lineSpacing();
  qreal y = 0;
  auto startPage = [&](const QString& text) {
    y = 0;
    if (text.isEmpty()) return;
    QFont bold(font);
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(QPointF(0, metrics.ascent()), text);
    p.setFont(font);
    y = 2 * lineHeight;
  };
  startPage(header);
  const qreal top = y;
  for (const QString& entry : entries) {
    QTextLayout layout(entry, font, &printer);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(page.width());
      line.setPosition(QPointF(0, lines++ * lineHeight));
    }
    layout.endLayout();
    const qreal needed = lines * lineHeight;
    if (y + needed > page.height() && y > top) {
      printer.newPage();
      startPage(contHeader);
    }
    layout.draw(&p, QPointF(0, y));
    y += needed + lineHeight;
  }
  return p.end();
}

}  // namespace klmw
