// Opening sections of the reference books to the first paint of their text,
// the way a book window does it: the section is found and its area streamed
// chunk by chunk (klmw::CBookSection), the view lays the text out 1,000
// pixels wide, scrolls to the section's level and paints a 1920 × 1080
// window on the offscreen raster.
//
// Cold: a new window on the section (its own copy of the book, which opens
// the book's files and closes them when it goes, a new document and view).
// Warm: the same window opening the same section again. The screen's font
// cache is kept alive throughout, as the program's other windows keep it;
// the very first open, which makes the fonts, is reported on its own. The
// operating system's file cache is warm in both cases.
//
// Then marking a common phrase over each book's largest area: at the level
// of the area's first section, and at every level of the area in turn.
//
//   section_bench [--all | --stride N] [book...]
//
// The ten slowest opens of each book are timed again and the median of
// five runs stands as their time, so that one slow moment of the machine
// does not pass for the slowest section.
//
// Books with more than 1,000 keys are sampled (every 10th key, and every
// section of the largest area) unless --all is given; KLMW_REFLIB names the
// library folder.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/booksection.h"
#include "bench/ui/bookdir.h"
#include "include/soltread.h"
#include "platform/coding.h"
#include "platform/cp1252.h"
#include "textpane/layout/colors.h"
#include "textpane/layout/fontcache.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/ui/qtfontsystem.h"
#include "textpane/ui/qtsurface.h"
#include "textpane/view/rtfviewcore.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLayoutPixels = 1000;
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kSampleAbove = 1000;
constexpr int kSampleStride = 10;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string Utf8(const std::string& cp1252) {
  const std::u16string u = platform::Cp1252ToUtf16(cp1252);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size())).toStdString();
}

struct Entry {
  int key;
  int area;
  int level;
  std::string name;
};

struct Contents {
  std::vector<Entry> entries;  // by key
  int largestArea = -1;
  unsigned long largestSize = 0;
};

Contents ReadContents(const cSOLTBook& registered) {
  Contents c;
  cSOLTBook book(registered);
  if (book.Open(SOLT_ALL_FILES) != SOLT_OK) return c;
  for (int k = 0; k < book.GetAreaCount(); ++k) {
    const unsigned long size = book.GetViewableAreaSize(k);
    if (size > c.largestSize) c.largestSize = size, c.largestArea = k;
  }
  const int last = book.GetLastKey();
  for (int key = 0; key <= last; ++key) {
    cSectionsData e;
    if (book.GetEntry(key, e) != 0) continue;
    c.entries.push_back({key, e.GetBookKey(), e.GetLevelCount(), e.GetName()});
  }
  book.Close(SOLT_ALL_FILES);
  return c;
}

// One book window: its copy of the book, its document and its view.
struct Window {
  klmw::CBookSection section;
  textpane::CRtfDoc doc;
  textpane::CRtfViewCore core;
  QImage image{kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied};

  explicit Window(const cSOLTBook& book)
      : section(book),
        core(textpane::QtFontSystem::Screen(),
             static_cast<int>(std::lround(textpane::QtFontSystem::Screen().PixelsPerInch()))) {
    core.Resize(kLayoutPixels, kViewHeight);
  }

  // What the book view does for a section, then the paint that follows.
  bool Open(int key) {
    if (!section.Prepare(key)) return false;
    section.Stream(doc);
    core.SetDocument(&doc);
    core.ScrollToLevel(section.GetLevelCount());
    Paint();
    return true;
  }

  // The same in its three steps: reading the text into the document, the
  // layout the scroll to the level needs, and the paint.
  bool OpenInSteps(int key, double& read, double& layout, double& paint) {
    auto start = Clock::now();
    if (!section.Prepare(key)) return false;
    section.Stream(doc);
    read = MsSince(start);
    start = Clock::now();
    core.SetDocument(&doc);
    core.ScrollToLevel(section.GetLevelCount());
    layout = MsSince(start);
    start = Clock::now();
    Paint();
    paint = MsSince(start);
    return true;
  }

  void Paint() {
    const textpane::Colors& colors = textpane::Colors::ScreenColors();
    QPainter painter(&image);
    painter.fillRect(image.rect(), textpane::QtSurface::ToQColor(colors.GetColor(textpane::kRoleBackground)));
    const textpane::DocumentLayout& layout = core.Layout();
    if (layout.IsEmpty()) return;
    textpane::QtSurface surface(painter, core.UnitsPerPixel());
    layout.Draw(surface, colors, core.AreaFor(0, 0, kViewWidth, kViewHeight));
  }
};

struct Worst {
  double ms = -1;
  int key = -1;
  std::string name;
  void Take(double t, const Entry& e) {
    if (t > ms) ms = t, key = e.key, name = e.name;
  }
};

struct Tally {
  int count = 0;
  double total = 0;
  int over = 0;
  Worst worst;
  void Add(double t, const Entry& e, double goal) {
    ++count;
    total += t;
    if (t > goal) ++over;
    worst.Take(t, e);
  }
  double Mean() const { return count ? total / count : 0; }
};

