// The book names references are read by.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textpane/refs/booknames.h"
#include "textpane/refs/range.h"
#include "refbase/translation.h"
#include "textpane/refs/refreader.h"
#include "textpane/refs/reftokens.h"

using namespace textpane;

TEST(BookNames, TheTableAndItsIndex) {
  EXPECT_EQ(BookNameTable().size(), kBookNameRows);
  size_t indexed = 0;
  for (int c = 0; c < 256; ++c)
    if (c < 'a' || c > 'z') indexed += BookNameRowsFor(static_cast<char>(c)).size();
  EXPECT_EQ(indexed, kBookNameRows);  // every row under its upper-case letter
  EXPECT_EQ(BookNameRowsFor('g').size(), BookNameRowsFor('G').size());
  const struct {
    uint16_t book;
    const char* name;
  } names[] = {{1, "Genesis"}, {19, "Psalms"}, {22, "Song of Solomon"}, {43, "John"}, {62, "1 John"},
               {66, "Revelation"}, {76, "Prayer of Azariah"}, {0, ""}, {103, ""}};
  for (const auto& n : names) EXPECT_STREQ(BookDisplayName(n.book), n.name) << n.book;
}

TEST(BookNames, NamesMatchAtWordBoundaries) {
  const struct {
    const char* text;
    bool ignoreCase;
    bool found;
    uint16_t book;
    size_t length;
    int certainty;
  } cases[] = {
      {"Genesis 1:1", false, true, 1, 7, 1},
      {"Gen. 1:1", false, true, 1, 4, 1},    // abbreviated with a period
      {"Gen 1:1", false, true, 1, 3, 0},     // without one
      {"Gn", false, true, 1, 2, 0},
      {"Gn.", false, true, 1, 3, 1},
      {"Mark", false, true, 41, 4, 1},
      {"Mk 1", false, true, 41, 2, 0},
      {"1 John 3:16", false, true, 62, 6, 1},
      {"1 Jn 1:9", false, true, 62, 4, 0},
      {"1Co 13", false, true, 46, 3, 0},
      {"Ps 23", false, true, 19, 2, 0},
      {"Jude 5", false, true, 65, 4, 1},
      {"Genie", false, false, 0, 0, 0},      // the word goes on
      {"G", false, false, 0, 0, 0},          // shorter than any name's minimum
      {"genesis", false, false, 0, 0, 0},    // letter case counts...
      {"genesis", true, true, 1, 7, 1},      // ...unless told otherwise
      {"Song of Songs 2:1", false, true, 22, 13, 0},
      {"Xerxes", false, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    BookNameMatch m;
    ASSERT_EQ(MatchBookName(c.text, 0, c.ignoreCase, m), c.found) << c.text;
    if (!c.found) continue;
    EXPECT_EQ(m.row->books[0], c.book) << c.text;
    EXPECT_EQ(m.length, c.length) << c.text;
    EXPECT_EQ(m.certainty, c.certainty) << c.text;
  }
}

namespace {

// The tokens of a text as letters: B book, L label, : separator, - range,
// ; , & conjunctions, C chapter word, V verse word, N not a reference, T
// translation, ( ), _ white space, ? anything else.
std::string Kinds(std::string_view text, const RefTokenOptions& options) {
  std::string kinds;
  for (const RefTokenInfo& t : RefTokens(text, options)) {
    switch (t.kind) {
      case RefToken::BookName: kinds += 'B'; break;
      case RefToken::Label: kinds += 'L'; break;
      case RefToken::Separator: kinds += ':'; break;
      case RefToken::RangeWord: kinds += '-'; break;
      case RefToken::Conjunction: kinds += t.conjunction; break;
      case RefToken::ChapterWord: kinds += 'C'; break;
      case RefToken::VerseWord: kinds += 'V'; break;
      case RefToken::NotReference: kinds += 'N'; break;
      case RefToken::Translation: kinds += 'T'; break;
      case RefToken::Open: kinds += '('; break;
      case RefToken::Close: kinds += ')'; break;
      case RefToken::White: kinds += '_'; break;
      default: kinds += '?'; break;
    }
  }
  return kinds;
}

}  // namespace

TEST(RefTokens, TextIsCutIntoTheTokensOfReferences) {
  RefTokenOptions plain;
  plain.translations = {"KJV", "NIV"};
  RefTokenOptions period = plain;
  period.period = true;
  const struct {
    const char* text;
    const RefTokenOptions* options;
    const char* kinds;
  } cases[] = {
      {"Gen. 1:1-3; 2:4, 6", &plain, "B_L:L-L;_L:L,_L"},
      {"jn 3 16", &period, "B_L_L"},
      {"1 Cor 13", &plain, "B_L"},
      {"John 3:16 and 17 (NIV)", &plain, "B_L:L&_L_(T"},
      {"vv. 16-18", &plain, "V_L-L"},
      {"chapters 3 through 5", &plain, "C_L-_L"},
      {"John the Baptist", &plain, "N"},
      {"John the Baptist", &period, "B_L_?"},
      {"verse 16a", &plain, "V_L"},
      {"Ps 23.1", &period, "B_L:L"},
      {"Jerusalem 12345", &plain, "?_?"},
  };
  for (const auto& c : cases) EXPECT_EQ(Kinds(c.text, *c.options), c.kinds) << c.text;
  // A dash with nothing after it, and text of many words, end.
  EXPECT_EQ(Kinds("Gen 1-", plain), "B_L-");
  EXPECT_EQ(RefTokens(std::string(100000, 'x'), plain).size(), 1u);
}

TEST(References, BooksChaptersAndVersesClearWhatFollowsThem) {
  Reference r;
  EXPECT_TRUE(r.NeedsBook() && r.NeedsChapter() && r.NeedsVerse());
  const uint16_t psalms[] = {19, 92, 91, 86, 102, 5, 7, 9};  // more than are kept
  r.Books(psalms, 8, 1);
  EXPECT_EQ(r.Book(), 19);
  EXPECT_EQ(r.Books()[4], 102);
  EXPECT_EQ(r.Books()[6], 0);  // six kept, then the end
  EXPECT_EQ(r.Certainty(), 1);
  r.Chapter(std::string_view("23"));
  EXPECT_FALSE(r.NeedsChapter());
  EXPECT_EQ(r.Chapter(), NO_CHAPTER);
  r.Verse(std::string_view("16abcdef"));
  EXPECT_STREQ(r.VerseLabel(), "16ab");  // four characters kept
  r.Chapter(uint16_t{3});                 // a number drops the label and the verse
  EXPECT_STREQ(r.ChapterLabel(), "");
  EXPECT_TRUE(r.NeedsVerse());
  r.Verse(uint16_t{16});
  r.Book(uint16_t{43});                   // a new book starts again
  EXPECT_EQ(r.Book(), 43);
  EXPECT_EQ(r.Books()[1], 0);
  EXPECT_TRUE(r.NeedsChapter() && r.NeedsVerse());
  EXPECT_EQ(r.Certainty(), 0);
  EXPECT_EQ(Reference(43, 3, 16).Verse(), 16);
}

namespace {

uint16_t Kjv() { return cTranslation::GetTranslationIDFromName("KJV"); }

std::string Show(const std::vector<Range>& ranges) {
  std::string s;
  for (const Range& r : ranges) {
    if (!s.empty()) s += "; ";
    s += std::to_string(r.Start().Book()) + " " + std::to_string(r.Start().Chapter()) + ":" +
         std::to_string(r.Start().Verse()) + "-" + std::to_string(r.End().Book()) + " " +
         std::to_string(r.End().Chapter()) + ":" + std::to_string(r.End().Verse());
  }
  return s;
}

}  // namespace

TEST(ReferenceReader, ReadsWhatCommentariesAndUsersWrite) {
  enum { kScan = 0, kTyped = 1 };
  const struct {
    int mode;
    const char* text;
    const char* ranges;  // "" when none is read
  } cases[] = {
      {kScan, "Jude 5", "65 1:5-65 1:5"},
      {kScan, "Gen. 1:1-3; 2:4, 6", "1 1:1-1 1:3; 1 2:4-1 2:4; 1 2:6-1 2:6"},
      {kScan, "Ps 23", "19 23:1-19 23:6"},
      {kScan, "Mark", "41 1:1-41 16:20"},
      {kScan, "Gn", ""},
      {kScan, "Gn.", "1 1:1-1 50:26"},
      {kScan, "John the Baptist came", ""},
      {kScan, "see John 3:16a", "43 3:16-43 3:16"},
      {kScan, "John 3:16 and 18", "43 3:16-43 3:16; 43 3:18-43 3:18"},
      {kScan, "Rom 8:28-9:3", "45 8:28-45 9:3"},
      {kScan, "Gen 1-3", "1 1:1-1 3:24"},
      {kScan, "1 Cor 13", "46 13:1-46 13:13"},
      {kScan, "Matt 5:3 through 12", "40 5:3-40 5:12"},
      {kScan, "Gen 1:1 - Exod 2:3", "1 1:1-2 2:3"},
      {kScan, "Gen 1:1-", "1 1:1-1 1:1"},                       // a dash with nothing after it
      {kScan, "John 3:1, then cf. vv. 16-18", "43 3:1-43 3:1; 43 3:16-43 3:18"},
      {kScan, "ch. 4 after Ruth 1:1", "8 1:1-8 1:1"},            // no book yet for "ch. 4"
      {kScan, "Ruth 1:1 and ch. 4", "8 1:1-8 1:1; 8 4:1-8 4:22"},
      {kScan, "Gen 51:1 and Gen 99", ""},                        // no such chapter
      {kScan, "Job 42:17; 43:1", "18 42:17-18 42:17"},
      {kScan, "Gen 1:1, Exod 3:14", "1 1:1-1 1:1; 2 3:14-2 3:14"},
      {kScan, "Gen 1:12345", "1 1:1-1 1:31"},  // no label of 5 characters: the chapter alone
      {kScan, "Rom 8.28", "45 8:1-45 8:39"},                     // "." separates only with the period option
      {kTyped, "Rom 8.28", "45 8:28-45 8:28"},
      {kTyped, "jn 3 16", "43 3:16-43 3:16"},
      {kTyped, "1 cor 13", "46 13:1-46 13:13"},
      {kTyped, "gn", "1 1:1-1 50:26"},
      {kTyped, "Gen 1:1-3; 2:4, 6", "1 1:1-1 1:3; 1 2:4-1 2:4; 1 2:6-1 2:6"},
      {kTyped, "rom 8:28 (kjv)", "45 8:28-45 8:28"},
  };
  for (const auto& c : cases) {
    RefReadOptions options;
    options.translation = Kjv();
    if (c.mode == kTyped) options.period = options.loneBook = options.blankSeparator = true;
    CReferenceReader reader(options);
    std::vector<Range> ranges;
    reader.FindReferences(c.text, ranges);
    EXPECT_EQ(Show(ranges), c.ranges) << c.text;
  }
}

namespace {

Range Verses(uint16_t b1, uint16_t c1, uint16_t v1, uint16_t b2, uint16_t c2, uint16_t v2, uint16_t translation = 0) {
  Range r({b1, c1, v1}, {b2, c2, v2});
  if (translation) {
    EXPECT_TRUE(r.ResolveRange(translation));
  }
  return r;
}

uint16_t Kjva() { return cTranslation::GetTranslationIDFromName("KJVA"); }

}  // namespace

TEST(ReferenceReader, HugeAndMalformedText) {
  RefReadOptions options;
  options.translation = Kjv();
  std::string prose;
  // Near misses only: names that go on, chapter and verse words and numbers
  // without a book before them.
  while (prose.size() < 10'000'000) prose += "And Jesus went up into Galilee, then Johnny (v. 12 - 13: ch. 4) came; ";
  std::vector<Range> ranges;
  EXPECT_EQ(CReferenceReader(options).FindReferences(prose, ranges), 0u);
  std::string many;
  for (int i = 0; i < 100'000; ++i) many += "Gen 1:1; ";
  ranges.clear();
  EXPECT_EQ(CReferenceReader(options).FindReferences(many, ranges), 100'000u);
  EXPECT_EQ(ranges.back().TextStart(), many.size() - 9);

  options.period = options.loneBook = options.blankSeparator = true;
  const struct {
    const char* text;
    const char* ranges;
    size_t error;  // SIZE_MAX when the whole text reads
  } typed[] = {
      {"Gen 1:1 -", "1 1:1-1 1:1", 8},                 // a dash with nothing after it
      {"Gen 1-", "1 1:1-1 1:31", 5},
      {"Gen 12345", "1 1:1-1 50:26", 4},               // no label of 5 characters
      {"Gen 1:70000", "1 1:1-1 1:31", 5},
      {"Gen 65536", "1 1:1-1 50:26", 4},
      {"abcde 1:1", "", 0},
      {"Gen 1:1; Zzz 3", "1 1:1-1 1:1", 9},
      {"", "", 0},
  };
  for (const auto& c : typed) {
    CReferenceReader reader(options);
    std::vector<Range> read;
    size_t error = SIZE_MAX;
    const bool all = reader.ReadReferences(c.text, read, error);
    EXPECT_EQ(Show(read), c.ranges) << c.text;
    EXPECT_EQ(all ? SIZE_MAX : error, c.error) << c.text;
  }
}

TEST(Ranges, TypesFromTheirExtent) {
  const uint16_t kjv = Kjv();
  const struct {
    Range range;
    int extent;  // 1 verses, 2 chapters, 3 books
    bool backward;
  } cases[] = {
      {Verses(1, 1, 2, 1, 1, 31, kjv), RANGE_VERSES, false},
      {Verses(1, 1, 1, 1, 1, 30, kjv), RANGE_VERSES, false},
      {Verses(1, 1, 1, 1, 2, 25, kjv), RANGE_CHAPTERS, false},
      {Verses(1, 2, 1, 1, 50, 26, kjv), RANGE_CHAPTERS, false},
      {Verses(1, 1, 1, 1, 50, 26, kjv), RANGE_BOOKS, false},
      {Verses(1, 1, 1, 2, 40, 38, kjv), RANGE_BOOKS, false},
      {Verses(1, 1, 3, 1, 1, 2, kjv), RANGE_VERSES, true},
      {Verses(1, 2, 1, 1, 1, 5, kjv), RANGE_VERSES, true},
      {Verses(2, 1, 1, 1, 1, 1, kjv), RANGE_VERSES, true},
      {Verses(1, 1, 1, 1, 1, 1, kjv), RANGE_VERSES, false},
      {Verses(1, 1, 1, 2, 1, 1), RANGE_VERSES, true},  // no translation orders the books
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Show({c.range}));
    EXPECT_EQ(c.range.IsVerseRange(), c.extent == RANGE_VERSES);
    EXPECT_EQ(c.range.IsChapterRange(), c.extent == RANGE_CHAPTERS);
    EXPECT_EQ(c.range.IsBookRange(), c.extent == RANGE_BOOKS);
    EXPECT_EQ(c.range.IsBackward(), c.backward);
    // A type is taken up to the extent's own; anything else leaves it unset
    // (a few verses asked to be a book stay unset) and the extent answers.
    for (int type = -1; type <= 4; ++type) {
      Range typed = c.range;
      typed.SetRangeType(type);
      const bool taken = type >= RANGE_NOT_SET && type <= c.extent;
      EXPECT_EQ(typed.GetRangeType(), taken ? type : RANGE_NOT_SET) << type;
      if (taken && type != RANGE_NOT_SET) {
        EXPECT_EQ(typed.IsVerseRange(), type == RANGE_VERSES);
        EXPECT_EQ(typed.IsBookRange(), type == RANGE_BOOKS);
      }
    }
  }
}

TEST(Ranges, ComparedAndWalkedInTheTranslationsOrder) {
  const uint16_t kjv = Kjv(), kjva = Kjva();
  const Reference tobit(69, 1, 1), matthew(40, 1, 1), genesis(1, 50, 26);
  EXPECT_EQ(Reference::Compare(tobit, matthew, kjva), -1);  // the apocrypha stand between the testaments
  EXPECT_EQ(Reference::Compare(matthew, tobit, kjva), 1);
  EXPECT_EQ(Reference::Compare(genesis, tobit, kjva), -1);
  EXPECT_EQ(Reference::Compare(genesis, {1, 50, 25}, kjv), 1);
  EXPECT_EQ(Reference::Compare(genesis, genesis, kjv), 0);
  EXPECT_EQ(Reference::Compare(genesis, matthew, 999), 0);  // a translation that cannot be set
  EXPECT_TRUE(Range(matthew, tobit, 999).IsBackward());

  const struct {
    Range range;
    int by;  // 0 verse, 1 chapter, 2 book
    const char* places;
  } walks[] = {
      {Verses(1, 50, 25, 2, 1, 2, kjv), 0, "1 50:25 1 50:26 2 1:1 2 1:2"},
      {Verses(65, 1, 24, 65, 1, 25, kjv), 0, "65 1:24 65 1:25"},
      {Verses(1, 1, 1, 1, 1, 1, kjv), 0, "1 1:1"},
      {Verses(1, 49, 3, 2, 2, 5, kjv), 1, "1 49:3 1 50:1 2 1:1 2 2:1"},
      {Verses(1, 49, 3, 3, 2, 1, kjv), 2, "1 49:3 2 1:1 3 1:1"},
      {Verses(39, 4, 1, 40, 1, 1, kjva), 2, "39 4:1 81 1:1 83 1:1 69 1:1 70 1:1 71 1:1 72 1:1 73 1:1 74 1:1 75 1:1 "
                                            "76 1:1 77 1:1 78 1:1 82 1:1 79 1:1 80 1:1 40 1:1"},
      {Verses(2, 1, 1, 1, 1, 1, kjv), 0, "2 1:1"},  // backward: no step
  };
  for (const auto& w : walks) {
    std::string places;
    Reference at = w.range.Start();
    int steps = 0;
    do {
      places += (places.empty() ? "" : " ") + std::to_string(at.Book()) + " " + std::to_string(at.Chapter()) + ":" +
                std::to_string(at.Verse());
    } while (++steps < 100 && (w.by == 0 ? w.range.GetNextVerse(at) : w.by == 1 ? w.range.GetNextChapter(at)
                                                                                 : w.range.GetNextBook(at)));
    EXPECT_EQ(places, w.places) << Show({w.range}) << " by " << w.by;
  }
}

TEST(Ranges, NumbersReadAndResolved) {
  const uint16_t kjv = Kjv(), kjva = Kjva();
  const struct {
    const char* text;
    uint16_t translation;  // given to ResolveRange
    int read;
    int resolved;
    const char* range;
    uint16_t requested, resolving;
  } cases[] = {
      {"43 3:16", kjv, 1, 1, "43 3:16-43 3:16", kjv, kjv},
      {"43 3:16", 0, 1, 1, "43 3:16-43 3:16", 0, kjv},
      {"19 23:0", kjv, 1, 1, "19 23:1-19 23:6", kjv, kjv},          // verse 0: the whole chapter
      {"1 0:0-1 0:0", kjv, 1, 1, "1 1:1-1 50:26", kjv, kjv},       // chapter 0: the whole book
      {"1 1:1-2 1:2", kjv, 1, 1, "1 1:1-2 1:2", kjv, kjv},
      {"69 1:1-69 1:3 1", kjv, 1, 1, "69 1:1-69 1:3", 0, kjva},     // KJV has no Tobit: the next that does
      {"69 1:1-69 1:3 6", kjva, 1, 1, "69 1:1-69 1:3", kjva, kjva},
      {"43 3:16", 999, 1, 1, "43 3:16-43 3:16", 0, kjv},            // a translation that cannot be set
      {"1 65537:1", kjv, 1, 1, "1 1:1-1 1:1", kjv, kjv},           // 16 bits kept of a longer number
      {"1 51:1", kjv, 1, 0, "", 0, 0},
      {"200 1:1", kjv, 1, 0, "", 0, 0},
      {"1 1:1-2", kjv, 0, 0, "", 0, 0},
      {"1 1:1-2 3", kjv, 0, 0, "", 0, 0},
      {"1 1", kjv, 0, 0, "", 0, 0},
      {"1 1:1 - 2 1:1", kjv, 1, 1, "1 1:1-1 1:1", kjv, kjv},       // "-" must follow the number
      {"", kjv, 0, 0, "", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Range r(Reference(5, 5, 5), Reference(5, 5, 5));
    ASSERT_EQ(r.SetFromString(c.text), c.read);
    if (!c.read) {
      EXPECT_EQ(r.Start(), Reference(5, 5, 5));  // left as it was
      continue;
    }
    ASSERT_EQ(r.ResolveRange(c.translation), c.resolved);
    if (!c.resolved) continue;
    EXPECT_EQ(Show({r}), c.range);
    EXPECT_EQ(r.RequestedTranslation(), c.requested);
    EXPECT_EQ(r.ResolvingTranslation(), c.resolving);
  }
}

TEST(Ranges, VerseLabelsWithLetters) {
  const struct {
    const char* label;
    bool valid;
    const char* kept;
  } cases[] = {{"16a", true, "16"}, {"16ab", true, "16"}, {"16abc", true, "16"}, {"37a", false, "37a"},
               {"a16", false, "a16"}, {"1x6", false, "1x6"}, {"16", true, "16"}};
  for (const auto& c : cases) {
    Reference r(43, 3, 0);
    r.Verse(std::string_view(c.label));
    EXPECT_EQ(r.IsReferenceValid(), c.valid) << c.label;
    EXPECT_STREQ(r.VerseLabel(), c.kept) << c.label;
    if (c.valid) {
      EXPECT_TRUE(r.ResolveReference(Kjv()));
      EXPECT_EQ(r.Verse(), 16);
    }
  }
  Reference jude;
  jude.Book(uint16_t{65});
  jude.Chapter(uint16_t{1});
  jude.Verse(uint16_t{5});
  EXPECT_TRUE(jude.ResolveReference(Kjv()));
  EXPECT_STREQ(jude.FullBookName(), "Jude");
}

// The forms Matthew Henry's Concise Commentary writes most, as it writes
// them; lines are paragraphs read by one reader, as a document's are.
TEST(ReferenceReader, TheCommentarysCommonForms) {
  const struct {
    const char* text;
    const char* ranges;
  } cases[] = {
      {"Genesis\nChapter 1", "1 1:1-1 50:26; 1 1:1-1 1:31"},
      {"Verses 1-2\nGenesis 1:1-2\nVerses 1-2 ", "1 1:1-1 1:2; 1 1:1-1 1:2"},  // the heading before its book has none
      {"Matthew 5:3-12\nVerses 3-12", "40 5:3-40 5:12; 40 5:3-40 5:12"},
      {"Genesis 1:31\nVerse 31", "1 1:31-1 1:31; 1 1:31-1 1:31"},
      {"Man was made upright, Ec 7:29. His", "21 7:29-21 7:29"},
      {"all human things are vain. (Eccl. 1:1-3) Man's", "21 1:1-21 1:3"},
      {"Ecclesiastes 8:1\nof such a man (8:7-10) ", "21 8:1-21 8:1; 21 8:7-21 8:10"},
      {"the tribe of Manasseh: see Nu 32. Moses", "4 32:1-4 32:42"},
      {"Genesis 7:1\nwas perfect in his generations, ch. 6:9; but", "1 7:1-1 7:1; 1 6:9-1 6:9"},
      {"Our Saviour declared, Joh 3:14, 15, that", "43 3:14-43 3:14; 43 3:15-43 3:15"},
      {"as he sees proper, Ro 9:12-15.", "45 9:12-45 9:15"},
      {"See Psa 22:22; 18:2; Is 8:18.", "19 22:22-19 22:22; 19 18:2-19 18:2"},  // "Is" names no book
  };
  for (const auto& c : cases) {
    CReferenceReader reader({.translation = Kjv()});
    std::vector<Range> ranges;
    std::string_view text = c.text;
    for (size_t at = 0; at <= text.size();) {
      const size_t end = std::min(text.find('\n', at), text.size());
      reader.FindReferences(text.substr(at, end - at), ranges);
      at = end + 1;
    }
    EXPECT_EQ(Show(ranges), c.ranges) << c.text;
  }
}
