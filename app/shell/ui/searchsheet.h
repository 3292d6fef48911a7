// The Search sheet: one page, "Words && Colors" for a Bible or "Search
// Resource" for a book. The Find box with the list of the text's own words
// beside it, AND or OR, and for a Bible the twelve topic colours and the
// Words of God.
#pragma once

#include <QColor>
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "app/search/searchrun.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QRadioButton;

namespace klmw {

class CSearchWordSource;

// Control identifiers, kept as the widgets' object names ("find1008", ...).
enum ESearchSheetControl {
  IDC_FIND_TEXT = 1008,
  IDC_WORD_LIST = 469,
  IDC_AND = 1003,
  IDC_OR = 1004,
  IDC_COLOR_LIST = 1157,
  IDC_WORDS_OF_GOD = 1158,
};

// The names of the twelve colours a search can ask for, by search code
// (UTF-8; "" for any other code).
const char* SearchColourName(int code);

class CSearchSheet : public QDialog {
  Q_OBJECT

 public:
  // bible: the Words && Colors page, else Search Resource. swatches: the
  // colours of search codes 0-11 (the page shows only names without them).
  // findText, mode: what the page starts with.
  CSearchSheet(bool bible, std::unique_ptr<CSearchWordSource> words, std::vector<QColor> swatches,
               const QString& findText, int mode, QWidget* parent = nullptr);
  ~CSearchSheet() override;

  // What the page holds, as the search takes it over.
  SearchRequest Request() const;

  QLineEdit* FindBox() const { return m_find; }
  QListWidget* WordList() const { return m_words; }
  QListWidget* ColourList() const { return m_colours; }

 private:
  // The word the list follows: the one around the caret.
  std::string CurrentWord() const;
  void FillWords(bool first);
  void MoreWords();
  void ChooseWord(QListWidgetItem* item);

  bool m_bible;
  std::unique_ptr<CSearchWordSource> m_source;
  QLineEdit* m_find = nullptr;
  QListWidget* m_words = nullptr;
  QRadioButton* m_and = nullptr;
  QRadioButton* m_or = nullptr;
  QListWidget* m_colours = nullptr;
  QCheckBox* m_wordsOfGod = nullptr;
};

}  // namespace klmw
