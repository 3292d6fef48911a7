// The window the user's guide is read in: a page browser with Back, Forward
// and Contents. Links between the guide's pages are followed in the window;
// links to the web open in the desktop's browser.
#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace klmw {

class CHelpWindow : public QWidget {
  Q_OBJECT
 public:
  // contents: the guide's contents page (a local file).
  explicit CHelpWindow(const QUrl& contents, QWidget* parent = nullptr);

  // Shows a page of the guide and brings the window to the front.
  void ShowPage(const QUrl& page);
  QTextBrowser* GetBrowser() const { return m_browser; }

 private:
  QUrl m_contents;
  QTextBrowser* m_browser;
};

}  // namespace klmw
