#include "engine/formula/formula_evaluator.h"

#include <cmath>
#include <cstdio>

#include "engine/formula/value_rules.h"

namespace brevanta::engine {

using model::ErrorCode;
using model::FormulaNode;
using model::FunctionId;
using model::Value;
using Kind = model::FormulaNode::Kind;

namespace {

const FormulaNode& withoutParens(const FormulaNode& node) {
    const FormulaNode* inner = &node;
    while (inner->kind == Kind::Paren && !inner->children.empty()) inner = &inner->children[0];
    return *inner;
}

bool summarizesRanges(FunctionId id) {
    return id == FunctionId::Sum || id == FunctionId::Average || id == FunctionId::Min || id == FunctionId::Max ||
           id == FunctionId::Count;
}

// Round half away from zero, after settling the last bits (ROUND(1.005, 2) is 1.01).
double roundToDigits(double value, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    const double settled = std::strtod(buffer, nullptr);
    const double scale = std::pow(10.0, std::abs(digits));
    double scaled = digits >= 0 ? settled * scale : settled / scale;
    std::snprintf(buffer, sizeof buffer, "%.15g", scaled);
    scaled = std::round(std::strtod(buffer, nullptr));
    return digits >= 0 ? scaled / scale : scaled * scale;
}

class Evaluator {
public:
    Evaluator(int row, int col, CellSource& cells, const QLocale& locale, std::span<const KnownCell> known = {})
        : row_(row), col_(col), cells_(cells), locale_(locale), known_(known) {}

    Value evaluate(const FormulaNode& node) {
        switch (node.kind) {
        case Kind::Number: return node.number;
        case Kind::Text: return node.text;
        case Kind::Boolean: return node.boolean;
        case Kind::Error: return node.error;
        case Kind::Missing: return model::Empty{};
        case Kind::Paren: return node.children.empty() ? Value(ErrorCode::Value) : evaluate(node.children[0]);
        case Kind::Reference: {
            CellSource* source = sourceOf(node);
            const auto address = resolveReference(node.first, row_, col_);
            if (!address || !source) return ErrorCode::Ref;
            return source->cellValue(address->row, address->col);
        }
        case Kind::Area: return intersect(node);
        case Kind::Unary:
            if (node.children.empty()) return ErrorCode::Value;
            return applyUnary(node.unary, evaluate(node.children[0]), locale_);
        case Kind::Binary: {
            if (node.children.size() < 2) return ErrorCode::Value;
            const Value left = operandValue(node.children[0]);
            const Value right = operandValue(node.children[1]);
            // Numbers (an empty cell counts 0) added, taken away or multiplied:
            // the common case, without the general rules.
            double a = 0, b = 0;
            if (plainNumber(left, a) && plainNumber(right, b))
                if (const auto result = plainArithmetic(node.binary, a, b)) return *result;
            return applyBinary(node.binary, left, right, locale_);
        }
        case Kind::Function: return call(node);
        }
        return ErrorCode::Value;
    }

    // The quick way for the common formulas: the value of a node that is a
    // plain number, found without building values. True when evaluate would
    // give that number, or nothing (which every reader of this gives as 0);
    // false when it gives anything else, and then evaluate says what.
    bool numberOf(const FormulaNode& node, double& number) {
        switch (node.kind) {
        case Kind::Number: number = node.number; return true;
        case Kind::Paren: return !node.children.empty() && numberOf(node.children[0], number);
        case Kind::Reference: {
            const Value* value = cellOf(node);
            return value && plainNumber(*value, number);
        }
        case Kind::Unary: {
            if (node.children.empty() || !numberOf(node.children[0], number)) return false;
            if (node.unary == model::UnaryOp::Plus) return true;
            return held(finiteNumber(node.unary == model::UnaryOp::Minus ? -number : number / 100.0), number);
        }
        case Kind::Binary: {
            double left = 0, right = 0;
            if (node.children.size() < 2 || !operandNumber(node.children[0], left) ||
                !operandNumber(node.children[1], right))
                return false;
            return held(plainArithmetic(node.binary, left, right), number);
        }
        case Kind::Function: return functionNumber(node, number);
        default: return false;
        }
    }

