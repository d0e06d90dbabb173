#include "probe/road.h"

#include <string>
#include <unordered_map>

#include "probe/display.h"
#include "reading/book_opening.h"
#include "store/tables.h"
#include "web/regex_check.h"
#include "web/regex_matcher.h"
#include "web/text_between.h"

namespace qingwu::probe {
namespace {

constexpr const char* kSearchBodyPrefix = "searchclass=1&searchkey=";

void WarnAboutAnswer(const FetchedPage& page, const std::string& what,
                     std::vector<std::string>* out) {
    if (page.status == 0) {
        return;  // the step fails with the reason; nothing more to say about the page
    }
    if (page.status >= 400) {
        out->push_back(what + ": the server answered with status " + std::to_string(page.status) +
                       "; the reader parses such an error page like any other page");
    }
    if (page.body.empty()) {
        out->push_back(what + ": the answer has no body");
    }
}

// Warnings about one pattern run: does not compile, too few groups, finds nothing on a page
// that has something.
void WarnAboutPass(const PatternRun& run, const Text& page, int groupsUsed,
                   std::vector<std::string>* out) {
    const std::string field = std::string(run.field);
    if (!run.compiles) {
        out->push_back(field + " does not compile (at character " +
                       std::to_string(run.errorOffset) + ": " + run.error + ")");
        return;
    }
    if (run.declaredGroups < groupsUsed) {
        out->push_back(field + " has " + std::to_string(run.declaredGroups) +
                       " capture group(s); the reader uses group" +
                       (groupsUsed > 1 ? "s 1 to " + std::to_string(groupsUsed) : " 1") +
                       ", a missing group gives the empty text");
    }
    if (run.MatchCount() == 0 && !page.empty()) {
        out->push_back(field + " finds nothing on the page");
    }
}

// Compares the number of matches of a pass with the number of result rows.
void WarnAboutCount(const PatternRun& run, int rows, const std::string& what,
                    const std::string& whenShort, std::vector<std::string>* out) {
    const int n = run.MatchCount();
    if (n == rows || (n == 0 && !run.compiles)) {
        return;
    }
    std::string message = std::string(run.field) + " found " + std::to_string(n) + " " + what +
                          " for " + std::to_string(rows) + " row(s): ";
    if (n > rows) {
        message += what + " " + std::to_string(rows + 1) + " to " + std::to_string(n) +
                   " belong to no row";
    } else {
        message +=
            "rows " + std::to_string(n) + " to " + std::to_string(rows - 1) + " " + whenShort;
    }
    out->push_back(message);
}

}  // namespace

const Text& PatternRun::Group(int m, int g) const {
    static const Text kNone;
    if (m < 1 || m > MatchCount() || g < 1 || g > static_cast<int>(groupTexts[m - 1].size())) {
        return kNone;
    }
    return groupTexts[m - 1][g - 1];
}

PatternRun RunPattern(std::string_view field, const Text& pattern, const Text& page) {
    PatternRun run;
    run.field = field;
    run.pattern = pattern;
    run.compiles = CheckPattern(pattern, &run.error, &run.errorOffset);
    run.declaredGroups = run.compiles ? CaptureGroupCount(pattern) : -1;
    RegexMatcher matcher;
    if (!matcher.Create(pattern, true, false, true)) {
        return run;
    }
    const int count = matcher.Execute(page);
    if (count <= 0) {
        return run;
    }
    run.groupCount = matcher.SubMatchCount();
    run.wholeMatches.reserve(count);
    run.groupTexts.reserve(count);
    for (int m = 1; m <= count; ++m) {
        run.wholeMatches.push_back(matcher.MatchText(m));
        std::vector<Text> groups;
        groups.reserve(run.groupCount);
        for (int g = 1; g <= run.groupCount; ++g) {
            groups.push_back(matcher.SubMatchText(m, g));
        }
        run.groupTexts.push_back(std::move(groups));
    }
    return run;
}

MarkerCut CutBetween(const Text& page, std::string_view startField, const Text& startMarker,
                     std::string_view endField, const Text& endMarker) {
    MarkerCut cut;
    cut.startField = startField;
    cut.endField = endField;
    cut.startMarker = startMarker;
    cut.endMarker = endMarker;
    cut.startAt = Find(page, startMarker, 1);
    if (cut.startAt > 0 && !endMarker.empty()) {
        cut.endAt = Find(page, endMarker, cut.startAt + static_cast<int>(startMarker.size()));
    }
    cut.text = TextBetween(page, startMarker, endMarker);
    return cut;
}

void WarnAboutCut(const MarkerCut& cut, const std::string& what, std::vector<std::string>* out) {
    const std::string start = std::string(cut.startField);
    const std::string end = std::string(cut.endField);
    if (cut.endMarker.empty()) {
        out->push_back(end + " is empty: the " + what + " is always empty");
    }
    if (cut.startMarker.empty()) {
        out->push_back(start + " is empty: the " + what + " is cut from the start of the page");
    } else if (cut.startAt < 0) {
        out->push_back(start + " \"" + OneLine(cut.startMarker) + "\" is not on the page: no " +
                       what + " is cut");
    }
    if (cut.startAt > 0 && !cut.endMarker.empty() && cut.endAt < 0) {
        out->push_back(end + " \"" + OneLine(cut.endMarker) + "\" is not on the page after " +
                       start + ": no " + what + " is cut");
    }
}

SearchProbe ProbeSearch(const SiteProfile& profile, const Text& title, PageSource& pages) {
    SearchProbe probe;
    probe.siteName = profile.Name();
    probe.title = title;
    if (title.empty()) {
        probe.failure =
            "the title is empty: the reader refuses it (请输入书名！) and sends nothing";
        return probe;
    }
    probe.request.address = profile.Get(site_field::kSearchAddress);
    probe.request.post = true;
    probe.request.body = kSearchBodyPrefix + title;
    probe.requested = true;
    if (probe.request.address.empty()) {
        probe.warnings.push_back(std::string(site_field::kSearchAddress) + " is empty");
    }
    probe.answer = pages.Fetch(probe.request);
    WarnAboutAnswer(probe.answer, "search", &probe.warnings);

    static constexpr std::array<std::string_view, 4> kPassFields = {
        site_field::kAuthorPattern, site_field::kBookIdPattern, site_field::kIdPrefixPattern,
        site_field::kTitlePattern};
    for (size_t p = 0; p < kPassFields.size(); ++p) {
        // The reader skips a pass whose pattern is empty: it finds nothing.
        const Text& pattern = profile.Get(kPassFields[p]);
        if (pattern.empty()) {
            probe.passes[p].field = kPassFields[p];
            probe.passes[p].compiles = true;
            probe.passes[p].declaredGroups = 0;
            probe.warnings.push_back(std::string(kPassFields[p]) +
                                     " is empty: the reader skips its pass");
            continue;
        }
        probe.passes[p] = RunPattern(kPassFields[p], pattern, probe.answer.body);
        WarnAboutPass(probe.passes[p], probe.answer.body, 1, &probe.warnings);
    }
    const PatternRun& authors = probe.passes[0];
    const PatternRun& ids = probe.passes[1];
    const PatternRun& prefixes = probe.passes[2];
    const PatternRun& titles = probe.passes[3];

    const int rows = authors.MatchCount();
    probe.rows.reserve(rows);
    for (int i = 1; i <= rows; ++i) {
        SearchRow row;
        row.author = authors.Group(i, 1);
        row.titleMatched = i <= titles.MatchCount();
        row.title = row.titleMatched ? titles.Group(i, 1) : std::to_string(i);
        if (i <= ids.MatchCount()) {
            row.id = ids.Group(i, 1);
        }
        if (i <= prefixes.MatchCount()) {
            row.prefix = prefixes.Group(i, 1);
        }
        probe.rows.push_back(std::move(row));
    }
    if (rows > 0) {
        WarnAboutCount(titles, rows, "titles", "keep their number as title", &probe.warnings);
        WarnAboutCount(ids, rows, "book ids", "have no book id: the reader cannot open them",
                       &probe.warnings);
        WarnAboutCount(prefixes, rows, "id prefixes",
                       "have no id prefix: the reader cannot open them", &probe.warnings);
    }

    probe.readerShowsResults = ids.MatchCount() > 0;
    if (probe.answer.status == 0) {
        probe.failure = "no answer from the search page: " + probe.answer.note;
    } else if (!probe.readerShowsResults) {
        probe.failure = std::string(site_field::kBookIdPattern) +
                        " found no book id: the reader reports "
                        "请检查输入的书名是否正确或该网站不存在此图书！";
    } else if (rows == 0) {
        probe.failure = std::string(site_field::kAuthorPattern) +
                        " found nothing: the reader shows an empty result list";
    } else if (!probe.rows[0].prefix) {
        probe.failure = std::string(site_field::kIdPrefixPattern) +
                        " found nothing: the reader cannot open the first result";
    }
    return probe;
}

ChapterListProbe ProbeChapterList(const SiteProfile& profile, const Text& bookId,
                                  const Text& idPrefix, PageSource& pages) {
    ChapterListProbe probe;
    probe.bookId = bookId;
    probe.idPrefix = idPrefix;
    const Text& listTemplate = profile.Get(site_field::kChapterListTemplate);
    const Text& pageTemplate = profile.Get(site_field::kChapterPageTemplate);
    probe.listAddress = FillAddressTemplate(listTemplate, bookId, idPrefix);
    probe.pageAddress = FillAddressTemplate(pageTemplate, bookId, idPrefix);
    if (listTemplate.empty()) {
        probe.warnings.push_back(std::string(site_field::kChapterListTemplate) + " is empty");
    }
    if (pageTemplate.empty()) {
        probe.warnings.push_back(std::string(site_field::kChapterPageTemplate) + " is empty");
    }
    probe.request.address = probe.listAddress;
    probe.answer = pages.Fetch(probe.request);
    WarnAboutAnswer(probe.answer, "chapter list", &probe.warnings);

    probe.pass = RunPattern(site_field::kChapterPattern, profile.Get(site_field::kChapterPattern),
                            probe.answer.body);
    WarnAboutPass(probe.pass, probe.answer.body, 2, &probe.warnings);
    if (probe.pass.groupCount >= 1) {
        const int count = probe.pass.MatchCount();
        probe.chapters.reserve(count);
        std::unordered_map<Text, int> firstRowOfNumber;
        int emptyNumbers = 0;
        int repeated = 0;
        std::string firstRepeat;
        for (int j = 1; j <= count; ++j) {
            Chapter chapter{probe.pass.Group(j, 1), probe.pass.Group(j, 2)};
            if (chapter.number.empty()) {
                ++emptyNumbers;
            } else if (const auto [at, fresh] = firstRowOfNumber.emplace(chapter.number, j - 1);
                       !fresh) {
                if (repeated++ == 0) {
                    firstRepeat = "rows " + std::to_string(at->second) + " and " +
                                  std::to_string(j - 1) + " share \"" + OneLine(chapter.number) +
                                  "\"";
                }
            }
            probe.chapters.push_back(std::move(chapter));
        }
        if (emptyNumbers > 0) {
            probe.warnings.push_back(std::to_string(emptyNumbers) +
                                     " chapter(s) have an empty number: their address is the "
                                     "chapter page address alone");
        }
        if (repeated > 0) {
            probe.warnings.push_back(std::to_string(repeated) +
                                     " chapter number(s) repeat an earlier one (" + firstRepeat +
                                     ")");
        }
    }

    if (probe.answer.status == 0) {
        probe.failure = "no answer from the chapter list page: " + probe.answer.note;
    } else if (!probe.pass.compiles) {
        probe.failure = std::string(site_field::kChapterPattern) + " does not compile";
    } else if (probe.pass.MatchCount() == 0) {
        probe.failure = std::string(site_field::kChapterPattern) + " finds no chapter on the page";
    } else if (probe.chapters.empty()) {
        probe.failure = std::string(site_field::kChapterPattern) +
                        " has no capture group: the reader lists no chapter";
    }
    return probe;
}

ChapterProbe ProbeChapter(const SiteProfile& profile, const ChapterListProbe& list, int row,
                          PageSource& pages) {
    ChapterProbe probe;
    probe.row = row;
    const int count = static_cast<int>(list.chapters.size());
    if (row < 0 || row >= count) {
        probe.failure = "the chapter list has " + std::to_string(count) + " row(s); row " +
                        std::to_string(row) + " is not one of them";
        return probe;
    }
    probe.chapter = list.chapters[row];
    probe.address = list.pageAddress + probe.chapter.number;
    probe.request.address = probe.address;
    probe.requested = true;
    probe.answer = pages.Fetch(probe.request);
    WarnAboutAnswer(probe.answer, "chapter", &probe.warnings);

    probe.title = CutBetween(probe.answer.body, site_field::kHeadingBefore,
                             profile.Get(site_field::kHeadingBefore), site_field::kHeadingAfter,
                             profile.Get(site_field::kHeadingAfter));
    probe.content = CutBetween(probe.answer.body, site_field::kContentBefore,
                               profile.Get(site_field::kContentBefore), site_field::kContentAfter,
                               profile.Get(site_field::kContentAfter));
    WarnAboutCut(probe.title, "title", &probe.warnings);
    WarnAboutCut(probe.content, "content", &probe.warnings);
    if (probe.title.text.empty() && probe.title.startAt > 0 && probe.title.endAt > 0) {
        probe.warnings.push_back("the title cut is empty: the markers are next to each other");
    }

    if (probe.answer.status == 0) {
        probe.failure = "no answer from the chapter page: " + probe.answer.note;
    } else if (probe.content.text.empty()) {
        probe.failure = "the content cut is empty";
    }
    return probe;
}

RoadProbe ProbeRoad(const SiteProfile& profile, const Text& title, PageSource& pages) {
    RoadProbe road;
    road.search = ProbeSearch(profile, title, pages);
    if (!road.search.Succeeded()) {
        return road;
    }
    const SearchRow& first = road.search.rows[0];
    road.chapterList = ProbeChapterList(profile, *first.id, *first.prefix, pages);
    if (!road.chapterList->Succeeded()) {
        return road;
    }
    road.firstChapter = ProbeChapter(profile, *road.chapterList, 0, pages);
    return road;
}

}  // namespace qingwu::probe
