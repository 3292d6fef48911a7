// The view on the offscreen platform: what it puts on the clipboard reads
// back with its formats, a long text prints on as many pages as it needs,
// the zoom keeps to its bounds, a drag may begin in the margin round the
// text, a popup holds the main window still only while it is open, and the
// find bar counts and steps through the matches of a phrase.
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>
#include <string>

#include "textpane/model/paragraph.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/ui/findbar.h"
#include "textpane/ui/popup.h"
#include "textpane/ui/rtfview.h"

using namespace textpane;

namespace {

// The characters of the copy that are bold and italic, as "b" and "i" marks.
std::string Styles(const CRtfDoc& doc) {
  std::string out;
  for (const Paragraph* p = doc.FirstParagraph(); p; p = NextLeaf(p)) {
    for (size_t i = 0; i + 1 < p->Length(); ++i) {
      const CharFormat& f = *p->FormatAt(i);
      out += f.bold ? (f.italic ? 'B' : 'b') : (f.italic ? 'i' : '.');
    }
    out += '|';
  }
  return out;
}

// Pages of a PDF file: its page objects, not the page tree.
int PdfPages(const QByteArray& pdf) {
  int pages = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
    if (pdf.mid(at + 11, 1) != "s") ++pages;
  }
  return pages;
}

}  // namespace

class RtfViewTest : public QObject {
  Q_OBJECT

 private slots:
  void CopyGivesRtfAndTextThatReadBack();
  void PrintingPaginatesALongText_data();
  void PrintingPaginatesALongText();
  void ZoomStaysInBounds();
  void APressInTheMarginSelectsFromTheLineStart();
  void PopupHoldsTheMainWindowWhileOpen();
  void FindBarStepsThroughTheMatchesOfALevel();
};

void RtfViewTest::CopyGivesRtfAndTextThatReadBack() {
  CRtfDoc doc;
  CRtfView view;
  view.resize(400, 300);
  view.SetDocument(&doc);
  const std::string rtf = "{\\rtf1 plain {\\b bold} {\\i it\\'e9}\\par next {\\b\\i both}\\par}";
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));

  QVERIFY(!view.SelectionMimeData());
  view.SelectAll();
  std::unique_ptr<QMimeData> mime = view.SelectionMimeData();
  QVERIFY(mime);
  QVERIFY(mime->hasFormat("text/rtf"));
  QCOMPARE(mime->text(), QString::fromUtf8("plain bold it\u00e9\n\nnext both"));

  const QByteArray copied = mime->data("text/rtf");
  CRtfDoc back;
  back.SetText(copied.constData(), static_cast<size_t>(copied.size()), FORMAT_RTF);
  QCOMPARE(back.GetText(FORMAT_TEXT), doc.GetText(FORMAT_TEXT));
  QCOMPARE(Styles(back), std::string("......bbbb.iii|.....BBBB|"));
}

void RtfViewTest::PrintingPaginatesALongText_data() {
  QTest::addColumn<int>("paragraphs");
  QTest::addColumn<int>("pages");
  // Letter paper less an inch all round leaves 12960 twips. A paragraph is
  // one small line (under 192 twips in any face) and 3000 after it, so a
  // page holds five lines whatever the font's exact height, and a page
  // begins with the line that does not fit on the one before.
  QTest::newRow("empty") << 0 << 1;
  QTest::newRow("one page full") << 5 << 1;
  QTest::newRow("one line over") << 6 << 2;
  QTest::newRow("five pages") << 23 << 5;
}

void RtfViewTest::PrintingPaginatesALongText() {
  QFETCH(int, paragraphs);
  QFETCH(int, pages);
  std::string rtf = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs8\\sa3000 ";
  for (int i = 0; i < paragraphs; ++i) rtf += "Line " + std::to_string(i) + "\\par ";
  rtf += "}";
  CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  CRtfView view;
  view.SetDocument(&doc);

  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("out.pdf"));
  printer.setPageSize(QPageSize(QPageSize::Letter));
  QCOMPARE(view.Print(printer), pages);
  QFile pdf(dir.filePath("out.pdf"));
  QVERIFY(pdf.open(QIODevice::ReadOnly));
  QCOMPARE(PdfPages(pdf.readAll()), pages);
}

