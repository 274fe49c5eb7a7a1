// Reading R1C1 formula text into the formula tree.

#include <QHash>
#include <QStringList>
#include <cmath>
#include <mutex>

#include "engine/formula/formula_text.h"
#include "engine/model/sheet.h"
#include "host/host_api.h"

namespace brevanta::engine {

namespace {

using model::FormulaNode;
using Kind = model::FormulaNode::Kind;

// The longest formula text and string constant the saved file format can hold.
constexpr qsizetype kMaxFormulaLength = 1024;
constexpr qsizetype kMaxStringLength = 255;
// Deeper nesting than any real formula; keeps every walk over the tree shallow.
constexpr int kMaxNesting = 200;

struct SyntaxError {};

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

class Parser {
public:
    explicit Parser(const QString& text) : text_(text) {}

    FormulaNode parseWhole() {
        position_ = 1;  // after "="
        FormulaNode root = comparison();
        skipBlanks();
        if (position_ != text_.size()) throw SyntaxError{};
        return root;
    }

    QString unknownFunction;  // set when a name followed by "(" is not a known function

private:
    bool atEnd() const { return position_ >= text_.size(); }
    QChar peek(qsizetype ahead = 0) const {
        return position_ + ahead < text_.size() ? text_[position_ + ahead] : QChar();
    }
    void skipBlanks() {
        while (!atEnd() && (peek() == QLatin1Char(' ') || peek() == QLatin1Char('\n') || peek() == QLatin1Char('\r')))
            ++position_;
    }
    bool take(QChar c) {
        skipBlanks();
        if (peek() != c) return false;
        ++position_;
        return true;
    }
    bool takeText(const char* operatorText) {
        skipBlanks();
        const QLatin1String op(operatorText);
        if (QStringView(text_).mid(position_).startsWith(op)) {
            position_ += op.size();
            return true;
        }
        return false;
    }

    struct Depth {
        explicit Depth(int& depth) : depth_(depth) {
            if (++depth_ > kMaxNesting) throw SyntaxError{};
        }
        ~Depth() { --depth_; }
        int& depth_;
    };

    static FormulaNode binary(model::BinaryOp op, FormulaNode left, FormulaNode right) {
        FormulaNode node;
        node.kind = Kind::Binary;
        node.binary = op;
        node.children.push_back(std::move(left));
        node.children.push_back(std::move(right));
        return node;
    }

