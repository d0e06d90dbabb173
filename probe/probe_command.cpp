#include <algorithm>
#include <ostream>
#include <string_view>

#include "probe/commands.h"

namespace qingwu::probe {
namespace {

struct CommandEntry {
    std::string_view name;
    std::string_view usage;
    std::string_view summary;
    std::string_view details;
    size_t minArgs;
    size_t maxArgs;
    std::vector<std::string_view> options;  // besides --json and --help
    int (*run)(const Arguments&, CommandContext&);
};

// The options the commands take, with their help lines.
struct OptionHelp {
    std::string_view name;
    std::string_view line;
};
constexpr OptionHelp kOptionHelp[] = {
    {"--profiles",
     "  --profiles FILE  the profile file (default: data/sk.mdb beside the program)\n"},
    {"--post", "  --post BODY      send a POST with this body (UTF-8, sent as GBK)\n"},
    {"--show", "  --show N         rows shown at each end of the chapter list (default 5)\n"},
    {"--chars", "  --chars N        characters shown of each end of a long text (default 160)\n"},
    {"--save",
     "  --save DIR       keep every page fetched in DIR (index.tsv names each request)\n"},
    {"--offline",
     "  --offline DIR    answer every request from the pages kept in DIR, without the network\n"},
    {"--timeout", "  --timeout S      give up on a server after S seconds (default 18)\n"},
};

const std::vector<CommandEntry>& Commands() {
    static const std::vector<CommandEntry> commands = {
        {"sites",
         "sites [--profiles FILE]",
         "list the website profiles and check each row",
         "Lists every row of 书库信息 in the order the reader's website list shows them, and\n"
         "checks each: required fields that are empty, patterns that do not compile (with the\n"
         "engine's message and the character where it stops), patterns without the capture\n"
         "groups the reader uses (search patterns need 1, the chapter pattern 2), address\n"
         "templates without 文章序号 or 文章子序号, names used by an earlier row.\n"
         "Exit status 0 when there is at least one row and no row has an error.\n",
         0,
         0,
         {"--profiles"},
         RunSites},
        {"search",
         "search SITE TITLE",
         "run the reader's book search on one website",
         "Posts \"searchclass=1&searchkey=\" + TITLE (as GBK bytes, not percent-encoded) to the\n"
         "website's search page, as the reader does, and shows the request, the answer's status\n"
         "and size, each of the four passes (作者正则, 书号正则, 书号前缀正则, 书名正则) with its\n"
         "matches and groups, and the result rows as the reader assembles them (row r takes\n"
         "match r + 1 of every pass). Warns where the counts differ.\n"
         "Exit status 0 when the reader would show results and could open the first row.\n",
         2,
         2,
         {"--profiles", "--save", "--offline", "--timeout"},
         RunSearch},
        {"chapters",
         "chapters SITE ID PREFIX",
         "fetch and parse a book's chapter list",
         "Fills 网址章节列表页 and 网址章节内容页 with the book id (文章序号) and the id prefix\n"
         "(文章子序号), fetches the chapter list and runs 书库列出全部章节正则 over it (group 1:\n"
         "the chapter's number, group 2: its name). Shows the number of chapters and the first\n"
         "and last few, each with its address.\n"
         "Exit status 0 when the list has at least one chapter.\n",
         3,
         3,
         {"--profiles", "--save", "--offline", "--timeout", "--show"},
         RunChapters},
        {"chapter",
         "chapter SITE ID PREFIX N",
         "fetch one chapter and cut its title and text",
         "Fetches the chapter list as 'chapters' does, then the chapter at row N (from 0, as\n"
         "the reader counts rows and stores 当前章节): its address is the filled 网址章节内容页\n"
         "followed by the chapter's number. Cuts the title between 小说标题前过滤文本 and\n"
         "小说标题后过滤文本 and the content between 小说内容前过滤文本 and 小说内容后过滤文本, "
         "and\n"
         "shows where each marker was found and the start and end of the content.\n"
         "Exit status 0 when the content cut is not empty.\n",
         4,
         4,
         {"--profiles", "--save", "--offline", "--timeout", "--chars"},
         RunChapter},
        {"check",
         "check SITE TITLE",
         "walk the whole road: search, open, list, read",
         "Checks the website's profile row, searches TITLE, opens the first result, fetches\n"
         "its chapter list and its first chapter, and reports each step as passed or failed\n"
         "with the reason (a step after a failed one is skipped). With --save DIR the pages\n"
         "are kept, and --offline DIR walks the same road on them again, for instance after\n"
         "editing a pattern.\n"
         "Exit status 0 when every step passed.\n",
         2,
         2,
         {"--profiles", "--save", "--offline", "--timeout"},
         RunCheck},
        {"fetch",
         "fetch URL [--post BODY]",
         "fetch one page as the reader fetches it",
         "Fetches URL with the reader's request (a GET, or a POST of BODY given as UTF-8 and\n"
         "sent as GBK) and writes the raw body, as received, to standard output; the status\n"
         "goes to standard error. With --json the body is decoded from GBK.\n"
         "Exit status 0 when the final answer's status is below 400.\n",
         1,
         1,
         {"--post", "--save", "--offline", "--timeout"},
         RunFetch},
        {"match",
         "match PATTERN [FILE]",
         "run a pattern over a page with the reader's flags",
         "Runs PATTERN (UTF-8, used as GBK) over FILE (a page as fetched, GBK; standard input\n"
         "when FILE is missing or -) with case ignored, multiline off and global on, and shows\n"
         "every match with its groups.\n"
         "Exit status 0 when the pattern compiles and matches at least once.\n",
         1,
         2,
         {},
         RunMatch},
        {"cut",
         "cut START END [FILE]",
         "cut a page between two markers as the reader does",
         "Cuts FILE (GBK; standard input when FILE is missing or -) between the markers START\n"
         "and END (UTF-8, used as GBK) as the reader cuts a chapter's title and content, shows\n"
         "where each marker was found, and writes the cut.\n"
         "Exit status 0 when the cut is not empty.\n",
         2,
         3,
         {},
         RunCut},
    };
    return commands;
}

const CommandEntry* FindCommand(std::string_view name) {
    for (const CommandEntry& entry : Commands()) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

void PrintOverview(std::ostream& out) {
    out << "qingwu-probe: see what each pattern and marker of a website profile does on the\n"
           "live website, with the reader's own fetching, matching and cutting.\n\n"
           "usage: qingwu-probe COMMAND [ARGUMENTS] [OPTIONS]\n\n"
           "commands:\n";
    for (const CommandEntry& entry : Commands()) {
        std::string usage(entry.usage);
        usage.resize(std::max<size_t>(usage.size(), 30), ' ');
        out << "  " << usage << "  " << entry.summary << '\n';
    }
    out << "\noptions for every command:\n"
           "  --json           one JSON document instead of the text report\n"
           "  --help           what a command does (also: qingwu-probe help COMMAND)\n"
           "options of the commands that read profiles or fetch pages (each command's --help\n"
           "names the ones it takes):\n";
    for (const OptionHelp& option : kOptionHelp) {
        if (option.name == "--profiles" || option.name == "--save" || option.name == "--offline" ||
            option.name == "--timeout") {
            out << option.line;
        }
    }
    out << "\nArguments are UTF-8 and are converted to GBK before use; output is UTF-8.\n"
           "Exit status: 0 when the asked step succeeded, 1 when it failed, 2 when it could\n"
           "not run (command line, profile file, unknown website, unreadable file).\n";
}

void PrintCommandHelp(std::ostream& out, const CommandEntry& entry) {
    // The description, then the options, then what the exit status says.
    const size_t exitAt = entry.details.find("Exit status");
    out << "usage: qingwu-probe " << entry.usage << " [--json]\n\n"
        << entry.details.substr(0, exitAt) << "options:\n";
    for (const OptionHelp& option : kOptionHelp) {
        if (std::find(entry.options.begin(), entry.options.end(), option.name) !=
            entry.options.end()) {
            out << option.line;
        }
    }
    out << "  --json           one JSON document instead of the text report\n";
    if (exitAt != std::string_view::npos) {
        out << entry.details.substr(exitAt);
    }
}

}  // namespace

int RunProbe(const std::vector<std::string>& args, CommandContext& ctx) {
    const Arguments parsed = ParseArguments(args);
    if (!parsed.error.empty()) {
        ctx.err << "qingwu-probe: " << parsed.error << " (qingwu-probe --help)\n";
        return kExitUsage;
    }
    if (parsed.command.empty()) {
        PrintOverview(parsed.help ? ctx.out : ctx.err);
        return parsed.help ? kExitPassed : kExitUsage;
    }
    if (parsed.command == "help") {
        if (parsed.positional.empty()) {
            PrintOverview(ctx.out);
            return kExitPassed;
        }
        if (const CommandEntry* entry = FindCommand(parsed.positional[0])) {
            PrintCommandHelp(ctx.out, *entry);
            return kExitPassed;
        }
        ctx.err << "qingwu-probe: no command named " << parsed.positional[0] << '\n';
        return kExitUsage;
    }
    const CommandEntry* entry = FindCommand(parsed.command);
    if (!entry) {
        ctx.err << "qingwu-probe: no command named " << parsed.command
                << " (qingwu-probe --help)\n";
        return kExitUsage;
    }
    if (parsed.help) {
        PrintCommandHelp(ctx.out, *entry);
        return kExitPassed;
    }
    for (const std::string& option : parsed.given) {
        const bool allowed =
            option == "--json" ||
            std::find(entry->options.begin(), entry->options.end(), option) != entry->options.end();
        if (!allowed) {
            ctx.err << "qingwu-probe: " << entry->name << " takes no " << option
                    << " (qingwu-probe " << entry->name << " --help)\n";
            return kExitUsage;
        }
    }
    if (parsed.positional.size() < entry->minArgs || parsed.positional.size() > entry->maxArgs) {
        ctx.err << "usage: qingwu-probe " << entry->usage << " (qingwu-probe " << entry->name
                << " --help)\n";
        return kExitUsage;
    }
    return entry->run(parsed, ctx);
}

}  // namespace qingwu::probe
