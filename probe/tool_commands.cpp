#include <fstream>
#include <iterator>
#include <ostream>

#include "probe/command_support.h"
#include "probe/commands.h"
#include "probe/display.h"
#include "probe/json_report.h"
#include "probe/json_writer.h"
#include "probe/text_report.h"
#include "text/gbk.h"

namespace qingwu::probe {
namespace {

// The page a command works on: the named file, or standard input for none or "-". Raw bytes.
bool ReadInput(const Arguments& args, size_t position, CommandContext& ctx, Text* page,
               std::string* name) {
    if (args.positional.size() <= position || args.positional[position] == "-") {
        *name = "-";
        page->assign(std::istreambuf_iterator<char>(ctx.in), std::istreambuf_iterator<char>());
        return true;
    }
    *name = args.positional[position];
    std::ifstream in(*name, std::ios::binary);
    if (!in) {
        ctx.err << "qingwu-probe: cannot read " << *name << '\n';
        return false;
    }
    page->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int RunFetch(const Arguments& args, CommandContext& ctx) {
    PageSourceChoice pages;
    std::string error;
    if (!pages.Choose(args, &error)) {
        ctx.err << "qingwu-probe: " << error << '\n';
        return kExitUsage;
    }
    ApplyTimeout(args);
    PageRequest request;
    request.address = Utf8ToGbk(args.positional[0]);
    request.post = args.post.has_value();
    request.body = args.post ? Utf8ToGbk(*args.post) : Text();
    const FetchedPage answer = pages.Source().Fetch(request);
    for (const std::string& problem : pages.Problems()) {
        ctx.err << "qingwu-probe: " << problem << '\n';
    }
    const bool passed = answer.status > 0 && answer.status < 400;
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        json.Field("command", "fetch");
        json.Field("pages", pages.Origin());
        json.Key("request").BeginObject();
        WriteRequest(json, request);
        json.EndObject();
        json.Key("answer").BeginObject();
        WriteAnswer(json, answer);
        json.EndObject();
        json.Field("body", Shown(answer.body));
        json.Field("passed", passed);
        json.EndObject();
    } else {
        ctx.out.write(answer.body.data(), static_cast<std::streamsize>(answer.body.size()));
        PrintAnswer(ctx.err, answer);
    }
    return passed ? kExitPassed : kExitFailed;
}

int RunMatch(const Arguments& args, CommandContext& ctx) {
    Text page;
    std::string input;
    if (!ReadInput(args, 1, ctx, &page, &input)) {
        return kExitUsage;
    }
    const PatternRun run = RunPattern({}, Utf8ToGbk(args.positional[0]), page);
    const bool passed = run.compiles && run.MatchCount() > 0;
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        json.Field("command", "match");
        json.Field("input", input);
        json.Field("bytes", static_cast<long long>(page.size()));
        WritePattern(json, run, true);
        json.Field("passed", passed);
        json.EndObject();
    } else {
        ctx.out << "input: " << input << ", " << page.size() << " bytes\n";
        PrintPattern(ctx.out, run);
        PrintMatches(ctx.out, run, 1, run.MatchCount());
        PrintResult(ctx.out, passed         ? std::string()
                             : run.compiles ? "no match"
                                            : "the pattern does not compile");
    }
    return passed ? kExitPassed : kExitFailed;
}

int RunCut(const Arguments& args, CommandContext& ctx) {
    Text page;
    std::string input;
    if (!ReadInput(args, 2, ctx, &page, &input)) {
        return kExitUsage;
    }
    const MarkerCut cut = CutBetween(page, "START", Utf8ToGbk(args.positional[0]), "END",
                                     Utf8ToGbk(args.positional[1]));
    std::vector<std::string> warnings;
    WarnAboutCut(cut, "cut", &warnings);
    const bool passed = !cut.text.empty();
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        json.Field("command", "cut");
        json.Field("input", input);
        json.Field("bytes", static_cast<long long>(page.size()));
        WriteCut(json, cut);
        WriteStrings(json, "warnings", warnings);
        json.Field("passed", passed);
        json.EndObject();
    } else {
        ctx.out << "input: " << input << ", " << page.size() << " bytes\n";
        ctx.out << "start marker \"" << OneLine(cut.startMarker) << "\": "
                << (cut.startAt > 0 ? "at byte " + std::to_string(cut.startAt) : "not found")
                << '\n';
        ctx.out << "end marker \"" << OneLine(cut.endMarker) << "\": "
                << (cut.endMarker.empty() ? "empty"
                    : cut.endAt > 0       ? "at byte " + std::to_string(cut.endAt)
                    : cut.startAt > 0     ? "not found after the start marker"
                                          : "not looked for")
                << '\n';
        ctx.out << "cut: " << cut.text.size() << " bytes, " << CharCount(cut.text)
                << " characters\n";
        if (passed) {
            ctx.out << Shown(cut.text) << '\n';
        }
        PrintWarnings(ctx.out, warnings);
        PrintResult(ctx.out, passed ? std::string() : "the cut is empty");
    }
    return passed ? kExitPassed : kExitFailed;
}

}  // namespace qingwu::probe
