#include "app/shell/ui/studyaidcommands.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QStatusBar>
#include <QVBoxLayout>
#include <filesystem>

#include "app/shell/ui/childframe.h"
#include "app/shell/ui/commands.h"
#include "app/shell/ui/linkhost.h"
#include "app/shell/ui/mainframe.h"
#include "app/shell/ui/placedocument.h"
#include "app/shell/ui/qtext.h"
#include "app/shell/ui/shellapp.h"
#include "app/shell/ui/verseprint.h"
#include "app/studyaids/versenotes.h"
#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"
#include "platform/file.h"
#include "platform/messages.h"

namespace klmw {

namespace {

constexpr const char* kOnlyBibleText = "This feature is available only for Bible Text";
constexpr const char* kBookmarksRefused = "Bookmarks are for Bible Verse reference only";
constexpr const char* kTagRefused = "Tag for Print are for Bible Verse reference only";
constexpr const char* kMapsRefused =
    "Maps Button is only relevant when a Bible text is the currently active window, click the Bible text and try "
    "again";
constexpr const char* kReferenceBible = "KJS";

// A dialog of one list and a row of buttons below it.
struct CListDialog {
  QDialog* dialog;
  QListWidget* list;
  QVBoxLayout* body;
  QHBoxLayout* buttons;

