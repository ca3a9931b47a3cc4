#pragma once
// ModelReader: the statement level of the model-file reader. It reads one statement per
// call from a ModelLexer and writes the Model only after all of a statement's tokens were
// read; a statement with wrong arguments is dropped, and so is the line after a statement
// that ended with its line. Each such loss can be told as a ReadWarning; the model is the
// same either way. Used only by the reading constructor of Model.

#include <optional>
#include <string>
#include <vector>

#include "common/vector3.h"
#include "model/keyword_table.h"
#include "model/model.h"
#include "model/model_lexer.h"
#include "model/read_report.h"

namespace kelvaro {

enum class StatementOutcome { EndOfInput, Done, Dropped };

class ModelReader {
public:
    // Warnings, when `warnings` is given, are appended to it.
    ModelReader(ModelLexer& lexer, const KeywordTable& keywords, Model& model,
                std::vector<ReadWarning>* warnings = nullptr)
        : lexer_(lexer), keywords_(keywords), model_(model), warnings_(warnings) {}

    // Reads one statement and then skips the rest of its line. Raises
    // ReadError::StatementWithoutKeyword or ::UnknownKeyword when the line does not begin
    // with a statement word, and passes on every lexical error.
    StatementOutcome readStatement();
    // Three numbers separated by commas, or nothing at the first token that does not fit.
    std::optional<Vector3> readPoint();
    // Reads one token; true when it is an Identifier whose keyword code is `code`.
    bool expectKeyword(Keyword code);

    // Whether a BOUNDS statement has set the model's box.
    bool boundsRead() const { return boundsRead_; }
    // Once every statement is read: a warning for each stored charge that lies outside the
    // box (its faces count as inside), at the charge's line, the warnings kept in file order.
    void warnChargesOutsideBox();

private:
    std::optional<float> readNumber();
    bool readBounds();
    bool readName();
    bool readCharge();
    // Sets `flag` on ON; anything but ON or OFF is worth the warning `withoutOn`, OFF on a
    // flag already on the warning `offAfterOn`.
    void readFlag(bool& flag, const char* withoutOn, const char* offAfterOn);
    void warn(int line, std::string reason);

    ModelLexer& lexer_;
    const KeywordTable& keywords_;
    Model& model_;
    std::vector<ReadWarning>* warnings_;
    bool boundsRead_ = false;
    bool chargeLimitTold_ = false;  // the first charge past the limit says so, once
    std::string problem_;           // why the statement being read had no effect
    // Where each stored charge was stated (with warnings only): its line and that line's text.
    struct StatedCharge {
        int line;
        std::string text;
    };
    std::vector<StatedCharge> statedCharges_;
};

}  // namespace kelvaro
