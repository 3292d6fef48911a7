// The find bar of a rich-text view: a strip under the text where the reader
// types a phrase; it is marked in the level at the top of the view and the
// marks are stepped through one by one, "n of m", wrapping at either end.
#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace textpane {

class CRtfView;

class CFindBar : public QWidget {
  Q_OBJECT

 public:
  explicit CFindBar(CRtfView& view);

  // Shows the bar with the phrase selected for typing over.
  void Open();
  // Hides the bar, takes the marks away and gives the view the focus.
  void Close();
  // Marks the phrase (after taking any earlier marks away) in the level at
  // the top and brings the first match into view.
  void Find();
  // The next (previous) match, after the last (before the first) the first
  // (last) again. A phrase not marked yet is found first.
  void Step(bool forward);

  // The document took a new text: its marks went with the old one.
  void Forget();

  QString Status() const;
  // The level the bar's marks are in, -1 while it has none.
  int MarkedLevel() const { return m_haveMarks && m_count > 0 ? m_level : -1; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  bool MarkedIsCurrent() const;
  void ShowStatus();

  CRtfView& m_view;
  QLineEdit* m_phrase;
  QCheckBox* m_matchCase;
  QLabel* m_status;
  // What is marked: the phrase, its case rule and level, how many matches
  // the search counted and which mark is current (-1 for none).
  QString m_marked;
  bool m_markedCase = false;
  int m_level = -1;
  int m_count = 0;
  int m_current = -1;
  bool m_haveMarks = false;
};

}  // namespace textpane
