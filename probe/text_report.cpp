#include "probe/text_report.h"

#include <algorithm>

#include "probe/display.h"
#include "web/url.h"

namespace qingwu::probe {
namespace {

std::string Q(TextView gbk) {
    return "\"" + OneLine(gbk) + "\"";
}

std::string Plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string MarkerPlace(std::string_view field, const Text& marker, int at, bool isEnd) {
    std::string place = std::string(field) + " " + Q(marker);
    if (marker.empty() && isEnd) {
        return place + " (empty)";
    }
    if (at > 0) {
        return place + " at byte " + std::to_string(at);
    }
    return place + (isEnd ? " not found after the start marker" : " not found");
}

void PrintCut(std::ostream& out, const char* what, const MarkerCut& cut, int chars) {
    out << what << ": " << MarkerPlace(cut.startField, cut.startMarker, cut.startAt, false) << ", "
        << MarkerPlace(cut.endField, cut.endMarker, cut.startAt > 0 ? cut.endAt : -1, true) << "; "
        << cut.text.size() << " bytes, " << CharCount(cut.text) << " characters\n";
    if (cut.text.empty()) {
        return;
    }
    if (CharCount(cut.text) <= 2 * chars) {
        out << "  text: " << Q(cut.text) << '\n';
        return;
    }
    out << "  start: \"" << HeadChars(cut.text, chars) << "\"\n";
    out << "  end:   \"" << TailChars(cut.text, chars) << "\"\n";
}

void PrintChapterRow(std::ostream& out, const ChapterListProbe& probe, int row) {
    const Chapter& chapter = probe.chapters[row];
    out << "  row " << row << ": number " << Q(chapter.number) << ", name " << Q(chapter.name)
        << " -> " << OneLine(probe.pageAddress + chapter.number) << '\n';
}

}  // namespace

void PrintRequest(std::ostream& out, const PageRequest& request) {
    out << "request: " << (request.post ? "POST " : "GET ") << OneLine(request.address) << '\n';
    out << "  host " << OneLine(UrlHost(request.address)) << ", port " << UrlPort(request.address)
        << ", path " << OneLine(UrlPath(request.address))
        << (UrlIsHttps(request.address) ? ", over TLS" : "") << '\n';
    if (request.post) {
        out << "  body (" << request.body.size() << " bytes): " << OneLine(request.body) << '\n';
        out << "  body bytes: " << EscapedBytes(request.body) << '\n';
    }
}

void PrintAnswer(std::ostream& out, const FetchedPage& answer) {
    if (answer.status == 0) {
        out << "answer: none, " << answer.note << '\n';
        return;
    }
    out << "answer: status " << answer.status;
    if (const Text reason = ReasonOf(answer.headers); !reason.empty()) {
        out << ' ' << OneLine(reason);
    }
    out << ", " << answer.body.size() << " bytes\n";
}

void PrintPattern(std::ostream& out, const PatternRun& run) {
    out << "pattern";
    if (!run.field.empty()) {
        out << ' ' << run.field;
    }
    out << ": " << Q(run.pattern) << '\n';
    if (!run.compiles) {
        out << "  does not compile at character " << run.errorOffset << ": " << run.error << '\n';
        out << "  " << MarkOffset(run.pattern, run.errorOffset) << '\n';
        return;
    }
    out << "  " << Plural(run.declaredGroups, "capture group", "capture groups") << ", "
        << Plural(run.MatchCount(), "match", "matches") << '\n';
}

void PrintMatches(std::ostream& out, const PatternRun& run, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, run.MatchCount());
    for (int m = first; m <= last; ++m) {
        out << "  " << m << ":";
        if (run.groupCount == 0) {
            out << " whole " << Q(run.wholeMatches[m - 1]);
        } else if (run.groupCount == 1) {
            out << ' ' << Q(run.Group(m, 1));
        } else {
            for (int g = 1; g <= run.groupCount; ++g) {
                out << " [" << g << "] " << Q(run.Group(m, g));
            }
        }
        out << '\n';
    }
}

void PrintWarnings(std::ostream& out, const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) {
        out << "warning: " << warning << '\n';
    }
}

void PrintResult(std::ostream& out, const std::string& failure) {
    if (failure.empty()) {
        out << "result: passed\n";
    } else {
        out << "result: failed: " << failure << '\n';
    }
}

void PrintSearch(std::ostream& out, const SearchProbe& probe) {
    out << "title: " << Q(probe.title) << '\n';
    if (probe.requested) {
        PrintRequest(out, probe.request);
        PrintAnswer(out, probe.answer);
        for (const PatternRun& pass : probe.passes) {
            PrintPattern(out, pass);
            PrintMatches(out, pass, 1, pass.MatchCount());
        }
        out << "rows as the reader lists them: " << probe.rows.size() << '\n';
        for (size_t r = 0; r < probe.rows.size(); ++r) {
            const SearchRow& row = probe.rows[r];
            out << "  row " << r << ": title " << Q(row.title)
                << (row.titleMatched ? "" : " (no title match)") << ", author " << Q(row.author)
                << ", id " << (row.id ? Q(*row.id) : "(none)") << ", prefix "
                << (row.prefix ? Q(*row.prefix) : "(none)") << '\n';
        }
        out << "reader: "
            << (probe.readerShowsResults ? "shows the results"
                                         : "reports 请检查输入的书名是否正确或该网站不存在此图书！")
            << '\n';
    }
    PrintWarnings(out, probe.warnings);
    PrintResult(out, probe.failure);
}

void PrintChapterList(std::ostream& out, const ChapterListProbe& probe, int show) {
    out << "book id: " << Q(probe.bookId) << ", id prefix: " << Q(probe.idPrefix) << '\n';
    out << "chapter list address: " << OneLine(probe.listAddress) << '\n';
    out << "chapter page address: " << OneLine(probe.pageAddress) << '\n';
    PrintRequest(out, probe.request);
    PrintAnswer(out, probe.answer);
    PrintPattern(out, probe.pass);
    const int count = static_cast<int>(probe.chapters.size());
    out << "chapters: " << count << '\n';
    if (show == 0) {
        // Only the count is asked for.
    } else if (count <= 2 * show) {
        for (int row = 0; row < count; ++row) {
            PrintChapterRow(out, probe, row);
        }
    } else {
        for (int row = 0; row < show; ++row) {
            PrintChapterRow(out, probe, row);
        }
        out << "  ... " << count - 2 * show << " rows not shown (--show N) ...\n";
        for (int row = count - show; row < count; ++row) {
            PrintChapterRow(out, probe, row);
        }
    }
    PrintWarnings(out, probe.warnings);
    PrintResult(out, probe.failure);
}

void PrintChapter(std::ostream& out, const ChapterProbe& probe, int chars) {
    out << "chapter: row " << probe.row;
    if (probe.requested) {
        out << ", number " << Q(probe.chapter.number) << ", name " << Q(probe.chapter.name);
    }
    out << '\n';
    if (probe.requested) {
        PrintRequest(out, probe.request);
        PrintAnswer(out, probe.answer);
        PrintCut(out, "title", probe.title, chars);
        PrintCut(out, "content", probe.content, chars);
    }
    PrintWarnings(out, probe.warnings);
    PrintResult(out, probe.failure);
}

}  // namespace qingwu::probe
