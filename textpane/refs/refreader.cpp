#include "textpane/refs/refreader.h"

#include "refbase/biblereference.h"
#include "refbase/translation.h"

namespace textpane {

namespace {

constexpr size_t kFailed = SIZE_MAX;

// What may follow a conjunction, from the reference before it: after ";" a
// chapter; after "," or "and" a verse when the context had one, a chapter
// when it had only that, a book when it had only a book.
enum class Expect { First, Book, Chapter, Verse };

bool IsNumber(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

uint16_t Number(std::string_view s) {
  unsigned n = 0;
  for (char c : s) n = n * 10 + static_cast<unsigned>(c - '0');  // labels hold at most 4 characters
  return static_cast<uint16_t>(n);
}

void SetChapter(Reference& r, std::string_view label) {
  if (IsNumber(label)) {
    r.Chapter(Number(label));
  } else {
    r.Chapter(label);
  }
}

void SetVerse(Reference& r, std::string_view label) {
  if (IsNumber(label)) {
    r.Verse(Number(label));
  } else {
    r.Verse(label);
  }
}

// A book of one chapter: its first candidate that the reference library
// knows has just the one.
bool OneChapterBook(const Reference& r) {
  for (const uint16_t* b = r.Books(); *b; ++b)
    if (const uint16_t chapters = cBibleReference::ChaptersInBook(*b)) return chapters == 1;
  return false;
}

}  // namespace

// The grammar over one paragraph's tokens.
class RefGrammar {
 public:
  RefGrammar(CReferenceReader& reader, std::string_view text)
      : m_reader(reader), m_t(reader.m_tokens), m_text(text) {}

  const RefTokenInfo& At(size_t i) const { return i < m_t.size() ? m_t[i] : m_end; }
  RefToken Kind(size_t i) const { return At(i).kind; }
  std::string_view Str(size_t i) const { return m_text.substr(At(i).start, At(i).end - At(i).start); }
  size_t SkipWhite(size_t i) const {
    while (Kind(i) == RefToken::White) ++i;
    return i;
  }

  // Whether a reference may begin at token i (the scan tries nowhere else).
  bool MayBegin(size_t i) const {
    switch (Kind(i)) {
      case RefToken::BookName:
      case RefToken::ChapterWord:
      case RefToken::VerseWord:
        return true;
      case RefToken::Label:
        return Kind(i + 1) == RefToken::Separator && Kind(i + 2) == RefToken::Label &&
               !m_reader.m_context.NeedsBook();
      default:
        return false;
    }
  }

  // A list of ranges from token i: the index after it, or kFailed.
  size_t List(size_t i, std::vector<Range>& out) {
    std::vector<Range> read;
    Reference context = m_reader.m_context;
    size_t k = RangeAt(i, Expect::First, context, read);
    if (k == kFailed) return kFailed;
    for (;;) {
      const size_t j = SkipWhite(k);
      if (Kind(j) != RefToken::Conjunction) break;
      const size_t m = SkipWhite(j + 1);
      Expect e = Expect::Chapter;
      if (At(j).conjunction != ';') {
        e = !context.NeedsVerse() ? Expect::Verse : !context.NeedsChapter() ? Expect::Chapter : Expect::Book;
      }
      const size_t next = RangeAt(m, e, context, read);
      if (next == kFailed) break;
      k = next;
    }
    // A translation may follow: "John 3:16 KJV", "Rom 8:28, (NIV)".
    uint16_t translation = 0;
    {
      size_t j = SkipWhite(k);
      if (Kind(j) == RefToken::Conjunction) j = SkipWhite(j + 1);
      if (Kind(j) == RefToken::Open) ++j;
      if (Kind(j) == RefToken::Translation) {
        translation = m_reader.m_translationIds[At(j).translation];
        k = j + 1;
        // The name belongs to the words read: the last range's span takes it.
        read.back().SetTextSpan(read.back().TextStart(), At(j).end);
      }
    }
    // "Gn" alone is a word, "Genesis" or "Gn." a book.
    if (!m_reader.m_options.loneBook && read.size() == 1 && !translation && read[0].Start().NeedsChapter() &&
        read[0].End().NeedsBook() && read[0].Start().Certainty() == 0)
      return kFailed;
    m_reader.m_context = context;
    size_t resolved = 0;
    for (Range& r : read) {
      if (translation) r.RequestTranslation(translation);
      if (r.ResolveRange(translation ? translation : m_reader.m_options.translation)) {
        out.push_back(r);
        ++resolved;
      }
    }
    return resolved ? k : kFailed;
  }

 private:
  // One range: a reference, then perhaps a range word and its end.
  size_t RangeAt(size_t i, Expect e, Reference& context, std::vector<Range>& read) {
    Reference start;
    const size_t k = ReferenceAt(i, e, context, start);
    if (k == kFailed) return kFailed;
    Range range(start, Reference());
    size_t last = k;
    const size_t j = SkipWhite(k);
    if (Kind(j) == RefToken::RangeWord) {
      const size_t m = SkipWhite(j + 1);
      Reference end = start;
      if (!end.NeedsVerse()) {
        end.Verse(NO_VERSE);
      } else {
        end.Chapter(NO_CHAPTER);
      }
      size_t n = kFailed;
      if (Kind(m) == RefToken::BookName) {
        end.Books(At(m).book.row->books.data(), At(m).book.row->books.size(), At(m).book.certainty);
        n = Numbers(SkipWhite(m + 1), end, false);
        if (n == kFailed) n = m + 1;
      } else if (!end.NeedsBook()) {
        n = Numbers(m, end, false);
      }
      if (n != kFailed) {
        range = Range(start, end);
        last = n;
      }
    }
    range.SetTextSpan(At(i).start, At(last - 1).end);
    context = range.End().NeedsBook() ? range.Start() : range.End();
    read.push_back(range);
    return last;
  }

