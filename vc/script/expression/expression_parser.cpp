// Parser and evaluator of the expression language.
//
// A precedence-climbing parser builds a tree of cells from a fixed array of
// 39, then the tree is evaluated at once. The cell array, the stack-depth cap
// and the treatment of trailing tokens reproduce the limits and errors that
// scripts written for this system rely on.
#include "vc/script/expression/expression.h"

#include <array>

#include "vc/script/expression/expression_scanner.h"

namespace vc {
namespace {

constexpr int kOperatorNot = '!';

struct Cell {
    int kind = 0;             // token code of a leaf, or the operator code
    std::int32_t number = 0;  // kTokenNumber
    std::string text;         // kTokenString, kTokenName
    int left = -1;            // operand cells of an operator
    int right = -1;
};

// The cells of one evaluation. The first two are made up front (the truth
// cell and an empty text), so 37 remain for the expression itself.
class CellArray {
public:
    CellArray()
    {
        at(allocate(kTokenNumber)).number = 1;
        allocate(kTokenString);
    }

    int allocate(int kind)
    {
        if (used_ >= cells_.size())
            throw ScriptError("no space");
        cells_[used_].kind = kind;
        return static_cast<int>(used_++);
    }

    Cell& at(int index) { return cells_[static_cast<std::size_t>(index)]; }
    const Cell& at(int index) const { return cells_[static_cast<std::size_t>(index)]; }

private:
    std::array<Cell, kExpressionCells> cells_;
    std::size_t used_ = 0;
};

// Binding level of a binary operator token, 0 for anything else.
// Prefix "!" sits between "&&" (2) and the equality operators (4).
int binaryLevel(int code)
{
    switch (code) {
    case kTokenOr: return 1;
    case kTokenAnd: return 2;
    case kTokenEqual:
    case kTokenNotEqual: return 4;
    case '<':
    case '>':
    case kTokenLessEqual:
    case kTokenGreaterEqual: return 5;
    case '+': return 6;
    default: return 0;
    }
}
constexpr int kNotOperandLevel = 4;
constexpr int kRightGroupingLevel = 4;

class Parser {
public:
    Parser(std::string_view text, ExpressionEnvironment& environment)
        : scanner_(text, environment) {}

    // Parses the whole input and returns the root cell.
    int parseWhole()
    {
        int root = parseBinary(1);
        // A complete expression followed by more tokens: the parser this
        // language was defined by reduces an empty rule until its stack is
        // full, so scripts see this error rather than "Syntax error".
        if (peek() != kTokenEnd)
            throw ScriptError("Parser stack overflow");
        return root;
    }

    const CellArray& cells() const { return cells_; }

private:
    // The code of the lookahead token. A leaf cell is made as soon as its
    // token is scanned.
    int peek()
    {
        if (!haveLookahead_) {
            ScannedToken token = scanner_.next();
            lookaheadCode_ = token.code;
            if (token.code == kTokenNumber || token.code == kTokenString || token.code == kTokenName) {
                lookaheadCell_ = cells_.allocate(token.code);
                Cell& leaf = cells_.at(lookaheadCell_);
                leaf.number = token.number;
                leaf.text = std::move(token.text);
            }
            haveLookahead_ = true;
        }
        return lookaheadCode_;
    }

    void consume() { haveLookahead_ = false; }

    int makeOperator(int code, int left, int right)
    {
        int node = cells_.allocate(code);
        cells_.at(node).left = left;
        cells_.at(node).right = right;
        return node;
    }

    int parseBinary(int minLevel)
    {
        int left = parseOperand();
        for (;;) {
            int code = peek();
            int level = binaryLevel(code);
            if (level == 0 || level < minLevel)
                return left;
            consume();
            int nextLevel = level == kRightGroupingLevel ? level : level + 1;
            // The left operand and the operator wait on the stack.
            int right = nested(2, [this, nextLevel] { return parseBinary(nextLevel); });
            left = makeOperator(code, left, right);
        }
    }

