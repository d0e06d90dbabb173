#include <ostream>

#include "probe/command_support.h"
#include "probe/commands.h"
#include "probe/display.h"
#include "probe/json_report.h"
#include "probe/json_writer.h"
#include "probe/profile_check.h"
#include "probe/text_report.h"

namespace qingwu::probe {
namespace {

int CountErrors(const std::vector<Finding>& findings, bool errors) {
    int n = 0;
    for (const Finding& finding : findings) {
        n += finding.error == errors ? 1 : 0;
    }
    return n;
}

}  // namespace

int RunSites(const Arguments& args, CommandContext& ctx) {
    ProfileFile file;
    std::string path;
    if (!OpenProfiles(args, ctx, file, &path)) {
        return kExitUsage;
    }
    const std::vector<SiteProfile> rows = file.AllRows();
    const std::vector<std::vector<Finding>> findings = CheckProfiles(rows);
    int rowsWithErrors = 0;
    for (const std::vector<Finding>& row : findings) {
        rowsWithErrors += HasError(row) ? 1 : 0;
    }
    std::string failure;
    if (!file.StoreErrors().empty()) {
        failure = "the store refused to list 书库信息: " + file.StoreErrors().front();
    } else if (rows.empty()) {
        failure = "书库信息 has no rows";
    } else if (rowsWithErrors > 0) {
        failure = std::to_string(rowsWithErrors) + " of " + std::to_string(rows.size()) +
                  " row(s) have errors";
    }

    if (args.json) {
        JsonWriter json(ctx.out);
        json.BeginObject();
        json.Field("command", "sites");
        json.Field("profiles", path);
        json.Key("rows").BeginArray();
        for (size_t i = 0; i < rows.size(); ++i) {
            json.BeginObject();
            json.Field("row", static_cast<long long>(i));
            json.Field("name", Shown(rows[i].Name()));
            json.Key("fields").BeginObject();
            for (size_t f = 0; f < kSiteFields.size(); ++f) {
                json.Field(kSiteFields[f], Shown(rows[i].values[f]));
            }
            json.EndObject();
            json.Key("findings").BeginArray();
            for (const Finding& finding : findings[i]) {
                json.BeginObject();
                json.Field("severity", finding.error ? "error" : "warning");
                json.Field("field", finding.field);
                json.Field("message", finding.message);
                json.EndObject();
            }
            json.EndArray();
            json.Field("ok", !HasError(findings[i]));
            json.EndObject();
        }
        json.EndArray();
        WriteStrings(json, "storeErrors", file.StoreErrors());
        json.Field("passed", failure.empty());
        json.Field("failure", failure);
        json.EndObject();
        return failure.empty() ? kExitPassed : kExitFailed;
    }

    ctx.out << "profiles: " << path << ", " << rows.size() << " row(s)\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const int errors = CountErrors(findings[i], true);
        const int warnings = CountErrors(findings[i], false);
        ctx.out << "row " << i << ": " << OneLine(rows[i].Name()) << "  search "
                << OneLine(rows[i].Get(site_field::kSearchAddress)) << "  ";
        if (errors == 0 && warnings == 0) {
            ctx.out << "ok\n";
        } else {
            ctx.out << errors << " error(s), " << warnings << " warning(s)\n";
        }
        for (const Finding& finding : findings[i]) {
            ctx.out << "  " << (finding.error ? "error " : "warning ") << finding.field << ": "
                    << finding.message << '\n';
        }
    }
    PrintResult(ctx.out, failure);
    return failure.empty() ? kExitPassed : kExitFailed;
}

}  // namespace qingwu::probe
