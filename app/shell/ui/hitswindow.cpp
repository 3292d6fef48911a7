#include "app/shell/ui/hitswindow.h"

#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QTreeView>
#include <QVBoxLayout>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <optional>

#include "app/shell/settings.h"
#include "app/shell/ui/childframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/verseprint.h"
#include "biblefile/wordmatch.h"
#include "platform/messages.h"

namespace klmw {

namespace {

constexpr int kRoleFound = Qt::UserRole + 1;  // the found words' stretches of column 1

}  // namespace

// Column 0 the labels, column 1 the texts, read when a row is first shown:
// 31,102 hits cost nothing until they are scrolled to.
class CHitsModel : public QAbstractTableModel {
 public:
  // deferred: the texts are slow to read (a book's sections), so rows are
  // shown at once with their labels and the texts follow a few at a time
  // while the event loop is idle.
  CHitsModel(const std::vector<HitEntry>& hits, const std::vector<std::string>& words, CHitsWindow::HitText text,
             QIcon icon, bool deferred, QObject* parent)
      : QAbstractTableModel(parent), m_hits(hits), m_words(words), m_text(std::move(text)),
        m_icon(std::move(icon)), m_cache(hits.size()), m_deferred(deferred), m_requested(hits.size()) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { ReadPending(); });
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_hits.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || static_cast<size_t>(index.row()) >= m_hits.size()) return {};
    const size_t row = static_cast<size_t>(index.row());
    if (index.column() == 0) {
      if (role == Qt::DisplayRole) return FromLatin1252(m_hits[row].label);
      if (role == Qt::DecorationRole) return m_icon;
      return {};
    }
    if (role != Qt::DisplayRole && role != kRoleFound && role != Qt::ToolTipRole) return {};
    if (m_deferred && !m_cache[row]) {
      if (!m_requested[row]) {
        m_requested[row] = true;
        m_pending.push_back(row);
        m_timer.start();
      }
      return {};
    }
    const Entry& e = Text(row);
    if (role == kRoleFound) return QVariant::fromValue(e.found);
    return e.text;
  }

 private:
  struct Entry {
    QString text;
    QList<int> found;  // start, length pairs
  };
  const Entry& Text(size_t row) const {
    std::optional<Entry>& slot = m_cache[row];
    if (!slot) {
      const std::string text = m_text ? m_text(m_hits[row].position) : std::string();
      Entry e;
      e.text = FromLatin1252(text);
      for (const WordMatch& m : FindWordMatches(text, m_words)) {
        e.found << static_cast<int>(m.position) << static_cast<int>(m.length);
      }
      slot = std::move(e);
    }
    return *slot;
  }

  // Reads the texts asked for, for at most a few milliseconds, and tells the
  // view; the rest wait for the next turn.
  void ReadPending() {
    QElapsedTimer clock;
    clock.start();
    while (!m_pending.empty() && clock.elapsed() < 8) {
      const size_t row = m_pending.front();
      m_pending.pop_front();
      Text(row);
      const QModelIndex changed = index(static_cast<int>(row), 1);
      emit dataChanged(changed, changed);
    }
    if (!m_pending.empty()) m_timer.start();
  }

  const std::vector<HitEntry>& m_hits;
  const std::vector<std::string>& m_words;
  CHitsWindow::HitText m_text;
  QIcon m_icon;
  mutable std::vector<std::optional<Entry>> m_cache;
  bool m_deferred;
  mutable std::vector<bool> m_requested;
  mutable std::deque<size_t> m_pending;
  mutable QTimer m_timer;
};

namespace {

// A hit's text on one line, the found words in red and bold.
class CFoundDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (index.column() != 1) {
      QStyledItemDelegate::paint(p, option, index);
      return;
    }
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    opt.widget->style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, opt.widget);
    const QList<int> found = index.data(kRoleFound).value<QList<int>>();
    QTextLayout layout(text, opt.font);
    QList<QTextLayout::FormatRange> formats;
    for (qsizetype i = 0; i + 1 < found.size(); i += 2) {
      QTextLayout::FormatRange r;
      r.start = found[i];
      r.length = found[i + 1];
      r.format.setForeground(QColor(255, 0, 0));
      r.format.setFontWeight(QFont::Bold);
      formats << r;
    }
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    const QRect r = opt.rect.adjusted(4, 0, -4, 0);
    p->save();
    p->setClipRect(r);
    p->setPen(opt.state & QStyle::State_Selected ? opt.palette.highlightedText().color() : opt.palette.text().color());
    layout.draw(p, QPointF(r.left(), r.top() + (r.height() - line.height()) / 2));
    p->restore();
  }
};

}  // namespace

