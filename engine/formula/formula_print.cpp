// Writing the formula tree as canonical R1C1 text, or as A1 text seen from one cell.

#include <QRegularExpression>
#include <charconv>

#include "engine/formula/formula_text.h"
#include "engine/model/sheet.h"

namespace brevanta::engine {

namespace {

using model::FormulaNode;
using Kind = model::FormulaNode::Kind;

// Binding strength, loosest first; an operand that binds looser than its
// place needs gets parentheses (trees read from text carry Paren nodes, so
// this only matters for trees built otherwise).
enum Precedence { Comparison = 1, Concat, Additive, Multiplicative, Power, Percent, Unary, Operand };

int precedenceOf(const FormulaNode& node) {
    if (node.kind == Kind::Unary) return node.unary == model::UnaryOp::Percent ? Percent : Unary;
    if (node.kind != Kind::Binary) return Operand;
    switch (node.binary) {
    case model::BinaryOp::Add:
    case model::BinaryOp::Subtract: return Additive;
    case model::BinaryOp::Multiply:
    case model::BinaryOp::Divide: return Multiplicative;
    case model::BinaryOp::Power: return Power;
    case model::BinaryOp::Concat: return Concat;
    default: return Comparison;
    }
}

const char* operatorText(model::BinaryOp op) {
    switch (op) {
    case model::BinaryOp::Add: return "+";
    case model::BinaryOp::Subtract: return "-";
    case model::BinaryOp::Multiply: return "*";
    case model::BinaryOp::Divide: return "/";
    case model::BinaryOp::Power: return "^";
    case model::BinaryOp::Concat: return "&";
    case model::BinaryOp::Less: return "<";
    case model::BinaryOp::LessEqual: return "<=";
    case model::BinaryOp::Equal: return "=";
    case model::BinaryOp::GreaterEqual: return ">=";
    case model::BinaryOp::Greater: return ">";
    case model::BinaryOp::NotEqual: return "<>";
    }
    return "+";
}

QString numberText(double value) {
    // Shortest text that reads back as the same number; plain digits in the usual range.
    char buffer[400];
    const double magnitude = value < 0 ? -value : value;
    const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

void appendPart(QString& out, QChar letter, const model::RefPart& part) {
    out += letter;
    if (!part.relative) out += QString::number(part.index + 1);
    else if (part.index != 0) out += QLatin1Char('[') + QString::number(part.index) + QLatin1Char(']');
}

// Where references are printed from: no cell for R1C1, the formula's own cell for A1.
struct Notation {
    bool a1 = false;
    int row = 0;
    int col = 0;
};

void appendR1C1Reference(QString& out, const model::CellRef& reference) {
    appendPart(out, QLatin1Char('R'), reference.row);
    appendPart(out, QLatin1Char('C'), reference.col);
}

void appendColumnLetters(QString& out, int col) {
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) letters.prepend(QLatin1Char(char('A' + (n - 1) % 26)));
    out += letters;
}

// False when the reference points outside the sheet.
bool appendA1Reference(QString& out, const model::CellRef& reference, const Notation& at) {
    const int row = reference.absoluteRow(at.row);
    const int col = reference.absoluteCol(at.col);
    if (row < 0 || row >= model::kMaxRows || col < 0 || col >= model::kMaxColumns) return false;
    if (!reference.col.relative) out += QLatin1Char('$');
    appendColumnLetters(out, col);
    if (!reference.row.relative) out += QLatin1Char('$');
    out += QString::number(row + 1);
    return true;
}

// "Sheet!" or "'Check Register'!" before a reference to another sheet.
void appendSheet(QString& out, const FormulaNode& node) {
    if (!node.sheet.isEmpty()) out += sheetPrefix(node.sheet);
}

void appendReference(QString& out, const model::CellRef& reference, const Notation& notation) {
    if (!notation.a1) appendR1C1Reference(out, reference);
    else if (!appendA1Reference(out, reference, notation)) out += model::errorText(model::ErrorCode::Ref);
}

void appendArea(QString& out, const FormulaNode& node, const Notation& notation) {
    if (!notation.a1) {
        appendR1C1Reference(out, node.first);
        out += QLatin1Char(':');
        appendR1C1Reference(out, node.last);
        return;
    }
    QString first, last;
    if (appendA1Reference(first, node.first, notation) && appendA1Reference(last, node.last, notation))
        out += first + QLatin1Char(':') + last;
    else
        out += model::errorText(model::ErrorCode::Ref);
}

void appendNode(QString& out, const FormulaNode& node, const Notation& notation);

void appendOperand(QString& out, const FormulaNode& operand, int needed, const Notation& notation) {
    const bool wrap = precedenceOf(operand) < needed;
    if (wrap) out += QLatin1Char('(');
    appendNode(out, operand, notation);
    if (wrap) out += QLatin1Char(')');
}

void appendNode(QString& out, const FormulaNode& node, const Notation& notation) {
    switch (node.kind) {
    case Kind::Number: out += numberText(node.number); break;
    case Kind::Text: {
        QString escaped = node.text;
        escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        out += QLatin1Char('"') + escaped + QLatin1Char('"');
        break;
    }
    case Kind::Boolean: out += node.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); break;
    case Kind::Error: out += model::errorText(node.error); break;
    case Kind::Missing: break;
    case Kind::Reference:
        appendSheet(out, node);
        appendReference(out, node.first, notation);
        break;
    case Kind::Area:
        appendSheet(out, node);
        appendArea(out, node, notation);
        break;
    case Kind::Unary:
        if (node.children.empty()) break;
        if (node.unary == model::UnaryOp::Percent) {
            appendOperand(out, node.children[0], Percent, notation);
            out += QLatin1Char('%');
        } else {
            out += node.unary == model::UnaryOp::Minus ? QLatin1Char('-') : QLatin1Char('+');
            appendOperand(out, node.children[0], Unary, notation);
        }
        break;
    case Kind::Binary: {
        if (node.children.size() < 2) break;
        const int own = precedenceOf(node);
        appendOperand(out, node.children[0], own, notation);       // operators group from the left
        out += QLatin1String(operatorText(node.binary));
        appendOperand(out, node.children[1], own + 1, notation);
        break;
    }
    case Kind::Function: {
        out += QLatin1String(model::functionInfo(node.function).name);
        out += QLatin1Char('(');
        for (size_t i = 0; i < node.children.size(); ++i) {
            if (i > 0) out += QLatin1Char(',');
            appendNode(out, node.children[i], notation);
        }
        out += QLatin1Char(')');
        break;
    }
    case Kind::Paren:
        out += QLatin1Char('(');
        if (!node.children.empty()) appendNode(out, node.children[0], notation);
        out += QLatin1Char(')');
        break;
    }
}

}  // namespace

QString sheetPrefix(const QString& sheet) {
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    bool plain = !sheet.isEmpty() && !digit(sheet.front());
    for (QChar c : sheet)
        plain = plain && ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                          digit(c) || c == QLatin1Char('_'));
    // A plain name that reads as a cell (R1C1, A1) or a truth value is quoted as well.
    static const QRegularExpression cellLike(QStringLiteral("^([Rr][0-9]*[Cc][0-9]*|[A-Za-z]{1,3}[0-9]+|TRUE|FALSE)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (plain && !cellLike.match(sheet).hasMatch()) return sheet + QLatin1Char('!');
    QString quoted = sheet;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QStringLiteral("'!");
}

QString formulaToR1C1(const model::FormulaNode& root) {
    QString out = QStringLiteral("=");
    appendNode(out, root, Notation{});
    return out;
}

QString formulaToA1(const model::FormulaNode& root, int row, int col) {
    QString out = QStringLiteral("=");
    appendNode(out, root, Notation{true, row, col});
    return out;
}

}  // namespace brevanta::engine
