#pragma once

class QTextDocument;

namespace qingwu {

// Makes every picture of the document's pages inert: drawn as an empty box of the size the page
// gives it (16 x 16 without one), never loaded. Qt's own picture handler reads a picture named
// by an absolute path straight from the disk, past the document's loadResource, so a chapter page
// could otherwise show any local image file. The handler belongs to the document's layout and
// lives as long as the document.
void MakeImagesInert(QTextDocument& document);

}  // namespace qingwu
