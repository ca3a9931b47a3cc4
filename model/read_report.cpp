#include "model/read_report.h"

#include <sys/stat.h>

#include <cerrno>

#include "model/read_errors.h"

namespace kelvaro {

std::string warningText(std::string_view raw) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!raw.empty() && isBlank(raw.front())) raw.remove_prefix(1);
    while (!raw.empty() && isBlank(raw.back())) raw.remove_suffix(1);
    const bool shortened = raw.size() > static_cast<std::size_t>(ReadWarning::maxTextLength);
    if (shortened) raw = raw.substr(0, ReadWarning::maxTextLength - 3);
    std::string text;
    for (const char c : raw) {
        const auto code = static_cast<unsigned char>(c);
        text += c == '\t' ? ' ' : code >= 32 && code < 127 ? c : '?';
    }
    if (shortened) text += "...";
    return text;
}

const char* readErrorWords(int code) {
    switch (static_cast<ReadError>(code)) {
        case ReadError::PointWithoutDigit:
            return "a full stop that is not followed by a digit (write 0.5 or .5)";
        case ReadError::ExponentWithoutDigit:
            return "an exponent mark e or E without digits after it (write 1e3 or 1e-3)";
        case ReadError::ExponentTooLarge:
            return "an exponent larger than 300 (1e300 is the largest)";
        case ReadError::TextTooLong:
            return "a text in double quotes, or a word, longer than 255 characters";
        case ReadError::BadBackslash:
            return "a backslash that starts neither a comment (two backslashes) nor a continued line "
                   "(a backslash at the very end of a line)";
        case ReadError::UnterminatedQuotedComment:
            return "a comment opened with an apostrophe (') that is never closed, so it runs to the end of the file";
        case ReadError::InvalidCharacter:
            return "a character that cannot stand there in a model file (such as #, $, %, @ or a letter "
                   "outside plain ASCII)";
        case ReadError::LineFeedInString:
            return "a line that ends inside a text in double quotes (close the quotes on the same line)";
        case ReadError::StatementWithoutKeyword:
            return "a blank line, or a line that does not begin with a statement word (a model file has no "
                   "blank lines, not even at its end)";
        case ReadError::UnknownKeyword:
            return "a line that begins with a word that is no statement (the statements are BOUNDS, MODEL, "
                   "BOX, AXES and POINT)";
        case ReadError::MissingBounds:
            return "the file has no valid BOUNDS statement (BOUNDS FROM x, y, z TO x, y, z), and every model "
                   "needs its box";
        case ReadError::OutOfMemory:
            return "the memory for reading the file ran out";
    }
    return "an unknown read error";
}

std::string formatReadWarning(std::string_view file, const ReadWarning& warning) {
    std::string line = std::string(file) + ":" + std::to_string(warning.line) + ": " + warning.reason;
    if (!warning.text.empty()) line += ": " + warning.text;
    return line;
}

std::string formatReadFailure(std::string_view file, int code, int line) {
    return std::string(file) + ":" + std::to_string(line) + ": " + readErrorWords(code) + " (error " +
           std::to_string(code) + ")";
}

ModelFileRead readModelFile(std::FILE* file) {
    ModelFileRead read;
    try {
        read.model = std::make_unique<Model>(file, &read.warnings);
    } catch (int code) {
        read.error = code;
        read.errorLine = Model::lastReadLine();
    }
    return read;
}

ModelFileRead readModelText(std::string_view text) {
    std::string copy(text);
    errno = 0;
    // A stream on no bytes at all cannot be made in memory; an empty temporary file reads alike.
    std::FILE* file = copy.empty() ? std::tmpfile() : fmemopen(copy.data(), copy.size(), "r");
    if (file == nullptr) {
        ModelFileRead refused;
        refused.openError = errno != 0 ? errno : ENOMEM;
        return refused;
    }
    ModelFileRead read = readModelFile(file);
    std::fclose(file);
    return read;
}

ModelFileRead readModelFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rt");
    struct stat status {};
    int openError = file == nullptr ? errno : 0;
    if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) openError = EISDIR;
    if (openError != 0) {
        if (file != nullptr) std::fclose(file);
        ModelFileRead refused;
        refused.openError = openError;
        return refused;
    }
    ModelFileRead read = readModelFile(file);
    std::fclose(file);
    return read;
}

std::string modelReadReport(const ModelFileRead& read, std::string_view name) {
    if (read.openError != 0) return "Could not open file " + std::string(name) + ".\n";
    std::string report;
    if (!read.model) {
        report = "Failed to read in model correctly.\n" + formatReadFailure(name, read.error, read.errorLine) + "\n";
    }
    for (const ReadWarning& warning : read.warnings) report += formatReadWarning(name, warning) + "\n";
    return report;
}

}  // namespace kelvaro