    // Each operator level is a loop over the next: comparisons bind loosest.
    FormulaNode comparison() {
        Depth depth(depth_);
        FormulaNode left = concatenation();
        for (;;) {
            model::BinaryOp op;
            if (takeText("<=")) op = model::BinaryOp::LessEqual;
            else if (takeText(">=")) op = model::BinaryOp::GreaterEqual;
            else if (takeText("<>")) op = model::BinaryOp::NotEqual;
            else if (takeText("<")) op = model::BinaryOp::Less;
            else if (takeText(">")) op = model::BinaryOp::Greater;
            else if (takeText("=")) op = model::BinaryOp::Equal;
            else return left;
            left = binary(op, std::move(left), concatenation());
        }
    }
    FormulaNode concatenation() {
        FormulaNode left = additive();
        while (take(QLatin1Char('&'))) left = binary(model::BinaryOp::Concat, std::move(left), additive());
        return left;
    }
    FormulaNode additive() {
        FormulaNode left = multiplicative();
        for (;;) {
            if (take(QLatin1Char('+'))) left = binary(model::BinaryOp::Add, std::move(left), multiplicative());
            else if (take(QLatin1Char('-'))) left = binary(model::BinaryOp::Subtract, std::move(left), multiplicative());
            else return left;
        }
    }
    FormulaNode multiplicative() {
        FormulaNode left = power();
        for (;;) {
            if (take(QLatin1Char('*'))) left = binary(model::BinaryOp::Multiply, std::move(left), power());
            else if (take(QLatin1Char('/'))) left = binary(model::BinaryOp::Divide, std::move(left), power());
            else return left;
        }
    }
    FormulaNode power() {
        FormulaNode left = percent();
        while (take(QLatin1Char('^'))) left = binary(model::BinaryOp::Power, std::move(left), percent());
        return left;
    }
    FormulaNode percent() {
        FormulaNode operand = unary();
        while (take(QLatin1Char('%'))) {
            FormulaNode node;
            node.kind = Kind::Unary;
            node.unary = model::UnaryOp::Percent;
            node.children.push_back(std::move(operand));
            operand = std::move(node);
        }
        return operand;
    }
    // Unary minus binds tighter than "^": =-2^2 is 4.
    FormulaNode unary() {
        Depth depth(depth_);
        skipBlanks();
        if (take(QLatin1Char('-')) || (peek() == QLatin1Char('+') && take(QLatin1Char('+')))) {
            FormulaNode node;
            node.kind = Kind::Unary;
            node.unary = text_[position_ - 1] == QLatin1Char('-') ? model::UnaryOp::Minus : model::UnaryOp::Plus;
            node.children.push_back(unary());
            return node;
        }
        return range();
    }
    // The reference operator ":" binds tightest; both sides must be single cells.
    FormulaNode range() {
        FormulaNode first = primary();
        skipBlanks();
        if (peek() != QLatin1Char(':')) return first;
        ++position_;
        skipBlanks();
        FormulaNode last = primary();
        if (first.kind != Kind::Reference || last.kind != Kind::Reference) throw SyntaxError{};
        // 'Sheet'!R1C1:R2C2 names its sheet once; naming it again is allowed, another one is not.
        if (!last.sheet.isEmpty() && last.sheet != first.sheet) throw SyntaxError{};
        FormulaNode area;
        area.kind = Kind::Area;
        area.first = first.first;
        area.last = last.first;
        area.sheet = first.sheet;
        return area;
    }

    FormulaNode primary() {
        Depth depth(depth_);
        skipBlanks();
        if (atEnd()) throw SyntaxError{};
        const QChar c = peek();
        if (c == QLatin1Char('(')) {
            ++position_;
            FormulaNode node;
            node.kind = Kind::Paren;
            node.children.push_back(comparison());
            if (!take(QLatin1Char(')'))) throw SyntaxError{};
            return node;
        }
        if (c == QLatin1Char('"')) return stringConstant();
        if (c == QLatin1Char('#')) return errorConstant();
        if (isAsciiDigit(c) || c == QLatin1Char('.')) return numberConstant();
        if (c == QLatin1Char('\'')) return quotedSheetReference();
        if (isNameStart(c)) return nameOrReference();
        // "[Book]..." external references and anything else we do not read.
        throw SyntaxError{};
    }

    static bool isNameStart(QChar c) {
        return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
               c == QLatin1Char('_') || c == QLatin1Char('\\');
    }
    static bool isNamePart(QChar c) {
        return isNameStart(c) || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
    }

    FormulaNode stringConstant() {
        ++position_;  // opening quote
        QString value;
        for (;;) {
            if (atEnd()) throw SyntaxError{};
            const QChar c = text_[position_++];
            if (c == QLatin1Char('"')) {
                if (peek() == QLatin1Char('"')) {
                    value += c;
                    ++position_;
                    continue;
                }
                break;
            }
            value += c;
        }
        if (value.size() > kMaxStringLength) throw SyntaxError{};
        FormulaNode node;
        node.kind = Kind::Text;
        node.text = value;
        return node;
    }

