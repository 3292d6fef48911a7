#include "textpane/model/paragraph.h"

#include <algorithm>
#include <cassert>

namespace textpane {

namespace {
constexpr size_t kMaxRun = UINT16_MAX;
}

Paragraph::Paragraph(ParaFormatRef format, CharFormatRef markFormat)
    : Node(NodeKind::Paragraph), m_text(1, static_cast<char>(kCharParagraphMark)), m_format(std::move(format)) {
  m_runs.push_back(Run{std::move(markFormat), 1});
}

Paragraph::~Paragraph() = default;

const CharFormatRef& Paragraph::FormatAt(size_t offset) const {
  assert(offset < m_text.size());
  size_t start = 0;
  for (const Run& r : m_runs) {
    if (offset < start + r.length) return r.format;
    start += r.length;
  }
  return m_runs.back().format;
}

void Paragraph::SetMarkFormat(const CharFormatRef& format) {
  ChangeFormats(m_text.size() - 1, m_text.size(), [&](const CharFormatRef&) { return format; });
}

void Paragraph::Insert(size_t offset, std::string_view bytes, const CharFormatRef& format) {
  assert(offset < m_text.size());
  if (bytes.empty()) return;
  const size_t n = bytes.size();
  // Text is nearly always added just before the mark, so look from the back.
  size_t i = m_runs.size() - 1;
  size_t start = m_text.size() - m_runs[i].length;
  while (start > offset) {
    --i;
    start -= m_runs[i].length;
  }
  m_text.insert(offset, bytes);

  if (offset == start && i > 0 && m_runs[i - 1].format == format && m_runs[i - 1].length + n <= kMaxRun) {
    m_runs[i - 1].length = static_cast<uint16_t>(m_runs[i - 1].length + n);
    return;
  }
  if (m_runs[i].format == format && m_runs[i].length + n <= kMaxRun) {
    m_runs[i].length = static_cast<uint16_t>(m_runs[i].length + n);
    return;
  }
  if (offset > start) {
    // Split run i around the insertion point.
    const uint16_t head = static_cast<uint16_t>(offset - start);
    m_runs.insert(m_runs.begin() + static_cast<ptrdiff_t>(i) + 1,
                  Run{m_runs[i].format, static_cast<uint16_t>(m_runs[i].length - head)});
    m_runs[i].length = head;
    ++i;
  }
  std::vector<Run> added;
  for (size_t left = n; left > 0;) {
    const size_t len = std::min(left, kMaxRun);
    added.push_back(Run{format, static_cast<uint16_t>(len)});
    left -= len;
  }
  m_runs.insert(m_runs.begin() + static_cast<ptrdiff_t>(i), std::make_move_iterator(added.begin()),
                std::make_move_iterator(added.end()));
}

size_t Paragraph::SplitAt(size_t offset) {
  size_t start = 0;
  for (size_t i = 0; i < m_runs.size(); ++i) {
    if (offset == start) return i;
    if (offset < start + m_runs[i].length) {
      const uint16_t head = static_cast<uint16_t>(offset - start);
      m_runs.insert(m_runs.begin() + static_cast<ptrdiff_t>(i) + 1,
                    Run{m_runs[i].format, static_cast<uint16_t>(m_runs[i].length - head)});
      m_runs[i].length = head;
      return i + 1;
    }
    start += m_runs[i].length;
  }
  return m_runs.size();
}

void Paragraph::Merge(size_t first, size_t last) {
  // Merges equal neighbours among runs [first, last], last inclusive.
  last = std::min(last, m_runs.size() - 1);
  for (size_t i = last; i > first; --i) {
    Run& a = m_runs[i - 1];
    Run& b = m_runs[i];
    if (a.format == b.format && size_t{a.length} + b.length <= kMaxRun) {
      a.length = static_cast<uint16_t>(a.length + b.length);
      m_runs.erase(m_runs.begin() + static_cast<ptrdiff_t>(i));
    }
  }
}

void Paragraph::ChangeFormats(size_t begin, size_t end,
                              const std::function<CharFormatRef(const CharFormatRef&)>& change) {
  end = std::min(end, m_text.size());
  if (begin >= end) return;
  const size_t first = SplitAt(begin);
  const size_t last = SplitAt(end);  // splitting at end never moves runs before it
  for (size_t i = first; i < last; ++i) m_runs[i].format = change(m_runs[i].format);
  Merge(first > 0 ? first - 1 : 0, last);
}

}  // namespace textpane
