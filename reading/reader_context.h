#pragma once

#include <cstdint>
#include <string>

#include "reading/main_window_port.h"
#include "reading/open_book_state.h"
#include "store/record_set.h"
#include "text/text.h"

namespace qingwu {

// Counters that let an operation waiting on the network notice that it has been overtaken:
// each operation takes a ticket when it starts and stops without writing anything once a newer
// operation of its kind has started or the window is closing.
struct OperationEpochs {
    uint64_t search = 0;
    uint64_t opening = 0;
    uint64_t chapter = 0;
    bool closing = false;
};

// What every reading and shelf operation works on: the window's controls, the two shared
// record sets (记录集1 on db1.mdb, 记录集2 on sk.mdb), the open-book state and the run
// directory. Built once by the window and handed to the operations.
struct ReaderContext {
    MainWindowPort& window;
    RecordSet& records1;
    RecordSet& records2;
    OpenBookState& state;
    std::string runDirectory;  // UTF-8, no trailing slash
    OperationEpochs epochs;
    Text searchedSite;  // website of the last successful search; becomes SiteName on opening

    std::string ChapterPagePath() const { return runDirectory + "/data/1.html"; }
};

}  // namespace qingwu
