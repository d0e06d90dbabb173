#include "demo/options.h"

namespace qingwu::demo {
namespace {

bool ParsePort(const std::string& text, std::uint16_t& port) {
    if (text.empty() || text.size() > 5) {
        return false;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535) {
        return false;
    }
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg != "--port" && arg != "--port-file" && arg != "--texts" && arg != "--bind") {
            error = "unknown argument: " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--port") {
            if (!ParsePort(value, options.port)) {
                error = "not a port number (0 to 65535): " + value;
                return false;
            }
        } else if (arg == "--port-file") {
            if (value.empty()) {
                error = "--port-file needs a file name";
                return false;
            }
            options.portFile = value;
        } else if (arg == "--texts") {
            options.textsDir = value;
        } else if (value != "127.0.0.1") {
            error = "refusing to serve on " + value + ": the demo site serves on 127.0.0.1 only";
            return false;
        }
    }
    return true;
}

std::string UsageText() {
    return "usage: qingwu-demo-site [--port N] [--port-file FILE] [--texts DIR]\n"
           "Serves the demo novel website on 127.0.0.1 (default port 18080; 0 = any free port).\n"
           "Prints \"listening on 127.0.0.1:PORT\" once it accepts connections.\n"
           "  --port N         the port to listen on\n"
           "  --port-file F    also write the port to F\n"
           "  --texts DIR      folder of tang300.u8, song100.u8 and chinese.u8\n"
           "                   (default /usr/share/games/fortunes; a built-in book without them)\n";
}

}  // namespace qingwu::demo
