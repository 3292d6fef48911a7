// The disk scan: walks a folder the user picks, recognises book folders
// (a folder with book.dat) and the Bible data files of the program's own
// Bibles, and writes a fresh registry of the books found.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace klmw {

class CDataSetRegistry;

// Node kinds of the scan tree.
enum EBookNodeKind {
  kNodePlain = 0,      // a folder shown only in a full listing
  kNodeSoltParent = 1, // a folder that holds a subfolder "solt"
  kNodeExcluded = 3,   // a folder whose name is on the exclusion list
  kNodeBook = 5,       // a book folder (it holds book.dat)
  kNodeBibleFile = 6,  // a Bible data file
};

struct CBookNode {
  std::string path;  // folder or file, without a trailing '/'
  CBookNode* parent = nullptr;
  std::vector<std::unique_ptr<CBookNode>> children;
  int kind = kNodePlain;
  bool active = false;  // written ACTIVE (true) or INACTIVE

  // The last path component.
  std::string GetName() const;
};

// The three fields of a book.dat header the scan registers.
struct CBookHeader {
  std::string title;
  std::string publisherID;
  std::string bookID;
};

// Reads the first 6,400 bytes of dir + "/book.dat" and finds "Title",
// "PublisherID" and "BookID" in them; each value runs from 6, 12 and 7
// characters after its key to the next "}". False unless all three are
// found (or the file cannot be read).
bool ReadBookHeader(const std::string& dir, CBookHeader& header);
// The same on bytes already read (at most the first 6,400 are used).
bool ParseBookHeader(const std::string& bytes, CBookHeader& header);
// ParseBookHeader, and failing that the words in any letter case with the
// identifiers the header lacks taken from book.dat's version record (bytes
// 2-3 publisher, 4-5 book): how the project's book compiler wrote a book
// before it wrote the published words. ReadBookHeader uses this one.
bool ParseBookHeaderLeniently(const std::string& bytes, CBookHeader& header);

class CBookScanner {
 public:
  // Called for every folder entered, with the number entered so far; false
  // cancels the scan.
  using Progress = std::function<bool(const std::string& folder, int foldersVisited)>;

  // Folders never descended into (besides every hidden one): "proc", "sys",
  // "dev", "run", "tmp", "lost+found", ".git", "node_modules".
  static std::vector<std::string> DefaultExclusions();
  // Bible data-file names: "KJS.DAT", "NIV.DAT", "RVR.DAT", "WEB.DAT".
  static std::vector<std::string> DefaultBibleFileNames();

  // Folders deeper than this below the root are not entered.
  static constexpr int kMaxDepth = 64;

  explicit CBookScanner(std::string rootPath = {});

  void SetExclusions(std::vector<std::string> names) { m_exclusions = std::move(names); }
  void SetBibleFileNames(std::vector<std::string> names) { m_bibleFileNames = std::move(names); }
  const std::string& GetRootPath() const { return m_rootPath; }
  CBookNode* GetRoot() { return m_root.get(); }
  const CBookNode* GetRoot() const { return m_root.get(); }

  // Builds the tree under root; it may run on a worker thread, and the tree
  // is not to be read until it returns. showAll adds plain folders too; fullWalk
  // descends into plain folders (a scan for books needs it). The inactive
  // paths decide which found books start inactive. Symbolic links are not
  // followed. False when cancelled (by progress or by *cancel turning
  // true); the tree then holds what was found so far.
  bool Scan(const std::string& root, bool showAll, bool fullWalk, const std::vector<std::string>& inactivePaths,
            const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);
  // One folder of the tree: its children are replaced by a fresh listing.
  bool ScanDirectory(CBookNode& node, bool showAll, bool fullWalk, const std::vector<std::string>& inactivePaths,
                     const Progress& progress = {}, const std::atomic<bool>* cancel = nullptr);

  // Every node of kind 5 or 6, depth first in child order.
  std::vector<CBookNode*> GetBookNodes();

  // What WriteRegistry does around the writing: before, the workspace is
  // saved and the main frame told (its private message WM_USER + 11);
  // after, the registry has been reloaded and the workspace is restored.
  struct Hooks {
    std::function<void()> beforeWrite;
    std::function<void()> afterReload;
  };

  // Writes the books of the tree as data set 1: active ones first (STATUS
  // "ACTIVE", BOOKCOUNT of them), then inactive ones, then TOTALBOOKCOUNT;
  // reloads the registry and clears its inactive cache. A book folder
  // without viewable.idx shows "Note:  Directory %s contains book.dat but
  // not other solt files" and is left out; one whose header cannot be read
  // takes its names from the book registered under the same path, or is left
  // out. Besides PATH, each section gets DEFPATH (for a Bible data file the
  // folder + "/" + code), so the books written load at the next start.
  // Returns the number of book sections written.
  int WriteRegistry(CDataSetRegistry& registry, const Hooks& hooks = {});

 private:
  bool Walk(CBookNode& node, int depth, bool showAll, bool fullWalk, const std::vector<std::string>& inactivePaths,
            const Progress& progress, const std::atomic<bool>* cancel);

  std::string m_rootPath;
  std::unique_ptr<CBookNode> m_root;
  std::vector<std::string> m_exclusions;
  std::vector<std::string> m_bibleFileNames;
  int m_visited = 0;
};

}  // namespace klmw
