#include "plughost/command_line.h"

#include <charconv>
#include <cstdlib>

namespace plughost {

bool CommandLine::value(const std::string& option, std::string& text, std::string& error) {
    if (done()) {
        error = option + " needs a value";
        return false;
    }
    text = next();
    return true;
}

bool CommandLine::number(const std::string& option, double& result, std::string& error) {
    std::string text;
    if (!value(option, text, error)) return false;
    char* end = nullptr;
    result = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        error = option + " needs a number, not '" + text + "'";
        return false;
    }
    return true;
}

bool CommandLine::whole(const std::string& option, int& result, std::string& error) {
    std::string text;
    if (!value(option, text, error)) return false;
    const auto [stop, status] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (status != std::errc() || stop != text.data() + text.size()) {
        error = option + " needs a whole number, not '" + text + "'";
        return false;
    }
    return true;
}

}  // namespace plughost
