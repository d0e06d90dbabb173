#include <charconv>
#include <ostream>

#include "probe/command_support.h"
#include "probe/commands.h"
#include "probe/display.h"
#include "probe/json_report.h"
#include "probe/json_writer.h"
#include "probe/profile_check.h"
#include "probe/text_report.h"
#include "text/gbk.h"

namespace qingwu::probe {
namespace {

// What every command on the road needs: the profile row of the website and the pages.
struct RoadSetup {
    ProfileFile file;
    std::string profilesPath;
    std::optional<SiteProfile> site;
    PageSourceChoice pages;
};

// False (the exit status set) when the command cannot run.
bool Prepare(const Arguments& args, CommandContext& ctx, RoadSetup& setup, int* exitStatus) {
    *exitStatus = kExitUsage;
    if (!OpenProfiles(args, ctx, setup.file, &setup.profilesPath)) {
        return false;
    }
    setup.site = FindSite(setup.file, args.positional[0], ctx);
    if (!setup.site) {
        return false;
    }
    std::string error;
    if (!setup.pages.Choose(args, &error)) {
        ctx.err << "qingwu-probe: " << error << '\n';
        return false;
    }
    ApplyTimeout(args);
    return true;
}

void PrintHeading(std::ostream& out, const RoadSetup& setup) {
    out << "site: " << OneLine(setup.site->Name()) << " (" << setup.profilesPath << ")\n";
    if (const std::string origin = setup.pages.Origin(); !origin.empty()) {
        out << "pages: " << origin << '\n';
    }
}

void WriteHeading(JsonWriter& json, const char* command, const RoadSetup& setup) {
    json.Field("command", command);
    json.Field("site", Shown(setup.site->Name()));
    json.Field("profiles", setup.profilesPath);
    json.Field("pages", setup.pages.Origin());
}

// Problems met while keeping pages go with the report; they do not change its outcome.
void ReportKeepingProblems(const RoadSetup& setup, CommandContext& ctx) {
    for (const std::string& problem : setup.pages.Problems()) {
        ctx.err << "qingwu-probe: " << problem << '\n';
    }
}

int ExitFor(bool passed) {
    return passed ? kExitPassed : kExitFailed;
}

struct Step {
    const char* name;
    const char* outcome;  // "passed", "failed" or "skipped"
    std::string detail;   // what was found, or why it failed
    std::vector<std::string> warnings;
};

std::vector<Step> StepsOf(const std::vector<Finding>& findings, const RoadProbe& road) {
    std::vector<Step> steps;
    {
        Step profile{"profile", HasError(findings) ? "failed" : "passed", {}, {}};
        for (const Finding& finding : findings) {
            std::string line = std::string(finding.field) + " " + finding.message;
            if (finding.error && profile.detail.empty()) {
                profile.detail = line;
            } else {
                profile.warnings.push_back((finding.error ? "error: " : "") + line);
            }
        }
        if (profile.detail.empty()) {
            profile.detail = "no errors";
        }
        steps.push_back(std::move(profile));
    }
    const SearchProbe& search = road.search;
    const bool searchFound =
        search.answer.status != 0 && search.readerShowsResults && !search.rows.empty();
    steps.push_back({"search", searchFound ? "passed" : "failed",
                     searchFound ? std::to_string(search.rows.size()) + " row(s) from " +
                                       OneLine(search.request.address)
                                 : search.failure,
                     search.warnings});
    if (!searchFound) {
        steps.push_back({"first result", "skipped", {}, {}});
    } else {
        const SearchRow& first = search.rows[0];
        steps.push_back({"first result",
                         search.Succeeded() ? "passed" : "failed",
                         search.Succeeded()
                             ? "\"" + OneLine(first.title) + "\" by \"" + OneLine(first.author) +
                                   "\", id \"" + OneLine(*first.id) + "\", prefix \"" +
                                   OneLine(*first.prefix) + "\""
                             : search.failure,
                         {}});
    }
    if (!road.chapterList) {
        steps.push_back({"chapter list", "skipped", {}, {}});
    } else {
        const ChapterListProbe& list = *road.chapterList;
        steps.push_back({"chapter list", list.Succeeded() ? "passed" : "failed",
                         list.Succeeded() ? std::to_string(list.chapters.size()) +
                                                " chapter(s) from " + OneLine(list.listAddress)
                                          : list.failure,
                         list.warnings});
    }
    if (!road.firstChapter) {
        steps.push_back({"first chapter", "skipped", {}, {}});
    } else {
        const ChapterProbe& chapter = *road.firstChapter;
        steps.push_back({"first chapter", chapter.Succeeded() ? "passed" : "failed",
                         chapter.Succeeded()
                             ? "title \"" + OneLine(chapter.title.text) + "\", " +
                                   std::to_string(CharCount(chapter.content.text)) +
                                   " characters of content from " + OneLine(chapter.address)
                             : chapter.failure,
                         chapter.warnings});
    }
    return steps;
}

}  // namespace

int RunSearch(const Arguments& args, CommandContext& ctx) {
    RoadSetup setup;
    int status = kExitUsage;
    if (!Prepare(args, ctx, setup, &status)) {
        return status;
    }
    const SearchProbe probe =
        ProbeSearch(*setup.site, Utf8ToGbk(args.positional[1]), setup.pages.Source());
    ReportKeepingProblems(setup, ctx);
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        WriteHeading(json, "search", setup);
        WriteSearch(json, probe);
        json.EndObject();
    } else {
        PrintHeading(ctx.out, setup);
        PrintSearch(ctx.out, probe);
    }
    return ExitFor(probe.Succeeded());
}

