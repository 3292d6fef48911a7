// The Hits window: every hit of a window's search, each with its label and
// beside it the verse's text (Bible) or the start of the section (book), the
// search words picked out. Choosing a hit takes the searched window there;
// Bible hits can be printed and saved as text. Closing it ends the search.
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "app/search/hitlist.h"

class QPrinter;
class QTreeView;

namespace klmw {

class CChildFrame;
class CHitsModel;
class CPlaceDocument;

class CHitsWindow : public QDialog {
  Q_OBJECT

 public:
  // The text shown beside a hit (and printed and saved with a Bible hit).
  using HitText = std::function<std::string(long position)>;

  // frame: the searched window; words: the search's words (picked out in
  // the texts); query: as the results name it. The window puts itself where
  // the last one was closed.
  CHitsWindow(CChildFrame* frame, bool bible, std::vector<HitEntry> hits, std::vector<std::string> words,
              std::string query, HitText text, std::string settingsPath, QWidget* parent);
  ~CHitsWindow() override;

  CChildFrame* GetFrame() const { return m_frame; }
  // Closed (its search over), though perhaps not yet deleted.
  bool IsEnded() const { return m_ended; }
  size_t GetHitCount() const { return m_hits.size(); }
  const std::vector<HitEntry>& GetHits() const { return m_hits; }
  const std::string& GetQuery() const { return m_query; }
  QTreeView* GetList() const { return m_list; }

  // Takes the searched window to hit `row`.
  void ChooseHit(int row);
  // Print Results and Save Results; false when nothing was written.
  bool PrintResults(QPrinter& printer);
  bool SaveResults(const QString& path);

 signals:
  // The window closed: its search is over.
  void closed(CHitsWindow* window);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void done(int result) override;

 private:
  // Ends the search once: marks go, the place is kept, the frame is told.
  void End();
  void OnPrint();
  void OnSave();
  // The searched document, or null once its window is gone.
  CPlaceDocument* Doc() const;
  bool RefuseForBook();

  QPointer<CChildFrame> m_frame;
  bool m_bible;
  std::vector<HitEntry> m_hits;
  std::vector<std::string> m_words;
  std::string m_query;
  HitText m_text;
  std::string m_settingsPath;
  CHitsModel* m_model = nullptr;
  QTreeView* m_list = nullptr;
  bool m_ended = false;
};

}  // namespace klmw