    // numberOf, with the leaves that most operands are taken in place.
    bool operandNumber(const FormulaNode& node, double& number) {
        if (node.kind == Kind::Number) {
            number = node.number;
            return true;
        }
        if (node.kind == Kind::Reference) {
            const Value* value = cellOf(node);
            return value && plainNumber(*value, number);
        }
        return numberOf(node, number);
    }

    // As numberOf, for a node whose value is a truth value.
    bool truthOf(const FormulaNode& node, bool& truth) {
        switch (node.kind) {
        case Kind::Boolean: truth = node.boolean; return true;
        case Kind::Paren: return !node.children.empty() && truthOf(node.children[0], truth);
        case Kind::Function: break;
        default: return false;
        }
        const auto& arguments = node.children;
        switch (node.function) {
        case FunctionId::True: truth = true; return true;
        case FunctionId::False: truth = false; return true;
        case FunctionId::Not:
            if (arguments.size() != 1 || !truthOf(arguments[0], truth)) return false;
            truth = !truth;
            return true;
        case FunctionId::And:
        case FunctionId::Or: {
            // Every argument a truth value: none is passed over, and none is an error.
            const bool all = node.function == FunctionId::And;
            if (arguments.empty()) return false;
            truth = all;
            for (const FormulaNode& argument : arguments) {
                bool each = false;
                if (!truthOf(argument, each)) return false;
                truth = all ? (truth && each) : (truth || each);
            }
            return true;
        }
        case FunctionId::IsBlank:
        case FunctionId::IsNumber:
        case FunctionId::IsText:
        case FunctionId::IsError: {
            if (arguments.size() != 1 || withoutParens(arguments[0]).kind != Kind::Reference) return false;
            const Value* value = cellOf(withoutParens(arguments[0]));
            if (!value) return false;
            if (node.function == FunctionId::IsBlank) truth = model::isEmpty(*value);
            else if (node.function == FunctionId::IsNumber) truth = std::holds_alternative<double>(*value);
            else if (node.function == FunctionId::IsText) truth = std::holds_alternative<QString>(*value);
            else truth = std::holds_alternative<ErrorCode>(*value);
            return true;
        }
        default: return false;
        }
    }

private:
    // numberOf for SUM and IF (kept out of numberOf, whose many small calls it would slow).
    Q_NEVER_INLINE bool functionNumber(const FormulaNode& node, double& number) {
        if (node.function == FunctionId::Sum) return sumOf(node, number);
        if (node.function == FunctionId::If) {
            const auto& arguments = node.children;
            bool condition = false;
            if (arguments.size() < 2 || !truthOf(arguments[0], condition)) return false;
            if (condition) return numberOf(arguments[1], number);
            return arguments.size() > 2 && numberOf(arguments[2], number);
        }
        return false;
    }

    // The quick way's result: true with the number, or false for none.
    static bool held(std::optional<double> result, double& number) {
        if (result) number = *result;
        return result.has_value();
    }

    // The value of the cell a reference names, read in place (or into
    // room_, until the next cell is read); null for #REF!, a reference
    // leaving the sheet or naming none.
    const Value* cellOf(const FormulaNode& reference) {
        const auto address = resolveReference(reference.first, row_, col_);
        if (!address) return nullptr;
        if (reference.sheet.isEmpty())
            for (const KnownCell& cell : known_)
                if (cell.row == address->row && cell.col == address->col) return cell.value;
        CellSource* source = sourceOf(reference);
        if (!source) return nullptr;
        return &source->cellValueIn(address->row, address->col, room_);
    }

    // SUM of cells and plain numbers, as aggregate gives it when nothing is an error.
    bool sumOf(const FormulaNode& node, double& number) {
        double sum = 0;
        for (const FormulaNode& argument : node.children) {
            const FormulaNode& inner = withoutParens(argument);
            if (inner.kind == Kind::Reference) {
                // A cell gives its number; text, truth values and nothing are passed over.
                const Value* value = cellOf(inner);
                if (!value || std::holds_alternative<ErrorCode>(*value)) return false;
                if (const auto* held = std::get_if<double>(value)) sum += *held;
                continue;
            }
            if (inner.kind == Kind::Area) return false;
            double each = 0;
            if (inner.kind != Kind::Missing && !numberOf(inner, each)) return false;
            sum += each;
        }
        return held(finiteNumber(sum), number);
    }

