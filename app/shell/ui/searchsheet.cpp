#include "app/shell/ui/searchsheet.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/search/searchpage.h"
#include "app/shell/ui/qtext.h"
#include "biblefile/wordmatch.h"

namespace klmw {

namespace {

const char* const kSearchColourNames[kSearchColorCodes] = {
    "God - Dios",      "Discipleship - Discipulado", "Love - Amor",
    "Faith - Fe",      "Sin - Pecado",               "Satan - Satan\xC3\xA1s",
    "Salvation - Salvaci\xC3\xB3n", "Family - Familia", "Witnessing - Testimonio",
    "Commandments - Mandamientos",  "History - Historia", "Prophecy - Profec\xC3\xAD" "a"};

constexpr int kColourRowHeight = 20;
constexpr int kSwatchWidth = 30;

// A colour entry: the swatch, the name beside it, and a selected entry
// framed in the complement of its colour.
class CColourDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect r = option.rect;
    const QColor colour = index.data(Qt::DecorationRole).value<QColor>();
    p->save();
    p->fillRect(r, option.palette.base());
    p->fillRect(QRect(r.left(), r.top(), kSwatchWidth, r.height()), colour);
    p->setPen(option.palette.text().color());
    p->drawText(QRect(r.left() + kSwatchWidth + 10, r.top() + 3, r.width() - kSwatchWidth - 10, r.height() - 3),
                Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_Selected) {
      p->setPen(QPen(QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue()), 2));
      p->drawRect(r.adjusted(1, 1, -1, -1));
    }
    p->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width() + kSwatchWidth + 10, kColourRowHeight};
  }
};

}  // namespace

const char* SearchColourName(int code) {
  return code >= 0 && code < kSearchColorCodes ? kSearchColourNames[code] : "";
}

CSearchSheet::CSearchSheet(bool bible, std::unique_ptr<CSearchWordSource> words, std::vector<QColor> swatches,
                           const QString& findText, int mode, QWidget* parent)
    : QDialog(parent), m_bible(bible), m_source(std::move(words)) {
  setWindowTitle(tr("Search"));
  setObjectName(QStringLiteral("searchSheet"));
  auto* layout = new QVBoxLayout(this);
  auto* tabs = new QTabWidget(this);
  auto* page = new QWidget(tabs);
  page->setObjectName(bible ? QStringLiteral("page1154") : QStringLiteral("page1141"));
  // "&&" is how a tab shows one ampersand.
  tabs->addTab(page, bible ? tr("Words && Colors") : tr("Search Resource"));
  layout->addWidget(tabs);

  auto* grid = new QGridLayout(page);
  auto* findLabel = new QLabel(tr("&Find:"), page);
  m_find = new QLineEdit(findText, page);
  m_find->setObjectName(QStringLiteral("find%1").arg(IDC_FIND_TEXT));
  findLabel->setBuddy(m_find);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(m_find, 0, 1);
  m_words = new QListWidget(page);
  m_words->setObjectName(QStringLiteral("wordList%1").arg(IDC_WORD_LIST));
  m_words->setToolTip(tr("Words of this text near what you type; click one to put it in the Find box."));
  grid->addWidget(m_words, 1, 1, 4, 1);
  m_and = new QRadioButton(tr("&AND"), page);
  m_and->setObjectName(QStringLiteral("and%1").arg(IDC_AND));
  m_or = new QRadioButton(tr("&OR"), page);
  m_or->setObjectName(QStringLiteral("or%1").arg(IDC_OR));
  (mode == kSearchOr ? m_or : m_and)->setChecked(true);
  grid->addWidget(m_and, 1, 0);
  grid->addWidget(m_or, 2, 0);

  if (bible) {
    m_colours = new QListWidget(page);
    m_colours->setObjectName(QStringLiteral("colourList%1").arg(IDC_COLOR_LIST));
    m_colours->setSelectionMode(QAbstractItemView::MultiSelection);
    m_colours->setItemDelegate(new CColourDelegate(m_colours));
    for (int code = 0; code < kSearchColorCodes; ++code) {
      auto* item = new QListWidgetItem(QString::fromUtf8(kSearchColourNames[code]), m_colours);
      item->setData(Qt::UserRole, code);
      item->setData(Qt::DecorationRole, static_cast<size_t>(code) < swatches.size()
                                            ? swatches[static_cast<size_t>(code)]
                                            : QColor(Qt::white));
    }
    m_colours->setMinimumHeight(kColourRowHeight * 6);
    grid->addWidget(new QLabel(tr("Colours:"), page), 0, 2);
    grid->addWidget(m_colours, 1, 2, 4, 1);
    m_wordsOfGod = new QCheckBox(tr("Search \"&Words of God\" (underlined text)"), page);
    m_wordsOfGod->setObjectName(QStringLiteral("wordsOfGod%1").arg(IDC_WORDS_OF_GOD));
    grid->addWidget(m_wordsOfGod, 5, 1, 1, 2);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(m_find, &QLineEdit::textEdited, this, [this] { FillWords(false); });
  connect(m_words, &QListWidget::itemClicked, this, &CSearchSheet::ChooseWord);
  connect(m_words, &QListWidget::itemActivated, this, &CSearchSheet::ChooseWord);
  connect(m_words->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
    if (value == m_words->verticalScrollBar()->maximum()) MoreWords();
  });
  FillWords(true);
  m_find->setFocus();
  m_find->selectAll();
}

CSearchSheet::~CSearchSheet() = default;

std::string CSearchSheet::CurrentWord() const {
  const std::string text = ToLatin1252(m_find->text());
  size_t caret = std::min<size_t>(static_cast<size_t>(m_find->cursorPosition()), text.size());
  size_t begin = text.rfind(' ', caret == 0 ? 0 : caret - 1);
  begin = begin == std::string::npos || begin >= caret ? 0 : begin + 1;
  size_t end = text.find(' ', caret);
  if (end == std::string::npos) end = text.size();
  std::string word = text.substr(begin, end - begin);
  // Quotes mark a phrase; the list holds the words alone.
  std::erase_if(word, [](char c) { return c == '"' || c == '\x93' || c == '\x94'; });
  return UpperAnsi(word);
}

void CSearchSheet::FillWords(bool first) {
  m_words->clear();
  if (!m_source) return;
  for (const std::string& w : m_source->WordsNear(CurrentWord(), first)) m_words->addItem(FromLatin1252(w));
}

void CSearchSheet::MoreWords() {
  if (!m_source) return;
  for (const std::string& w : m_source->MoreWords()) m_words->addItem(FromLatin1252(w));
}

void CSearchSheet::ChooseWord(QListWidgetItem* item) {
  if (!item) return;
  std::string word = ToLatin1252(item->text());
  for (char& c : word) c = LowerAnsi(c);
  const std::string text = ToLatin1252(m_find->text());
  const CFindEdit edit = ChooseListWord(text, static_cast<size_t>(m_find->cursorPosition()), word);
  m_find->setText(FromLatin1252(edit.text));
  m_find->setCursorPosition(static_cast<int>(edit.caret));
  m_find->setFocus();
}

SearchRequest CSearchSheet::Request() const {
  SearchRequest request = SearchRequest::FromText(ToLatin1252(m_find->text()), m_or->isChecked() ? kSearchOr : kSearchAnd);
  if (m_colours) {
    for (int row = 0; row < m_colours->count(); ++row)
      if (m_colours->item(row)->isSelected()) request.colors.push_back(m_colours->item(row)->data(Qt::UserRole).toInt());
  }
  request.wordsOfGod = m_wordsOfGod && m_wordsOfGod->isChecked();
  return request;
}

}  // namespace klmw
