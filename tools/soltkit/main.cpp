// soltkit: the command-line face of the book, reference and rich-text
// libraries. Output is a stable interface; see the README.
#include <cstdio>
#include <cstring>
#include <map>
#include <new>

#include "tools/soltkit/args.h"
#include "tools/soltkit/commands.h"

namespace {

const char kUsage[] =
    "usage: soltkit COMMAND [ARGS]\n"
    "\n"
    "Books (DIR holds book.dat and the index files; --pub N --book N --sync TYPE\n"
    "override the identity and sync type found in DIR):\n"
    "  soltkit info DIR                         facts about the book\n"
    "  soltkit area DIR BOOKKEY [--chunk N]     header area + area BOOKKEY, raw bytes\n"
    "  soltkit toc DIR                          the table of contents, one entry a line\n"
    "  soltkit path DIR KEY                     the backslash path of an entry\n"
    "  soltkit key DIR PATH                     the key of a backslash path, or -1\n"
    "  soltkit words DIR [--from WORD] [--count N]   the word list: index word keycount\n"
    "  soltkit keys DIR WORD                    the keys of a word\n"
    "  soltkit positions DIR WORD KEY           the word's positions at a key\n"
    "  soltkit verse-keys DIR BOOK [CHAPTER [VERSE]] [--all-chapters|--all-verses]\n"
    "                                           keys from the Scripture index\n"
    "  soltkit sync DIR VALUE                   the key the sync index gives (verse: b,c,v)\n"
    "  soltkit build SOURCE OUTDIR              compile a book from a source folder\n"
    "\n"
    "Rich text (FILE may be - for standard input):\n"
    "  soltkit rtf text FILE [--from-level]     the document as plain text\n"
    "  soltkit rtf rtf FILE                     the document written back as RTF\n"
    "  soltkit rtf dump FILE                    the document model the engine reads\n"
    "  soltkit rtf layout FILE --width TWIPS [--fixed]\n"
    "                                           the lines the engine breaks the document into\n"
    "  soltkit rtf find FILE LEVEL PHRASE [--case] [--all]\n"
    "                                           how often the phrase occurs in the level's spans\n"
    "  soltkit rtf mark FILE LEVEL PHRASE... [--case]\n"
    "                                           the stretches the phrases mark: start length text\n"
    "\n"
    "Bibles (IXB is a Bible definition file):\n"
    "  soltkit bible IXB info                   code, text file, books, verses, words\n"
    "  soltkit bible IXB place VERSENUMBER      book chapter verse, or none\n"
    "  soltkit bible IXB index BOOK CHAPTER VERSE   the verse index of a 0-based place\n"
    "  soltkit bible IXB text FIRST COUNT       verse texts as copied and printed\n"
    "  soltkit bible IXB verse VERSENUMBER      one verse as a Bible window shows it\n"
    "  soltkit bible IXB find WORD              the verse indexes of a word\n"
    "  soltkit bible IXB words WORD [--count N] the word list from the nearest word\n"
    "  soltkit make-bible SOURCE OUTDIR         build a Bible module from a verse-per-line source\n"
    "  soltkit search TARGET [WORD...] [--or] [--colors C,C...] [--woc] [--colordir DIR]\n"
    "                                           search a Bible (.ixb) or a book directory: the\n"
    "                                           Hits title, then position label per hit, or the\n"
    "                                           message that stopped the search; --colors are\n"
    "                                           codes 0-11, --woc the underlined verses, the\n"
    "                                           colour index DIR/COLORNDX.CODE (default beside IXB)\n"
    "  soltkit follow BOOKDIR IXB VERSEINDEX    the key a book window takes when a Bible window\n"
    "                                           moves to the verse (nearest verse with a key), or -1\n"
    "\n"
    "Colour data (DIR holds CODE.pip, paint.CODE, COLORNDX.CODE, colors.txt):\n"
    "  soltkit paint convert CODE DIR [--underline] [--max N]\n"
    "                                           convert CODE.pip (--underline: underlining\n"
    "                                           merged over the paint file); the messages shown\n"
    "  soltkit paint record DIR CODE VERSEINDEX a verse's record: colour/underline POS VALUE, flag\n"
    "  soltkit paint index DIR CODE SET         the verse indexes of a set of COLORNDX.CODE\n"
    "\n"
    "The notes file (KLMW.NOT; STORAGE bible.not or BOOKPUB.not, POSITION a verse index or section key):\n"
    "  soltkit notes list FILE                  one line per note: storage stream length\n"
    "  soltkit notes get FILE STORAGE POSITION  the note's bytes (rich text)\n"
    "  soltkit notes put FILE STORAGE POSITION NOTEFILE   store NOTEFILE's bytes (- for standard\n"
    "                                           input) as the note, creating what is missing\n"
    "\n"
    "dBase tables (a Bible's verse table, the notes table):\n"
    "  soltkit dbf FILE [--record N] [--field NAME]   recno field=value lines\n"
    "\n"
    "References (REFBASE.DAT beside the reference library, or in REFBASE_DIR):\n"
    "  soltkit ref chapters BOOK                chapters in the book\n"
    "  soltkit ref verses BOOK CHAPTER          verses in the chapter\n"
    "  soltkit ref chapter-id BOOK LABEL        the chapter ID of a label, or 0\n"
    "  soltkit ref verse-id BOOK CHAPTER LABEL  the verse ID of a label, or 0\n"
    "  soltkit ref label BOOK CHAPTER VERSE     chapterlabel verselabel\n"
    "  soltkit ref next BOOK CHAPTER VERSE      the next verse in the book, or end\n"
    "  soltkit ref aliases BOOK CHAPTER VERSE [--near]   book chapter verse lines\n"
    "  soltkit ref similar-books BOOK           related books in the order found\n"
    "  soltkit ref similar-chapters BOOK CHAPTER   related chapters: book chapter\n"
    "  soltkit ref build SOURCE OUT             build a reference data file\n"
    "\n"
    "Translations (VTTRANS.DAT beside the reference library, or in REFBASE_DIR):\n"
    "  soltkit trans list                       id name lines\n"
    "  soltkit trans books NAME                 the translation's books in its order\n"
    "  soltkit trans range NAME FIRST LAST      the books after FIRST up to LAST, or refused\n"
    "  soltkit trans compare NAME A B           1 A before B, -1 after, 0 same or absent\n"
    "  soltkit trans build SPEC OUT             build a translation data file\n"
    "\n"
    "References in text (TEXT is one paragraph of plain text; NAME a translation, default KJV):\n"
    "  soltkit refs parse TEXT [--period] [--lone-book] [--translation NAME]\n"
    "                                           one line per range: start book chapter verse,\n"
    "                                           end book chapter verse, translation, type, text\n"
    "                                           start and end; or error POSITION\n"
    "  soltkit refs verses TEXT [options as for parse]   every verse of the ranges: book chapter verse\n"
    "  soltkit refs range STRING [--translation NAME]    a numeric range resolved: start, end,\n"
    "                                           requested resolving verse|chapter|book\n"
    "                                           backward|forward; or invalid\n"
    "\n"
    "Exit status: 0 done, 1 input could not be read, 2 usage.\n";

struct Command {
  void (*run)(const soltkit::Words&);
};

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"info", {soltkit::CmdInfo}},
      {"area", {soltkit::CmdArea}},
      {"toc", {soltkit::CmdToc}},
      {"path", {soltkit::CmdPath}},
      {"key", {soltkit::CmdKey}},
      {"words", {soltkit::CmdWords}},
      {"keys", {soltkit::CmdKeys}},
      {"positions", {soltkit::CmdPositions}},
      {"verse-keys", {soltkit::CmdVerseKeys}},
      {"sync", {soltkit::CmdSync}},
      {"follow", {soltkit::CmdFollow}},
      {"build", {soltkit::CmdBuild}},
      {"rtf", {soltkit::CmdRtf}},
      {"ref", {soltkit::CmdRef}},
      {"trans", {soltkit::CmdTrans}},
      {"refs", {soltkit::CmdRefs}},
      {"dbf", {soltkit::CmdDbf}},
      {"bible", {soltkit::CmdBible}},
      {"make-bible", {soltkit::CmdMakeBible}},
      {"paint", {soltkit::CmdPaint}},
      {"search", {soltkit::CmdSearch}},
      {"notes", {soltkit::CmdNotes}},
  };
  return commands;
}

}  // namespace

int main(int argc, char** argv) {
  soltkit::Words words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    std::fputs(kUsage, words.empty() ? stderr : stdout);
    return words.empty() ? 2 : 0;
  }
  auto it = Commands().find(words[0]);
  try {
    if (it == Commands().end()) throw soltkit::UsageError("unknown command " + words[0]);
    it->second.run(words);
  } catch (const soltkit::UsageError& e) {
    std::fprintf(stderr, "soltkit: %s\n%s", e.what(), kUsage);
    return 2;
  } catch (const soltkit::InputError& e) {
    std::fprintf(stderr, "soltkit: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "soltkit: out of memory\n");
    return 1;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "soltkit: cannot write to standard output\n");
    return 1;
  }
  return 0;
}
