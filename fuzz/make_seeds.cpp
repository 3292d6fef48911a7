// Writes the seed inputs for the fuzzers: a few small, valid books and LZSS
// streams that reach the interesting paths straight away (references into the
// initial spaces, overlapping copies, a ring that wraps, stored and compressed
// areas, an empty area, a wider area record).
//
//   fuzz_seeds OUTDIR    writes OUTDIR/fuzz_lzss/* and OUTDIR/fuzz_book/*
#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "soltread/bookwriter.h"
#include "soltread/lzss.h"

namespace {

void PutLe(std::string& out, unsigned long v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool Write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// fuzz_lzss input: the decoded length, then the stream.
std::string LzssSeed(const std::string& text) {
  std::string out;
  PutLe(out, text.size(), 4);
  return out + solt::LzssEncode(text);
}

// fuzz_book input: book.dat's length, chunk size - 1, book.dat, viewable.idx.
std::string BookSeed(const solt::cViewableWriter& writer, unsigned chunkSize) {
  solt::cViewableWriter::sOutput files = writer.Build();
  std::string out;
  PutLe(out, files.bookDat.size(), 4);
  PutLe(out, chunkSize - 1, 2);
  return out + files.bookDat + files.viewableIdx;
}

const char kParagraph[] =
    "\\pard\\plain\\f0\\fs24\\fi360 {\\cf2\\super 1}\\~In the beginning God created the heaven and the earth. "
    "{\\cf2\\super 2}\\~And the earth was without form, and void; and darkness was upon the face of the deep. "
    "And the Spirit of God moved upon the face of the waters.\\par\n";

const char kHeading[] = "\\pard\\plain\\s2\\f1\\fs28\\b Chapter 1\\b0\\par\n";

const char kPrologue[] =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  const std::string lzss = root + "fuzz_lzss/";
  const std::string book = root + "fuzz_book/";
  ::mkdir(root.c_str(), 0755);
  ::mkdir(lzss.c_str(), 0755);
  ::mkdir(book.c_str(), 0755);
  bool ok = true;

  ok &= Write(lzss + "rtf-paragraph", LzssSeed(std::string(kHeading) + kParagraph + kParagraph));
  // Leading blanks match the ring's initial spaces; the run of dashes copies
  // from one byte back, overlapping itself.
  ok &= Write(lzss + "spaces-and-runs", LzssSeed(std::string(40, ' ') + "a" + std::string(60, '-') + "ab ab ab ab\n"));
  {
    // Over 4 KB of text so that positions wrap round the ring.
    std::string text;
    for (int i = 0; i < 40; ++i) text += std::to_string(i) + (i % 3 ? " grace " : " peace ");
    while (text.size() < 4600) text += text.substr(text.size() / 3, 97);
    ok &= Write(lzss + "ring-wrap", LzssSeed(text));
  }
  {
    // Hand-made: references to ring positions 4078 (not yet written), 4095 and
    // 0 (across the wrap) and 18-byte maximum lengths, then a cut-off reference.
    std::string s;
    PutLe(s, 18 + 3 + 18 + 18, 4);
    s += '\x00';                     // eight references
    s += "\xEE\xFF";                 // position 4078, 18 bytes
    s += "\xFF\xF0";                 // position 4095, 3 bytes
    s += std::string("\x00\x0F", 2); // position 0, 18 bytes
    s += "\x10\x0F";                 // position 16, 18 bytes
    s += "\x05";                     // a reference missing its second byte
    ok &= Write(lzss + "hand-made-references", s);
  }
  {
    // A reference a full turn of the ring back (distance 4,096) to the very
    // first byte: 'X', 4,095 spaces copied from the ring, then 3 bytes from
    // position 4,078, where 'X' was written.
    std::string items;
    std::vector<bool> literal;
    items += 'X';
    literal.push_back(true);
    for (int left = 4095; left > 0; left -= 18) {
      int n = left < 18 ? left : 18;
      items += static_cast<char>(1000 & 0xFF);
      items += static_cast<char>(((1000 >> 4) & 0xF0) | (n - 3));
      literal.push_back(false);
    }
    items += static_cast<char>(4078 & 0xFF);
    items += static_cast<char>((4078 >> 4) & 0xF0);
    literal.push_back(false);
    std::string s;
    PutLe(s, 1 + 4095 + 3, 4);
    size_t at = 0;
    for (size_t i = 0; i < literal.size(); i += 8) {
      unsigned flags = 0;
      size_t bytes = 0;
      for (size_t k = i; k < i + 8 && k < literal.size(); ++k) {
        if (literal[k]) flags |= 1u << (k - i);
        bytes += literal[k] ? 1 : 2;
      }
      s += static_cast<char>(flags);
      s += items.substr(at, bytes);
      at += bytes;
    }
    ok &= Write(lzss + "full-turn-reference", s);
  }
  ok &= Write(lzss + "empty", std::string(4, '\0'));

  solt::sVersionInfo version;
  version.publisherID = 12;
  version.bookID = 345;
  {
    solt::cViewableWriter w(version);
    w.SetCompression(1);
    w.SetHeaderText("{\\title:Seed Commentary}{\\abbrev:SEED}");
    w.SetHeaderArea(kPrologue);
    w.AddArea(std::string(kHeading) + kParagraph + "}");
    w.AddArea(std::string(kParagraph) + kParagraph + "}");
    w.AddArea("}");
    ok &= Write(book + "compressed", BookSeed(w, 7));
  }
  {
    solt::cViewableWriter w(version);
    w.SetCompression(0);
    w.SetHeaderArea(kPrologue);
    w.AddArea(std::string(kHeading) + "}");
    w.AddArea(std::string(kParagraph) + "}");
    ok &= Write(book + "stored", BookSeed(w, 100));
  }
  {
    // Another writer's layout: longer headers and records, split counts.
    solt::sVersionInfo wide = version;
    wide.recordLength = 20;
    solt::cViewableWriter w(wide);
    w.SetCompression(1);
    w.SetViewableHeaderLength(20);
    w.SetAreaRecordSize(16);
    w.SetSecondCount(2);
    w.AddArea("");
    w.AddArea(std::string(kParagraph) + "}");
    w.AddArea(std::string(300, ' ') + "}");
    ok &= Write(book + "wide-records", BookSeed(w, 1));
  }

  if (!ok) {
    std::fprintf(stderr, "fuzz_seeds: cannot write the seeds under %s\n", root.c_str());
    return 1;
  }
  return 0;
}
