#include "model/model_writer.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/whole_file.h"
#include "model/model_numbers.h"

namespace kelvaro {
namespace {

// The name as a quoted string: the reader ends a string at a double quote and refuses a
// bare line feed, and a carriage return before a line feed would read as one.
std::optional<std::string> quoted(std::string_view name) {
    std::string text = "\"";
    for (const char c : name) {
        switch (c) {
            case '\0': return std::nullopt;  // ends the reader's input
            case '"': text += "\\\""; break;
            case '\\': text += "\\\\"; break;
            case '\n': text += "\\n"; break;
            case '\r': text += "\\r"; break;
            default: text += c; break;
        }
    }
    return text + '"';
}

// "x, y, z", or none when a coordinate cannot be written.
std::optional<std::string> pointText(const Vector3& p) {
    const auto x = modelNumberText(p.x), y = modelNumberText(p.y), z = modelNumberText(p.z);
    if (!x || !y || !z) return std::nullopt;
    return *x + ", " + *y + ", " + *z;
}

constexpr std::string_view ownComment = "\\\\ A model saved by Kelvaro.";

// Whether `line` (without its line feed) is a comment line: blanks, then two backslashes.
bool isCommentLine(std::string_view line) {
    const std::size_t start = line.find_first_not_of(" \t");
    return start != std::string_view::npos && line.substr(start, 2) == "\\\\";
}

}  // namespace

std::string leadingCommentLines(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return {};
    std::string comments, line;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!isCommentLine(line) || line.find('\0') != std::string::npos) break;
        if (line != ownComment) comments += line + "\n";
        line.clear();
    }
    std::fclose(file);
    return comments;
}

std::optional<std::string> modelFileText(const Model& model, std::string_view leadingComments) {
    const auto name = quoted(model.name());
    const auto low = pointText(model.bounds().min), high = pointText(model.bounds().max);
    if (!name || !low || !high) return std::nullopt;
    std::string text(leadingComments);
    text += std::string(ownComment) + "\n";
    text += "MODEL " + *name + "\n";
    text += "BOUNDS FROM " + *low + " TO " + *high + "\n";
    if (model.axesOn()) text += "AXES ON\n";
    if (model.boxOn()) text += "BOX ON\n";
    for (const Charge& charge : model.charges()) {
        const auto value = modelNumberText(static_cast<float>(charge.value));
        const auto position = pointText(charge.position);
        if (!value || !position) return std::nullopt;
        text += "POINT " + *value + " AT " + *position + "\n";
    }
    return text;
}

std::string saveModelFile(const Model& model, const std::string& path, std::string_view leadingComments) {
    if (path.empty()) return "the file name is empty";
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return "it is a folder";
    const std::optional<std::string> text = modelFileText(model, leadingComments);
    if (!text) return "the model holds a value that a model file cannot state";
    WholeFile file(path);
    if (!file.stream()) return file.error();
    if (std::fwrite(text->data(), 1, text->size(), file.stream()) != text->size()) return std::strerror(errno);
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace kelvaro