    int parseOperand()
    {
        int code = peek();
        switch (code) {
        case kTokenNumber:
        case kTokenString:
        case kTokenName:
            consume();
            return lookaheadCell_;
        case '(': {
            consume();
            int inner = nested(1, [&] { return parseBinary(1); });
            if (peek() != ')')
                throw ScriptError("Syntax error");
            consume();
            return inner;
        }
        case '!': {
            consume();
            int operand = nested(1, [&] { return parseBinary(kNotOperandLevel); });
            return makeOperator(kOperatorNot, operand, -1);
        }
        default:
            throw ScriptError("Syntax error");
        }
    }

    template <typename Parse>
    int nested(int states, Parse&& parse)
    {
        depth_ += states;
        if (depth_ > kExpressionStackDepth)
            throw ScriptError("Parser stack overflow");
        int result = parse();
        depth_ -= states;
        return result;
    }

    ExpressionScanner scanner_;
    CellArray cells_;
    bool haveLookahead_ = false;
    int lookaheadCode_ = kTokenEnd;
    int lookaheadCell_ = -1;
    int depth_ = 0;
};

ExpressionValue truthValue(bool truth)
{
    return truth ? ExpressionValue::ofNumber(1) : ExpressionValue::null();
}

ExpressionValue compare(int code, const ExpressionValue& left, const ExpressionValue& right)
{
    int order;
    if (left.isNull() && right.isNull()) {
        order = 0;
    } else if (left.isText() || right.isText()) {
        // Byte order with unsigned bytes, as strcmp compares.
        order = expressionText(left).compare(expressionText(right));
    } else {
        std::int32_t a = expressionInteger(left);
        std::int32_t b = expressionInteger(right);
        order = a < b ? -1 : (a > b ? 1 : 0);
    }
    switch (code) {
    case kTokenEqual: return truthValue(order == 0);
    case kTokenNotEqual: return truthValue(order != 0);
    case '<': return truthValue(order < 0);
    case '>': return truthValue(order > 0);
    case kTokenLessEqual: return truthValue(order <= 0);
    case kTokenGreaterEqual: return truthValue(order >= 0);
    default: break;
    }
    return ExpressionValue::null();
}

class Evaluator {
public:
    Evaluator(const CellArray& cells, ExpressionEnvironment& environment)
        : cells_(cells), environment_(environment) {}

    ExpressionValue evaluate(int index)
    {
        const Cell& cell = cells_.at(index);
        switch (cell.kind) {
        case kTokenNumber:
            return ExpressionValue::ofNumber(cell.number);
        case kTokenString:
            return ExpressionValue::ofText(cell.text);
        case kTokenName: {
            std::optional<std::string> value = environment_.variableValue(cell.text);
            return value ? ExpressionValue::ofText(std::move(*value)) : ExpressionValue::null();
        }
        case kOperatorNot:
            return truthValue(!expressionTruth(evaluate(cell.left)));
        case kTokenAnd: {
            if (!expressionTruth(evaluate(cell.left)))
                return ExpressionValue::null();
            return evaluate(cell.right);
        }
        case kTokenOr: {
            ExpressionValue left = evaluate(cell.left);
            if (expressionTruth(left))
                return left;
            return evaluate(cell.right);
        }
        case '+': {
            ExpressionValue left = evaluate(cell.left);
            ExpressionValue right = evaluate(cell.right);
            if (left.isNull())
                return right;
            if (right.isNull())
                return left;
            if (left.isNumber() && right.isNumber())
                return ExpressionValue::ofNumber(wrappingAdd(left.number, right.number));
            return ExpressionValue::ofText(expressionText(left) + expressionText(right));
        }
        default: {
            ExpressionValue left = evaluate(cell.left);
            ExpressionValue right = evaluate(cell.right);
            return compare(cell.kind, left, right);
        }
        }
    }

private:
    const CellArray& cells_;
    ExpressionEnvironment& environment_;
};

}  // namespace

ExpressionValue evaluateExpression(std::string_view text, ExpressionEnvironment& environment)
{
    Parser parser(text, environment);
    int root = parser.parseWhole();
    return Evaluator(parser.cells(), environment).evaluate(root);
}

bool evaluateExpressionTruth(std::string_view text, ExpressionEnvironment& environment)
{
    return expressionTruth(evaluateExpression(text, environment));
}

std::int32_t evaluateExpressionInteger(std::string_view text, ExpressionEnvironment& environment)
{
    return expressionInteger(evaluateExpression(text, environment));
}

}  // namespace vc