int RunChapters(const Arguments& args, CommandContext& ctx) {
    RoadSetup setup;
    int status = kExitUsage;
    if (!Prepare(args, ctx, setup, &status)) {
        return status;
    }
    const ChapterListProbe probe =
        ProbeChapterList(*setup.site, Utf8ToGbk(args.positional[1]), Utf8ToGbk(args.positional[2]),
                         setup.pages.Source());
    ReportKeepingProblems(setup, ctx);
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        WriteHeading(json, "chapters", setup);
        WriteChapterList(json, probe);
        json.EndObject();
    } else {
        PrintHeading(ctx.out, setup);
        PrintChapterList(ctx.out, probe, args.show);
    }
    return ExitFor(probe.Succeeded());
}

int RunChapter(const Arguments& args, CommandContext& ctx) {
    const std::string& rowText = args.positional[3];
    int row = -1;
    const auto [end, ec] = std::from_chars(rowText.data(), rowText.data() + rowText.size(), row);
    if (ec != std::errc() || end != rowText.data() + rowText.size() || row < 0) {
        ctx.err << "qingwu-probe: N is a row of the chapter list, counted from 0, not \"" << rowText
                << "\"\n";
        return kExitUsage;
    }
    RoadSetup setup;
    int status = kExitUsage;
    if (!Prepare(args, ctx, setup, &status)) {
        return status;
    }
    const ChapterListProbe list =
        ProbeChapterList(*setup.site, Utf8ToGbk(args.positional[1]), Utf8ToGbk(args.positional[2]),
                         setup.pages.Source());
    std::optional<ChapterProbe> chapter;
    if (list.Succeeded()) {
        chapter = ProbeChapter(*setup.site, list, row, setup.pages.Source());
    }
    ReportKeepingProblems(setup, ctx);
    const bool passed = chapter && chapter->Succeeded();
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        WriteHeading(json, "chapter", setup);
        json.Key("chapterList").BeginObject();
        WriteChapterList(json, list);
        json.EndObject();
        json.Key("chapter");
        if (chapter) {
            json.BeginObject();
            WriteChapter(json, *chapter);
            json.EndObject();
        } else {
            json.Null();
        }
        json.Field("passed", passed);
        json.EndObject();
    } else {
        PrintHeading(ctx.out, setup);
        ctx.out << "== chapter list ==\n";
        PrintChapterList(ctx.out, list, 0);
        if (chapter) {
            ctx.out << "== chapter ==\n";
            PrintChapter(ctx.out, *chapter, args.chars);
        }
    }
    return ExitFor(passed);
}

int RunCheck(const Arguments& args, CommandContext& ctx) {
    RoadSetup setup;
    int status = kExitUsage;
    if (!Prepare(args, ctx, setup, &status)) {
        return status;
    }
    const std::vector<Finding> findings = CheckProfile(*setup.site);
    const RoadProbe road =
        ProbeRoad(*setup.site, Utf8ToGbk(args.positional[1]), setup.pages.Source());
    ReportKeepingProblems(setup, ctx);
    const std::vector<Step> steps = StepsOf(findings, road);
    bool passed = true;
    for (const Step& step : steps) {
        passed = passed && std::string_view(step.outcome) == "passed";
    }
    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        WriteHeading(json, "check", setup);
        json.Field("title", Shown(Utf8ToGbk(args.positional[1])));
        json.Key("steps").BeginArray();
        for (const Step& step : steps) {
            json.BeginObject();
            json.Field("name", step.name);
            json.Field("outcome", step.outcome);
            json.Field("detail", step.detail);
            WriteStrings(json, "warnings", step.warnings);
            json.EndObject();
        }
        json.EndArray();
        json.Key("search").BeginObject();
        WriteSearch(json, road.search);
        json.EndObject();
        json.Key("chapterList");
        if (road.chapterList) {
            json.BeginObject();
            WriteChapterList(json, *road.chapterList);
            json.EndObject();
        } else {
            json.Null();
        }
        json.Key("firstChapter");
        if (road.firstChapter) {
            json.BeginObject();
            WriteChapter(json, *road.firstChapter);
            json.EndObject();
        } else {
            json.Null();
        }
        json.Field("passed", passed);
        json.EndObject();
    } else {
        PrintHeading(ctx.out, setup);
        ctx.out << "title: \"" << OneLine(Utf8ToGbk(args.positional[1])) << "\"\n";
        for (const Step& step : steps) {
            ctx.out << step.name << ": " << step.outcome;
            if (!step.detail.empty()) {
                ctx.out << ": " << step.detail;
            }
            ctx.out << '\n';
            for (const std::string& warning : step.warnings) {
                ctx.out << "  warning: " << warning << '\n';
            }
        }
        PrintResult(ctx.out, passed ? std::string() : "not every step passed");
    }
    return ExitFor(passed);
}

}  // namespace qingwu::probe