constexpr double kOpenGoalMs = 50;
constexpr double kMarkGoalMs = 20;

constexpr size_t kRetimed = 10;
constexpr int kRetimeRuns = 5;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// A section opened in a new window, then again in the same window.
std::pair<double, double> TimeOpen(const cSOLTBook& registered, int key) {
  auto start = Clock::now();
  auto w = std::make_unique<Window>(registered);
  w->Open(key);
  const double cold = MsSince(start);
  start = Clock::now();
  w->Open(key);
  return {cold, MsSince(start)};
}

void PrintWorst(const char* what, const Tally& t, const Worst& again) {
  std::printf("    %-5s mean %6.2f ms, slowest single open %6.2f ms (%d over %.0f ms); worst as median of %d: %6.2f ms "
              "(key %d, %s)%s\n",
              what, t.Mean(), t.worst.ms, t.over, kOpenGoalMs, kRetimeRuns, again.ms, again.key,
              Utf8(again.name).c_str(), again.ms > kOpenGoalMs ? "  OVER" : "");
}

// Marking one phrase at the given levels of a freshly opened section, then
// the relayout and paint that show the marks; the search alone (counting
// every match) shows how much of the time is finding and how much marking.
struct MarkTimes {
  std::vector<double> search, mark, paint;
  int matches = 0;
};

void TimeMarking(const cSOLTBook& registered, int key, const std::vector<int>& levels, const char* phrase,
                 MarkTimes& t) {
  Window w(registered);  // a new window each time, so no marks are left from the last
  w.Open(key);
  auto start = Clock::now();
  int matches = 0;
  for (int l : levels) matches += w.doc.SearchForPhrase(l, phrase, false, true);
  t.search.push_back(MsSince(start));
  t.matches = matches;
  start = Clock::now();
  for (int l : levels) w.doc.MarkPhrases(l, {phrase}, false);
  t.mark.push_back(MsSince(start));
  start = Clock::now();
  w.core.Invalidate();
  w.Paint();
  t.paint.push_back(MsSince(start));
}