void RtfViewTest::ZoomStaysInBounds() {
  CRtfDoc doc;
  CRtfView view;
  view.SetDocument(&doc);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  view.setFocus();
  // Ctrl+wheel up past the largest step, Ctrl+Minus past the smallest,
  // Ctrl+0 back to 100 %.
  for (int i = 0; i < 15; ++i) {
    QWheelEvent wheel(QPointF(10, 10), view.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
  }
  QCOMPARE(view.GetScaling(), 200);
  for (int i = 0; i < 15; ++i) QTest::keyClick(&view, Qt::Key_Minus, Qt::ControlModifier);
  QCOMPARE(view.GetScaling(), 50);
  QTest::keyClick(&view, Qt::Key_0, Qt::ControlModifier);
  QCOMPARE(view.GetScaling(), 100);
  QVERIFY(!view.SetScaling(201));
  QVERIFY(view.SetScaling(50));
  QCOMPARE(view.GetScaling(), 50);
}

// The margin round the text is the view's too: a drag begun there selects
// from the first character, and without a menu Ctrl+C is the view's own.
void RtfViewTest::APressInTheMarginSelectsFromTheLineStart() {
  CRtfDoc doc;
  CRtfView view;
  view.resize(400, 200);
  view.SetDocument(&doc);
  const std::string rtf = "{\\rtf1 First line\\par Second line\\par}";
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  const QRect text = view.viewport()->geometry();
  QVERIFY(text.left() > view.contentsRect().left());
  const QPoint margin(view.contentsRect().left() + 1, text.top() + 2);
  QTest::mousePress(&view, Qt::LeftButton, {}, margin);
  QTest::mouseMove(&view, QPoint(text.right() - 10, margin.y()));
  QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(text.right() - 10, margin.y()));
  long start = -1, end = -1;
  QVERIFY(view.GetSelection(&start, &end));
  QCOMPARE(start, 0L);
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("First line"));
}

void RtfViewTest::PopupHoldsTheMainWindowWhileOpen() {
  QMainWindow main;
  main.show();
  QPointer<CPopup> popup = new CPopup(nullptr, nullptr, &main);
  const std::string rtf = "{\\rtf1 A note\\par}";
  popup->GetDocument().SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  popup->show();
  QVERIFY(!main.isEnabled());
  QVERIFY(popup->isEnabled());
  popup->close();
  QTRY_VERIFY(popup.isNull());
  QVERIFY(main.isEnabled());
}


// Only words of concordance spans match, in the level at the top; F3 steps
// on and wraps, Escape takes the marks away.
void RtfViewTest::FindBarStepsThroughTheMatchesOfALevel() {
  auto span = [](const std::string& text) { return "{\\soltconcordanceon }" + text + "\\soltconcordanceoff "; };
  const std::string rtf = "{\\rtf1\\ansi \\soltstartlevel0 " + span("grace") + " and " + span("Grace") + " " +
                          span("disgrace") + " grace\\par \\soltstartlevel1 " + span("grace") + "\\par }";
  CRtfDoc doc;
  doc.SetText(rtf.data(), rtf.size(), FORMAT_RTF);
  CRtfView view;
  view.SetDocument(&doc);
  view.resize(400, 300);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  view.activateWindow();
  view.setFocus();
  QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
  CFindBar* bar = view.GetFindBar();
  QVERIFY(bar && bar->isVisible());
  auto* phrase = bar->findChild<QLineEdit*>(QStringLiteral("findPhrase"));
  QVERIFY(phrase);
  QTest::keyClicks(phrase, "grace");
  QTest::keyClick(phrase, Qt::Key_Return);
  QCOMPARE(bar->Status(), QStringLiteral("1 of 2"));
  QCOMPARE(view.CountMarks(0), 2);
  QCOMPARE(view.CountMarks(1), 0);
  QTest::keyClick(phrase, Qt::Key_F3);
  QCOMPARE(bar->Status(), QStringLiteral("2 of 2"));
  QTest::keyClick(phrase, Qt::Key_Return);
  QCOMPARE(bar->Status(), QStringLiteral("1 of 2"));
  QTest::keyClick(phrase, Qt::Key_F3, Qt::ShiftModifier);
  QCOMPARE(bar->Status(), QStringLiteral("2 of 2"));
  QTest::keyClick(phrase, Qt::Key_Escape);
  QVERIFY(!bar->isVisible());
  QCOMPARE(view.CountMarks(0), 0);
}

QTEST_MAIN(RtfViewTest)
#include "rtfview_test.moc"
