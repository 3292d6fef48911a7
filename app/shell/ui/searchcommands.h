// Search, Cancel Search and the three combines. Search asks with the sheet,
// runs on a worker thread (so Cancel Search can stop it and the window keeps
// drawing), then marks the words in the searched window and lists the hits in
// a Hits window of its own. Each window keeps its last search; a combine
// takes the active window's hits to the next window clicked and shows there
// the two sets joined by OR, AND or XOR.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/search/hitlist.h"
#include "app/search/searchrun.h"

class QThread;
class cSOLTBook;

namespace klmw {

class CBibleModule;
class CChildFrame;
class CHitsWindow;
class CMainFrame;
class CPaint;
class CPlaceDocument;

struct CSearchHost {
  std::function<const CBibleModule*(const CPlaceDocument&)> bibleOf;
  std::function<const cSOLTBook*(const CPlaceDocument&)> bookOf;
  // The Bible's colour data, for the swatches of the colour list (may be null).
  std::function<CPaint*(const CBibleModule&)> paintOf;
  std::string settingsPath;
  // The folder of the colour index files, with its trailing '/'.
  std::string colourDir;
};

class CSearchCommands : public QObject {
  Q_OBJECT

 public:
  CSearchCommands(CMainFrame& frame, CSearchHost host);
  ~CSearchCommands() override;

  // The Search command: the sheet for the active window, then the run.
  void OnSearch();
  // Runs a request over a window's text without the sheet (the sheet's OK
  // ends here too); the result arrives on the event loop.
  void StartSearch(CChildFrame* frame, const SearchRequest& request);
  void OnCancel();
  void OnCombine(CombineOp op);
  // The pending combine meets the window clicked.
  void FinishCombine(CChildFrame* target);

  bool IsSearching() const { return m_job != nullptr; }
  bool IsCombinePending() const { return m_pendingSource != nullptr; }
  CHitsWindow* HitsWindowOf(const CChildFrame* frame) const;

 signals:
  // A search ended: with hits (its window open), without, or cancelled.
  void searchFinished(bool hits);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Job;
  void OnJobDone();
  void ShowHits(CChildFrame* frame, const std::vector<std::string>& words, const std::vector<int>& colours,
                CHitSet hits, std::vector<HitEntry> list, const std::string& query);
  void Update();
  void EndCombine();

  CMainFrame& m_frame;
  CSearchHost m_host;
  std::shared_ptr<Job> m_job;
  QThread* m_thread = nullptr;
  std::vector<QPointer<CHitsWindow>> m_windows;
  QPointer<CChildFrame> m_pendingSource;
  CombineOp m_pendingOp = CombineOp::Or;
  // The last Find text and mode, offered again by the next sheet.
  std::string m_lastText;
  int m_lastMode = kSearchAnd;
};

}  // namespace klmw