  // One reference from token i into r, starting from the context.
  size_t ReferenceAt(size_t i, Expect e, const Reference& context, Reference& r) {
    switch (Kind(i)) {
      case RefToken::BookName: {
        const BookNameMatch& m = At(i).book;
        r.Books(m.row->books.data(), m.row->books.size(), m.certainty);
        const size_t k = Numbers(SkipWhite(i + 1), r, false);
        return k != kFailed ? k : i + 1;
      }
      case RefToken::ChapterWord:
        if (context.NeedsBook()) return kFailed;
        r = context;
        r.Chapter(NO_CHAPTER);
        return Numbers(SkipWhite(i + 1), r, false);
      case RefToken::VerseWord:
        if (context.NeedsBook()) return kFailed;
        r = context;
        r.Verse(NO_VERSE);
        return Numbers(SkipWhite(i + 1), r, true);
      case RefToken::Label:
        if (context.NeedsBook()) return kFailed;
        r = context;
        if (Kind(i + 1) == RefToken::Separator && Kind(i + 2) == RefToken::Label) {
          r.Chapter(NO_CHAPTER);
          return Numbers(i, r, false);
        }
        if (e == Expect::Verse) {
          r.Verse(NO_VERSE);
          return Numbers(i, r, true);
        }
        if (e == Expect::Chapter) {
          r.Chapter(NO_CHAPTER);
          return Numbers(i, r, false);
        }
        return kFailed;
      default:
        return kFailed;
    }
  }

  // The chapter and verse part at token i: "3:16", "3" (the chapter, or the
  // verse of a one-chapter book or of a reference that has its chapter),
  // "3 16" with the blank option. Kept only when the reference is valid.
  size_t Numbers(size_t i, Reference& r, bool verseOnly) {
    if (r.NeedsBook() || Kind(i) != RefToken::Label) return kFailed;
    if (!verseOnly) {
      const bool separated = Kind(i + 1) == RefToken::Separator && Kind(i + 2) == RefToken::Label;
      const bool blank = m_reader.m_options.blankSeparator && r.NeedsChapter() && Kind(i + 1) == RefToken::White &&
                         Kind(i + 2) == RefToken::Label && IsNumber(Str(i)) && IsNumber(Str(i + 2));
      if (separated || blank) {
        Reference c = r;
        SetChapter(c, Str(i));
        SetVerse(c, Str(i + 2));
        if (!c.IsReferenceValid()) return kFailed;
        r = c;
        return i + 3;
      }
    }
    Reference c = r;
    if (c.NeedsChapter()) {
      if (OneChapterBook(c)) {
        c.Chapter(1);
        SetVerse(c, Str(i));
      } else if (verseOnly) {
        return kFailed;
      } else {
        SetChapter(c, Str(i));
      }
    } else {
      SetVerse(c, Str(i));
    }
    if (!c.IsReferenceValid()) return kFailed;
    r = c;
    return i + 1;
  }

  CReferenceReader& m_reader;
  const std::vector<RefTokenInfo>& m_t;
  std::string_view m_text;
  RefTokenInfo m_end;
};

CReferenceReader::CReferenceReader(RefReadOptions options) : m_options(options) {
  m_tokenOptions.period = options.period;
  cTranslation t;
  unsigned short id = 0;
  for (const char* name = t.GetFirstTranslationName(&id); name; name = t.GetNextTranslationName(&id)) {
    m_tokenOptions.translations.emplace_back(name);
    m_translationIds.push_back(id);
  }
}

namespace {

void Shift(std::vector<Range>& ranges, size_t from, size_t offset) {
  for (size_t i = from; i < ranges.size(); ++i)
    ranges[i].SetTextSpan(ranges[i].TextStart() + offset, ranges[i].TextEnd() + offset);
}

}  // namespace

size_t CReferenceReader::FindReferences(std::string_view text, std::vector<Range>& ranges, size_t offset) {
  m_tokens = RefTokens(text, m_tokenOptions);
  RefGrammar g(*this, text);
  const size_t before = ranges.size();
  for (size_t i = 0; i < m_tokens.size();) {
    if (!g.MayBegin(i)) {
      ++i;
      continue;
    }
    const size_t k = g.List(i, ranges);
    if (k != kFailed) {
      i = k;
      continue;
    }
    if (m_firstFailure == SIZE_MAX) m_firstFailure = m_tokens[i].start + offset;
    ++i;
  }
  Shift(ranges, before, offset);
  return ranges.size() - before;
}

bool CReferenceReader::ReadReferences(std::string_view text, std::vector<Range>& ranges, size_t& errorPosition) {
  m_tokens = RefTokens(text, m_tokenOptions);
  RefGrammar g(*this, text);
  size_t i = g.SkipWhite(0);
  while (g.Kind(i) == RefToken::Open) i = g.SkipWhite(i + 1);
  bool any = false;
  while (i < m_tokens.size()) {
    const size_t k = g.List(i, ranges);
    if (k == kFailed) {
      errorPosition = m_tokens[i].start;
      return false;
    }
    any = true;
    i = g.SkipWhite(k);
    while (g.Kind(i) == RefToken::Conjunction || g.Kind(i) == RefToken::Close || g.Kind(i) == RefToken::Open ||
           (g.Kind(i) == RefToken::Other && (g.Str(i) == "." || g.Str(i) == ")")))
      i = g.SkipWhite(i + 1);
  }
  if (!any) errorPosition = text.size();
  return any;
}

}  // namespace textpane