    FormulaNode errorConstant() {
        static const char* const kErrorTexts[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
        for (const char* errorText : kErrorTexts) {
            const QLatin1String candidate(errorText);
            if (QStringView(text_).mid(position_).startsWith(candidate, Qt::CaseInsensitive)) {
                position_ += candidate.size();
                FormulaNode node;
                node.kind = Kind::Error;
                node.error = *model::errorFromText(candidate);
                return node;
            }
        }
        throw SyntaxError{};
    }

    FormulaNode numberConstant() {
        const qsizetype start = position_;
        while (!atEnd() && isAsciiDigit(peek())) ++position_;
        if (peek() == QLatin1Char('.')) {
            ++position_;
            while (!atEnd() && isAsciiDigit(peek())) ++position_;
        }
        if (peek() == QLatin1Char('e') || peek() == QLatin1Char('E')) {
            qsizetype exponent = position_ + 1;
            if (exponent < text_.size() && (text_[exponent] == QLatin1Char('+') || text_[exponent] == QLatin1Char('-')))
                ++exponent;
            if (exponent < text_.size() && isAsciiDigit(text_[exponent])) {
                position_ = exponent;
                while (!atEnd() && isAsciiDigit(peek())) ++position_;
            }
        }
        bool ok = false;
        const double value = QStringView(text_).mid(start, position_ - start).toDouble(&ok);
        if (!ok || !std::isfinite(value)) throw SyntaxError{};
        FormulaNode node;
        node.kind = Kind::Number;
        node.number = value;
        return node;
    }

    // One part of an R1C1 reference after its "R" or "C": "", "5" (absolute) or "[-2]" (relative).
    std::optional<model::RefPart> referencePart(qsizetype& at, int limit) const {
        model::RefPart part;
        if (at < text_.size() && text_[at] == QLatin1Char('[')) {
            qsizetype i = at + 1;
            bool negative = false;
            if (i < text_.size() && (text_[i] == QLatin1Char('-') || text_[i] == QLatin1Char('+'))) {
                negative = text_[i] == QLatin1Char('-');
                ++i;
            }
            long long offset = 0;
            const qsizetype digitsStart = i;
            while (i < text_.size() && isAsciiDigit(text_[i]) && i - digitsStart < 7) offset = offset * 10 + text_[i++].digitValue();
            if (i == digitsStart || i >= text_.size() || text_[i] != QLatin1Char(']')) return std::nullopt;
            if (offset >= limit) return std::nullopt;
            part.relative = true;
            part.index = static_cast<int>(negative ? -offset : offset);
            at = i + 1;
            return part;
        }
        if (at < text_.size() && isAsciiDigit(text_[at])) {
            long long number = 0;
            const qsizetype digitsStart = at;
            while (at < text_.size() && isAsciiDigit(text_[at]) && at - digitsStart < 7) number = number * 10 + text_[at++].digitValue();
            if (number < 1 || number > limit) return std::nullopt;
            part.relative = false;
            part.index = static_cast<int>(number - 1);
            return part;
        }
        part.relative = true;
        part.index = 0;
        return part;
    }

    // "R..C..", when the text at `at` is exactly a cell reference; the end in `at`.
    std::optional<model::CellRef> cellReference(qsizetype& at) const {
        if (at >= text_.size() || text_[at].toUpper() != QLatin1Char('R')) return std::nullopt;
        qsizetype i = at + 1;
        const auto row = referencePart(i, model::kMaxRows);
        if (!row || i >= text_.size() || text_[i].toUpper() != QLatin1Char('C')) return std::nullopt;
        ++i;
        const auto col = referencePart(i, model::kMaxColumns);
        if (!col) return std::nullopt;
        if (i < text_.size() && (isNamePart(text_[i]) || text_[i] == QLatin1Char('(') || text_[i] == QLatin1Char('[')))
            return std::nullopt;
        at = i;
        return model::CellRef{*row, *col};
    }

    // A sheet's name as a reference may carry it: 1 to 31 characters, none of : \\ / ? * [ ].
    static bool isSheetName(const QString& name) {
        if (name.isEmpty() || name.size() > 31) return false;
        for (QChar c : name)
            if (QStringLiteral(":\\/?*[]").contains(c) || c.unicode() < 0x20) return false;
        return true;
    }

    // The cell reference after "Sheet!" or "'Sheet'!", on that sheet of this workbook.
    FormulaNode referenceOnSheet(const QString& sheet) {
        if (!isSheetName(sheet) || peek() != QLatin1Char('!')) throw SyntaxError{};
        ++position_;
        qsizetype end = position_;
        const auto reference = cellReference(end);
        if (!reference) throw SyntaxError{};
        position_ = end;
        FormulaNode node;
        node.kind = Kind::Reference;
        node.first = *reference;
        node.sheet = sheet;
        return node;
    }

    // 'Check Register'!R6C5: quotes inside the name are doubled.
    FormulaNode quotedSheetReference() {
        ++position_;  // opening quote
        QString sheet;
        for (;;) {
            if (atEnd()) throw SyntaxError{};
            const QChar c = text_[position_++];
            if (c == QLatin1Char('\'')) {
                if (peek() != QLatin1Char('\'')) break;
                ++position_;
            }
            sheet += c;
        }
        return referenceOnSheet(sheet);
    }

    FormulaNode nameOrReference() {
        qsizetype end = position_;
        if (const auto reference = cellReference(end)) {
            position_ = end;
            FormulaNode node;
            node.kind = Kind::Reference;
            node.first = *reference;
            return node;
        }
        const qsizetype start = position_;
        while (!atEnd() && isNamePart(peek())) ++position_;
        if (peek() == QLatin1Char('!')) return referenceOnSheet(text_.mid(start, position_ - start));
        const QString name = text_.mid(start, position_ - start).toUpper();
        skipBlanks();
        if (peek() == QLatin1Char('(')) return functionCall(name);
        if (name == QLatin1String("TRUE") || name == QLatin1String("FALSE")) {
            FormulaNode node;
            node.kind = Kind::Boolean;
            node.boolean = name == QLatin1String("TRUE");
            return node;
        }
        // Defined names and DDE ("a|b!c") references are not accepted.
        throw SyntaxError{};
    }

    FormulaNode functionCall(const QString& name) {
        const model::FunctionInfo* info = model::functionByName(name);
        if (!info) {
            unknownFunction = name;
            throw SyntaxError{};
        }
        ++position_;  // "("
        FormulaNode node;
        node.kind = Kind::Function;
        node.function = info->id;
        skipBlanks();
        if (peek() == QLatin1Char(')')) {
            ++position_;
        } else {
            for (;;) {
                skipBlanks();
                if (peek() == QLatin1Char(',') || peek() == QLatin1Char(')')) node.children.emplace_back();  // missing
                else node.children.push_back(comparison());
                if (take(QLatin1Char(','))) continue;
                if (take(QLatin1Char(')'))) break;
                throw SyntaxError{};
            }
        }
        const auto count = node.children.size();
        if (count < info->minArgs || count > info->maxArgs) throw SyntaxError{};
        return node;
    }

    const QString& text_;
    qsizetype position_ = 0;
    int depth_ = 0;
};

}  // namespace

namespace {

model::FormulaPtr parseUncached(const QString& text) {
    const auto refuse = [&text]() -> host::HostError {
        return host::HostError(QStringLiteral("The formula contains an error: ") + text);
    };
    if (!text.startsWith(QLatin1Char('=')) || text.size() > kMaxFormulaLength) throw refuse();
    Parser parser(text);
    try {
        auto formula = std::make_shared<model::Formula>();
        formula->root = parser.parseWhole();
        return formula;
    } catch (const SyntaxError&) {
        if (!parser.unknownFunction.isEmpty())
            throw host::HostError(QStringLiteral("Unknown function: ") + parser.unknownFunction);
        throw refuse();
    }
}

// Recently read formulas by their text: the register writes one formula
// into every row, and those cells then share one tree.
class RecentFormulas {
public:
    model::FormulaPtr find(const QString& text) {
        std::lock_guard lock(mutex_);
        return formulas_.value(text);
    }
    void remember(const QString& text, const model::FormulaPtr& formula) {
        std::lock_guard lock(mutex_);
        if (formulas_.size() >= kCapacity) formulas_.clear();
        formulas_.insert(text, formula);
    }

private:
    static constexpr qsizetype kCapacity = 256;
    std::mutex mutex_;
    QHash<QString, model::FormulaPtr> formulas_;
};

}  // namespace

model::FormulaPtr parseFormulaR1C1(const QString& text) {
    static RecentFormulas recent;
    if (model::FormulaPtr known = recent.find(text)) return known;
    model::FormulaPtr formula = parseUncached(text);
    recent.remember(text, formula);
    return formula;
}

}  // namespace brevanta::engine
