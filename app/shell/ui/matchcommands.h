// Next Match and Previous Match on the Go menu and the button bar: they move
// among the marks of the active rich-text window and are on only while such
// a mark lies below (above) the window.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

class QAction;

namespace textpane {
class CRtfView;
}

namespace klmw {

class CMainFrame;
class CPlaceDocument;

class CMatchCommands : public QObject {
  Q_OBJECT

 public:
  // Adds the commands to the frame's Go menu and button bar.
  explicit CMatchCommands(CMainFrame& frame);

  // Follows the active window and enables the commands from its marks.
  void Update();

 private:
  // The level the marks are in: the find bar's, else the one being read.
  static int LevelOf(textpane::CRtfView& view);
  void Step(bool next);
  // The document of a Bible window (which marks verses, not text), or null.
  static CPlaceDocument* MarkedBible(textpane::CRtfView* view);

  CMainFrame& m_frame;
  QAction* m_next;
  QAction* m_previous;
  QPointer<textpane::CRtfView> m_view;
  QMetaObject::Connection m_moved;
};

}  // namespace klmw
