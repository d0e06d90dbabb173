#include "probe/command_support.h"

#include <chrono>
#include <ostream>

#include "text/gbk.h"
#include "web/fetch_page.h"

namespace qingwu::probe {

bool OpenProfiles(const Arguments& args, CommandContext& ctx, ProfileFile& file,
                  std::string* path) {
    *path = args.profiles ? *args.profiles : ctx.defaultProfiles;
    std::string error;
    if (!file.Open(*path, &error)) {
        ctx.err << "qingwu-probe: " << error << '\n';
        return false;
    }
    return true;
}

std::optional<SiteProfile> FindSite(ProfileFile& file, const std::string& siteUtf8,
                                    CommandContext& ctx) {
    std::optional<SiteProfile> site = file.Find(Utf8ToGbk(siteUtf8));
    for (const std::string& message : file.StoreErrors()) {
        ctx.err << "qingwu-probe: the store refused the profile lookup: " << message << '\n';
    }
    if (!site) {
        ctx.err << "qingwu-probe: no website named \"" << siteUtf8
                << "\" in the profiles (qingwu-probe sites lists them)\n";
    }
    return site;
}

bool PageSourceChoice::Choose(const Arguments& args, std::string* error) {
    if (args.save && args.offline) {
        *error = "--save and --offline exclude each other";
        return false;
    }
    if (args.save) {
        archive_.emplace(*args.save);
        if (!archive_->Begin(error)) {
            return false;
        }
        saving_ = std::make_unique<SavingPages>(live_, *archive_);
    } else if (args.offline) {
        archive_.emplace(*args.offline);
        if (!archive_->Load(error)) {
            return false;
        }
        saved_ = std::make_unique<SavedPages>(*archive_);
    }
    return true;
}

PageSource& PageSourceChoice::Source() {
    if (saving_) {
        return *saving_;
    }
    if (saved_) {
        return *saved_;
    }
    return live_;
}

std::string PageSourceChoice::Origin() const {
    if (saving_) {
        return "pages kept in " + archive_->Folder().string() + " (index.tsv)";
    }
    if (saved_) {
        return "pages read from " + archive_->Folder().string() + " (no network)";
    }
    return {};
}

std::vector<std::string> PageSourceChoice::Problems() const {
    return saving_ ? saving_->Problems() : std::vector<std::string>{};
}

void ApplyTimeout(const Arguments& args) {
    if (!args.timeoutSeconds) {
        return;
    }
    const std::chrono::milliseconds limit(static_cast<long long>(*args.timeoutSeconds) * 1000);
    FetchLimits& limits = CurrentFetchLimits();
    limits.connectTimeout = limit;
    limits.sendTimeout = limit;
    limits.receiveTimeout = limit;
}

}  // namespace qingwu::probe
