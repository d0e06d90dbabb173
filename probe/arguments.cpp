#include "probe/arguments.h"

#include <charconv>

namespace qingwu::probe {
namespace {

bool ReadCount(std::string_view text, int* value) {
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size() || parsed < 0) {
        return false;
    }
    *value = parsed;
    return true;
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            if (parsed.command.empty()) {
                parsed.command = arg;
            } else {
                parsed.positional.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            parsed.error = name + " needs a value";
            return std::nullopt;
        };
        if (name == "--help" || name == "-h") {
            parsed.help = true;
        } else if (name == "--json") {
            parsed.json = true;
        } else if (name == "--profiles") {
            parsed.profiles = value();
        } else if (name == "--save") {
            parsed.save = value();
        } else if (name == "--offline") {
            parsed.offline = value();
        } else if (name == "--post") {
            parsed.post = value();
        } else if (name == "--show" || name == "--chars" || name == "--timeout") {
            const std::optional<std::string> text = value();
            int number = 0;
            if (text && !ReadCount(*text, &number)) {
                parsed.error = name + " needs a whole number, not \"" + *text + "\"";
            } else if (text && name == "--show") {
                parsed.show = number;
            } else if (text && name == "--chars") {
                parsed.chars = number;
            } else if (text && number == 0) {
                parsed.error = "--timeout needs at least 1 second";
            } else if (text) {
                parsed.timeoutSeconds = number;
            }
        } else {
            parsed.error = "unknown option " + name;
        }
        if (!parsed.error.empty()) {
            return parsed;
        }
        parsed.given.push_back(name == "-h" ? "--help" : name);
    }
    return parsed;
}

}  // namespace qingwu::probe
