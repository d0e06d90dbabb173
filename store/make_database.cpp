// qingwu-makedb OUT.mdb FILE.sql...
// Creates the database file OUT from the SQL files, in order, unless OUT exists already (then it
// is left exactly as it is). Exit status 0 when OUT exists afterwards, 1 on an error, 2 on
// wrong usage.

#include <cstdio>
#include <string>
#include <vector>

#include "store/database_maker.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT.mdb FILE.sql...\n",
                     argc > 0 ? argv[0] : "qingwu-makedb");
        return 2;
    }
    const std::string out = argv[1];
    const std::vector<std::string> files(argv + 2, argv + argc);
    std::string error;
    switch (qingwu::MakeDatabaseFile(out, files, error)) {
        case qingwu::MakeResult::Created:
            std::printf("created %s\n", out.c_str());
            return 0;
        case qingwu::MakeResult::AlreadyThere:
            return 0;
        case qingwu::MakeResult::Failed:
            break;
    }
    std::fprintf(stderr, "qingwu-makedb: %s\n", error.c_str());
    return 1;
}
