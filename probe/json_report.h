#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "probe/json_writer.h"
#include "probe/page_source.h"
#include "probe/road.h"

namespace qingwu::probe {

// The reports of the probe for machines: each function writes members (keys with their values)
// into a JSON object that the caller has begun. Texts of the pages are decoded from GBK.
void WriteRequest(JsonWriter& json, const PageRequest& request);
void WriteAnswer(JsonWriter& json, const FetchedPage& answer);
void WriteStrings(JsonWriter& json, std::string_view key, const std::vector<std::string>& items);
void WritePattern(JsonWriter& json, const PatternRun& run, bool withMatches);
void WriteSearch(JsonWriter& json, const SearchProbe& probe);
void WriteChapterList(JsonWriter& json, const ChapterListProbe& probe);
void WriteChapter(JsonWriter& json, const ChapterProbe& probe);
void WriteCut(JsonWriter& json, const MarkerCut& cut);

}  // namespace qingwu::probe