    // A number, or nothing as 0, as arithmetic reads them.
    static bool plainNumber(const Value& value, double& number) {
        if (const auto* held = std::get_if<double>(&value)) {
            number = *held;
            return true;
        }
        number = 0;
        return model::isEmpty(value);
    }

    // What evaluate gives, with a number or a cell of this sheet read in place
    // (most operands and arguments are such leaves).
    Value operandValue(const FormulaNode& node) {
        if (node.kind == Kind::Number) return node.number;
        if (node.kind == Kind::Reference && node.sheet.isEmpty()) {
            const auto address = resolveReference(node.first, row_, col_);
            if (!address) return ErrorCode::Ref;
            return cells_.cellValue(address->row, address->col);
        }
        return evaluate(node);
    }

    // The cells a reference or area reads: this sheet's, or the named sheet's (null when there is none).
    CellSource* sourceOf(const FormulaNode& node) {
        return node.sheet.isEmpty() ? &cells_ : cells_.sheetNamed(node.sheet);
    }

    // A range used as one value: the cell in the formula's row (a one-column
    // range) or column (a one-row range); #VALUE! when there is none.
    Value intersect(const FormulaNode& node) {
        CellSource* source = sourceOf(node);
        const auto range = resolveArea(node.first, node.last, row_, col_);
        if (!range || !source) return ErrorCode::Ref;
        if (range->rowCount() == 1 && range->colCount() == 1) return source->cellValue(range->firstRow, range->firstCol);
        if (range->colCount() == 1 && row_ >= range->firstRow && row_ <= range->lastRow)
            return source->cellValue(row_, range->firstCol);
        if (range->rowCount() == 1 && col_ >= range->firstCol && col_ <= range->lastCol)
            return source->cellValue(range->firstRow, col_);
        return ErrorCode::Value;
    }

    // Calls f(value, fromReference) for every value an argument stands for:
    // each cell of a range, the cell of a reference, or the computed value.
    template <class F>
    void forEachArgumentValue(const FormulaNode& argument, F&& f) {
        const FormulaNode& inner = withoutParens(argument);
        if (inner.kind == Kind::Area) {
            CellSource* source = sourceOf(inner);
            const auto range = resolveArea(inner.first, inner.last, row_, col_);
            if (!range || !source) {
                f(Value(ErrorCode::Ref), true);
                return;
            }
            for (int r = range->firstRow; r <= range->lastRow; ++r)
                for (int c = range->firstCol; c <= range->lastCol; ++c) f(source->cellValue(r, c), true);
        } else {
            f(operandValue(inner), inner.kind == Kind::Reference);
        }
    }

    // SUM, AVERAGE, MIN, MAX, COUNT: ranges and references give only their numbers.
    Value aggregate(const FormulaNode& node) {
        const bool counting = node.function == FunctionId::Count;
        RangeSummary total;
        for (const FormulaNode& argument : node.children) {
            const FormulaNode& inner = withoutParens(argument);
            if (inner.kind == Kind::Area) {
                CellSource* source = sourceOf(inner);
                const auto range = resolveArea(inner.first, inner.last, row_, col_);
                if (!range || !source) {
                    if (!total.firstError) total.firstError = ErrorCode::Ref;
                    continue;
                }
                const RangeSummary part = source->summarize(*range);
                if (part.firstError && !total.firstError) total.firstError = part.firstError;
                total.sum += part.sum;
                total.count += part.count;
                total.minimum = std::min(total.minimum, part.minimum);
                total.maximum = std::max(total.maximum, part.maximum);
                continue;
            }
            const bool reference = inner.kind == Kind::Reference;
            const Value value = operandValue(inner);
            if (inner.kind == Kind::Missing) {
                if (!counting) total.addNumber(0);
                continue;
            }
            if (const auto error = errorOf(value)) {
                if (!total.firstError) total.firstError = *error;
                continue;
            }
            if (const auto* number = std::get_if<double>(&value)) {
                total.addNumber(*number);
            } else if (!reference && !model::isEmpty(value)) {
                // Values typed into the call: truth values and numeric text count as numbers.
                const NumberResult converted = toNumber(value, locale_);
                if (converted.error) {
                    if (!counting && !total.firstError) total.firstError = converted.error;
                } else {
                    total.addNumber(converted.number);
                }
            }
        }
        if (counting) return total.count;  // COUNT counts numbers and passes over errors
        if (total.firstError) return *total.firstError;
        switch (node.function) {
        case FunctionId::Sum: return finiteOrNumError(total.sum);
        case FunctionId::Average:
            if (total.count == 0) return ErrorCode::Div0;
            return finiteOrNumError(total.sum / total.count);
        case FunctionId::Min: return total.count == 0 ? 0.0 : total.minimum;
        case FunctionId::Max: return total.count == 0 ? 0.0 : total.maximum;
        default: return ErrorCode::Value;
        }
    }

