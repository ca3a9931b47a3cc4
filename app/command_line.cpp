#include "app/command_line.h"

namespace kelvaro {

StartOptions readCommandLine(const std::vector<std::string>& arguments) {
    StartOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--style") {
            const std::string value = i + 1 < arguments.size() ? arguments[++i] : "";
            if (value == "teaching" || value == "plain") {
                options.teachingStyle = value == "teaching";
            } else {
                options.refusals += "--style needs \"teaching\" or \"plain\"" +
                                    (value.empty() ? std::string() : ", not \"" + value + "\"") +
                                    "; the remembered look is used.\n";
            }
        } else if (word.size() > 1 && word[0] == '-') {
            options.refusals += "Unknown option " + word + ": kelvaro takes --style teaching|plain and a model file.\n";
        } else if (options.modelFile.empty()) {
            options.modelFile = word;
        } else {
            options.refusals += "Only one model file is loaded at start: " + word + " was left out.\n";
        }
    }
    return options;
}

}  // namespace kelvaro
