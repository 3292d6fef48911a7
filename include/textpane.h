// textpane: the rich-text engine.
//
// A CRtfDoc holds a document as a tree (sections, tables, rows, cells,
// paragraphs) whose paragraphs are byte strings in Windows-1252 with runs of
// shared character formats. It is read from RTF or plain text through a
// callback that delivers the bytes in pieces (or from memory), and written
// back as RTF or plain text through a callback that takes them:
//
//   textpane::CRtfDoc doc;
//   doc.SetText(rtf.data(), rtf.size(), textpane::FORMAT_RTF);
//   std::string words = doc.GetText(textpane::FORMAT_TEXT);
//
// Reading never fails: what cannot be understood is skipped. Besides RTF 1.x
// the reader knows the book format's own words: links (\soltlink,
// \soltlinkto), concordance spans (\soltconcordanceon, \soltconcordanceoff)
// and levels (\soltstartlevel), which LevelPosition turns into positions.
#pragma once

#include "textpane/model/charformat.h"
#include "textpane/model/documentbuilder.h"
#include "textpane/model/levels.h"
#include "textpane/model/linktarget.h"
#include "textpane/model/node.h"
#include "textpane/model/paraformat.h"
#include "textpane/model/paragraph.h"
#include "textpane/model/picture.h"
#include "textpane/model/rtfdoc.h"
#include "textpane/model/tableformat.h"
#include "textpane/rtf/rtfformat.h"