    // AND, OR: truth values and numbers count; text and empty cells in ranges are passed over.
    Value logical(const FormulaNode& node) {
        const bool all = node.function == FunctionId::And;
        bool result = all;
        bool any = false;
        std::optional<ErrorCode> firstError;
        for (const FormulaNode& argument : node.children) {
            forEachArgumentValue(argument, [&](const Value& value, bool fromReference) {
                if (firstError) return;
                if (const auto error = errorOf(value)) {
                    firstError = *error;
                    return;
                }
                if (model::isEmpty(value)) return;
                if (std::holds_alternative<QString>(value) && fromReference) return;
                const TruthResult truth = toTruth(value);
                if (truth.error) {
                    firstError = truth.error;
                    return;
                }
                any = true;
                result = all ? (result && truth.truth) : (result || truth.truth);
            });
        }
        if (firstError) return *firstError;
        if (!any) return ErrorCode::Value;
        return result;
    }

    // The range a reference or area argument stands for, and the cells it is read from.
    struct ArgumentRange {
        CellSource* source = nullptr;
        model::CellRange range;
    };
    std::optional<ArgumentRange> argumentRange(const FormulaNode& argument) {
        const FormulaNode& inner = withoutParens(argument);
        std::optional<model::CellRange> range;
        if (inner.kind == Kind::Area) {
            range = resolveArea(inner.first, inner.last, row_, col_);
        } else if (inner.kind == Kind::Reference) {
            if (const auto address = resolveReference(inner.first, row_, col_))
                range = model::CellRange{address->row, address->col, address->row, address->col};
        } else {
            return std::nullopt;
        }
        CellSource* source = sourceOf(inner);
        if (!range || !source) return ArgumentRange{};
        return ArgumentRange{source, *range};
    }

    // COUNTIF(range, criterion) and SUMIF(range, criterion, [sum range]):
    // the sum range has the criteria range's shape from its own top-left cell.
    Value conditional(const FormulaNode& node) {
        const auto& arguments = node.children;
        const auto range = argumentRange(arguments[0]);
        if (!range) return ErrorCode::Value;
        if (!range->source) return ErrorCode::Ref;
        const Value criterionValue = evaluate(arguments[1]);
        const Criterion criterion = Criterion::read(criterionValue, locale_);
        ArgumentRange sums = *range;
        if (node.function == FunctionId::SumIf && arguments.size() > 2 && withoutParens(arguments[2]).kind != Kind::Missing) {
            const auto given = argumentRange(arguments[2]);
            if (!given) return ErrorCode::Value;
            if (!given->source) return ErrorCode::Ref;
            sums = *given;
            sums.range.lastRow = sums.range.firstRow + range->range.rowCount() - 1;
            sums.range.lastCol = sums.range.firstCol + range->range.colCount() - 1;
        }
        const ConditionalTotals totals =
            sums.source == range->source
                ? range->source->conditionalTotals(range->range, sums.range, criterion)
                : scanConditionalTotals(*range->source, range->range, *sums.source, sums.range, criterion);
        if (node.function == FunctionId::CountIf) return totals.count;
        if (totals.firstError) return *totals.firstError;
        return finiteOrNumError(totals.sum);
    }

