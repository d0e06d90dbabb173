#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "text/text.h"

namespace qingwu::probe {

// One request of the reader's road: a GET of an address, or the search POST with its body.
struct PageRequest {
    Text address;
    bool post = false;
    Text body;  // sent only with a POST
};

// What came back for a request.
struct FetchedPage {
    Text body;         // as FetchPage returns it: raw bytes, cut at the first zero byte
    Text headers;      // the raw header block of the final response; empty when none arrived
    int status = 0;    // status code of the final response; 0 when no response arrived
    std::string note;  // why there is no response (UTF-8), empty otherwise
};

// The status code in the status line that begins a raw header block ("HTTP/1.1 200 OK"); 0 when
// the block does not begin with one.
int StatusOf(TextView headers);

// The reason phrase of that status line ("OK"); empty when there is none.
Text ReasonOf(TextView headers);

// Where the pages of a road come from.
class PageSource {
  public:
    virtual ~PageSource() = default;
    virtual FetchedPage Fetch(const PageRequest& request) = 0;
};

// The network, through the reader's own FetchPage.
class LivePages : public PageSource {
  public:
    FetchedPage Fetch(const PageRequest& request) override;
};

// Pages kept in a folder: one file per page with its raw body ("NNN.html", bytes as received),
// one with its header block ("NNN.headers"), and index.tsv naming the request of each.
class PageArchive {
  public:
    explicit PageArchive(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // Starts a fresh archive in the folder (created when missing): the index is emptied.
    bool Begin(std::string* error);
    // Stores one page and its request; false when a file cannot be written.
    bool Keep(const PageRequest& request, const FetchedPage& page, std::string* error);

    // Reads the index of an existing archive.
    bool Load(std::string* error);
    // The page kept for exactly this request (method, address and body); the first one when the
    // request was kept more than once.
    const FetchedPage* Lookup(const PageRequest& request) const;

    const std::filesystem::path& Folder() const { return folder_; }

  private:
    struct Entry {
        PageRequest request;
        FetchedPage page;
    };
    std::filesystem::path folder_;
    std::vector<Entry> entries_;
    int kept_ = 0;
};

// Fetches through another source and keeps every page in an archive.
class SavingPages : public PageSource {
  public:
    SavingPages(PageSource& inner, PageArchive& archive) : inner_(inner), archive_(archive) {}
    FetchedPage Fetch(const PageRequest& request) override;
    // Problems met while keeping pages (UTF-8); the road goes on without them.
    const std::vector<std::string>& Problems() const { return problems_; }

  private:
    PageSource& inner_;
    PageArchive& archive_;
    std::vector<std::string> problems_;
};

// Answers from a loaded archive instead of the network; a request that was not kept gets no
// response.
class SavedPages : public PageSource {
  public:
    explicit SavedPages(const PageArchive& archive) : archive_(archive) {}
    FetchedPage Fetch(const PageRequest& request) override;

  private:
    const PageArchive& archive_;
};

}  // namespace qingwu::probe
