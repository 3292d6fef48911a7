// The notes pane of a Bible or book window: a rich-text editor beside the
// text holding the user's note for the verse or section the window shows.
// It follows the window: before the window moves on, an edited note is
// saved into KLMW.NOT (the Bibles share one storage, each book has its own),
// then the note of the new place is loaded, or the pane emptied. A note is
// also saved when the pane loses the focus or closes, so that nothing typed
// is lost.
#pragma once

#include <QTextEdit>
#include <functional>
#include <string>

#include "platform/docview.h"

namespace klmw {

class CNotesFile;
class CPlaceDocument;

struct CNotesHost {
  // The store, opened once a run (null: notes cannot be kept).
  std::function<CNotesFile*()> store;
  // The storage a document's notes go in: "bible.not" for a Bible, the
  // book's own for a book; "" when the document shows neither.
  std::function<std::string(const CPlaceDocument&)> storageOf;
};

class CNotesView : public QTextEdit, public platform::CView {
  Q_OBJECT

 public:
  CNotesView(CNotesHost host, QWidget* parent = nullptr);
  ~CNotesView() override;

  void OnInitialUpdate() override;
  void OnUpdate(platform::CView* sender, long hint, void* object) override;

  // Saves the note when it was edited; false (the user told) when it could
  // not be written. An emptied note is removed from the store.
  bool SaveNote();
  const std::string& GetStorage() const { return m_storage; }
  long GetPosition() const { return m_position; }

 protected:
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  CPlaceDocument* Doc() const;
  // Saves the note shown, then shows the note of the document's place.
  void Follow();
  void ToggleBold();
  void ToggleItalic();
  void ToggleUnderline();
  void ChooseColour();

  CNotesHost m_host;
  std::string m_storage;
  long m_position = -1;
  bool m_loading = false;
};

}  // namespace klmw
