#include "xls/formula_tokens.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/model/sheet.h"
#include "xls/biff_strings.h"
#include "xls/byte_buffer.h"

namespace brevanta::xls {

using model::FormulaNode;
using Kind = model::FormulaNode::Kind;

namespace {

// ---------------------------------------------------------------- token numbers

namespace ptg {
constexpr uint8_t Add = 0x03, Uplus = 0x12, Uminus = 0x13, Percent = 0x14, Paren = 0x15,
    MissArg = 0x16, Str = 0x17, Attr = 0x19, Err = 0x1C, Bool = 0x1D, Int = 0x1E, Num = 0x1F,
    Exp = 0x01, Func = 0x01, FuncVar = 0x02, Ref = 0x04, Area = 0x05, RefErr = 0x0A, AreaErr = 0x0B,
    RefN = 0x0C, AreaN = 0x0D, Ref3d = 0x1A, Area3d = 0x1B, RefErr3d = 0x1C, AreaErr3d = 0x1D;
// Operand tokens carry a class in bits 5-6: 0x20 reference, 0x40 value, 0x60 array.
constexpr uint8_t ReferenceClass = 0x20, ValueClass = 0x40;
}  // namespace ptg

namespace attr {
constexpr uint8_t Volatile = 0x01, If = 0x02, Choose = 0x04, Skip = 0x08, Sum = 0x10, Space = 0x40;
}

constexpr uint8_t binaryToken(model::BinaryOp op) { return static_cast<uint8_t>(ptg::Add + static_cast<int>(op)); }

// ---------------------------------------------------------------- encoding

class Encoder {
public:
    // With `rowWords`, notes where the row word of each relative row part goes and its offset.
    Encoder(int row, int col, std::span<const QString> sheetNames, std::vector<RelativeRowWord>* rowWords = nullptr,
            bool* offSheet = nullptr)
        : row_(row), col_(col), sheetNames_(sheetNames), rowWords_(rowWords), offSheet_(offSheet) {}
    QByteArray take() { return out_.bytes(); }

    void node(const FormulaNode& n, char wanted) {
        switch (n.kind) {
        case Kind::Number: number(n.number); break;
        case Kind::Text:
            out_.u8(ptg::Str);
            writeShortUnicodeString(out_, n.text);
            break;
        case Kind::Boolean: out_.u8(ptg::Bool); out_.u8(n.boolean ? 1 : 0); break;
        case Kind::Error: out_.u8(ptg::Err); out_.u8(static_cast<uint8_t>(n.error)); break;
        case Kind::Missing: out_.u8(ptg::MissArg); break;
        case Kind::Reference: reference(n, wanted); break;
        case Kind::Area: area(n, wanted); break;
        case Kind::Unary:
            operand(n, 0);
            out_.u8(n.unary == model::UnaryOp::Plus ? ptg::Uplus
                    : n.unary == model::UnaryOp::Minus ? ptg::Uminus : ptg::Percent);
            break;
        case Kind::Binary:
            operand(n, 0);
            operand(n, 1);
            out_.u8(binaryToken(n.binary));
            break;
        case Kind::Paren:
            operand(n, 0);
            out_.u8(ptg::Paren);
            break;
        case Kind::Function: function(n, wanted); break;
        }
    }

private:
    void operand(const FormulaNode& n, size_t i) {
        if (i < n.children.size()) node(n.children[i], 'V');
        else out_.u8(ptg::MissArg);
    }

    void number(double value) {
        if (value >= 0 && value <= 65535 && value == std::floor(value) && !std::signbit(value)) {
            out_.u8(ptg::Int);
            out_.u16(static_cast<uint16_t>(value));
        } else {
            out_.u8(ptg::Num);
            out_.f64(value);
        }
    }

    static uint8_t classBits(char wanted) { return wanted == 'R' ? ptg::ReferenceClass : ptg::ValueClass; }

