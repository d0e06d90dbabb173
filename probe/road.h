#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probe/page_source.h"
#include "probe/site_profiles.h"
#include "text/text.h"

namespace qingwu::probe {

// One pattern run over one page with the reader's flags (case ignored, multiline off, global).
struct PatternRun {
    std::string_view field;  // the profile field the pattern comes from; empty for a loose one
    Text pattern;
    bool compiles = false;
    std::string error;               // why it does not compile (UTF-8)
    int errorOffset = -1;            // where, in characters from 0
    int declaredGroups = -1;         // capture groups of the pattern; -1 when it does not compile
    int groupCount = 0;              // SubMatchCount after Execute: 0 when nothing matched
    std::vector<Text> wholeMatches;  // match m + 1 at [m]
    std::vector<std::vector<Text>> groupTexts;  // groups 1..groupCount of match m + 1 at [m]

    int MatchCount() const { return static_cast<int>(wholeMatches.size()); }
    // Group g (from 1) of match m (from 1), as SubMatchText gives it.
    const Text& Group(int m, int g) const;
};

// Runs a pattern over a page exactly as the reader's parse steps do.
PatternRun RunPattern(std::string_view field, const Text& pattern, const Text& page);

// The texts before and after some part of a chapter page, and the part TextBetween cuts.
struct MarkerCut {
    std::string_view startField;
    std::string_view endField;
    Text startMarker;
    Text endMarker;
    int startAt = -1;  // where the start marker was found (from 1), -1 when not
    int endAt = -1;    // where the end marker was found after it, -1 when not
    Text text;         // TextBetween(page, startMarker, endMarker)
};

// A search result row as the reader lists it, with the id and prefix it would open it with.
struct SearchRow {
    Text title;  // column 0: the title match, or the row number when there is none
    bool titleMatched = false;
    Text author;  // column 1
    std::optional<Text> id;
    std::optional<Text> prefix;
};

// The reader's book search on one website.
struct SearchProbe {
    Text siteName;
    Text title;
    PageRequest request;
    FetchedPage answer;
    bool requested = false;  // false when the reader would refuse the title
    // The four passes in the reader's order: authors, book ids, id prefixes, titles.
    std::array<PatternRun, 4> passes;
    std::vector<SearchRow> rows;
    std::vector<std::string> warnings;
    bool readerShowsResults = false;  // the reader judges success on the book ids alone
    std::string failure;              // empty when the search succeeded

    bool Succeeded() const { return failure.empty(); }
};

// Posts the title (GBK) as the reader does and runs the four passes over the answer. It succeeds
// when the reader would show results and its first row can be opened (it has an id and a
// prefix).
SearchProbe ProbeSearch(const SiteProfile& profile, const Text& title, PageSource& pages);

// One row of the chapter list.
struct Chapter {
    Text number;  // group 1: completes the chapter's address
    Text name;    // group 2: shown in the list
};

// The reader's chapter-list step for one book.
struct ChapterListProbe {
    Text bookId;
    Text idPrefix;
    Text listAddress;  // 网址章节列表页 filled
    Text pageAddress;  // 网址章节内容页 filled
    PageRequest request;
    FetchedPage answer;
    PatternRun pass;
    std::vector<Chapter> chapters;
    std::vector<std::string> warnings;
    std::string failure;

    bool Succeeded() const { return failure.empty(); }
};

// Fills the two address templates, fetches the chapter list and parses it as the reader does.
// It succeeds when the list has at least one chapter.
ChapterListProbe ProbeChapterList(const SiteProfile& profile, const Text& bookId,
                                  const Text& idPrefix, PageSource& pages);

// The reader's chapter step for one row of the chapter list.
struct ChapterProbe {
    int row = 0;
    Chapter chapter;
    Text address;            // the filled chapter page template followed by the chapter's number
    bool requested = false;  // false when the row is not in the list
    PageRequest request;
    FetchedPage answer;
    MarkerCut title;
    MarkerCut content;
    std::vector<std::string> warnings;
    std::string failure;

    bool Succeeded() const { return failure.empty(); }
};

// Fetches the chapter at a row of a parsed chapter list and cuts title and content as the reader
// does. It succeeds when the content cut is not empty.
ChapterProbe ProbeChapter(const SiteProfile& profile, const ChapterListProbe& list, int row,
                          PageSource& pages);

// The whole road: search, first result, chapter list, first chapter. Each step runs only when
// the one before it succeeded.
struct RoadProbe {
    SearchProbe search;
    std::optional<ChapterListProbe> chapterList;
    std::optional<ChapterProbe> firstChapter;

    bool Succeeded() const {
        return search.Succeeded() && chapterList && chapterList->Succeeded() && firstChapter &&
               firstChapter->Succeeded();
    }
};

RoadProbe ProbeRoad(const SiteProfile& profile, const Text& title, PageSource& pages);

// A cut of a page between two markers with the positions where each was found.
MarkerCut CutBetween(const Text& page, std::string_view startField, const Text& startMarker,
                     std::string_view endField, const Text& endMarker);

// Warnings about a cut (marker missing, empty end marker), named by the marker fields.
void WarnAboutCut(const MarkerCut& cut, const std::string& what, std::vector<std::string>* out);

}  // namespace qingwu::probe