CHitsWindow::CHitsWindow(CChildFrame* frame, bool bible, std::vector<HitEntry> hits, std::vector<std::string> words,
                         std::string query, HitText text, std::string settingsPath, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      m_frame(frame),
      m_bible(bible),
      m_hits(std::move(hits)),
      m_words(std::move(words)),
      m_query(std::move(query)),
      m_text(std::move(text)),
      m_settingsPath(std::move(settingsPath)) {
  setObjectName(QStringLiteral("hits150"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(FromLatin1252(HitsTitle(m_hits.size(), m_words)));
  auto* layout = new QVBoxLayout(this);
  m_list = new QTreeView(this);
  m_list->setObjectName(QStringLiteral("hitList1021"));
  m_model = new CHitsModel(m_hits, m_words, m_text, style()->standardIcon(QStyle::SP_FileIcon), !m_bible, this);
  m_list->setModel(m_model);
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setAllColumnsShowFocus(true);
  m_list->setItemDelegate(new CFoundDelegate(m_list));
  m_list->header()->hide();
  m_list->header()->setStretchLastSection(true);
  m_list->setColumnWidth(0, 150);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  layout->addWidget(m_list);
  connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) ChooseHit(current.row());
          });
  auto* buttons = new QHBoxLayout;
  auto* print = new QPushButton(tr("Print Results"), this);
  print->setObjectName(QStringLiteral("print1014"));
  auto* save = new QPushButton(tr("Save Results"), this);
  save->setObjectName(QStringLiteral("save1015"));
  print->setAutoDefault(false);
  save->setAutoDefault(false);
  buttons->addWidget(print);
  buttons->addWidget(save);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(print, &QPushButton::clicked, this, &CHitsWindow::OnPrint);
  connect(save, &QPushButton::clicked, this, &CHitsWindow::OnSave);
  resize(560, 360);
  int x = 0, y = 0;
  ReadSearchLocation(m_settingsPath, x, y);
  move(x, y);
  // The searched window going takes its results along.
  // (While it is destroyed it is no frame any more: it is forgotten first.)
  if (frame) connect(frame, &QObject::destroyed, this, [this] {
    m_frame = nullptr;
    close();
  });
}

CHitsWindow::~CHitsWindow() = default;

CPlaceDocument* CHitsWindow::Doc() const {
  return m_frame ? dynamic_cast<CPlaceDocument*>(m_frame->GetDocument()) : nullptr;
}

void CHitsWindow::ChooseHit(int row) {
  CPlaceDocument* doc = Doc();
  if (!doc || row < 0 || static_cast<size_t>(row) >= m_hits.size()) return;
  const int key = static_cast<int>(m_hits[static_cast<size_t>(row)].position);
  doc->GoToSection(doc->GetBookIndex(), key);
  if (!m_bible && m_frame->mdiArea()) {
    if (m_frame->isMinimized()) m_frame->showNormal();
    m_frame->mdiArea()->setActiveSubWindow(m_frame);
  }
}

bool CHitsWindow::RefuseForBook() {
  if (m_bible) return false;
  platform::MessageBox("This feature is available only for Bible Text");
  return true;
}

void CHitsWindow::OnPrint() {
  if (RefuseForBook()) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintResults(printer);
}

bool CHitsWindow::PrintResults(QPrinter& printer) {
  if (!m_bible) return false;
  std::vector<QString> entries;
  entries.reserve(m_hits.size());
  for (const HitEntry& hit : m_hits)
    entries.push_back(FromLatin1252(hit.label + " - " + (m_text ? m_text(hit.position) : std::string())));
  return PrintTextEntries(printer, QStringLiteral("Search Results for ") + FromLatin1252(m_query),
                          FromLatin1252(m_query) + QStringLiteral("(CONT)"), entries);
}

void CHitsWindow::OnSave() {
  if (RefuseForBook()) return;
  QFileDialog dialog(this, tr("Save Results"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setNameFilters({tr("Text files (*.txt)"), tr("All files (*)")});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  if (!SaveResults(dialog.selectedFiles().front()))
    platform::MessageBox("Could not save the results to " + ToLatin1252(dialog.selectedFiles().front()) + ".");
}

bool CHitsWindow::SaveResults(const QString& path) {
  if (!m_bible) return false;
  const std::string bytes = SearchResultsText(m_query, m_hits, m_text);
  // The file appears whole or not at all.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return file.commit();
}

void CHitsWindow::End() {
  if (m_ended) return;
  m_ended = true;
  if (CPlaceDocument* doc = Doc()) doc->EndSearch();
  WriteSearchLocation(m_settingsPath, pos().x(), pos().y());
  emit closed(this);
}

void CHitsWindow::closeEvent(QCloseEvent* event) {
  End();
  QDialog::closeEvent(event);
}

void CHitsWindow::done(int result) {
  // Escape ends the window as closing it does.
  End();
  QDialog::done(result);
  deleteLater();
}

}  // namespace klmw