    // Row and column words of a cell reference, or false when it falls off the sheet.
    bool place(const model::CellRef& ref, uint16_t& rowWord, uint16_t& colWord) const {
        const int r = ref.absoluteRow(row_);
        const int c = ref.absoluteCol(col_);
        if (r < 0 || r >= model::kMaxRows || c < 0 || c >= model::kMaxColumns) return false;
        rowWord = static_cast<uint16_t>(r);
        colWord = static_cast<uint16_t>(c | (ref.col.relative ? 0x4000 : 0) | (ref.row.relative ? 0x8000 : 0));
        return true;
    }

    void noteRow(const model::RefPart& row) {
        if (rowWords_ && row.relative) rowWords_->push_back({out_.size(), row.index});
    }
    void noteOffSheet() {
        if (offSheet_) *offSheet_ = true;
    }

    // The EXTERNSHEET entry of a named sheet (entry i is sheet i), or -1 when no sheet has that name.
    int externIndex(const QString& sheet) const {
        for (size_t i = 0; i < sheetNames_.size(); ++i)
            if (sheetNames_[i].compare(sheet, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
        return -1;
    }

    // A reference on this sheet (ptgRef), or on another (ptgRef3d: the entry first).
    void reference(const FormulaNode& n, char wanted) {
        const model::CellRef& ref = n.first;
        const int sheet = n.sheet.isEmpty() ? -1 : externIndex(n.sheet);
        uint16_t r, c;
        if (!place(ref, r, c) || (!n.sheet.isEmpty() && sheet < 0)) {
            noteOffSheet();
            out_.u8(ptg::RefErr | classBits(wanted));
            out_.u32(0);
            return;
        }
        if (n.sheet.isEmpty()) {
            out_.u8(ptg::Ref | classBits(wanted));
        } else {
            out_.u8(ptg::Ref3d | classBits(wanted));
            out_.u16(static_cast<uint16_t>(sheet));
        }
        noteRow(ref.row);
        out_.u16(r);
        out_.u16(c);
    }

    void area(const FormulaNode& n, char wanted) {
        const model::CellRef& first = n.first;
        const model::CellRef& last = n.last;
        const int sheet = n.sheet.isEmpty() ? -1 : externIndex(n.sheet);
        uint16_t r1, c1, r2, c2;
        if (!place(first, r1, c1) || !place(last, r2, c2) || (!n.sheet.isEmpty() && sheet < 0)) {
            noteOffSheet();
            out_.u8(ptg::AreaErr | classBits(wanted));
            out_.u32(0);
            out_.u32(0);
            return;
        }
        if (n.sheet.isEmpty()) {
            out_.u8(ptg::Area | classBits(wanted));
        } else {
            out_.u8(ptg::Area3d | classBits(wanted));
            out_.u16(static_cast<uint16_t>(sheet));
        }
        noteRow(first.row);
        out_.u16(r1);
        noteRow(last.row);
        out_.u16(r2);
        out_.u16(c1);
        out_.u16(c2);
    }

    void argument(const model::FunctionInfo& info, const FormulaNode& n, size_t i) {
        const size_t classes = std::char_traits<char>::length(info.argClasses);
        const char wanted = classes == 0 ? 'V' : info.argClasses[std::min(i, classes - 1)];
        node(n.children[i], wanted);
    }

    void attribute(uint8_t kind, uint16_t data) {
        out_.u8(ptg::Attr);
        out_.u8(kind);
        out_.u16(data);
    }

    void function(const FormulaNode& n, char wanted) {
        const model::FunctionInfo& info = model::functionInfo(n.function);
        const uint8_t cls = (info.returnClass == 'R' && wanted == 'R') ? ptg::ReferenceClass : ptg::ValueClass;
        const size_t count = n.children.size();
        if (n.function == model::FunctionId::If && count >= 2 && count <= 3) {
            conditional(n, info, cls);
            return;
        }
        for (size_t i = 0; i < count; ++i) argument(info, n, i);
        if (info.fixedArgs) {
            out_.u8(ptg::Func | cls);
            out_.u16(info.biffIndex);
        } else {
            out_.u8(ptg::FuncVar | cls);
            out_.u8(static_cast<uint8_t>(count));
            out_.u16(info.biffIndex);
        }
    }

    // IF as it is stored with its jumps: condition, tAttrIf, true branch,
    // tAttrSkip, [false branch, tAttrSkip], the IF token. tAttrIf jumps over
    // the true branch and its skip; each skip lands past the IF token (a
    // skip counts one byte less than it jumps).
    void conditional(const FormulaNode& n, const model::FunctionInfo& info, uint8_t cls) {
        const size_t count = n.children.size();
        argument(info, n, 0);
        const int ifAt = out_.size();
        attribute(attr::If, 0);
        argument(info, n, 1);
        const int trueSkipAt = out_.size();
        attribute(attr::Skip, 0);
        out_.patch16(ifAt + 2, static_cast<uint16_t>(out_.size() - (ifAt + 4)));
        if (count == 3) {
            const int falseStart = out_.size();
            argument(info, n, 2);
            attribute(attr::Skip, 3);
            out_.patch16(trueSkipAt + 2, static_cast<uint16_t>(out_.size() - falseStart + 4 - 1));
        } else {
            out_.patch16(trueSkipAt + 2, 3);
        }
        out_.u8(ptg::FuncVar | cls);
        out_.u8(static_cast<uint8_t>(count));
        out_.u16(info.biffIndex);
    }

    ByteWriter out_;
    int row_, col_;
    std::span<const QString> sheetNames_;
    std::vector<RelativeRowWord>* rowWords_;
    bool* offSheet_;
};

// ---------------------------------------------------------------- decoding

class Decoder {
public:
    Decoder(std::span<const uint8_t> tokens, int row, int col, bool shared, std::span<const QString> externSheets)
        : in_(tokens, "a formula"), row_(row), col_(col), shared_(shared), externSheets_(externSheets) {}

    model::Formula run() {
        while (!in_.atEnd()) token();
        if (stack_.size() != 1) throw UndecodableFormula("formula does not reduce to one value");
        return model::Formula{std::move(stack_.back())};
    }

private:
    [[noreturn]] static void unsupported() { throw UndecodableFormula("unsupported formula token"); }

    FormulaNode pop() {
        if (stack_.empty()) throw UndecodableFormula("formula operand missing");
        FormulaNode n = std::move(stack_.back());
        poppedDepth_ = std::max(poppedDepth_, depths_.back());
        stack_.pop_back();
        depths_.pop_back();
        return n;
    }

    // Pushes an operator or function node over the operands just popped.
    void pushOver(FormulaNode n) {
        const int depth = poppedDepth_ + 1;
        poppedDepth_ = 0;
        push(std::move(n), depth);
    }

    // Nesting deeper than any real formula is refused, so nothing that
    // walks the tree later can run out of stack.
    static constexpr int kMaxDepth = 1024;

    void push(FormulaNode n, int depth = 1) {
        if (depth > kMaxDepth) throw UndecodableFormula("formula nested too deeply");
        stack_.push_back(std::move(n));
        depths_.push_back(depth);
    }

    // Reference parts: in a cell formula absolute positions with relative
    // flags; in a shared formula relative parts hold signed offsets.
    model::CellRef reference(uint16_t rowWord, uint16_t colWord) const {
        model::CellRef ref;
        ref.row.relative = colWord & 0x8000;
        ref.col.relative = colWord & 0x4000;
        const int column = colWord & 0x00FF;
        if (shared_) {
            ref.row.index = ref.row.relative ? static_cast<int16_t>(rowWord) : rowWord;
            ref.col.index = ref.col.relative ? static_cast<int8_t>(column) : column;
        } else {
            ref.row.index = ref.row.relative ? rowWord - row_ : rowWord;
            ref.col.index = ref.col.relative ? column - col_ : column;
        }
        return ref;
    }

    void function(const model::FunctionInfo* info, size_t count) {
        if (!info || count > stack_.size()) unsupported();
        FormulaNode n;
        n.kind = Kind::Function;
        n.function = info->id;
        n.children.resize(count);
        for (size_t i = count; i-- > 0;) n.children[i] = pop();
        pushOver(std::move(n));
    }

    void token() {
        const uint8_t t = in_.u8();
        if (t >= 0x03 && t <= 0x0E) {
            FormulaNode n;
            n.kind = Kind::Binary;
            n.binary = static_cast<model::BinaryOp>(t - ptg::Add);
            FormulaNode right = pop();
            n.children.push_back(pop());
            n.children.push_back(std::move(right));
            pushOver(std::move(n));
            return;
        }
        switch (t) {
        case ptg::Uplus: case ptg::Uminus: case ptg::Percent: {
            FormulaNode n;
            n.kind = Kind::Unary;
            n.unary = t == ptg::Uplus ? model::UnaryOp::Plus : t == ptg::Uminus ? model::UnaryOp::Minus : model::UnaryOp::Percent;
            n.children.push_back(pop());
            pushOver(std::move(n));
            return;
        }
        case ptg::Paren: {
            FormulaNode n;
            n.kind = Kind::Paren;
            n.children.push_back(pop());
            pushOver(std::move(n));
            return;
        }
        case ptg::MissArg: push(FormulaNode{}); return;
        case ptg::Str: {
            FormulaNode n;
            n.kind = Kind::Text;
            n.text = readShortUnicodeString(in_);
            push(std::move(n));
            return;
        }
        case ptg::Attr: attribute(); return;
        case ptg::Err: {
            FormulaNode n;
            n.kind = Kind::Error;
            const auto code = model::errorFromCode(in_.u8());
            if (!code) unsupported();
            n.error = *code;
            push(std::move(n));
            return;
        }
        case ptg::Bool: {
            FormulaNode n;
            n.kind = Kind::Boolean;
            n.boolean = in_.u8() != 0;
            push(std::move(n));
            return;
        }
        case ptg::Int: {
            FormulaNode n;
            n.kind = Kind::Number;
            n.number = in_.u16();
            push(std::move(n));
            return;
        }
        case ptg::Num: {
            FormulaNode n;
            n.kind = Kind::Number;
            n.number = in_.f64();
            push(std::move(n));
            return;
        }
        default: break;
        }
        if (t < 0x20 || t >= 0x80) unsupported();
        switch (t & 0x1F) {
        case ptg::Func: {
            const auto* info = model::functionByBiffIndex(in_.u16());
            if (!info || !info->fixedArgs) unsupported();
            function(info, info->minArgs);
            return;
        }
        case ptg::FuncVar: {
            const uint8_t count = in_.u8() & 0x7F;
            const uint16_t index = in_.u16() & 0x7FFF;
            const auto* info = model::functionByBiffIndex(index);
            if (!info || count < info->minArgs || count > info->maxArgs) unsupported();
            function(info, count);
            return;
        }
        case ptg::Ref: case ptg::RefN: {
            if ((t & 0x1F) == ptg::RefN && !shared_) unsupported();
            const uint16_t r = in_.u16();
            const uint16_t c = in_.u16();
            FormulaNode n;
            n.kind = Kind::Reference;
            n.first = reference(r, c);
            push(std::move(n));
            return;
        }
        case ptg::Area: case ptg::AreaN: {
            if ((t & 0x1F) == ptg::AreaN && !shared_) unsupported();
            const uint16_t r1 = in_.u16(), r2 = in_.u16(), c1 = in_.u16(), c2 = in_.u16();
            FormulaNode n;
            n.kind = Kind::Area;
            n.first = reference(r1, c1);
            n.last = reference(r2, c2);
            push(std::move(n));
            return;
        }
        case ptg::Ref3d: case ptg::Area3d: {
            const QString sheet = externSheet(in_.u16());
            FormulaNode n;
            if ((t & 0x1F) == ptg::Ref3d) {
                const uint16_t r = in_.u16();
                const uint16_t c = in_.u16();
                n.kind = Kind::Reference;
                n.first = reference(r, c);
            } else {
                const uint16_t r1 = in_.u16(), r2 = in_.u16(), c1 = in_.u16(), c2 = in_.u16();
                n.kind = Kind::Area;
                n.first = reference(r1, c1);
                n.last = reference(r2, c2);
            }
            n.sheet = sheet;
            push(std::move(n));
            return;
        }
        case ptg::RefErr3d: case ptg::AreaErr3d:
            in_.skip(2);
            [[fallthrough]];
        case ptg::RefErr: case ptg::AreaErr: {
            in_.skip((t & 0x1F) == ptg::RefErr || (t & 0x1F) == ptg::RefErr3d ? 4 : 8);
            FormulaNode n;
            n.kind = Kind::Error;
            n.error = model::ErrorCode::Ref;
            push(std::move(n));
            return;
        }
        default: unsupported();
        }
    }

    // The sheet an EXTERNSHEET entry names; other workbooks and sheet spans are not read.
    QString externSheet(uint16_t index) const {
        if (index >= externSheets_.size() || externSheets_[index].isEmpty())
            throw UndecodableFormula("reference to another workbook or to several sheets");
        return externSheets_[index];
    }

    void attribute() {
        const uint8_t kind = in_.u8();
        const uint16_t data = in_.u16();
        if (kind & attr::Choose) unsupported();
        if (kind & attr::Sum) function(&model::functionInfo(model::FunctionId::Sum), 1);
        // Jumps, volatility and spacing change nothing in the tree.
        (void)data;
    }

    ByteReader in_;
    int row_, col_;
    bool shared_;
    std::span<const QString> externSheets_;
    std::vector<FormulaNode> stack_;
    std::vector<int> depths_;
    int poppedDepth_ = 0;
};

// The tokens of a cell formula with each relative reference part replaced
// by its offset from the cell, so that the key holds exactly what decoding
// reads; nothing when the tokens hold something decoding would refuse.
std::optional<std::string> shapeKey(std::span<const uint8_t> tokens, int row, int col,
                                    std::vector<uint16_t>& rowWords) {
    rowWords.clear();
    std::string key;
    key.reserve(tokens.size() + 16);
    auto put = [&key](const void* data, size_t size) { key.append(static_cast<const char*>(data), size); };
    size_t at = 0;
    auto take = [&](size_t count) -> const uint8_t* {
        if (count > tokens.size() - at) return nullptr;
        const uint8_t* start = tokens.data() + at;
        at += count;
        return start;
    };
    auto reference = [&](uint16_t rowWord, uint16_t colWord, size_t rowAt) {
        const bool rowRelative = colWord & 0x8000, colRelative = colWord & 0x4000;
        if (rowRelative) rowWords.push_back(static_cast<uint16_t>(rowAt));
        const int column = colWord & 0x00FF;
        const int32_t parts[3] = {(rowRelative ? 2 : 0) | (colRelative ? 1 : 0), rowRelative ? rowWord - row : rowWord,
                                  colRelative ? column - col : column};
        put(parts, sizeof parts);
    };
    auto word = [](const uint8_t* p, int i) { return static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)); };
    while (at < tokens.size()) {
        const uint8_t t = tokens[at++];
        key.push_back(static_cast<char>(t));
        size_t fixed = 0;  // payload bytes kept as they are
        if ((t >= 0x03 && t <= 0x0E) || t == ptg::Uplus || t == ptg::Uminus || t == ptg::Percent || t == ptg::Paren ||
            t == ptg::MissArg) {
            fixed = 0;
        } else if (t == ptg::Str) {
            const uint8_t* head = take(2);
            if (!head) return std::nullopt;
            put(head, 2);
            fixed = static_cast<size_t>(head[0]) * ((head[1] & 0x01) ? 2 : 1);
        } else if (t == ptg::Attr) {
            fixed = 3;
        } else if (t == ptg::Err || t == ptg::Bool) {
            fixed = 1;
        } else if (t == ptg::Int) {
            fixed = 2;
        } else if (t == ptg::Num) {
            fixed = 8;
        } else if (t >= 0x20 && t < 0x80) {
            switch (t & 0x1F) {
            case ptg::Func: fixed = 2; break;
            case ptg::FuncVar: fixed = 3; break;
            case ptg::RefErr: fixed = 4; break;
            case ptg::AreaErr: fixed = 8; break;
            case ptg::Ref: {
                const uint8_t* p = take(4);
                if (!p) return std::nullopt;
                reference(word(p, 0), word(p, 1), at - 4);
                continue;
            }
            case ptg::Area: {
                const uint8_t* p = take(8);
                if (!p) return std::nullopt;
                reference(word(p, 0), word(p, 2), at - 8);
                reference(word(p, 1), word(p, 3), at - 6);
                continue;
            }
            default: return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
        const uint8_t* payload = take(fixed);
        if (!payload) return std::nullopt;
        put(payload, fixed);
    }
    return key;
}

}  // namespace

SheetFormulas::SheetFormulas(std::span<const QString> externSheets)
    : externSheets_(externSheets), lastInColumn_(model::kMaxColumns) {}

bool SheetFormulas::LastInColumn::moveTo(std::span<const uint8_t> next, int nextRow) {
    if (!formula || next.size() != tokens.size()) return false;
    // The tokens as they would be one shift further down, compared in one go.
    const int shift = nextRow - row;
    // Through plain pointers: a store through a byte pointer could change the vectors' own, so they would
    // be read back after every byte.
    uint8_t* const mine = tokens.data();
    const uint16_t* const words = rowWords.data();
    for (size_t i = 0, count = rowWords.size(); i < count; ++i) {
        const int moved = qFromLittleEndian<uint16_t>(mine + words[i]) + shift;
        if (moved < 0 || moved > 0xFFFF) {
            formula.reset();  // half moved: no formula's tokens any more
            return false;
        }
        qToLittleEndian(static_cast<uint16_t>(moved), mine + words[i]);
    }
    row = nextRow;
    // Eight bytes at a time: a formula's tokens are a few dozen bytes, too few for a call to pay.
    const uint8_t* theirs = next.data();
    const size_t size = tokens.size();
    bool same = true;
    size_t at = 0;
    for (; same && at + 8 <= size; at += 8) {
        uint64_t a, b;
        std::memcpy(&a, mine + at, 8);
        std::memcpy(&b, theirs + at, 8);
        same = a == b;
    }
    if (same && at < size && size >= 8) {  // the last eight bytes, overlapping what was compared
        uint64_t a, b;
        std::memcpy(&a, mine + size - 8, 8);
        std::memcpy(&b, theirs + size - 8, 8);
        same = a == b;
        at = size;
    }
    for (; same && at < size; ++at) same = mine[at] == theirs[at];
    if (!same) formula.reset();  // the moved tokens are no formula's any more
    return same;
}

model::FormulaPtr SheetFormulas::decode(std::span<const uint8_t> tokens, int row, int col) {
    // A formula filled down a column: the one above it, moved by the rows between them.
    LastInColumn* last = col >= 0 && col < model::kMaxColumns ? &lastInColumn_[static_cast<size_t>(col)] : nullptr;
    if (last && last->moveTo(tokens, row)) return last->formula;
    model::FormulaPtr formula;
    auto key = shapeKey(tokens, row, col, rowWords_);
    if (!key) return std::make_shared<const model::Formula>(decodeFormula(tokens, row, col, false, externSheets_));
    if (const auto it = known_.find(*key); it != known_.end()) {
        formula = it->second;
    } else {
        formula = std::make_shared<const model::Formula>(decodeFormula(tokens, row, col, false, externSheets_));
        // A sheet of formulas all different keeps no more than this many shapes.
        if (known_.size() >= 4096) known_.clear();
        known_.emplace(std::move(*key), formula);
    }
    if (last) {
        last->tokens.assign(tokens.begin(), tokens.end());
        last->rowWords = rowWords_;
        last->row = row;
        last->formula = formula;
    }
    return formula;
}

SheetFormulaTokens::SheetFormulaTokens(std::span<const QString> sheetNames)
    : lastInColumn_(model::kMaxColumns), sheetNames_(sheetNames) {}

SheetFormulaTokens::Shape& SheetFormulaTokens::shapeOf(const model::FormulaNode& root, int col) {
    ColumnShape* last = col >= 0 && col < model::kMaxColumns ? &lastInColumn_[static_cast<size_t>(col)] : nullptr;
    if (last && last->root == &root) return *last->shape;
    Shape& found = shapes_[{&root, col}];
    if (last) *last = {&root, &found};
    return found;
}

int SheetFormulaTokens::prepare(const model::FormulaNode& root, int row, int col) {
    Shape& shape = shapeOf(root, col);
    bool fits = !shape.tokens.isEmpty() && !shape.offSheet;
    for (const RelativeRowWord& word : shape.rowWords)
        fits = fits && row + word.offset >= 0 && row + word.offset < model::kMaxRows;
    if (!fits) {
        // Encoded afresh, and kept as the shape for the rows after it.
        shape = Shape();
        refersToSheets_ = refersToSheets_ || xls::refersToSheets(root);
        Encoder encoder(row, col, sheetNames_, &shape.rowWords, &shape.offSheet);
        encoder.node(root, 'V');
        shape.tokens = encoder.take();
    }
    prepared_ = &shape;
    preparedRow_ = row;
    return static_cast<int>(shape.tokens.size());
}

void SheetFormulaTokens::copyTo(char* into) const {
    std::memcpy(into, prepared_->tokens.constData(), static_cast<size_t>(prepared_->tokens.size()));
    // Where the shape was encoded in this row these put back the same words.
    for (const RelativeRowWord& word : prepared_->rowWords) {
        const int r = preparedRow_ + word.offset;
        into[word.at] = static_cast<char>(r & 0xFF);
        into[word.at + 1] = static_cast<char>(r >> 8);
    }
}

const QByteArray& SheetFormulaTokens::encode(const model::FormulaNode& root, int row, int col) {
    current_.resize(prepare(root, row, col));
    copyTo(current_.data());
    return current_;
}

QByteArray encodeFormula(const model::FormulaNode& root, int row, int col, std::span<const QString> sheetNames) {
    Encoder encoder(row, col, sheetNames);
    encoder.node(root, 'V');
    return encoder.take();
}

bool refersToSheets(const model::FormulaNode& root) {
    if ((root.kind == Kind::Reference || root.kind == Kind::Area) && !root.sheet.isEmpty()) return true;
    for (const FormulaNode& child : root.children)
        if (refersToSheets(child)) return true;
    return false;
}

model::Formula decodeFormula(std::span<const uint8_t> tokens, int row, int col, bool sharedOffsets,
                             std::span<const QString> externSheets) {
    return Decoder(tokens, row, col, sharedOffsets, externSheets).run();
}

bool sharedFormulaBase(std::span<const uint8_t> tokens, int& baseRow, int& baseCol) {
    if (tokens.size() != 5 || tokens[0] != ptg::Exp) return false;
    baseRow = tokens[1] | (tokens[2] << 8);
    baseCol = tokens[3] | (tokens[4] << 8);
    return true;
}

}  // namespace brevanta::xls
