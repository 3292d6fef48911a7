#include "app/shell/ui/searchcommands.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QStatusBar>
#include <QThread>
#include <algorithm>
#include <atomic>

#include "app/bibles/paint.h"
#include "app/search/hitlist.h"
#include "app/search/searchpage.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/hitswindow.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/searchsheet.h"
#include "biblefile/biblemodule.h"
#include "platform/file.h"
#include "platform/messages.h"
#include "soltread.h"
#include "textpane/ui/qtsurface.h"

namespace klmw {

// One search on its way: what the worker reads and what it hands back.
struct CSearchCommands::Job {
  QPointer<CChildFrame> frame;
  SearchRequest request;
  std::string text;  // the Find text as typed
  const CBibleModule* bible = nullptr;
  const cSOLTBook* book = nullptr;
  std::string colourIndex;
  std::atomic<bool> cancel{false};
  SearchResult result;
  std::vector<HitEntry> list;

  void Run() {
    if (bible) {
      platform::File text;
      if (!bible->OpenText(text)) return;  // told when the window first read its verses
      result = RunBibleSearch(*bible, text, request, colourIndex, &cancel);
      if (result.HasHits() && !cancel) list = BibleHitList(*bible, result.hits);
    } else if (book) {
      result = RunBookSearch(*book, request, &cancel);
      if (result.HasHits() && !cancel) list = BookHitList(*book, result.hits);
    }
  }
};

namespace {

constexpr const char* kNoTextWindow = "You must open a Bible or SOLT book to use search";
constexpr const char* kClickAnother = "Now Click on Another window to do operation";
constexpr const char* kNotSearched = "Sorry, Merge operations are only done on windows with find operations\n";

CPlaceDocument* DocOf(const CChildFrame* frame) {
  return frame ? dynamic_cast<CPlaceDocument*>(frame->GetDocument()) : nullptr;
}

// The words of both, each once, the target's first.
std::vector<std::string> JoinWords(std::vector<std::string> a, const std::vector<std::string>& b) {
  for (const std::string& w : b)
    if (std::find(a.begin(), a.end(), w) == a.end()) a.push_back(w);
  return a;
}

}  // namespace

CSearchCommands::CSearchCommands(CMainFrame& frame, CSearchHost host)
    : QObject(&frame), m_frame(frame), m_host(std::move(host)) {
  if (QAction* a = frame.GetCommand(ID_EDIT_FIND)) {
    // Ctrl+F stays with the find bar of the window being read.
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    connect(a, &QAction::triggered, this, &CSearchCommands::OnSearch);
  }
  if (QAction* a = frame.GetCommand(ID_CANCEL_SEARCH)) connect(a, &QAction::triggered, this, &CSearchCommands::OnCancel);
  const std::pair<int, CombineOp> combines[] = {
      {ID_COMBINE_OR, CombineOp::Or}, {ID_COMBINE_AND, CombineOp::And}, {ID_COMBINE_XOR, CombineOp::Xor}};
  for (const auto& [id, op] : combines) {
    if (QAction* a = frame.GetCommand(id)) connect(a, &QAction::triggered, this, [this, op = op] { OnCombine(op); });
  }
  connect(frame.GetMdiArea(), &QMdiArea::subWindowActivated, this, &CSearchCommands::Update);
  Update();
}

CSearchCommands::~CSearchCommands() {
  if (m_job) m_job->cancel = true;
  if (m_thread) m_thread->wait();
  qApp->removeEventFilter(this);
}

CHitsWindow* CSearchCommands::HitsWindowOf(const CChildFrame* frame) const {
  for (const QPointer<CHitsWindow>& w : m_windows)
    if (w && !w->IsEnded() && w->GetFrame() == frame) return w;
  return nullptr;
}

void CSearchCommands::Update() {
  CPlaceDocument* doc = m_frame.GetActiveDocument();
  const bool text = doc && ((m_host.bibleOf && m_host.bibleOf(*doc)) || (m_host.bookOf && m_host.bookOf(*doc)));
  if (QAction* a = m_frame.GetCommand(ID_EDIT_FIND)) a->setEnabled(text && !m_job);
  if (QAction* a = m_frame.GetCommand(ID_CANCEL_SEARCH)) a->setEnabled(m_job || m_pendingSource);
  for (int id : {ID_COMBINE_OR, ID_COMBINE_AND, ID_COMBINE_XOR})
    if (QAction* a = m_frame.GetCommand(id)) a->setEnabled(doc && doc->HasSearchHits());
}

void CSearchCommands::OnSearch() {
  CChildFrame* frame = m_frame.GetActiveChild();
  CPlaceDocument* doc = DocOf(frame);
  const CBibleModule* bible = doc && m_host.bibleOf ? m_host.bibleOf(*doc) : nullptr;
  const cSOLTBook* book = doc && !bible && m_host.bookOf ? m_host.bookOf(*doc) : nullptr;
  if (!bible && !book) {
    platform::MessageBox(kNoTextWindow);
    return;
  }
  if (m_job) return;
  std::vector<QColor> swatches;
  if (bible) {
    CPaint* paint = m_host.paintOf ? m_host.paintOf(*bible) : nullptr;
    if (paint && paint->HasColorData()) {
      const auto& table = paint->GetColorTable();
      // Search code c is topic colour c + 1.
      for (int code = 0; code < kSearchColorCodes; ++code) {
        const size_t entry = static_cast<size_t>(code + 1 + kTopicEntryBase);
        swatches.push_back(entry < table.size() ? textpane::QtSurface::ToQColor(table[entry]) : QColor(Qt::white));
      }
    }
  }
  CSearchSheet sheet(bible != nullptr, bible ? MakeBibleWordSource(*bible) : MakeBookWordSource(*book),
                     std::move(swatches), FromLatin1252(m_lastText), m_lastMode, &m_frame);
  if (sheet.exec() != QDialog::Accepted) {
    doc->UpdateAllViews(nullptr, CPlaceDocument::kHintSearchEnded);
    return;
  }
  m_lastText = ToLatin1252(sheet.FindBox()->text());
  SearchRequest request = sheet.Request();
  m_lastMode = request.mode;
  if (frame) StartSearch(frame, request);
}

void CSearchCommands::StartSearch(CChildFrame* frame, const SearchRequest& request) {
  CPlaceDocument* doc = DocOf(frame);
  if (!doc || m_job) return;
  auto job = std::make_shared<Job>();
  job->frame = frame;
  job->request = request;
  job->bible = m_host.bibleOf ? m_host.bibleOf(*doc) : nullptr;
  job->book = !job->bible && m_host.bookOf ? m_host.bookOf(*doc) : nullptr;
  if (!job->bible && !job->book) return;
  if (job->bible) job->colourIndex = ColorIndexPath(m_host.colourDir, job->bible->GetCode());
  // The window's last search gives way to this one.
  if (CHitsWindow* old = HitsWindowOf(frame)) old->close();
  m_job = job;
  m_thread = QThread::create([job] { job->Run(); });
  connect(m_thread, &QThread::finished, this, &CSearchCommands::OnJobDone);
  m_frame.statusBar()->showMessage(tr("Searching..."));
  Update();
  m_thread->start();
}

void CSearchCommands::OnJobDone() {
  std::shared_ptr<Job> job = std::move(m_job);
  m_thread->deleteLater();
  m_thread = nullptr;
  m_frame.statusBar()->clearMessage();
  Update();
  if (!job) return;
  CPlaceDocument* doc = DocOf(job->frame);
  bool found = false;
  if (job->result.cancelled || job->cancel) {
    m_frame.statusBar()->showMessage(tr("Search cancelled"), 3000);
  } else if (!doc) {
    // The window closed while its text was searched.
  } else if (!job->result.message.empty()) {
    platform::MessageBox(job->result.message);
    doc->UpdateAllViews(nullptr, CPlaceDocument::kHintSearchEnded);
  } else if (job->result.HasHits()) {
    found = true;
    ShowHits(job->frame, job->request.words, job->request.ColorCodes(), std::move(job->result.hits),
             std::move(job->list), QueryText(job->request.words));
  } else {
    doc->UpdateAllViews(nullptr, CPlaceDocument::kHintSearchEnded);
  }
  emit searchFinished(found);
}

void CSearchCommands::ShowHits(CChildFrame* frame, const std::vector<std::string>& words,
                               const std::vector<int>& colours, CHitSet hits, std::vector<HitEntry> list,
                               const std::string& query) {
  CPlaceDocument* doc = DocOf(frame);
  if (!doc) return;
  const CBibleModule* bible = m_host.bibleOf ? m_host.bibleOf(*doc) : nullptr;
  const cSOLTBook* book = m_host.bookOf ? m_host.bookOf(*doc) : nullptr;
  CHitsWindow::HitText text;
  if (bible) {
    auto file = std::make_shared<platform::File>();
    auto open = std::make_shared<int>(0);  // 0 not tried, 1 open, -1 failed
    text = [bible, file, open](long position) {
      if (*open == 0) *open = bible->OpenText(*file) ? 1 : -1;
      std::string verse;
      if (*open > 0) bible->GetVerseText(*file, static_cast<int>(position) + 1, verse);
      return verse;
    };
  } else if (book) {
    text = [book](long key) { return SectionPreview(*book, key); };
  }
  doc->SetSearchResult(words, colours, std::move(hits));
  auto* window = new CHitsWindow(frame, bible != nullptr, std::move(list), words, query, std::move(text),
                                 m_host.settingsPath, &m_frame);
  connect(window, &CHitsWindow::closed, this, [this](CHitsWindow*) { Update(); });
  std::erase_if(m_windows, [](const QPointer<CHitsWindow>& w) { return !w || w->IsEnded(); });
  m_windows.emplace_back(window);
  window->show();
  window->raise();
  Update();
}

void CSearchCommands::OnCancel() {
  if (m_job) m_job->cancel = true;
  if (m_pendingSource) {
    EndCombine();
    m_frame.statusBar()->clearMessage();
  }
}

void CSearchCommands::OnCombine(CombineOp op) {
  CChildFrame* source = m_frame.GetActiveChild();
  CPlaceDocument* doc = DocOf(source);
  if (!doc || !doc->HasSearchHits()) {
    platform::MessageBox(kNotSearched);
    return;
  }
  m_pendingSource = source;
  m_pendingOp = op;
  qApp->installEventFilter(this);
  m_frame.statusBar()->showMessage(QString::fromLatin1(kClickAnother));
  platform::MessageBox(kClickAnother);
  Update();
}

void CSearchCommands::EndCombine() {
  m_pendingSource = nullptr;
  qApp->removeEventFilter(this);
  Update();
}

bool CSearchCommands::eventFilter(QObject* watched, QEvent* event) {
  if (m_pendingSource && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    CChildFrame* target = nullptr;
    for (QObject* o = watched; o && !target; o = o->parent()) target = qobject_cast<CChildFrame*>(o);
    // Clicks outside the windows (menus, bars) and on the window the
    // combine started from leave it pending.
    if (target && target != m_pendingSource) {
      FinishCombine(target);
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void CSearchCommands::FinishCombine(CChildFrame* target) {
  QPointer<CChildFrame> source = m_pendingSource;
  const CombineOp op = m_pendingOp;
  EndCombine();
  m_frame.statusBar()->clearMessage();
  CPlaceDocument* from = DocOf(source);
  CPlaceDocument* to = DocOf(target);
  if (!to || !to->HasSearchHits()) {
    platform::MessageBox(kNotSearched);
    return;
  }
  if (!from || !from->HasSearchHits()) return;
  const CBibleModule* bible = m_host.bibleOf ? m_host.bibleOf(*to) : nullptr;
  const bool sameKind = (bible != nullptr) == (m_host.bibleOf && m_host.bibleOf(*from));
  const cSOLTBook* book = m_host.bookOf ? m_host.bookOf(*to) : nullptr;
  const cSOLTBook* fromBook = m_host.bookOf ? m_host.bookOf(*from) : nullptr;
  // Verse indexes mean the same verse in every Bible; section keys only in
  // their own book.
  const bool sameBook = bible || (book && fromBook && book->GetBookName() == fromBook->GetBookName());
  CHitSet hits = to->GetSearchHits();
  if (!sameKind || !sameBook || !CombineHits(hits, from->GetSearchHits(), op)) {
    platform::MessageBox("The results of these two windows cannot be combined: they do not search the same text.");
    return;
  }
  if (hits.Count() == 0) {
    platform::MessageBox("No verse or section is left when the two results are combined.");
    return;
  }
  const char* opName = op == CombineOp::Or ? " OR " : op == CombineOp::And ? " AND " : " XOR ";
  CHitsWindow* old = HitsWindowOf(target);
  const std::string query = (old ? old->GetQuery() : QueryText(to->GetSearch().GetWords())) + opName +
                            (HitsWindowOf(source) ? HitsWindowOf(source)->GetQuery() : QueryText(from->GetSearch().GetWords()));
  std::vector<std::string> words = JoinWords(to->GetSearch().GetWords(), from->GetSearch().GetWords());
  std::vector<int> colours = to->GetSearch().GetColors();
  std::vector<HitEntry> list = bible ? BibleHitList(*bible, hits) : BookHitList(*book, hits);
  if (old) old->close();
  ShowHits(target, words, colours, std::move(hits), std::move(list), query);
}

}  // namespace klmw
