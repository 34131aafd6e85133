// Walking through command-line words: options with values, and clear errors for the user.
#pragma once

#include <string>
#include <vector>

namespace plughost {

class CommandLine {
public:
    CommandLine(int argc, char** argv, int first) : words(argv + first, argv + argc) {}

    bool done() const { return position >= words.size(); }
    const std::string& peek() const { return words[position]; }
    std::string next() { return words[position++]; }
    // The value after the option just taken; false when it is missing.
    bool value(const std::string& option, std::string& text, std::string& error);
    bool number(const std::string& option, double& result, std::string& error);
    bool whole(const std::string& option, int& result, std::string& error);

private:
    std::vector<std::string> words;
    std::size_t position = 0;
};

}  // namespace plughost
