#include "app/shell/ui/icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace klmw {

namespace {

void DrawPage(QPainter& p, const QRectF& r, const QColor& edge) {
  p.setPen(QPen(edge, 1.5));
  p.setBrush(Qt::white);
  p.drawRect(r);
  p.setPen(QPen(QColor(120, 120, 120), 1));
  for (qreal y = r.top() + 4; y < r.bottom() - 2; y += 3) {
    p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
  }
}

QPixmap DrawSync(bool on, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 24.0, size / 24.0);
  QColor edge = on ? QColor(30, 100, 200) : QColor(90, 90, 90);
  DrawPage(p, QRectF(1.5, 3.5, 8, 12), edge);
  DrawPage(p, QRectF(14.5, 8.5, 8, 12), edge);
  if (on) {
    // A chain link between the pages.
    p.setPen(QPen(QColor(200, 120, 0), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.5, 9, 6, 4), 2, 2);
    p.drawRoundedRect(QRectF(11.5, 11, 6, 4), 2, 2);
  } else {
    p.setPen(QPen(QColor(160, 160, 160), 1.5, Qt::DashLine));
    p.drawLine(QPointF(10, 12), QPointF(14, 12));
  }
  return pm;
}

}  // namespace

QIcon MakeSyncIcon(bool on) {
  QIcon icon;
  for (int size : {16, 24, 32, 48}) icon.addPixmap(DrawSync(on, size));
  return icon;
}

QPixmap MakeSplashPixmap(const QString& version) {
  QPixmap pm(420, 240);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, pm.height());
  g.setColorAt(0, QColor(40, 60, 110));
  g.setColorAt(1, QColor(15, 25, 55));
  p.fillRect(pm.rect(), g);
  // An open book.
  QPainterPath left, right;
  left.moveTo(210, 70);
  left.cubicTo(180, 58, 140, 58, 110, 68);
  left.lineTo(110, 150);
  left.cubicTo(140, 140, 180, 140, 210, 152);
  left.closeSubpath();
  right.moveTo(210, 70);
  right.cubicTo(240, 58, 280, 58, 310, 68);
  right.lineTo(310, 150);
  right.cubicTo(280, 140, 240, 140, 210, 152);
  right.closeSubpath();
  p.setPen(QPen(QColor(230, 210, 160), 2));
  p.setBrush(QColor(250, 245, 230));
  p.drawPath(left);
  p.drawPath(right);
  p.setPen(QColor(180, 170, 150));
  for (int i = 0; i < 6; ++i) {
    p.drawLine(125, 80 + i * 11, 195, 82 + i * 11);
    p.drawLine(225, 82 + i * 11, 295, 80 + i * 11);
  }
  QFont title(QStringLiteral("Liberation Serif"), 26, QFont::Bold);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 165, pm.width(), 40), Qt::AlignCenter, QStringLiteral("klmw"));
  QFont small(QStringLiteral("Liberation Sans"), 9);
  p.setFont(small);
  p.setPen(QColor(200, 210, 230));
  p.drawText(QRect(0, 205, pm.width(), 24), Qt::AlignCenter,
             QStringLiteral("Bible study and reference books  \u00b7  version %1").arg(version));
  return pm;
}

}  // namespace klmw
