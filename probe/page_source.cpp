#include "probe/page_source.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "probe/display.h"
#include "web/fetch_page.h"

namespace qingwu::probe {
namespace {

constexpr const char* kIndexName = "index.tsv";
constexpr const char* kIndexHeading = "# file\tmethod\tstatus\taddress\tbody\tbody as text\n";

bool WriteBytes(const std::filesystem::path& path, TextView bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool ReadBytes(const std::filesystem::path& path, Text* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
        const size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string::npos ? tab : tab - from));
        if (tab == std::string::npos) {
            return fields;
        }
        from = tab + 1;
    }
}

std::string FileStem(int number) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "%03d", number);
    return stem;
}

bool SameRequest(const PageRequest& a, const PageRequest& b) {
    return a.post == b.post && a.address == b.address && (!a.post || a.body == b.body);
}

}  // namespace

int StatusOf(TextView headers) {
    if (headers.substr(0, 5) != "HTTP/") {
        return 0;
    }
    const size_t space = headers.find(' ');
    if (space == TextView::npos) {
        return 0;
    }
    int status = 0;
    size_t i = space + 1;
    int digits = 0;
    for (; i < headers.size() && digits < 3 && headers[i] >= '0' && headers[i] <= '9'; ++i) {
        status = status * 10 + (headers[i] - '0');
        ++digits;
    }
    return digits == 3 ? status : 0;
}

Text ReasonOf(TextView headers) {
    if (StatusOf(headers) == 0) {
        return {};
    }
    const TextView line = headers.substr(0, headers.find_first_of("\r\n"));
    const size_t first = line.find(' ');
    const size_t second = line.find(' ', first + 1);
    return second == TextView::npos ? Text() : Text(line.substr(second + 1));
}

FetchedPage LivePages::Fetch(const PageRequest& request) {
    FetchedPage page;
    if (request.post) {
        page.body =
            FetchPage(request.address, Text("POST"), std::nullopt, {}, request.body, &page.headers);
    } else {
        page.body = FetchPage(request.address, std::nullopt, std::nullopt, {}, {}, &page.headers);
    }
    page.status = StatusOf(page.headers);
    if (page.status == 0) {
        page.note =
            "no response (the address does not resolve, the connection was refused, or "
            "the server did not answer in time)";
    }
    return page;
}

bool PageArchive::Begin(std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    entries_.clear();
    kept_ = 0;
    if (!WriteBytes(folder_ / kIndexName, kIndexHeading)) {
        if (error) {
            *error = "cannot write " + (folder_ / kIndexName).string();
        }
        return false;
    }
    return true;
}

bool PageArchive::Keep(const PageRequest& request, const FetchedPage& page, std::string* error) {
    const std::string stem = FileStem(++kept_);
    const bool bodyWritten = WriteBytes(folder_ / (stem + ".html"), page.body);
    const bool headersWritten = WriteBytes(folder_ / (stem + ".headers"), page.headers);
    std::ofstream index(folder_ / kIndexName, std::ios::binary | std::ios::app);
    index << stem << '\t' << (request.post ? "POST" : "GET") << '\t' << page.status << '\t'
          << EscapedBytes(request.address) << '\t' << EscapedBytes(request.body) << '\t'
          << OneLine(request.body) << '\n';
    if (!bodyWritten || !headersWritten || !index) {
        if (error) {
            *error = "cannot keep page " + stem + " in " + folder_.string();
        }
        return false;
    }
    entries_.push_back({request, page});
    return true;
}

bool PageArchive::Load(std::string* error) {
    entries_.clear();
    std::ifstream index(folder_ / kIndexName, std::ios::binary);
    if (!index) {
        if (error) {
            *error = "no saved pages in " + folder_.string() + " (" + kIndexName + " is missing)";
        }
        return false;
    }
    std::string line;
    while (std::getline(index, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::vector<std::string> fields = SplitTabs(line);
        if (fields.size() < 5) {
            continue;
        }
        Entry entry;
        entry.request.post = fields[1] == "POST";
        entry.request.address = Unescape(fields[3]);
        entry.request.body = Unescape(fields[4]);
        const bool read = ReadBytes(folder_ / (fields[0] + ".html"), &entry.page.body) &&
                          ReadBytes(folder_ / (fields[0] + ".headers"), &entry.page.headers);
        if (!read) {
            if (error) {
                *error = "saved page " + fields[0] + " is missing in " + folder_.string();
            }
            return false;
        }
        entry.page.status = StatusOf(entry.page.headers);
        if (entry.page.status == 0) {
            entry.page.note = "no response when the page was saved";
        }
        entries_.push_back(std::move(entry));
    }
    return true;
}

const FetchedPage* PageArchive::Lookup(const PageRequest& request) const {
    for (const Entry& entry : entries_) {
        if (SameRequest(entry.request, request)) {
            return &entry.page;
        }
    }
    return nullptr;
}

FetchedPage SavingPages::Fetch(const PageRequest& request) {
    FetchedPage page = inner_.Fetch(request);
    std::string problem;
    if (!archive_.Keep(request, page, &problem)) {
        problems_.push_back(problem);
    }
    return page;
}

FetchedPage SavedPages::Fetch(const PageRequest& request) {
    if (const FetchedPage* saved = archive_.Lookup(request)) {
        return *saved;
    }
    FetchedPage missing;
    missing.note = "not among the saved pages in " + archive_.Folder().string();
    return missing;
}

}  // namespace qingwu::probe
