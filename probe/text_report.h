#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "probe/page_source.h"
#include "probe/road.h"

namespace qingwu::probe {

// The reports of the probe for a reader on a terminal: UTF-8, one fact a line, texts of the
// pages decoded from GBK and shown on one line.
void PrintRequest(std::ostream& out, const PageRequest& request);
void PrintAnswer(std::ostream& out, const FetchedPage& answer);
void PrintPattern(std::ostream& out, const PatternRun& run);
// Matches m from first to last (from 1), each with its groups; "..." stands for those left out.
void PrintMatches(std::ostream& out, const PatternRun& run, int first, int last);
void PrintWarnings(std::ostream& out, const std::vector<std::string>& warnings);
void PrintResult(std::ostream& out, const std::string& failure);
void PrintSearch(std::ostream& out, const SearchProbe& probe);
// show: rows shown at each end of the list; 0 shows only their number.
void PrintChapterList(std::ostream& out, const ChapterListProbe& probe, int show);
void PrintChapter(std::ostream& out, const ChapterProbe& probe, int chars);

}  // namespace qingwu::probe
