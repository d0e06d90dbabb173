// qingwu-demo-site: the demo novel website on 127.0.0.1, in GBK, for trying the reader without
// the network. See demo/site.h for its pages.

#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "demo/corpus.h"
#include "demo/http_server.h"
#include "demo/options.h"
#include "demo/site.h"

namespace {

// Writes the port through a temporary file and a rename, so a script that polls for the file
// never reads it half written.
bool WritePortFile(const std::filesystem::path& path, std::uint16_t port) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << port << '\n';
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qingwu::demo;
    Options options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "qingwu-demo-site: " << error << '\n' << UsageText();
        return 2;
    }
    if (options.help) {
        std::cout << UsageText();
        return 0;
    }
    // A client that hangs up mid-answer must not end the server.
    ::signal(SIGPIPE, SIG_IGN);

    const Site site(LoadBooks(options.textsDir));
    std::optional<LoopbackListener> listener = ListenOnLoopback(options.port, error);
    if (!listener) {
        std::cerr << "qingwu-demo-site: " << error << '\n';
        return 1;
    }
    if (!options.portFile.empty() && !WritePortFile(options.portFile, listener->port)) {
        std::cerr << "qingwu-demo-site: cannot write " << options.portFile << '\n';
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << listener->port << std::endl;
    for (const Book& book : site.Books()) {
        std::cout << "  " << book.title << " (" << book.chapters.size() << " chapters) at "
                  << Site::BookPath(book) << '\n';
    }
    std::cout.flush();
    ServeForever(*listener, site);
    std::cerr << "qingwu-demo-site: accepting connections failed\n";
    return 1;
}
