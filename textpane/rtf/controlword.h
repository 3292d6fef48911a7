// The control words the reader knows, as constant sorted tables. Each table
// belongs to one property group, which owns the record the table's targets
// lie in; one routine recognises, parses and stores every word, and only the
// words with an action run code of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace textpane {

enum class WordKind : uint8_t { Flag, Destination, Symbol, Toggle, Value, LongValue };

// Bytes a word of the kind writes into its target.
constexpr size_t TargetWidth(WordKind k) {
  switch (k) {
    case WordKind::Flag:
    case WordKind::Toggle: return 1;
    case WordKind::LongValue: return 4;
    default: return 2;
  }
}

enum class WordAction : uint8_t {
  None,
  SkipDestination,
  FontTable,
  ColorTable,
  DefaultFont,
  InsertSymbol,
  HexByte,
  StartLevel,
  Picture,
  RowDefinition,
  EndCell,
  EndRow,
  StartSection,
  Plain,
  Times10,
  Times5,
  FinishLink,
  ConcordanceOn,
  ConcordanceOff,
  ParagraphDefault,
  TabStop,
  BarTab,
  SelectBorder,
  SectionDefault,
  SelectRowBorder,
  SelectCellBorder,
  CellBoundary,
  PictureType,
  BinaryData,
};

inline constexpr int16_t kNoTarget = -1;

struct ControlWord {
  std::string_view name;  // lower case without the backslash, or one symbol
  WordKind kind;
  int16_t target;  // byte offset in the owning group's record, or kNoTarget
  uint8_t targetSize;  // size of the field there, so the tables can be checked
  int32_t value;  // stored when the word is seen; the parameter's default
  WordAction action;
};

enum class RtfTable : uint8_t {
  Root, FontTable, FontEntry, FileTable, ColorTable, ColorEntry, Stylesheet, RevisionTable, Info, Special,
  Character, Border, Paragraph, Section, Document, Row, Shading, CellShading, Cell, Picture,
  Count
};

std::span<const ControlWord> ControlWords(RtfTable table);

// Binary search by bytes; null when the word is not in the table.
const ControlWord* FindControlWord(std::span<const ControlWord> table, std::string_view name);

}  // namespace textpane