void MarkLargestArea(const std::string& name, const cSOLTBook& registered, const Contents& c) {
  std::vector<const Entry*> area;
  for (const Entry& e : c.entries)
    if (e.area == c.largestArea) area.push_back(&e);
  if (area.empty()) return;
  std::vector<int> levels;
  for (const Entry* e : area) levels.push_back(e->level);
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  // The area's first section that has text of its own: a heading over
  // others may hold no words at its level.
  const Entry* first = area.front();
  for (const Entry* e : area) {
    Window w(registered);
    w.Open(e->key);
    if (w.doc.SearchForPhrase(e->level, "the", false, false) > 0) {
      first = e;
      break;
    }
  }

  {
    Window w(registered);
    w.Open(first->key);
    std::printf("  %-15s area %d: %lu bytes of RTF, %zu of visible text\n", name.c_str(), c.largestArea, c.largestSize,
                w.doc.GetText(textpane::FORMAT_TEXT).size());
  }
  constexpr int kRuns = 5;
  for (const char* phrase : {"the", "god"}) {
    MarkTimes one, all;
    for (int run = 0; run < kRuns; ++run) {
      TimeMarking(registered, first->key, {first->level}, phrase, one);
      TimeMarking(registered, first->key, levels, phrase, all);
    }
    auto line = [&](const std::string& where, const MarkTimes& t) {
      const double mark = Median(t.mark);
      std::printf("  %-15s %-6s %-44s %5d marks  mark %7.2f ms (search alone %6.2f)  relayout+paint %6.2f ms%s\n",
                  name.c_str(), ("\"" + std::string(phrase) + "\"").c_str(), where.c_str(), t.matches, mark,
                  Median(t.search), Median(t.paint), mark > kMarkGoalMs ? "  OVER" : "");
    };
    line("key " + std::to_string(first->key) + " " + Utf8(first->name) + ", level " + std::to_string(first->level),
         one);
    line("whole area " + std::to_string(c.largestArea) + " (" + std::to_string(levels.size()) + " levels)", all);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);

  int stride = 0;  // 0: sample only the large books
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--all")) {
      stride = 1;
    } else if (!std::strcmp(argv[i], "--stride") && i + 1 < argc) {
      stride = std::max(1, std::atoi(argv[++i]));
    } else {
      names.emplace_back(argv[i]);
    }
  }
  if (names.empty()) names = {"naves", "mhcc", "strongs-greek", "strongs-hebrew", "tdavid"};
  const char* lib = std::getenv("KLMW_REFLIB");
  const std::string root = lib ? lib : "build-bench/reference-library";

  // Kept for the whole run, as the program's open windows keep the screen's fonts.
  const auto fonts = textpane::FontCache::ForScaling(textpane::QtFontSystem::Screen(), 100);
  bool fontsMade = false;

  std::printf("first paint of a section: layout %d px wide, view %d x %d, goal %.0f ms\n", kLayoutPixels, kViewWidth,
              kViewHeight, kOpenGoalMs);
  Tally allCold, allWarm;
  std::string allColdBook, allWarmBook;
  size_t allColdIndex = 0;
  std::vector<std::pair<std::string, Contents>> marked;
  std::vector<cSOLTBook> books;
  for (const std::string& name : names) {
    cSOLTBook registered;
    const std::string dir = root + "/" + name + "/";
    if (!benchbooks::RegisteredBook(dir, registered)) {
      std::printf("  %s: no book in %s\n", name.c_str(), dir.c_str());
      continue;
    }
    Contents c = ReadContents(registered);
    if (c.entries.empty()) {
      std::printf("  %s: cannot be opened\n", name.c_str());
      continue;
    }
    const int n = static_cast<int>(c.entries.size());
    const int every = stride ? stride : n > kSampleAbove ? kSampleStride : 1;
    std::vector<const Entry*> chosen;
    for (int i = 0; i < n; ++i)
      if (i % every == 0 || (every > 1 && c.entries[i].area == c.largestArea)) chosen.push_back(&c.entries[i]);

    if (!fontsMade) {
      // The first window of the run makes the fonts it needs.
      const auto start = Clock::now();
      Window w(registered);
      w.Open(chosen.front()->key);
      std::printf("  (first open of the run, fonts made then: %.2f ms)\n", MsSince(start));
      fontsMade = true;
    }

    Tally cold, warm;
    std::vector<std::pair<double, double>> times;  // cold, warm by chosen entry
    for (const Entry* e : chosen) {
      const auto [coldMs, warmMs] = TimeOpen(registered, e->key);
      times.emplace_back(coldMs, warmMs);
      cold.Add(coldMs, *e, kOpenGoalMs);
      warm.Add(warmMs, *e, kOpenGoalMs);
    }
    // A single slow open may be the machine's doing: the slowest few are
    // opened again and their median taken as their time.
    Tally coldAgain, warmAgain;
    for (bool isCold : {true, false}) {
      std::vector<size_t> order(chosen.size());
      for (size_t i = 0; i < order.size(); ++i) order[i] = i;
      const size_t top = std::min<size_t>(kRetimed, order.size());
      std::partial_sort(order.begin(), order.begin() + static_cast<long>(top), order.end(), [&](size_t a, size_t b) {
        return isCold ? times[a].first > times[b].first : times[a].second > times[b].second;
      });
      for (size_t i = 0; i < top; ++i) {
        std::vector<double> again{isCold ? times[order[i]].first : times[order[i]].second};
        for (int run = 1; run < kRetimeRuns; ++run) {
          const auto [c2, w2] = TimeOpen(registered, chosen[order[i]]->key);
          again.push_back(isCold ? c2 : w2);
        }
        (isCold ? coldAgain : warmAgain).worst.Take(Median(again), *chosen[order[i]]);
      }
    }
    std::printf("  %s: %d keys, %zu opened%s; largest area %d (%lu bytes)\n", name.c_str(), n, chosen.size(),
                every > 1 ? (" (every " + std::to_string(every) + "th key and the largest area's sections)").c_str() : "",
                c.largestArea, c.largestSize);
    PrintWorst("cold", cold, coldAgain.worst);
    PrintWorst("warm", warm, warmAgain.worst);
    cold.worst = coldAgain.worst;
    warm.worst = warmAgain.worst;
    if (cold.worst.ms > allCold.worst.ms) allCold.worst = cold.worst, allColdBook = name, allColdIndex = books.size();
    if (warm.worst.ms > allWarm.worst.ms) allWarm.worst = warm.worst, allWarmBook = name;
    marked.emplace_back(name, std::move(c));
    books.push_back(registered);
  }
  if (!allColdBook.empty()) {
    std::printf("  overall worst: cold %.2f ms (%s key %d, %s), warm %.2f ms (%s key %d, %s)\n", allCold.worst.ms,
                allColdBook.c_str(), allCold.worst.key, Utf8(allCold.worst.name).c_str(), allWarm.worst.ms,
                allWarmBook.c_str(), allWarm.worst.key, Utf8(allWarm.worst.name).c_str());
  }

  if (!allColdBook.empty()) {
    // Where the slowest section's time goes, in a new window (median of five).
    std::vector<double> read, layout, paint;
    for (int run = 0; run < kRetimeRuns; ++run) {
      double r = 0, l = 0, p = 0;
      Window w(books[allColdIndex]);
      w.OpenInSteps(allCold.worst.key, r, l, p);
      read.push_back(r), layout.push_back(l), paint.push_back(p);
    }
    std::printf("  slowest cold open in steps: reading %.2f ms, layout and scroll %.2f ms, paint %.2f ms\n",
                Median(read), Median(layout), Median(paint));
  }

  std::printf("\nmarking a phrase (case ignored) over the largest area, median of 5, goal %.0f ms\n", kMarkGoalMs);
  for (size_t i = 0; i < marked.size(); ++i) MarkLargestArea(marked[i].first, books[i], marked[i].second);
  return 0;
}
