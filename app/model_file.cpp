#include "app/model_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

#include "app/whole_file.h"
#include "model/model_writer.h"

namespace kelvaro {

std::string saveModelFile(const Model& model, const std::string& path) {
    if (path.empty()) return "the file name is empty";
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return "it is a folder";
    const std::optional<std::string> text = modelFileText(model);
    if (!text) return "the model holds a value that a model file cannot state";
    WholeFile file(path);
    if (!file.stream()) return file.error();
    if (std::fwrite(text->data(), 1, text->size(), file.stream()) != text->size()) return std::strerror(errno);
    if (!file.commit()) return file.error();
    return {};
}

}  // namespace kelvaro