  CListDialog(QWidget* parent, const QString& title, const std::vector<CVerseEntry>& entries) {
    dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    body = new QVBoxLayout(dialog);
    list = new QListWidget(dialog);
    for (const CVerseEntry& e : entries) list->addItem(FromLatin1252(e.Label()));
    if (list->count() > 0) list->setCurrentRow(0);
    body->addWidget(list);
    buttons = new QHBoxLayout;
    body->addLayout(buttons);
  }
  QPushButton* Button(const QString& text) {
    auto* b = new QPushButton(text, dialog);
    b->setAutoDefault(false);
    buttons->addWidget(b);
    return b;
  }
};

}  // namespace

CStudyAidCommands::CStudyAidCommands(CShellApp& app, std::string userDir)
    : QObject(app.GetMainFrame()), m_app(app), m_userDir(std::move(userDir)) {
  CMainFrame& frame = *app.GetMainFrame();
  const std::pair<int, void (CStudyAidCommands::*)()> commands[] = {
      {ID_BOOKMARK_ADD, &CStudyAidCommands::OnBookmarkVerse},  {ID_BOOKMARK_LIST, &CStudyAidCommands::OnGotoBookmark},
      {ID_BOOKMARK_DELETE, &CStudyAidCommands::OnDeleteBookmark}, {ID_TAGGED_TAG, &CStudyAidCommands::OnTagVerse},
      {ID_TAGGED_LIST, &CStudyAidCommands::OnDeleteTagged},     {ID_TAGGED_CLEAR, &CStudyAidCommands::OnPrintTagged},
      {ID_FOOTNOTES_BUTTON, &CStudyAidCommands::OnShowFootnotes}, {ID_MAPS_BUTTON, &CStudyAidCommands::OnMap},
      {ID_FOOTNOTES, &CStudyAidCommands::OnMapsMenu},
  };
  for (const auto& [id, handler] : commands) {
    QAction* a = frame.GetCommand(id);
    if (!a) continue;
    a->setEnabled(id != ID_FOOTNOTES_BUTTON);
    connect(a, &QAction::triggered, this, handler);
  }
  connect(frame.GetMdiArea(), &QMdiArea::subWindowActivated, this, &CStudyAidCommands::Update);
}

CStudyAidCommands::~CStudyAidCommands() = default;

std::string CStudyAidCommands::NotesPath() const { return m_userDir + kVerseNotesTable; }

CPlaceDocument* CStudyAidCommands::ActiveBible(const CBibleModule** bible, const char* refuse) {
  CPlaceDocument* doc = m_app.GetMainFrame()->GetActiveDocument();
  const CBibleModule* module = doc ? m_app.BibleOf(*doc) : nullptr;
  if (!module) {
    if (refuse) platform::MessageBox(refuse);
    return nullptr;
  }
  if (bible) *bible = module;
  return doc;
}

std::string CStudyAidCommands::DataDir() {
  const CBibleModule* bible = m_app.Core().GetBibleModules().Find(kReferenceBible);
  if (!bible) {
    CPlaceDocument* doc = m_app.GetMainFrame()->GetActiveDocument();
    bible = doc ? m_app.BibleOf(*doc) : nullptr;
  }
  if (!bible) return {};
  std::string dir = std::filesystem::path(bible->GetTextPath()).parent_path().string();
  return dir.empty() ? std::string() : dir + "/";
}

const CFootnotes& CStudyAidCommands::Footnotes(const std::string& code) {
  auto [it, fresh] = m_footnotes.try_emplace(code);
  if (fresh) {
    const std::string dir = DataDir();
    const bool kjs = code == kReferenceBible;
    const std::string path = dir + (kjs ? std::string(kFootnotesFile) : code + "-" + kFootnotesFile);
    if (!dir.empty() && !it->second.Load(path) && kjs)
      m_app.GetMainFrame()->statusBar()->showMessage(tr("The file footnte.dat was not opened"), 5000);
  }
  return it->second;
}

const CMapList& CStudyAidCommands::Maps() {
  if (!m_mapsRead) {
    m_mapsRead = true;
    const std::string dir = DataDir();
    m_maps.Load(dir + kMapsFile);
    m_mapsLocation = ReadMapsLocation(dir);
  }
  return m_maps;
}

void CStudyAidCommands::Update() {
  CChildFrame* active = m_app.GetMainFrame()->GetActiveChild();
  if (active != m_watched) {
    disconnect(m_moved);
    m_watched = active;
    if (active) m_moved = connect(active, &CChildFrame::positionChanged, this, &CStudyAidCommands::Update);
  }
  // The footnote command is on while the top verse has a footnote.
  const CBibleModule* bible = nullptr;
  CPlaceDocument* doc = ActiveBible(&bible, nullptr);
  const bool footnote = doc && Footnotes(bible->GetCode()).Find(doc->GetSectionKey() + 1) >= 0;
  if (QAction* a = m_app.GetMainFrame()->GetCommand(ID_FOOTNOTES_BUTTON)) a->setEnabled(footnote);
}

bool CStudyAidCommands::AddTopVerse(const std::string& path, const char* refuse) {
  const CBibleModule* bible = nullptr;
  CPlaceDocument* doc = ActiveBible(&bible, refuse);
  if (!doc) return false;
  const int index = doc->GetSectionKey();
  int book = 0, chapter = 0, verse = 0;
  if (!bible->VerseToPlace(index + 1, book, chapter, verse)) return false;
  std::string error;
  if (!AppendVerseLine(path, FormatVerseLine(VerseLineBookToken(bible->GetCode(), book), chapter, verse, index),
                       error)) {
    platform::MessageBox(error);
    return false;
  }
  m_app.GetMainFrame()->statusBar()->showMessage(
      FromLatin1252(std::string(GetBookName(bible->GetCode(), book)) + " " + std::to_string(chapter) + ":" +
                    std::to_string(verse)) +
          tr(" added to %1").arg(QString::fromStdString(std::filesystem::path(path).filename().string())),
      4000);
  return true;
}

void CStudyAidCommands::OnBookmarkVerse() { AddTopVerse(BookmarksPath(), kBookmarksRefused); }

void CStudyAidCommands::OnTagVerse() { AddTopVerse(TaggedPath(), kTagRefused); }

bool CStudyAidCommands::OpenEntry(const CVerseEntry& entry) {
  const CBibleModule* kjs = m_app.Core().GetBibleModules().Find(kReferenceBible);
  int book = 0, chapter = 0, verse = 0;
  const int index = kjs && EntryPlace(entry, book, chapter, verse) ? kjs->PlaceToIndex(book - 1, chapter - 1, verse - 1)
                                                                     : -1;
  if (index < 0) {
    platform::MessageBox(entry.Label() + " is not in the Bible.");
    return false;
  }
  return m_app.ShowInReferenceWindow(index) != nullptr;
}

void CStudyAidCommands::OnGotoBookmark() {
  const std::vector<CVerseEntry> entries = ReadVerseList(BookmarksPath());
  CListDialog d(m_app.GetMainFrame(), tr("Bookmark"), entries);
  d.dialog->setObjectName(QStringLiteral("bookmark198"));
  auto* note = new QPlainTextEdit(d.dialog);
  note->setObjectName(QStringLiteral("bookmarkNote"));
  d.body->insertWidget(1, note);
  QPushButton* save = d.Button(tr("SAVE"));
  QPushButton* open = d.Button(tr("OPEN VERSE"));
  QPushButton* done = d.Button(tr("DONE"));
  auto notes = std::make_shared<CVerseNotes>(NotesPath());
  auto shown = std::make_shared<int>(-1);  // the entry whose note the box holds
  // The box's note goes to its verse: on SAVE, and before the box shows
  // another entry or the dialog closes, so that no edit is lost.
  auto store = [notes, note, shown, entries] {
    if (*shown < 0 || static_cast<size_t>(*shown) >= entries.size() || !note->document()->isModified()) return true;
    std::string error;
    if (!notes->Put(entries[static_cast<size_t>(*shown)].verseIndex, ToLatin1252(note->toPlainText()), error)) {
      platform::MessageBox(error);
      return false;
    }
    note->document()->setModified(false);
    return true;
  };
  auto show = [notes, note, shown, entries, store](int row) {
    store();
    *shown = row;
    note->setPlainText(row >= 0 && static_cast<size_t>(row) < entries.size()
                           ? FromLatin1252(notes->Get(entries[static_cast<size_t>(row)].verseIndex))
                           : QString());
    note->document()->setModified(false);
  };
  connect(d.list, &QListWidget::currentRowChanged, d.dialog, show);
  show(d.list->currentRow());
  QListWidget* list = d.list;
  connect(save, &QPushButton::clicked, d.dialog, [note, store] {
    note->document()->setModified(true);
    store();
  });
  connect(d.dialog, &QDialog::finished, d.dialog, [store] { store(); });
  connect(open, &QPushButton::clicked, d.dialog, [this, list, entries] {
    const int row = list->currentRow();
    if (row >= 0 && static_cast<size_t>(row) < entries.size()) OpenEntry(entries[static_cast<size_t>(row)]);
  });
  connect(d.list, &QListWidget::itemDoubleClicked, open, &QPushButton::click);
  connect(done, &QPushButton::clicked, d.dialog, &QDialog::accept);
  d.dialog->resize(420, 360);
  m_dialog = d.dialog;
  d.dialog->show();
}

// Remove Bookmark and Remove Tagged Verse: the chosen entry leaves the list.
static void RemoveFromList(QWidget* parent, const QString& title, const std::string& path, QPointer<QDialog>& slot) {
  const std::vector<CVerseEntry> entries = ReadVerseList(path);
  CListDialog d(parent, title, entries);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d.dialog);
  d.body->addWidget(box);
  QListWidget* list = d.list;
  QDialog* dialog = d.dialog;
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, [dialog, list, path] {
    std::string error;
    if (list->currentRow() >= 0 && !RemoveVerseEntry(path, static_cast<size_t>(list->currentRow()), error))
      platform::MessageBox(error);
    dialog->accept();
  });
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  slot = dialog;
  dialog->show();
}

