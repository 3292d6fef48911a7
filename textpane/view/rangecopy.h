// A piece of a document as a document of its own: what the clipboard gets
// when the user copies a selection, written out by the ordinary writers.
#pragma once

#include "textpane/model/levels.h"

namespace textpane {

class CRtfDoc;
class Picture;

// Fills `to` (emptied first) with the text of `from` between two points, in
// either order, with its character and paragraph formats, links, pictures
// and the font and colour tables. A table row the range touches comes
// whole, so that the copy keeps its columns, unless the range lies inside
// one cell. Levels and search marks belong to the book on show and are
// left behind.
void CopyRange(const CRtfDoc& from, TextPoint a, TextPoint b, CRtfDoc& to);

// The first picture between two points (either order), or null.
const Picture* FirstPictureInRange(const CRtfDoc& doc, TextPoint a, TextPoint b);

// Document order of two points of one document.
bool PointBefore(const CRtfDoc& doc, TextPoint a, TextPoint b);

}  // namespace textpane
