#include "app/shell/ui/versedialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <algorithm>

#include "app/shell/ui/qtext.h"
#include "biblefile/biblemodule.h"
#include "biblefile/booknames.h"

namespace klmw {

namespace {

QDialogButtonBox* AddButtons(QDialog* dialog, QFormLayout* form) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  form->addRow(buttons);
  return buttons;
}

// Chapters of a book (0-based) and verses of a chapter, as the Bible has them.
int ChapterCount(const CBibleModule& bible, int book) {
  int n = 0;
  while (bible.PlaceToIndex(book, n, 0) >= 0) ++n;
  return n;
}

int VerseCount(const CBibleModule& bible, int book, int chapter) {
  int n = 0;
  while (bible.PlaceToIndex(book, chapter, n) >= 0) ++n;
  return n;
}

}  // namespace

CGotoVerseDialog::CGotoVerseDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Goto Verse"));
  auto* form = new QFormLayout(this);
  m_book = new QComboBox(this);
  m_book->setEditable(true);
  m_book->setInsertPolicy(QComboBox::NoInsert);
  for (int b = 1; b <= kBibleBookCount; ++b) m_book->addItem(FromLatin1252(GetEnglishBookName(b)));
  m_chapter = new QSpinBox(this);
  m_chapter->setRange(1, 150);
  m_verse = new QSpinBox(this);
  m_verse->setRange(1, 176);
  form->addRow(tr("&Book"), m_book);
  form->addRow(tr("&Chapter"), m_chapter);
  form->addRow(tr("&Verse"), m_verse);
  AddButtons(this, form);
}

std::string CGotoVerseDialog::GetBookToken() const { return ToLatin1252(m_book->currentText().trimmed()); }
int CGotoVerseDialog::GetChapter() const { return m_chapter->value(); }
int CGotoVerseDialog::GetVerse() const { return m_verse->value(); }

void CGotoVerseDialog::SetPlace(const QString& book, int chapter, int verse) {
  m_book->setEditText(book);
  m_chapter->setValue(chapter);
  m_verse->setValue(verse);
}

CCopyRangeDialog::CCopyRangeDialog(const CBibleModule& bible, int at, QWidget* parent)
    : QDialog(parent), m_bible(bible) {
  setWindowTitle(tr("Copy Range of Verses"));
  auto* form = new QFormLayout(this);
  m_book = new QComboBox(this);
  for (int b = 1; b <= bible.GetBookCount(); ++b) {
    const std::string name = b <= kBibleBookCount ? GetBookName(bible.GetCode(), b) : bible.GetBookLabel(b);
    m_book->addItem(FromLatin1252(name));
  }
  m_chapter = new QSpinBox(this);
  m_from = new QSpinBox(this);
  m_to = new QSpinBox(this);
  form->addRow(tr("&Book"), m_book);
  form->addRow(tr("&Chapter"), m_chapter);
  form->addRow(tr("Verse &from"), m_from);
  form->addRow(tr("Verse &to"), m_to);
  AddButtons(this, form);
  int b = 0, c = 0, v = 0;
  bible.IndexToPlace(at, b, c, v);
  m_book->setCurrentIndex(b);
  OnBookChanged();
  m_chapter->setValue(c + 1);
  OnChapterChanged();
  m_from->setValue(v + 1);
  connect(m_book, &QComboBox::currentIndexChanged, this, &CCopyRangeDialog::OnBookChanged);
  connect(m_chapter, &QSpinBox::valueChanged, this, &CCopyRangeDialog::OnChapterChanged);
  // The range never runs backwards.
  connect(m_from, &QSpinBox::valueChanged, this, [this](int v) { m_to->setValue(std::max(v, m_to->value())); });
  connect(m_to, &QSpinBox::valueChanged, this, [this](int v) { m_from->setValue(std::min(v, m_from->value())); });
}

void CCopyRangeDialog::OnBookChanged() {
  m_chapter->setRange(1, std::max(1, ChapterCount(m_bible, m_book->currentIndex())));
  OnChapterChanged();
}

void CCopyRangeDialog::OnChapterChanged() {
  const int verses = std::max(1, VerseCount(m_bible, m_book->currentIndex(), m_chapter->value() - 1));
  m_from->setRange(1, verses);
  m_to->setRange(1, verses);
  m_to->setValue(verses);
}

int CCopyRangeDialog::FirstVerse() const {
  return m_bible.PlaceToIndex(m_book->currentIndex(), m_chapter->value() - 1, m_from->value() - 1);
}

int CCopyRangeDialog::LastVerse() const {
  return m_bible.PlaceToIndex(m_book->currentIndex(), m_chapter->value() - 1, m_to->value() - 1);
}

}  // namespace klmw