void CStudyAidCommands::OnDeleteBookmark() {
  RemoveFromList(m_app.GetMainFrame(), tr("Remove Bookmark"), BookmarksPath(), m_dialog);
}

void CStudyAidCommands::OnDeleteTagged() {
  RemoveFromList(m_app.GetMainFrame(), tr("Remove Tagged Verse"), TaggedPath(), m_dialog);
}

std::string CStudyAidCommands::VerseText(int index) {
  const CBibleModule* bible = nullptr;
  CPlaceDocument* doc = ActiveBible(&bible, nullptr);
  if (!doc) bible = m_app.Core().GetBibleModules().Find(m_app.Core().GetCurrentBibleCode());
  if (!bible) bible = m_app.Core().GetBibleModules().Find(kReferenceBible);
  platform::File file;
  std::string text;
  if (bible && bible->OpenText(file)) bible->GetVerseText(file, index + 1, text);
  return text;
}

bool CStudyAidCommands::PrintTagged(QPrinter& printer, int only) {
  const std::vector<CVerseEntry> entries = ReadVerseList(TaggedPath());
  std::vector<QString> lines;
  for (size_t i = 0; i < entries.size(); ++i)
    if (only < 0 || static_cast<size_t>(only) == i)
      lines.push_back(FromLatin1252(entries[i].Label() + " - " + VerseText(entries[i].verseIndex)));
  printer.setDocName(QStringLiteral("Print Tagged Verses"));
  return PrintTextEntries(printer, {}, {}, lines);
}

