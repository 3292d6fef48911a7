// The two small verse dialogs of Bible windows: Goto Verse (a book by name,
// a chapter and a verse) and Copy Range of Verses (a book, a chapter and the
// verses from and to, bounded by what the Bible has).
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QSpinBox;

namespace klmw {

class CBibleModule;

class CGotoVerseDialog : public QDialog {
  Q_OBJECT

 public:
  // The book list offers the English names; any name or its start is taken.
  explicit CGotoVerseDialog(QWidget* parent = nullptr);

  std::string GetBookToken() const;
  int GetChapter() const;  // from 1
  int GetVerse() const;    // from 1
  void SetPlace(const QString& book, int chapter, int verse);

 private:
  QComboBox* m_book;
  QSpinBox* m_chapter;
  QSpinBox* m_verse;
};

class CCopyRangeDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens at the chapter of verse index `at`.
  CCopyRangeDialog(const CBibleModule& bible, int at, QWidget* parent = nullptr);

  // The verse indexes of the range (first <= last).
  int FirstVerse() const;
  int LastVerse() const;

 private:
  void OnBookChanged();
  void OnChapterChanged();

  const CBibleModule& m_bible;
  QComboBox* m_book;
  QSpinBox* m_chapter;
  QSpinBox* m_from;
  QSpinBox* m_to;
};

}  // namespace klmw
