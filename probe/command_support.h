#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "probe/arguments.h"
#include "probe/commands.h"
#include "probe/page_source.h"
#include "probe/site_profiles.h"

namespace qingwu::probe {

// Opens the profile file of --profiles, or the run directory's one; says why not on ctx.err.
bool OpenProfiles(const Arguments& args, CommandContext& ctx, ProfileFile& file, std::string* path);

// The profile row the reader finds for a website name typed in UTF-8; says so on ctx.err when
// there is none.
std::optional<SiteProfile> FindSite(ProfileFile& file, const std::string& siteUtf8,
                                    CommandContext& ctx);

// Where the pages of a command come from: the network, the network with every page kept
// (--save DIR), or the pages kept earlier (--offline DIR).
class PageSourceChoice {
  public:
    // False (with the reason) when the folder cannot be prepared or read.
    bool Choose(const Arguments& args, std::string* error);
    PageSource& Source();
    // One line saying where pages went or came from, empty for the plain network (UTF-8).
    std::string Origin() const;
    // Problems met while keeping pages.
    std::vector<std::string> Problems() const;

  private:
    LivePages live_;
    std::optional<PageArchive> archive_;
    std::unique_ptr<SavingPages> saving_;
    std::unique_ptr<SavedPages> saved_;
};

// Sets the fetch time-outs from --timeout.
void ApplyTimeout(const Arguments& args);

}  // namespace qingwu::probe