    Value call(const FormulaNode& node) {
        const auto& arguments = node.children;
        const auto argument = [&](size_t i) -> Value {
            return i < arguments.size() ? operandValue(arguments[i]) : Value(model::Empty{});
        };
        switch (node.function) {
        case FunctionId::Sum:
        case FunctionId::Average:
        case FunctionId::Min:
        case FunctionId::Max:
        case FunctionId::Count: return aggregate(node);
        case FunctionId::And:
        case FunctionId::Or: return logical(node);
        case FunctionId::CountIf:
        case FunctionId::SumIf: return conditional(node);
        case FunctionId::If: {
            bool truth = false;
            const TruthResult condition = truthOf(arguments[0], truth) ? TruthResult{truth, {}} : toTruth(argument(0));
            if (condition.error) return *condition.error;
            if (condition.truth) return arguments.size() > 1 ? evaluate(arguments[1]) : Value(true);
            if (arguments.size() > 2) return evaluate(arguments[2]);
            return false;
        }
        case FunctionId::Not: {
            const TruthResult truth = toTruth(argument(0));
            if (truth.error) return *truth.error;
            return !truth.truth;
        }
        case FunctionId::True: return true;
        case FunctionId::False: return false;
        case FunctionId::IsBlank: return model::isEmpty(argument(0)) && !arguments.empty() &&
                                          withoutParens(arguments[0]).kind != Kind::Missing;
        case FunctionId::IsNumber: return std::holds_alternative<double>(argument(0));
        case FunctionId::IsText: return std::holds_alternative<QString>(argument(0));
        case FunctionId::IsError: return errorOf(argument(0)).has_value();
        case FunctionId::N: {
            const Value value = argument(0);
            if (const auto error = errorOf(value)) return *error;
            if (const auto* number = std::get_if<double>(&value)) return *number;
            if (const auto* truth = std::get_if<bool>(&value)) return *truth ? 1.0 : 0.0;
            return 0.0;
        }
        case FunctionId::Round: {
            const NumberResult value = toNumber(argument(0), locale_);
            if (value.error) return *value.error;
            const NumberResult digits = toNumber(argument(1), locale_);
            if (digits.error) return *digits.error;
            // Beyond the digits a double holds, rounding leaves the number (or, to the left, nothing).
            if (digits.number > 15) return value.number;
            if (digits.number < -308) return 0.0;
            return finiteOrNumError(roundToDigits(value.number, static_cast<int>(std::trunc(digits.number))));
        }
        case FunctionId::Abs: {
            const NumberResult value = toNumber(argument(0), locale_);
            if (value.error) return *value.error;
            return std::fabs(value.number);
        }
        case FunctionId::Len: {
            const TextResult text = toText(argument(0), locale_);
            if (text.error) return *text.error;
            return static_cast<double>(text.text.size());
        }
        case FunctionId::Concatenate: {
            QString joined;
            for (size_t i = 0; i < arguments.size(); ++i) {
                const TextResult text = toText(argument(i), locale_);
                if (text.error) return *text.error;
                joined += text.text;
                if (joined.size() > 32767) return ErrorCode::Value;  // the longest text a cell holds
            }
            return joined;
        }
        }
        return ErrorCode::Name;
    }

