#pragma once

#include "reading/reader_context.h"

namespace qingwu {

// Fetches chapter N, cuts its title and text between the open book's markers, writes the page
// file (run directory + "/data/1.html") in the chosen colour and size, shows it, records
// ChapterTitle and ChapterIndex and updates the bookmark. An older show overtaken by a newer one
// stops without writing anything.
void ShowChapter(ReaderContext& ctx, int n);

// The page text of a chapter: title and content inside one heading whose level sets the size.
Text BuildChapterPage(const Text& colour, const Text& headingLevel, const Text& title,
                      const Text& content);

// Colour value and heading level for the selectors' indexes (-1: nothing selected).
Text ColourValue(int colourIndex);
Text HeadingLevel(int sizeIndex);

// Step to the next / previous row of the chapter list from the chapter shown.
void NextChapter(ReaderContext& ctx);
void PreviousChapter(ReaderContext& ctx);

// Row activation in the chapter list: shows the selected row; nothing without one.
void ShowSelectedChapter(ReaderContext& ctx);

// Stores both selectors' indexes as the one row of 设置 and shows the current chapter again
// when the chapter list has a selected row.
void SaveReaderSettings(ReaderContext& ctx);

}  // namespace qingwu
