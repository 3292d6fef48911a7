// The user's guide: the Help commands open it in the help window, a click on
// a link leads on, and every page, style sheet and anchor a page names is
// shipped beside the program. The pictures are drawn over the sample library
// after the build; with KLMW_MANUAL_PICTURES=1 they are checked too.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextCursor>
#include <QtTest>

#include "app/shell/manual.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/displayoptions.h"
#include "app/shell/ui/helpwindow.h"
#include "app/shell/ui/mainframe.h"
#include "platform/home.h"

using namespace klmw;

namespace {

QDir ManualDir() {
  return QDir(QString::fromStdString(ManualPagePath(platform::GetExecutableDir(), "")));
}

QString ReadPage(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT
 private slots:
  void helpCommandsOpenTheGuideAndItsLinksLeadOn_data();
  void helpCommandsOpenTheGuideAndItsLinksLeadOn();
  void everyReferenceOfAPageIsShipped_data();
  void everyReferenceOfAPageIsShipped();
};

void HelpTest::helpCommandsOpenTheGuideAndItsLinksLeadOn_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<QString>("page");
  QTest::newRow("Help (F1)") << int(ID_HELP_INDEX) << QStringLiteral("index.html");
  QTest::newRow("Up to the minute help") << int(ID_HELP_ONLINE) << QStringLiteral("index.html");
  QTest::newRow("klmw on the Internet") << int(ID_HELP_HOME_PAGE) << QStringLiteral("about.html");
}

void HelpTest::helpCommandsOpenTheGuideAndItsLinksLeadOn() {
  QFETCH(int, command);
  QFETCH(QString, page);
  QTemporaryDir dir;
  CDisplayOptions options;
  CMainFrame frame(dir.filePath(QStringLiteral("KLMW.INI")).toStdString(), options);
  QAction* action = frame.GetCommand(command);
  QVERIFY(action);
  if (command == ID_HELP_INDEX) QVERIFY(action->shortcut().matches(QKeySequence(Qt::Key_F1)) == QKeySequence::ExactMatch);
  action->trigger();
  auto* help = frame.findChild<CHelpWindow*>();
  QVERIFY(help && help->isVisible());
  QTextBrowser* browser = help->GetBrowser();
  QCOMPARE(browser->source().fileName(), page);
  QVERIFY(!browser->toPlainText().isEmpty());
  // A picture not drawn yet reads as its alt text.
  const bool drawn = QFileInfo::exists(ManualDir().filePath(QStringLiteral("pictures/main-window.png")));
  if (page == QStringLiteral("index.html"))
    QCOMPARE(browser->toPlainText().contains(QStringLiteral("[Picture:")), !drawn);

  // A click on the link to the page on Bible windows (on both pages).
  QTextCursor link = browser->document()->find(QStringLiteral("Bible"));
  while (!link.isNull() && link.charFormat().anchorHref() != QStringLiteral("bible.html"))
    link = browser->document()->find(QStringLiteral("Bible"), link);
  QVERIFY(!link.isNull());
  link.setPosition(link.selectionStart() + 2);
  browser->setTextCursor(link);
  browser->ensureCursorVisible();
  const QPoint at = browser->cursorRect(link).center();
  QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(browser->source().fileName(), QStringLiteral("bible.html"));
  QVERIFY(browser->isBackwardAvailable());

  // Contents goes to the contents page whatever opened the window.
  auto* contents = help->findChild<QAction*>(QStringLiteral("helpContents"));
  QVERIFY(contents);
  contents->trigger();
  QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));
  // The same command again uses the same window.
  action->trigger();
  QCOMPARE(frame.findChildren<CHelpWindow*>().size(), 1);
  QCOMPARE(browser->source().fileName(), page);
}

void HelpTest::everyReferenceOfAPageIsShipped_data() {
  QTest::addColumn<QString>("page");
  const QStringList pages = ManualDir().entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
  QVERIFY2(pages.contains(QStringLiteral("index.html")), qPrintable(ManualDir().path()));
  for (const QString& p : pages) QTest::newRow(qPrintable(p)) << p;
}

void HelpTest::everyReferenceOfAPageIsShipped() {
  QFETCH(QString, page);
  const QDir manual = ManualDir();
  const QString text = ReadPage(manual.filePath(page));
  QVERIFY(!text.isEmpty());
  const bool pictures = qEnvironmentVariable("KLMW_MANUAL_PICTURES") == QStringLiteral("1");
  static const QRegularExpression reference(QStringLiteral("<(\\w+)[^>]*\\s(href|src)=\"([^\"]*)\""));
  for (auto it = reference.globalMatch(text); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const QString target = m.captured(3);
    if (target.contains(QLatin1Char(':'))) continue;  // the web
    if (m.captured(1) == QStringLiteral("img") && !pictures) continue;
    const QString file = target.section(QLatin1Char('#'), 0, 0);
    const QString anchor = target.section(QLatin1Char('#'), 1);
    const QString path = manual.filePath(file.isEmpty() ? page : file);
    QVERIFY2(QFileInfo(path).isFile(), qPrintable(page + QStringLiteral(" names ") + target));
    if (!anchor.isEmpty())
      QVERIFY2(ReadPage(path).contains(QStringLiteral("id=\"%1\"").arg(anchor)),
               qPrintable(page + QStringLiteral(" names ") + target));
  }
  // The contents page leads to every page.
  if (page != QStringLiteral("index.html"))
    QVERIFY2(ReadPage(manual.filePath(QStringLiteral("index.html"))).contains(QStringLiteral("href=\"%1\"").arg(page)),
             qPrintable(page));
}

QTEST_MAIN(HelpTest)
#include "help_test.moc"
