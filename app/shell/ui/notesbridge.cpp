#include "app/shell/ui/notesbridge.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cstring>
#include <map>

#include "app/shell/ui/qtext.h"
#include "textpane/model/documentbuilder.h"
#include "textpane/model/rtfdoc.h"

namespace klmw {

namespace {

Qt::Alignment ToQt(uint8_t alignment) {
  switch (alignment) {
    case textpane::kAlignRight: return Qt::AlignRight;
    case textpane::kAlignCentre: return Qt::AlignHCenter;
    case textpane::kAlignJustify: return Qt::AlignJustify;
    default: return Qt::AlignLeft;
  }
}

uint8_t FromQt(Qt::Alignment alignment) {
  if (alignment & Qt::AlignRight) return textpane::kAlignRight;
  if (alignment & Qt::AlignHCenter) return textpane::kAlignCentre;
  if (alignment & Qt::AlignJustify) return textpane::kAlignJustify;
  return textpane::kAlignLeft;
}

QTextCharFormat ToQt(const textpane::CharFormat& f, const textpane::CRtfDoc& model) {
  QTextCharFormat q;
  q.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
  q.setFontItalic(f.italic != 0);
  q.setFontUnderline(f.underline != 0);
  q.setFontStrikeOut(f.strike != 0);
  if (f.size > 0) q.setFontPointSize(f.size / 20.0);
  if (const textpane::FontEntry* font = model.Fonts().Find(f.font); font && font->faceName[0])
    q.setFontFamilies({QString::fromLatin1(font->faceName)});
  if (const std::optional<uint32_t> rgb = model.Colors().Lookup(f.foreground))
    q.setForeground(QColor(static_cast<int>(*rgb & 0xFF), static_cast<int>(*rgb >> 8 & 0xFF),
                           static_cast<int>(*rgb >> 16 & 0xFF)));
  return q;
}

}  // namespace

void RtfToDocument(const std::string& rtf, QTextDocument& doc) {
  doc.clear();
  textpane::CRtfDoc model;
  model.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
  QTextCursor cursor(&doc);
  bool first = true;
  for (textpane::Paragraph* p = model.FirstParagraph(); p; p = textpane::NextLeaf(p)) {
    QTextBlockFormat block;
    block.setAlignment(ToQt(p->Format()->alignment));
    if (first) {
      cursor.setBlockFormat(block);
    } else {
      cursor.insertBlock(block);
    }
    first = false;
    const std::string& text = p->Text();
    const size_t end = text.empty() ? 0 : text.size() - 1;  // the paragraph mark stays out
    size_t at = 0;
    for (const textpane::Run& run : p->Runs()) {
      const size_t to = std::min(at + run.length, end);
      if (to > at) {
        const QTextCharFormat format = ToQt(*run.format, model);
        if (at == 0) cursor.setBlockCharFormat(format);
        cursor.insertText(FromLatin1252(text.substr(at, to - at)), format);
      }
      at += run.length;
    }
  }
}

std::string DocumentToRtf(const QTextDocument& doc) {
  textpane::CRtfDoc model;
  std::map<QString, int32_t> fonts;
  // Colour 0 is the automatic one; the others are added as met.
  model.Colors().Add({true, 0});
  std::map<uint32_t, uint16_t> colours;
  {
    textpane::DocumentBuilder builder(model);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
      textpane::ParaFormat& para = builder.CurrentParaFormat();
      para = textpane::ParaFormat{};
      para.alignment = FromQt(block.blockFormat().alignment());
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid()) continue;
        const QTextCharFormat q = fragment.charFormat();
        textpane::CharFormat& f = builder.CurrentCharFormat();
        f = textpane::CharFormat{};
        f.bold = q.fontWeight() >= QFont::DemiBold;
        f.italic = q.fontItalic();
        f.underline = q.fontUnderline();
        f.strike = q.fontStrikeOut();
        const qreal points = q.fontPointSize() > 0 ? q.fontPointSize() : doc.defaultFont().pointSizeF();
        if (points > 0) f.size = static_cast<uint16_t>(std::lround(points * 20));
        const QStringList families = q.fontFamilies().toStringList();
        const QString face = families.isEmpty() ? doc.defaultFont().family() : families.front();
        auto [font, added] = fonts.emplace(face, static_cast<int32_t>(fonts.size()));
        if (added) {
          textpane::FontEntry entry;
          const std::string name = ToLatin1252(face).substr(0, sizeof entry.faceName - 1);
          std::memcpy(entry.faceName, name.data(), name.size());
          model.Fonts().Set(font->second, entry);
        }
        f.font = static_cast<uint16_t>(font->second);
        if (q.hasProperty(QTextFormat::ForegroundBrush) && q.foreground().style() != Qt::NoBrush) {
          const QColor c = q.foreground().color();
          const uint32_t rgb = static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
                               static_cast<uint32_t>(c.blue()) << 16;
          auto [colour, fresh] = colours.emplace(rgb, static_cast<uint16_t>(model.Colors().Size()));
          if (fresh) model.Colors().Add({false, rgb});
          f.foreground = colour->second;
        }
        builder.InsertText(ToLatin1252(fragment.text()));
      }
      if (block.next().isValid()) builder.InsertChar(13);
    }
    builder.Finish();
  }
  return model.GetText(textpane::FORMAT_RTF);
}

}  // namespace klmw
