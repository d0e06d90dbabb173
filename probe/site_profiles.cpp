#include "probe/site_profiles.h"

#include <filesystem>
#include <system_error>

namespace qingwu::probe {

const Text& SiteProfile::Get(std::string_view field) const {
    static const Text kNone;
    for (size_t i = 0; i < kSiteFields.size(); ++i) {
        if (kSiteFields[i] == field) {
            return values[i];
        }
    }
    return kNone;
}

ProfileFile::ProfileFile() {
    connection_.SetErrorSink(
        [this](const std::string& message) { storeErrors_.push_back(message); });
}

bool ProfileFile::Open(const std::string& path, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        if (error) {
            *error = "no profile file at " + path;
        }
        return false;
    }
    if (!OpenDatabase(connection_, path, "") || !connection_.IsOpen()) {
        if (error) {
            *error = "the store cannot open " + path;
        }
        return false;
    }
    BindRecordSet(records_, connection_);
    return true;
}

SiteProfile ProfileFile::ReadCurrent() const {
    SiteProfile row;
    for (size_t i = 0; i < kSiteFields.size(); ++i) {
        row.values[i] = ReadText(records_, kSiteFields[i]);
    }
    return row;
}

std::vector<SiteProfile> ProfileFile::AllRows() {
    std::vector<SiteProfile> rows;
    if (!OpenRecordSet(records_, table::kSites, RecordSource::TableName)) {
        return rows;
    }
    const int count = RecordCount(records_);
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        rows.push_back(ReadCurrent());
        MoveNext(records_);
    }
    return rows;
}

std::optional<SiteProfile> ProfileFile::Find(const Text& siteName) {
    if (!OpenRecordSet(records_, sql::kSiteProfile, RecordSource::SqlStatement, {siteName}) ||
        RecordCount(records_) == 0) {
        return std::nullopt;
    }
    return ReadCurrent();
}

}  // namespace qingwu::probe
