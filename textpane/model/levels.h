// Where each numbered level of a book starts. Level numbers arrive in reading
// order (0, 1, 2, ...); a number out of that order is not recorded, so each
// level can be found by index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace textpane {

class Node;
class Paragraph;

struct TextPoint {
  Paragraph* paragraph = nullptr;
  size_t offset = 0;
  bool operator==(const TextPoint&) const = default;
};

class LevelTable {
 public:
  // Records `at` as level n when n is the next level number.
  bool Record(int32_t n, TextPoint at);
  size_t Count() const { return m_levels.size(); }
  size_t Capacity() const { return m_levels.capacity(); }
  // The start of level n; a default TextPoint when there is none (the start
  // of the document) or when its paragraph has been taken out (see Detach).
  TextPoint At(int32_t n) const;
  void Clear();

  // Levels inside a subtree about to leave the document lose their place
  // (only the most recent ones are looked at: removals happen at the end);
  // the indices are returned so that the caller can Bind them again.
  std::vector<size_t> Detach(const Node* removed);
  void Bind(const std::vector<size_t>& levels, TextPoint at);

 private:
  std::vector<TextPoint> m_levels;
};

}  // namespace textpane