    int row_;
    int col_;
    CellSource& cells_;
    const QLocale& locale_;
    Value room_;  // a cell that cellOf read from a source that keeps it elsewhere
    std::span<const KnownCell> known_;
};

bool isCellOrArea(const FormulaNode& node) { return node.kind == Kind::Reference || node.kind == Kind::Area; }

void collectReferences(const FormulaNode& node, bool summarizing, std::vector<FormulaReference>& found) {
    using RefKind = FormulaReference::Kind;
    switch (node.kind) {
    case Kind::Reference: found.push_back({RefKind::Cell, &node, nullptr}); break;
    case Kind::Area: found.push_back({summarizing ? RefKind::SummarizedRange : RefKind::Range, &node, nullptr}); break;
    case Kind::Function: {
        const bool summarizes = summarizesRanges(node.function);
        for (size_t i = 0; i < node.children.size(); ++i) {
            const FormulaNode& child = node.children[i];
            // SUMIF's sum range is read from its top-left cell in the shape of the criteria range.
            if (node.function == model::FunctionId::SumIf && i == 2 && isCellOrArea(withoutParens(child)) &&
                isCellOrArea(withoutParens(node.children[0]))) {
                found.push_back({RefKind::SumRange, &withoutParens(child), &withoutParens(node.children[0])});
                continue;
            }
            collectReferences(child, summarizes && withoutParens(child).kind == Kind::Area, found);
        }
        break;
    }
    case Kind::Paren:
        for (const FormulaNode& child : node.children) collectReferences(child, summarizing, found);
        break;
    default:
        for (const FormulaNode& child : node.children) collectReferences(child, false, found);
        break;
    }
}

// A reference as the range it stands for (one cell, or the area).
std::optional<model::CellRange> rangeOf(const FormulaNode& node, int row, int col) {
    return resolveArea(node.first, node.kind == Kind::Area ? node.last : node.first, row, col);
}

}  // namespace

std::optional<model::CellRange> resolveArea(const model::CellRef& first, const model::CellRef& last, int row, int col) {
    const auto a = resolveReference(first, row, col);
    const auto b = resolveReference(last, row, col);
    if (!a || !b) return std::nullopt;
    return model::CellRange{std::min(a->row, b->row), std::min(a->col, b->col), std::max(a->row, b->row),
                            std::max(a->col, b->col)};
}

Value evaluateFormula(const FormulaNode& root, int row, int col, CellSource& cells, const QLocale& locale,
                      std::span<const KnownCell> known) {
    Evaluator evaluator(row, col, cells, locale, known);
    if (double number = 0; evaluator.numberOf(root, number)) return number;
    Value value = evaluator.evaluate(root);
    if (model::isEmpty(value)) return 0.0;
    return value;
}

std::vector<FormulaReference> referencesOf(const FormulaNode& root) {
    std::vector<FormulaReference> found;
    collectReferences(root, false, found);
    return found;
}

std::optional<model::CellRange> placeReference(const FormulaReference& reference, int row, int col) {
    const FormulaNode& node = *reference.node;
    switch (reference.kind) {
    case FormulaReference::Kind::Cell:
        if (const auto address = resolveReference(node.first, row, col))
            return model::CellRange{address->row, address->col, address->row, address->col};
        return std::nullopt;
    case FormulaReference::Kind::Range:
    case FormulaReference::Kind::SummarizedRange: return resolveArea(node.first, node.last, row, col);
    case FormulaReference::Kind::SumRange: {
        const auto criteriaRange = rangeOf(*reference.criteria, row, col);
        auto range = rangeOf(node, row, col);
        if (!criteriaRange || !range) return std::nullopt;
        range->lastRow = std::min(range->firstRow + criteriaRange->rowCount() - 1, model::kMaxRows - 1);
        range->lastCol = std::min(range->firstCol + criteriaRange->colCount() - 1, model::kMaxColumns - 1);
        return range;
    }
    }
    return std::nullopt;
}

bool onOwnSheet(const FormulaNode& node, const QString& ownSheet) {
    return node.sheet.isEmpty() || node.sheet.compare(ownSheet, Qt::CaseInsensitive) == 0;
}

ConditionalTotals scanConditionalTotals(CellSource& cells, const model::CellRange& range, CellSource& sums,
                                        const model::CellRange& sumRange, const Criterion& criterion) {
    ConditionalTotals totals;
    for (int r = range.firstRow; r <= range.lastRow; ++r)
        for (int c = range.firstCol; c <= range.lastCol; ++c) {
            if (!criterion.matches(cells.cellValue(r, c))) continue;
            totals.count += 1;
            const int sumRow = sumRange.firstRow + (r - range.firstRow);
            const int sumCol = sumRange.firstCol + (c - range.firstCol);
            if (sumRow >= model::kMaxRows || sumCol >= model::kMaxColumns) continue;
            const Value value = sums.cellValue(sumRow, sumCol);
            if (const auto* number = std::get_if<double>(&value)) totals.sum += *number;
            else if (const auto* error = std::get_if<ErrorCode>(&value); error && !totals.firstError) totals.firstError = *error;
        }
    return totals;
}

ConditionalTotals CellSource::conditionalTotals(const model::CellRange& range, const model::CellRange& sumRange,
                                                const Criterion& criterion) {
    return scanConditionalTotals(*this, range, *this, sumRange, criterion);
}

}  // namespace brevanta::engine
