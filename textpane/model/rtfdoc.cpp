#include "textpane/model/rtfdoc.h"

#include <algorithm>

#include "textpane/model/paragraph.h"
#include "textpane/rtf/instream.h"
#include "textpane/rtf/outstream.h"
#include "textpane/rtf/rtfreader.h"
#include "textpane/rtf/rtfwriter.h"

namespace textpane {

CRtfDoc::CRtfDoc() { DeleteContents(); }

CRtfDoc::~CRtfDoc() { m_root = nullptr; }

void CRtfDoc::DeleteContents() {
  DropPositions();
  m_levels.Clear();
  m_format = DocFormat{};
  m_fonts = FontTable{};
  m_colors = ColorTable{};
  auto root = MakeRef<RootNode>();
  auto section = MakeRef<SectionNode>();
  section->AppendChild(
      MakeRef<Paragraph>(m_paraFormats.Intern(ParaFormat{}), m_charFormats.Intern(CharFormat{})));
  root->AppendChild(std::move(section));
  m_root = std::move(root);
  for (platform::CView* v : Views()) {
    if (auto* tree = dynamic_cast<RtfTreeView*>(v)) tree->SetTree(m_root.get());
  }
}

namespace {

DWORD ReadCallback(DWORD_PTR cookie, char* buffer, long size, long* read) {
  auto* ar = reinterpret_cast<platform::CArchive*>(cookie);
  *read = size > 0 ? static_cast<long>(ar->Read(buffer, static_cast<unsigned>(size))) : 0;
  return 0;
}

DWORD WriteCallback(DWORD_PTR cookie, char* buffer, long size, long* written) {
  auto* ar = reinterpret_cast<platform::CArchive*>(cookie);
  if (size > 0) ar->Write(buffer, static_cast<unsigned>(size));
  *written = size;
  return 0;
}

}  // namespace

void CRtfDoc::Serialize(platform::CArchive& archive) {
  auto cookie = reinterpret_cast<DWORD_PTR>(&archive);
  if (archive.IsLoading()) {
    SetText(ReadCallback, cookie, FORMAT_RTF);
  } else {
    GetText(WriteCallback, cookie, FORMAT_RTF);
  }
}

bool CRtfDoc::OnOpenDocument(const std::string& path) {
  m_openingPath = path;
  bool ok = platform::CDocument::OnOpenDocument(path);
  m_openingPath.clear();
  return ok;
}

void CRtfDoc::SetText(RtfCallback callback, DWORD_PTR cookie, FORMAT format) {
  CallbackInStream in(callback, cookie);
  SetText(in, format);
}

void CRtfDoc::SetText(const char* data, size_t length, FORMAT format) {
  MemoryInStream in(data, length);
  SetText(in, format);
}

void CRtfDoc::SetText(InStream& in, FORMAT format) {
  DeleteContents();
  {
    platform::BusyCursor busy;
    RtfReader reader(*this);
    reader.SetFormat(format);
    reader.Read(in);
  }
  UpdateAllViews(nullptr, 0, nullptr);
}

void CRtfDoc::GetText(RtfCallback callback, DWORD_PTR cookie, FORMAT format) const {
  OutStream out(callback, cookie, format);
  WriteDocument(*this, out, format);
}

std::string CRtfDoc::GetText(FORMAT format) const {
  std::string text;
  {
    OutStream out(text, format);
    WriteDocument(*this, out, format);
  }
  return text;
}

const std::vector<CRtfDoc::ParagraphSlot>& CRtfDoc::Positions() const {
  if (m_positionsValid) return m_positions;
  m_positions.clear();
  TextPos start = 0;
  for (Paragraph* p = FirstParagraph(); p; p = NextLeaf(p)) {
    p->m_indexSlot = static_cast<uint32_t>(m_positions.size());
    m_positions.push_back({p, start});
    start += static_cast<TextPos>(p->Length());
  }
  m_positions.push_back({nullptr, start});
  m_positionsValid = m_builders == 0;
  return m_positions;
}

TextPos CRtfDoc::Length() const { return Positions().back().start; }

size_t CRtfDoc::ParagraphCount() const { return Positions().size() - 1; }

Paragraph* CRtfDoc::ParagraphAt(size_t index) const {
  const auto& slots = Positions();
  return index < slots.size() - 1 ? slots[index].paragraph : nullptr;
}

size_t CRtfDoc::ParagraphIndexOf(const Paragraph* p) const {
  const auto& slots = Positions();
  if (!p || p->m_indexSlot >= slots.size() - 1 || slots[p->m_indexSlot].paragraph != p) return kNoParagraph;
  return p->m_indexSlot;
}

TextPos CRtfDoc::ParagraphStart(const Paragraph* p) const {
  if (!p) return 0;
  const size_t i = ParagraphIndexOf(p);
  const auto& slots = Positions();
  return i == kNoParagraph ? slots.back().start : slots[i].start;
}

TextPos CRtfDoc::PositionOf(TextPoint at) const {
  return at.paragraph ? ParagraphStart(at.paragraph) + static_cast<TextPos>(at.offset) : 0;
}

TextPoint CRtfDoc::PointAt(TextPos pos) const {
  const auto& slots = Positions();
  if (slots.size() == 1) return {nullptr, 0};
  if (pos <= 0) return {slots.front().paragraph, 0};
  if (pos >= slots.back().start) {
    Paragraph* last = slots[slots.size() - 2].paragraph;
    return {last, last->Length() - 1};
  }
  // The last paragraph that starts at or before pos.
  auto it = std::upper_bound(slots.begin(), slots.end() - 1, pos,
                             [](TextPos v, const ParagraphSlot& s) { return v < s.start; });
  --it;
  return {it->paragraph, static_cast<size_t>(pos - it->start)};
}

void CRtfDoc::ChangeCharFormats(TextPos begin, TextPos end, const std::function<void(CharFormat&)>& edit) {
  if (begin >= end) return;
  auto change = [&](const CharFormatRef& old) {
    CharFormat f = *old;
    edit(f);
    return f == *old ? old : m_charFormats.Intern(f);
  };
  TextPoint at = PointAt(begin);
  TextPos left = end - begin;
  for (Paragraph* p = at.paragraph; p && left > 0; p = NextLeaf(p)) {
    const size_t from = p == at.paragraph ? at.offset : 0;
    const size_t to = std::min<size_t>(p->Length(), from + static_cast<size_t>(left));
    p->ChangeFormats(from, to, change);
    left -= static_cast<TextPos>(to - from);
  }
}

TextPos CRtfDoc::LevelPosition(int32_t n) const { return PositionOf(m_levels.At(n)); }

}  // namespace textpane
