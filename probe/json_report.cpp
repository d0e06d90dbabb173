#include "probe/json_report.h"

#include "probe/display.h"
#include "web/url.h"

namespace qingwu::probe {
namespace {

void WriteOptionalText(JsonWriter& json, std::string_view key, const std::optional<Text>& text) {
    json.Key(key);
    if (text) {
        json.String(Shown(*text));
    } else {
        json.Null();
    }
}

}  // namespace

void WriteRequest(JsonWriter& json, const PageRequest& request) {
    json.Field("method", request.post ? "POST" : "GET");
    json.Field("address", Shown(request.address));
    json.Field("host", Shown(UrlHost(request.address)));
    json.Field("port", UrlPort(request.address));
    json.Field("path", Shown(UrlPath(request.address)));
    json.Field("tls", UrlIsHttps(request.address));
    if (request.post) {
        json.Field("body", Shown(request.body));
        json.Field("bodyBytes", EscapedBytes(request.body));
        json.Field("bodyLength", static_cast<long long>(request.body.size()));
    }
}

void WriteAnswer(JsonWriter& json, const FetchedPage& answer) {
    json.Field("status", answer.status);
    json.Field("reason", Shown(ReasonOf(answer.headers)));
    json.Field("bytes", static_cast<long long>(answer.body.size()));
    json.Field("headers", Shown(answer.headers));
    if (!answer.note.empty()) {
        json.Field("note", answer.note);
    }
}

void WriteStrings(JsonWriter& json, std::string_view key, const std::vector<std::string>& items) {
    json.Key(key).BeginArray();
    for (const std::string& item : items) {
        json.String(item);
    }
    json.EndArray();
}

void WritePattern(JsonWriter& json, const PatternRun& run, bool withMatches) {
    if (!run.field.empty()) {
        json.Field("field", run.field);
    }
    json.Field("pattern", Shown(run.pattern));
    json.Field("compiles", run.compiles);
    if (!run.compiles) {
        json.Field("error", run.error);
        json.Field("errorOffset", run.errorOffset);
    }
    json.Field("captureGroups", run.declaredGroups);
    json.Field("matchCount", run.MatchCount());
    json.Field("subMatchCount", run.groupCount);
    if (!withMatches) {
        return;
    }
    json.Key("matches").BeginArray();
    for (int m = 1; m <= run.MatchCount(); ++m) {
        json.BeginObject();
        json.Field("text", Shown(run.wholeMatches[m - 1]));
        json.Key("groups").BeginArray();
        for (int g = 1; g <= run.groupCount; ++g) {
            json.String(Shown(run.Group(m, g)));
        }
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void WriteSearch(JsonWriter& json, const SearchProbe& probe) {
    json.Field("site", Shown(probe.siteName));
    json.Field("title", Shown(probe.title));
    json.Field("requested", probe.requested);
    if (probe.requested) {
        json.Key("request").BeginObject();
        WriteRequest(json, probe.request);
        json.EndObject();
        json.Key("answer").BeginObject();
        WriteAnswer(json, probe.answer);
        json.EndObject();
        json.Key("passes").BeginArray();
        for (const PatternRun& pass : probe.passes) {
            json.BeginObject();
            WritePattern(json, pass, true);
            json.EndObject();
        }
        json.EndArray();
    }
    json.Key("rows").BeginArray();
    for (const SearchRow& row : probe.rows) {
        json.BeginObject();
        json.Field("title", Shown(row.title));
        json.Field("titleMatched", row.titleMatched);
        json.Field("author", Shown(row.author));
        WriteOptionalText(json, "id", row.id);
        WriteOptionalText(json, "prefix", row.prefix);
        json.EndObject();
    }
    json.EndArray();
    json.Field("readerShowsResults", probe.readerShowsResults);
    WriteStrings(json, "warnings", probe.warnings);
    json.Field("passed", probe.Succeeded());
    json.Field("failure", probe.failure);
}

void WriteChapterList(JsonWriter& json, const ChapterListProbe& probe) {
    json.Field("bookId", Shown(probe.bookId));
    json.Field("idPrefix", Shown(probe.idPrefix));
    json.Field("chapterListAddress", Shown(probe.listAddress));
    json.Field("chapterPageAddress", Shown(probe.pageAddress));
    json.Key("request").BeginObject();
    WriteRequest(json, probe.request);
    json.EndObject();
    json.Key("answer").BeginObject();
    WriteAnswer(json, probe.answer);
    json.EndObject();
    json.Key("pattern").BeginObject();
    WritePattern(json, probe.pass, false);
    json.EndObject();
    json.Field("chapterCount", static_cast<long long>(probe.chapters.size()));
    json.Key("chapters").BeginArray();
    for (const Chapter& chapter : probe.chapters) {
        json.BeginObject();
        json.Field("number", Shown(chapter.number));
        json.Field("name", Shown(chapter.name));
        json.EndObject();
    }
    json.EndArray();
    WriteStrings(json, "warnings", probe.warnings);
    json.Field("passed", probe.Succeeded());
    json.Field("failure", probe.failure);
}

void WriteCut(JsonWriter& json, const MarkerCut& cut) {
    json.Field("startField", cut.startField);
    json.Field("startMarker", Shown(cut.startMarker));
    json.Field("startAt", cut.startAt);
    json.Field("endField", cut.endField);
    json.Field("endMarker", Shown(cut.endMarker));
    json.Field("endAt", cut.endAt);
    json.Field("text", Shown(cut.text));
    json.Field("bytes", static_cast<long long>(cut.text.size()));
}

void WriteChapter(JsonWriter& json, const ChapterProbe& probe) {
    json.Field("row", probe.row);
    json.Field("requested", probe.requested);
    if (probe.requested) {
        json.Field("number", Shown(probe.chapter.number));
        json.Field("name", Shown(probe.chapter.name));
        json.Field("address", Shown(probe.address));
        json.Key("request").BeginObject();
        WriteRequest(json, probe.request);
        json.EndObject();
        json.Key("answer").BeginObject();
        WriteAnswer(json, probe.answer);
        json.EndObject();
        json.Key("title").BeginObject();
        WriteCut(json, probe.title);
        json.EndObject();
        json.Key("content").BeginObject();
        WriteCut(json, probe.content);
        json.EndObject();
    }
    WriteStrings(json, "warnings", probe.warnings);
    json.Field("passed", probe.Succeeded());
    json.Field("failure", probe.failure);
}

}  // namespace qingwu::probe