bool CStudyAidCommands::SaveTagged(const std::string& path, int only) {
  const std::vector<CVerseEntry> entries = ReadVerseList(TaggedPath());
  std::string text;
  for (size_t i = 0; i < entries.size(); ++i)
    if (only < 0 || static_cast<size_t>(only) == i)
      text += entries[i].Label() + " - " + VerseText(entries[i].verseIndex) + "\n";
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(text.data(), static_cast<qint64>(text.size()));
  return file.commit();
}

void CStudyAidCommands::OnPrintTagged() {
  if (!ActiveBible(nullptr, kOnlyBibleText)) return;
  CListDialog d(m_app.GetMainFrame(), tr("Tag Verse for Print"), ReadVerseList(TaggedPath()));
  QListWidget* list = d.list;
  QDialog* dialog = d.dialog;
  const struct {
    const char* label;
    bool print, selected;
  } buttons[] = {{"Print All", true, false}, {"Print Selected", true, true}, {"Save All", false, false},
                 {"Save Selected", false, true}};
  for (const auto& b : buttons) {
    QPushButton* button = d.Button(tr(b.label));
    const bool print = b.print, selected = b.selected;
    connect(button, &QPushButton::clicked, dialog, [this, dialog, list, print, selected] {
      const int only = selected ? list->currentRow() : -1;
      if (selected && only < 0) return;
      if (print) {
        QPrinter printer(QPrinter::HighResolution);
        QPrintDialog ask(&printer, dialog);
        if (ask.exec() == QDialog::Accepted) PrintTagged(printer, only);
        return;
      }
      const QString path = QFileDialog::getSaveFileName(dialog, tr("Save Tagged Verses"), QStringLiteral("taggedverses.txt"),
                                                        tr("Text files (*.txt)"));
      if (path.isEmpty()) return;
      QString file = path;
      if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".txt");
      if (!SaveTagged(file.toStdString(), only)) platform::MessageBox("Could not save " + file.toStdString() + ".");
    });
  }
  QPushButton* close = d.Button(tr("Close"));
  connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
  m_dialog = dialog;
  dialog->resize(420, 320);
  dialog->show();
}

