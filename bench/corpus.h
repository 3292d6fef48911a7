// The benchmarks' corpus of realistic book text: English prose (the King
// James Bible from Debian's bible-kjv, or the licence texts every Debian
// system carries) laid out in RTF as an edition and a commentary would be,
// cut into areas the size of a commentary chapter. Built once and cached.
#pragma once

#include <string>
#include <vector>

namespace benchcorpus {

struct sCorpus {
  std::string source;  // where the prose came from
  std::string header;  // the book's header area: the RTF prologue
  std::vector<std::string> areas;
  size_t Total() const {
    size_t n = 0;
    for (const auto& a : areas) n += a.size();
    return n;
  }
};

sCorpus LoadCorpus();

}  // namespace benchcorpus
