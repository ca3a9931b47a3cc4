#pragma once
// ModelReader: the statement level of the model-file reader. It reads one statement per
// call from a ModelLexer and writes the Model only after all of a statement's tokens were
// read; a statement with wrong arguments is dropped without a trace. Used only by the
// reading constructor of Model.

#include <optional>

#include "common/vector3.h"
#include "model/keyword_table.h"
#include "model/model.h"
#include "model/model_lexer.h"

namespace kelvaro {

enum class StatementOutcome { EndOfInput, Done, Dropped };

class ModelReader {
public:
    ModelReader(ModelLexer& lexer, const KeywordTable& keywords, Model& model)
        : lexer_(lexer), keywords_(keywords), model_(model) {}

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

private:
    std::optional<float> readNumber();
    bool readBounds();
    bool readName();
    bool readCharge();
    void readFlag(bool& flag);

    ModelLexer& lexer_;
    const KeywordTable& keywords_;
    Model& model_;
    bool boundsRead_ = false;
};

}  // namespace kelvaro