void CStudyAidCommands::OnShowFootnotes() {
  const CBibleModule* bible = nullptr;
  CPlaceDocument* doc = ActiveBible(&bible, kOnlyBibleText);
  if (!doc) return;
  const std::vector<const CFootnote*> notes = Footnotes(bible->GetCode()).AllOf(doc->GetSectionKey() + 1);
  if (notes.empty()) return;
  auto* dialog = new QDialog(m_app.GetMainFrame());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setObjectName(QStringLiteral("footnotes164"));
  dialog->setWindowTitle(tr("Footnotes"));
  auto* body = new QVBoxLayout(dialog);
  QString text;
  std::vector<std::string> refs;
  for (const CFootnote* n : notes) {
    text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + FromLatin1252(n->text);
    for (std::string& r : FootnoteReferences(n->text, bible->GetCode())) refs.push_back(std::move(r));
  }
  auto* label = new QLabel(text, dialog);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  body->addWidget(label);
  auto* list = new QListWidget(dialog);
  for (const std::string& r : refs) list->addItem(FromLatin1252(r));
  if (list->count()) list->setCurrentRow(0);
  list->setVisible(list->count() > 0);
  body->addWidget(list);
  auto* row = new QHBoxLayout;
  auto* go = new QPushButton(tr("Goto Verse"), dialog);
  go->setEnabled(list->count() > 0);
  auto* close = new QPushButton(tr("Close"), dialog);
  row->addWidget(go);
  row->addStretch();
  row->addWidget(close);
  body->addLayout(row);
  connect(go, &QPushButton::clicked, dialog, [this, list] {
    if (!list->currentItem()) return;
    // The book's name may hold blanks ("1 Corinthians"): the place is the
    // last word.
    const std::string ref = ToLatin1252(list->currentItem()->text());
    const size_t blank = ref.rfind(' ');
    if (blank == std::string::npos) return;
    OpenEntry({ref.substr(0, blank), ref.substr(blank + 1), -1});
  });
  connect(list, &QListWidget::itemDoubleClicked, go, &QPushButton::click);
  connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
  m_dialog = dialog;
  dialog->resize(420, 260);
  dialog->show();
}

bool CStudyAidCommands::OpenMap(int entry) {
  const CMapList& maps = Maps();
  if (entry < 0 || static_cast<size_t>(entry) >= maps.Count()) return false;
  const CMapEntry& map = maps.At(static_cast<size_t>(entry));
  const std::string path = MapPath(DataDir(), m_mapsLocation, map.file);
  const CBookLinkHost host = MakeBookLinkHost(m_app);
  if (IsPictureFile(path)) {
    host.showPicture(path, map.description);
    return true;
  }
  // Anything else goes to the desktop's program for it, as an argument.
  return host.startProcess({"xdg-open", path});
}

void CStudyAidCommands::OnMap() {
  CPlaceDocument* doc = ActiveBible(nullptr, kMapsRefused);
  if (!doc) return;
  const int entry = Maps().MapFor(doc->GetSectionKey() + 1);
  if (entry < 0) {
    m_app.GetMainFrame()->statusBar()->showMessage(tr("There is no map for this passage."), 4000);
    return;
  }
  OpenMap(entry);
}

void CStudyAidCommands::OnMapsMenu() {
  const CMapList& maps = Maps();
  auto* dialog = new QDialog(m_app.GetMainFrame());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setObjectName(QStringLiteral("maps192"));
  dialog->setWindowTitle(tr("Maps"));
  auto* body = new QVBoxLayout(dialog);
  auto* list = new QListWidget(dialog);
  for (size_t i = 0; i < maps.Count(); ++i) list->addItem(FromLatin1252(maps.At(i).description));
  if (list->count()) list->setCurrentRow(0);
  body->addWidget(list);
  auto* row = new QHBoxLayout;
  auto* view = new QPushButton(tr("View Map"), dialog);
  auto* close = new QPushButton(tr("Close"), dialog);
  row->addWidget(view);
  row->addStretch();
  row->addWidget(close);
  body->addLayout(row);
  connect(view, &QPushButton::clicked, dialog, [this, list] { OpenMap(list->currentRow()); });
  connect(list, &QListWidget::itemDoubleClicked, view, &QPushButton::click);
  connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
  m_dialog = dialog;
  dialog->resize(380, 300);
  dialog->show();
}

}  // namespace klmw
