// The record layouts other readers depend on, checked byte for byte where
// the layout is fixed and by its rules where it is not.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <random>

#include "engine/formula/formula_text.h"
#include "frame/failure.h"
#include "tests/xls/register_workbook.h"
#include "xls/biff_records.h"
#include "xls/formula_tokens.h"
#include "xls/rk_numbers.h"
#include "xls/shared_strings.h"
#include "xls/workbook_stream.h"

namespace brevanta::xlstest {
namespace {

struct Listed {
    uint16_t id;
    QByteArray data;
    int offset;
};

std::vector<Listed> records(const QByteArray& stream) {
    std::vector<Listed> list;
    xls::RecordCursor cursor({reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size())}, 0);
    while (!cursor.atEnd()) {
        const xls::Record r = cursor.next();
        if (r.id == 0 && r.data.empty()) break;  // padding after the last EOF
        list.push_back({r.id, QByteArray(reinterpret_cast<const char*>(r.data.data()), int(r.data.size())), int(r.offset)});
    }
    return list;
}

uint16_t u16(const QByteArray& data, int at) { return uint8_t(data[at]) | (uint8_t(data[at + 1]) << 8); }
uint32_t u32(const QByteArray& data, int at) { return u16(data, at) | (uint32_t(u16(data, at + 2)) << 16); }

QByteArray sharedStringRecords(const std::vector<QString>& texts, std::vector<Listed>* list = nullptr) {
    xls::SharedStrings strings;
    for (const auto& t : texts) strings.add(t);
    xls::ByteWriter stream;
    xls::RecordWriter out(stream);
    xls::writeSharedStrings(out, strings);
    if (list) *list = records(stream.bytes());
    return stream.bytes();
}

std::vector<QString> readBack(const std::vector<Listed>& list) {
    std::vector<std::span<const uint8_t>> segments;
    for (const auto& r : list)
        if (r.id == xls::record::Sst || r.id == xls::record::Continue)
            segments.emplace_back(reinterpret_cast<const uint8_t*>(r.data.constData()), size_t(r.data.size()));
    return xls::readSharedStrings(segments);
}

// ---------------------------------------------------------------- byte writer

// The writer keeps room past what it wrote; what it hands out is exactly what was written, and stays so.
TEST(ByteWriter, HandsOutWhatWasWrittenAndKeepsItsCopiesApart) {
    xls::ByteWriter out;
    out.u8(0x01);
    out.u16(0x0302);
    out.u32(0x07060504);
    const QByteArray first = out.bytes();
    EXPECT_EQ(first, QByteArray::fromHex("01020304050607"));
    out.f64(1.0);
    out.zeros(2);
    out.raw(QByteArray("xy"));
    out.patch16(1, 0xBBAA);
    out.patch32(3, 0xFFEEDDCC);
    EXPECT_EQ(first, QByteArray::fromHex("01020304050607"));  // taken before: untouched by later writes
    EXPECT_EQ(out.bytes(), QByteArray::fromHex("01AABBCCDDEEFF000000000000F03F00007879"));
    EXPECT_EQ(out.size(), 19);
    out.clear();
    out.u16(0x0A0B);
    EXPECT_EQ(out.bytes(), QByteArray::fromHex("0B0A"));
    for (int i = 0; i < 100000; ++i) out.u16(static_cast<uint16_t>(i));
    EXPECT_EQ(out.size(), 200002);
    EXPECT_EQ(u16(out.bytes(), 2 + 2 * 54321), 54321);
}

// ---------------------------------------------------------------- shared strings

TEST(SharedStringTable, LongTextsContinueWithTheOptionByteRepeated) {
    std::vector<Listed> list;
    sharedStringRecords({QString(10000, QLatin1Char('a')), QString(5000, QChar(0x6771))}, &list);
    ASSERT_GE(list.size(), 4u);
    EXPECT_EQ(list[0].id, xls::record::Sst);
    EXPECT_EQ(list[0].data.size(), 8224);           // 8 + header 3 + 8,213 one-byte characters
    EXPECT_EQ(list[1].id, xls::record::Continue);
    EXPECT_EQ(uint8_t(list[1].data[0]), 0x00);      // compressed characters go on
    EXPECT_EQ(list[1].data.size(), 1 + 1787 + 3 + 2 * 3216);  // then the wide string starts in the same record
    EXPECT_EQ(uint8_t(list[1].data[1 + 1787 + 2]), 0x01);
    EXPECT_EQ(list[2].id, xls::record::Continue);
    EXPECT_EQ(uint8_t(list[2].data[0]), 0x01);      // wide characters go on, never split inside one
    EXPECT_EQ(list[2].data.size(), 1 + 2 * (5000 - 3216));
    EXPECT_EQ(list.back().id, xls::record::ExtSst);
    const auto texts = readBack(list);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], QString(10000, QLatin1Char('a')));
    EXPECT_EQ(texts[1], QString(5000, QChar(0x6771)));
}

// A text's characters go on in the next segment with an option byte of their own (compressed to wide
// here); a text claiming more characters than there are bytes is damage, never a read past the end.
TEST(SharedStringTable, TextsAcrossSegmentsAndTextsCutShort) {
    auto segment = [](const char* hex) {
        static std::vector<QByteArray> keep;
        keep.push_back(QByteArray::fromHex(hex));
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(keep.back().constData()),
                                        size_t(keep.back().size()));
    };
    const auto texts = xls::readSharedStrings({segment("01000000" "01000000" "0500" "00" "6162"),
                                               segment("01" "6300" "1c67" "6500")});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], QString::fromUtf8("abc\u671Ce"));
    EXPECT_THROW(xls::readSharedStrings({segment("01000000" "01000000" "0a00" "00" "616263")}), frame::Failure);
    EXPECT_THROW(xls::readSharedStrings({segment("01000000" "01000000" "0300" "01" "6100" "62")}), frame::Failure);
}

TEST(SharedStringTable, AHeaderThatDoesNotFitStartsTheNextRecord) {
    // 8 bytes of counts, then a string of 3 + 8,211 bytes leaves 2 bytes: too few for the next header and a character.
    std::vector<Listed> list;
    sharedStringRecords({QString(8211, QLatin1Char('b')), QStringLiteral("next")}, &list);
    ASSERT_EQ(list[0].data.size(), 8222);
    ASSERT_EQ(list[1].id, xls::record::Continue);
    EXPECT_EQ(u16(list[1].data, 0), 4);              // the string header, no option byte before it
    EXPECT_EQ(readBack(list).back(), QStringLiteral("next"));
}

TEST(SharedStringTable, LookupTablePointsAtBucketStarts) {
    std::vector<QString> texts;
    for (int i = 0; i < 3000; ++i) texts.push_back(QStringLiteral("text %1 ").arg(i).repeated(1 + i % 5));
    std::vector<Listed> list;
    const QByteArray stream = sharedStringRecords(texts, &list);
    const Listed& ext = list.back();
    ASSERT_EQ(ext.id, xls::record::ExtSst);
    const int perBucket = u16(ext.data, 0);
    EXPECT_EQ(perBucket, 24);  // 3,000 strings in at most 128 buckets
    const int buckets = (ext.data.size() - 2) / 8;
    EXPECT_EQ(buckets, (3000 + perBucket - 1) / perBucket);
    for (int b = 0; b < buckets; ++b) {
        const uint32_t position = u32(ext.data, 2 + 8 * b);
        const uint16_t inRecord = u16(ext.data, 2 + 8 * b + 4);
        EXPECT_EQ(u16(stream, int(position)), texts[b * perBucket].size()) << "bucket " << b;
        const auto holder = std::find_if(list.rbegin(), list.rend(), [&](const Listed& r) { return r.offset <= int(position); });
        EXPECT_EQ(int(position) - holder->offset, inRecord) << "bucket " << b;
    }
    EXPECT_EQ(readBack(list), texts);
}

// A text's number is its place in order of first use, however full the table grows, and
// texts alike up to their last few characters stay apart.
TEST(SharedStringTable, NumbersFollowFirstUseAndEveryUseIsCounted) {
    std::vector<QString> texts{QString(), QStringLiteral("a"), QStringLiteral("abcd"), QStringLiteral("abcde"),
                               QStringLiteral("abcdf"), QStringLiteral("abcd\u0100"), QString(QChar(0x4E00))};
    for (int i = 0; i < 3000; ++i) texts.push_back(QStringLiteral("payee %1").arg(i).repeated(1 + i % 3));
    std::vector<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(5));
    for (const bool reserved : {false, true}) {
        xls::SharedStrings strings;
        if (reserved) strings.reserve(qsizetype(texts.size()));
        for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(strings.add(texts[i]), uint32_t(i)) << texts[i].toStdString();
        for (const int i : order) ASSERT_EQ(strings.add(QString(texts[size_t(i)])), uint32_t(i));
        EXPECT_EQ(strings.texts(), texts);
        EXPECT_EQ(strings.references(), uint32_t(2 * texts.size()));
    }
}

// ---------------------------------------------------------------- formula tokens

TEST(FormulaTokens, BalanceFormulaIsStoredAsExcelStoresIt) {
    const auto formula = engine::parseFormulaR1C1(
        QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])"));
    const QByteArray tokens = xls::encodeFormula(formula->root, 5, 8);  // I6
    const QByteArray expected = QByteArray::fromHex(
        "44" "0500" "06c0" "41" "8100"          // ISBLANK(G6), value class
        "44" "0500" "07c0" "41" "8100"          // ISBLANK(H6)
        "42" "02" "2400"                        // AND, two arguments
        "19" "02" "0700"                        // tAttrIf: over the "" and its skip
        "17" "00" "00"                          // ""
        "19" "08" "1800"                        // tAttrSkip: past the false branch and IF
        "44" "0400" "08c0" "44" "0500" "06c0" "04" "44" "0500" "07c0" "03"  // I5-G6+H6
        "19" "08" "0300"                        // tAttrSkip past IF
        "42" "03" "0100");                      // IF, three arguments
    EXPECT_EQ(tokens.toHex(), expected.toHex());
}

TEST(FormulaTokens, EveryFormOfTheEngineSurvivesEncodeAndDecode) {
    const char* formulas[] = {
        "=100*3", "=-R1C1+R[2]C[3]%", "=(RC[-1]+1)/2^3", "=\"a\"&\"Ünï東\"&RC", "=R1C1:R10C2",
        "=SUM(R1C1:R[-1]C,5,R2C[1])", "=IF(RC[-1]>0,\"pos\")", "=IF(RC[-1]<=0,IF(RC[-2]<>1,1,2),3)",
        "=AND(TRUE,FALSE())=OR(NOT(1),ISERROR(#DIV/0!))", "=ROUND(AVERAGE(R1C:R3C),2)+MIN(1,2)-MAX(3,4)",
        "=COUNT(,1)", "=ABS(-0.5)+LEN(\"xyz\")+N(R1C1)", "=ISTEXT(R1C1)+ISNUMBER(R1C1)",
        "=CONCATENATE(\"a\",1.25,TRUE)", "=R5C5>=123456789.5", "=#N/A", "=70000",
    };
    for (const char* text : formulas) {
        const auto formula = engine::parseFormulaR1C1(QString::fromUtf8(text));
        const QByteArray tokens = xls::encodeFormula(formula->root, 9, 4);
        const auto decoded = xls::decodeFormula({reinterpret_cast<const uint8_t*>(tokens.constData()), size_t(tokens.size())}, 9, 4);
        EXPECT_EQ(engine::formulaToR1C1(decoded.root), engine::formulaToR1C1(formula->root)) << text;
    }
}

TEST(FormulaTokens, ReferencesOffTheSheetBecomeRefErrors) {
    const auto formula = engine::parseFormulaR1C1(QStringLiteral("=R[-10]C+1"));
    const QByteArray tokens = xls::encodeFormula(formula->root, 2, 0);
    EXPECT_EQ(uint8_t(tokens[0]), 0x4A);  // ptgRefErr, value class
    const auto decoded = xls::decodeFormula({reinterpret_cast<const uint8_t*>(tokens.constData()), size_t(tokens.size())}, 2, 0);
    EXPECT_EQ(engine::formulaToR1C1(decoded.root), QStringLiteral("=#REF!+1"));
}

TEST(FormulaTokens, TokensThisReaderDoesNotKnowAreRefusedCleanly) {
    auto undecodable = [](const QByteArray& hex) {
        const QByteArray tokens = QByteArray::fromHex(hex);
        EXPECT_THROW(xls::decodeFormula({reinterpret_cast<const uint8_t*>(tokens.constData()), size_t(tokens.size())}, 0, 0),
                     xls::UndecodableFormula) << hex.constData();
    };
    undecodable("230100000000");        // a defined name
    undecodable("3a000001000100");      // 3-D reference
    undecodable("1e01001e0200");        // two values and no operator between them
    undecodable("41ff00");              // unknown function
    undecodable("03");                  // operator without operands
    EXPECT_THROW(xls::decodeFormula({reinterpret_cast<const uint8_t*>("\x1f\x00\x00"), 3}, 0, 0), frame::Failure);
    // Nesting no real formula has (what a later tree walk could choke on).
    undecodable("1e0100" + QByteArray("13").repeated(2000));  // 2,000 unary minuses
}

// The summary's figures: ptgArea3d on EXTERNSHEET entry 0 (the register),
// COUNTIF as a fixed-count ptgFunc, SUMIF as ptgFuncVar.
TEST(FormulaTokens, ReferencesToAnotherSheetAreStoredAsExcelStoresThem) {
    const std::vector<QString> sheets{QStringLiteral("Check Register"), QStringLiteral("Category Summary")};
    const auto count = engine::parseFormulaR1C1(QStringLiteral("=COUNTIF('Check Register'!R6C5:R9C5,\"=a\")"));
    EXPECT_EQ(xls::encodeFormula(count->root, 5, 2, sheets).toHex(),
              QByteArray("3b" "0000" "0500" "0800" "0400" "0400" "17" "0200" "3d61" "41" "5a01"));
    const auto sum = engine::parseFormulaR1C1(
        QStringLiteral("=SUMIF('check register'!R6C5:R9C5,\"\",'Check Register'!R6C7:R9C7)+'Category Summary'!R[-1]C"));
    const QByteArray tokens = xls::encodeFormula(sum->root, 5, 3, sheets);
    EXPECT_EQ(tokens.toHex(), QByteArray("3b" "0000" "0500" "0800" "0400" "0400"  // the criteria range
                                         "17" "0000"                              // ""
                                         "3b" "0000" "0500" "0800" "0600" "0600"  // the sum range
                                         "42" "03" "5901"                         // SUMIF, three arguments
                                         "5a" "0100" "0400" "03c0"                // ptgRef3d, value class, entry 1
                                         "03"));
    const std::span<const uint8_t> bytes{reinterpret_cast<const uint8_t*>(tokens.constData()), size_t(tokens.size())};
    EXPECT_EQ(engine::formulaToR1C1(xls::decodeFormula(bytes, 5, 3, false, sheets).root),
              QStringLiteral("=SUMIF('Check Register'!R6C5:R9C5,\"\",'Check Register'!R6C7:R9C7)+'Category Summary'!R[-1]C"));
    // An entry that is no sheet of this workbook, and a sheet no entry names.
    EXPECT_THROW(xls::decodeFormula(bytes, 5, 3, false, std::vector<QString>{QString(), QString()}), xls::UndecodableFormula);
    const auto missing = engine::parseFormulaR1C1(QStringLiteral("=Elsewhere!R1C1"));
    EXPECT_EQ(uint8_t(xls::encodeFormula(missing->root, 0, 0, sheets)[0]), 0x4A);  // ptgRefErr
}

// With a formula on another sheet, the globals list every sheet (SUPBOOK,
// EXTERNSHEET) even when no sheet has printed ranges; without one they do not.
TEST(SheetRecords, WorkbooksWhoseFormulasReadOtherSheetsListTheSheets) {
    for (const bool across : {false, true}) {
        model::Workbook workbook;
        auto& first = *workbook.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Check Register")));
        auto& second = *workbook.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("Category Summary")));
        first.page.printTitleRows.reset();
        second.page.printTitleRows.reset();
        first.at(5, 4).value = QStringLiteral("Food");
        first.at(5, 6).value = 12.5;
        second.at(5, 3).formula = engine::parseFormulaR1C1(
            across ? QStringLiteral("=SUMIF('Check Register'!R6C5:R6C5,\"=food\",'Check Register'!R6C7:R6C7)")
                   : QStringLiteral("=1+2"));
        computeValues(workbook);
        const QByteArray stream = xls::encodeWorkbookStream(workbook);
        int supBooks = 0;
        QByteArray externs;
        for (const auto& r : records(stream)) {
            supBooks += r.id == xls::record::SupBook;
            if (r.id == xls::record::ExternSheet) externs = r.data;
        }
        EXPECT_EQ(supBooks, across ? 1 : 0);
        EXPECT_EQ(externs.toHex(), across ? QByteArray("0200" "000000000000" "000001000100") : QByteArray());
        const auto read = xls::decodeWorkbookStream({reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size())});
        const model::Cell* cell = read->sheets[1]->find(5, 3);
        ASSERT_TRUE(cell && cell->formula);
        EXPECT_EQ(engine::formulaToR1C1(cell->formula->root), engine::formulaToR1C1(second.find(5, 3)->formula->root));
        EXPECT_EQ(cell->value, model::Value(across ? 12.5 : 3.0));
    }
}

// Cells of one shape share a tree; every cell still reads back as its own tokens decode, and what
// plain decoding refuses is still refused.
TEST(FormulaTokens, SheetFormulasShareTreesOnlyBetweenCellsOfOneShape) {
    auto span = [](const QByteArray& bytes) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    };
    xls::SheetFormulas formulas;
    const char* texts[] = {"=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",SUM(R6C[-1]:RC[-1])-SUM(R6C[-2]:RC[-2]))",
                           "=R[-1]C+1", "=R3C+1", "=R3C[-1]&\"Ünï\"", "=R1C1:R[2]C[1]", "=1.5"};
    for (const char* text : texts) {
        const auto formula = engine::parseFormulaR1C1(QString::fromUtf8(text));
        model::FormulaPtr first;
        for (int row : {0, 1, 2, 3, 5, 600, 65535}) {
            for (int col : {1, 8}) {
                const QByteArray tokens = xls::encodeFormula(formula->root, row, col);
                const model::FormulaPtr shared = formulas.decode(span(tokens), row, col);
                EXPECT_EQ(engine::formulaToR1C1(shared->root),
                          engine::formulaToR1C1(xls::decodeFormula(span(tokens), row, col).root))
                    << text << " at " << row << "," << col;
                if (row == 600 && col == 8) first = shared;
                if (row == 5 && col == 8 && first) { EXPECT_EQ(shared, first) << text; }
            }
        }
    }
    // Row 600 of "=R[-1]C+1" against row 2 of "=R3C+1": both reach row 3 when read at row 2 (0-based 2 is R3)...
    const QByteArray relative = xls::encodeFormula(engine::parseFormulaR1C1(QStringLiteral("=R[-1]C+1"))->root, 3, 0);
    const QByteArray absolute = xls::encodeFormula(engine::parseFormulaR1C1(QStringLiteral("=R3C+1"))->root, 3, 0);
    EXPECT_EQ(relative.left(3), absolute.left(3));  // ...with the same row word; only the flags tell them apart
    EXPECT_EQ(engine::formulaToR1C1(formulas.decode(span(relative), 3, 0)->root), QStringLiteral("=R[-1]C+1"));
    EXPECT_EQ(engine::formulaToR1C1(formulas.decode(span(absolute), 3, 0)->root), QStringLiteral("=R3C+1"));
    EXPECT_THROW(formulas.decode(span(QByteArray::fromHex("1e01001e0200")), 0, 0), xls::UndecodableFormula);
    EXPECT_THROW(formulas.decode(span(QByteArray::fromHex("1f0000")), 0, 0), frame::Failure);  // cut short
    EXPECT_THROW(formulas.decode(span(QByteArray::fromHex("170501616263")), 0, 0), frame::Failure);
}

// Formulas down a column, mostly one row after the other and the same formula, sometimes another
// formula or a jump to anywhere on the sheet (references falling off its edges): every cell writes the
// tokens encoding gives it alone and reads back the tree decoding gives it alone, and a formula filled
// down reads back as one shared tree.
TEST(FormulaTokens, FormulasDownAColumnReadAndWriteAsEachCellAlone) {
    auto span = [](const QByteArray& bytes) {
        return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    };
    const char* texts[] = {"=R[-1]C+SUM(RC[-2])-SUM(RC[-3])", "=R[-1]C+SUM(RC[-2])-SUM(RC[-1])", "=R3C+R[-1]C",
                           "=R4C+R[-1]C", "=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",RC[1]+0*(RC[-2]+RC[-1]))",
                           "=R[2]C&\"x\"", "=SUM(R[-3]C:R[3]C[1])"};
    std::vector<model::FormulaPtr> formulas;
    for (const char* text : texts) formulas.push_back(engine::parseFormulaR1C1(QString::fromUtf8(text)));
    std::mt19937 random(11);
    xls::SheetFormulas read;
    xls::SheetFormulaTokens written;
    int row = 10;
    size_t which = 0;
    for (int step = 0; step < 5000; ++step) {
        const unsigned pick = random() % 16;
        if (pick < 12) row = (row + 1) % model::kMaxRows;
        else if (pick == 12) row = int(random() % model::kMaxRows);
        else if (pick == 13) row = model::kMaxRows - 1 - int(random() % 3);
        else row = int(random() % 3);
        if (random() % 4 == 0) which = random() % formulas.size();
        const int col = 3 + int(random() % 2);
        const auto& root = formulas[which]->root;
        const QByteArray tokens = xls::encodeFormula(root, row, col);
        ASSERT_EQ(written.encode(root, row, col).toHex(), tokens.toHex()) << texts[which] << " at " << row << "," << col;
        ASSERT_EQ(engine::formulaToR1C1(read.decode(span(tokens), row, col)->root),
                  engine::formulaToR1C1(xls::decodeFormula(span(tokens), row, col).root))
            << texts[which] << " at " << row << "," << col;
    }
    const auto& filled = formulas[0]->root;
    const model::FormulaPtr first = read.decode(span(xls::encodeFormula(filled, 100, 5)), 100, 5);
    for (int r = 101; r < 200; ++r) ASSERT_EQ(read.decode(span(xls::encodeFormula(filled, r, 5)), r, 5), first);
}

// Tokens re-written from a column's shape are the tokens encoding gives, in every row, also where a
// reference falls off the sheet and comes back on.
TEST(FormulaTokens, SheetFormulaTokensAreTheEncodedTokensInEveryRow) {
    xls::SheetFormulaTokens tokens;
    const char* texts[] = {"=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",SUM(R6C[-1]:RC[-1])-SUM(R6C[-2]:RC[-2]))",
                           "=R[-1]C+R[1]C[-1]", "=R3C+R[-2]C", "=SUM(R[-3]C:R[2]C)", "=R1C1&\"x\"", "=2"};
    std::vector<model::FormulaPtr> formulas;
    for (const char* text : texts) formulas.push_back(engine::parseFormulaR1C1(QString::fromUtf8(text)));
    for (int row : {5, 6, 7, 0, 1, 2, 3, 4, 300, 65533, 65534, 65535, 8, 9}) {
        for (size_t i = 0; i < formulas.size(); ++i) {
            for (int col : {0, 8}) {
                const QByteArray expected = xls::encodeFormula(formulas[i]->root, row, col);
                EXPECT_EQ(tokens.encode(formulas[i]->root, row, col).toHex(), expected.toHex())
                    << texts[i] << " at " << row << "," << col;
            }
        }
    }
}

// ---------------------------------------------------------------- numbers

TEST(RkNumbers, EveryEncodedNumberDecodesToTheSameBits) {
    std::mt19937_64 random(7);
    std::vector<double> values = {0, -0.0, 1, -1, 0.1, 12.34, 1000.01, 536870911, -536870912, 536870912, 1e300,
                                  45292, 0.5, 1.0 / 3, 123456789.123, 5e-324};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::round(std::uniform_real_distribution<double>(-1e7, 1e7)(random)) / 100);
        uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, 8);
        if (std::isfinite(any)) values.push_back(any);
    }
    int compact = 0;
    for (double v : values) {
        if (const auto rk = xls::encodeRk(v)) {
            const double back = xls::decodeRk(*rk);
            EXPECT_EQ(std::memcmp(&back, &v, 8), 0) << v;
            ++compact;
        }
    }
    EXPECT_TRUE(xls::encodeRk(12.34).has_value());
    EXPECT_TRUE(xls::encodeRk(-0.0).has_value());
    EXPECT_FALSE(xls::encodeRk(1.0 / 3).has_value());
    EXPECT_GT(compact, 20000);  // every amount with cents fits
}

// ---------------------------------------------------------------- sheet records

TEST(SheetRecords, MergesSplitAt1026PerRecordAndSingleCellsAreLeftOut) {
    model::Workbook workbook;
    auto& sheet = *workbook.sheets.emplace_back(std::make_unique<model::Sheet>(QStringLiteral("M")));
    for (int i = 0; i < 2100; ++i) sheet.merges.push_back({i * 2, 0, i * 2 + 1, 1});
    sheet.merges.push_back({5000, 3, 5000, 3});
    std::vector<int> counts;
    for (const auto& r : records(xls::encodeWorkbookStream(workbook)))
        if (r.id == xls::record::MergedCells) {
            counts.push_back(u16(r.data, 0));
            EXPECT_EQ(r.data.size(), 2 + 8 * counts.back());
        }
    EXPECT_EQ(counts, (std::vector<int>{1026, 1026, 48}));
    EXPECT_EQ(xls::decodeWorkbookFile(xls::encodeWorkbookFile(workbook))->sheets[0]->merges.size(), 2100u);
}

// The register's "whole sheet formatted": one COLINFO per run of equal
// columns, the last covering every column to the sheet's edge with the
// sheet's XF; rows carry their heights; no record is longer than allowed.
TEST(SheetRecords, RegisterColumnsRowsAndLimits) {
    const QByteArray stream = xls::encodeWorkbookStream(*registerWorkbook(3));
    std::vector<std::pair<int, int>> spans;
    std::vector<uint16_t> options;
    uint16_t sheetXf = 0;
    int rows = 0;
    for (const auto& r : records(stream)) {
        EXPECT_LE(r.data.size(), xls::kMaxRecordData);
        if (r.id == xls::record::ColInfo) {
            spans.emplace_back(u16(r.data, 0), u16(r.data, 2));
            sheetXf = u16(r.data, 6);
            options.push_back(u16(r.data, 8));
        }
        if (r.id == xls::record::Row) {
            ++rows;
            EXPECT_EQ(u16(r.data, 12) & 0x0040, 0x0040) << "custom height";
        }
    }
    // I, J and K are equally wide; J, the running totals, is hidden (fHidden).
    ASSERT_EQ(spans.size(), 12u);
    EXPECT_EQ(spans.back(), std::make_pair(11, 255));
    EXPECT_EQ(spans[8], std::make_pair(8, 8));
    EXPECT_EQ(spans[9], std::make_pair(9, 9));
    EXPECT_EQ(spans[10], std::make_pair(10, 10));
    EXPECT_EQ(options[8], 0x0002);
    EXPECT_EQ(options[9], 0x0003);
    EXPECT_EQ(options[10], 0x0002);
    EXPECT_GE(sheetXf, 21);
    EXPECT_EQ(rows, 3 + 6);
    EXPECT_EQ(xls::columnWidthUnits(8.43), 2341);
    EXPECT_DOUBLE_EQ(xls::columnWidthCharacters(xls::columnWidthUnits(15.51)), 15.51);
}

// INDEX and DBCELL let a reader find rows without reading every record:
// every position they hold must land on the record it names, also in a
// sheet long enough to be written in several pieces.
TEST(SheetRecords, IndexAndRowBlockPointersLandOnTheirRecords) {
    for (const int transactions : {100, 12000}) {
        SCOPED_TRACE(transactions);
        const QByteArray stream = xls::encodeWorkbookStream(*registerWorkbook(transactions));
        const auto list = records(stream);
        std::map<int, const Listed*> at;
        for (const auto& r : list) at[r.offset] = &r;
        const auto index = std::find_if(list.begin(), list.end(), [](const Listed& r) { return r.id == xls::record::Index; });
        ASSERT_NE(index, list.end());
        EXPECT_EQ(u32(index->data, 4), 0u);
        EXPECT_EQ(u32(index->data, 8), uint32_t(transactions) + 6);  // rows 1 to n + 6
        ASSERT_TRUE(at.count(int(u32(index->data, 12))));
        EXPECT_EQ(at[int(u32(index->data, 12))]->id, xls::record::DefColWidth);
        const int blocks = (index->data.size() - 16) / 4;
        EXPECT_EQ(blocks, (transactions + 6 + 31) / 32);
        int rowsSeen = 0;
        for (int b = 0; b < blocks; ++b) {
            const int dbCellAt = int(u32(index->data, 16 + 4 * b));
            ASSERT_TRUE(at.count(dbCellAt)) << "block " << b;
            const Listed& dbCell = *at[dbCellAt];
            ASSERT_EQ(dbCell.id, xls::record::DbCell);
            const int firstRowAt = dbCellAt - int(u32(dbCell.data, 0));
            ASSERT_TRUE(at.count(firstRowAt));
            ASSERT_EQ(at[firstRowAt]->id, xls::record::Row);
            int cellAt = firstRowAt + 20;
            for (int i = 0; 4 + 2 * i < dbCell.data.size(); ++i) {
                cellAt += u16(dbCell.data, 4 + 2 * i);
                const Listed& row = *at[firstRowAt + 20 * i];
                ASSERT_EQ(row.id, xls::record::Row);
                ASSERT_TRUE(at.count(cellAt));
                const Listed& cell = *at[cellAt];
                if (u16(row.data, 4) > 0) { EXPECT_EQ(u16(cell.data, 0), u16(row.data, 0)) << "first cell of row " << u16(row.data, 0); }
                ++rowsSeen;
            }
        }
        EXPECT_EQ(rowsSeen, transactions + 6);
    }
}


// Cells a foreign file stores right to left or a row before the one above it read as they would in
// order; a cell stored twice keeps its last value.
TEST(SheetRecords, CellsInAnyOrderReadAsInOrder) {
    model::Workbook workbook;
    workbook.sheets.push_back(std::make_unique<model::Sheet>(QStringLiteral("Sheet1")));
    model::Sheet& sheet = *workbook.sheets[0];
    sheet.at(0, 0).value = 1.0;
    sheet.at(0, 1).value = QStringLiteral("x");
    sheet.at(0, 3).value = 3.5;
    sheet.at(1, 0).value = 2.0;
    sheet.at(1, 2).value = QStringLiteral("y");
    sheet.at(2, 1).value = true;
    const QByteArray stream = xls::encodeWorkbookStream(workbook);
    auto list = records(stream);
    auto isCell = [](const Listed& r) {
        return r.id == xls::record::Rk || r.id == xls::record::Number || r.id == xls::record::LabelSst ||
               r.id == xls::record::BoolErr;
    };
    const auto first = std::find_if(list.begin(), list.end(), isCell);
    const auto last = std::find_if(first, list.end(), [&](const Listed& r) { return !isCell(r); });
    ASSERT_EQ(last - first, 6);
    const int runStart = first->offset;
    std::reverse(first, last);
    // Rows 2, 1 and 0 backwards, then the first cell once more, changed from 1 to 7 (RK 7 << 2 | 2).
    Listed again = *(last - 1);
    ASSERT_EQ(again.id, xls::record::Rk);
    ASSERT_EQ(u16(again.data, 0) + u16(again.data, 2), 0);
    again.data.replace(6, 4, QByteArray::fromHex("1e000000"));
    auto append = [](QByteArray& to, const Listed& r) {
        to.append(char(r.id & 0xFF)).append(char(r.id >> 8));
        to.append(char(r.data.size() & 0xFF)).append(char(r.data.size() >> 8)).append(r.data);
    };
    QByteArray reordered = stream.left(runStart);
    for (auto r = first; r != last; ++r) append(reordered, *r);
    append(reordered, again);
    reordered.append(stream.mid(last->offset));
    // The sheet starts where it did; what moved lies inside it.
    const auto read = xls::decodeWorkbookStream({reinterpret_cast<const uint8_t*>(reordered.constData()), size_t(reordered.size())});
    const model::Sheet& back = *read->sheets[0];
    auto value = [&](int r, int c) { const model::Cell* cell = back.find(r, c); return cell ? cell->value : model::Value(); };
    EXPECT_EQ(value(0, 0), model::Value(7.0));
    EXPECT_EQ(value(0, 1), model::Value(QStringLiteral("x")));
    EXPECT_EQ(value(0, 3), model::Value(3.5));
    EXPECT_EQ(value(1, 0), model::Value(2.0));
    EXPECT_EQ(value(1, 2), model::Value(QStringLiteral("y")));
    EXPECT_EQ(value(2, 1), model::Value(true));
    int count = 0;
    back.forEachCell([&](int, int, const model::Cell&) { ++count; });
    EXPECT_EQ(count, 6);
}

// Texts down a column, repeated by one shared string, by equal copies or not at all, and
// texts that must be made safe or cut: the table counts every use and holds each text once,
// and the cells read back hold one string per distinct text.
TEST(SheetRecords, RepeatedTextsDownAColumnAreCountedAndReadBackShared) {
    model::Workbook workbook;
    workbook.sheets.push_back(std::make_unique<model::Sheet>(QStringLiteral("Sheet1")));
    model::Sheet& sheet = *workbook.sheets[0];
    const QString groceries = QStringLiteral("Groceries");
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("x");  // a lone surrogate, made safe
    const QString overlong = QString(40000, u'a');
    const std::vector<QString> column{groceries, groceries, QString(groceries.constData(), groceries.size()),
                                      QStringLiteral("Rent"), groceries, lone, lone, overlong, overlong,
                                      QStringLiteral("Groceries!")};
    for (size_t r = 0; r < column.size(); ++r) {
        sheet.at(int(r), 0).value = column[r];
        sheet.at(int(r), 1).value = QStringLiteral("Rent");  // a neighbour column keeps its own last text
    }
    const QByteArray stream = xls::encodeWorkbookStream(workbook);
    const auto list = records(stream);
    const auto sst = std::find_if(list.begin(), list.end(), [](const Listed& r) { return r.id == xls::record::Sst; });
    ASSERT_NE(sst, list.end());
    EXPECT_EQ(u32(sst->data, 0), uint32_t(2 * column.size()));  // every use counted
    EXPECT_EQ(u32(sst->data, 4), 5u);  // Groceries, Rent, the safe text, the cut text, Groceries!

    const auto read = xls::decodeWorkbookStream({reinterpret_cast<const uint8_t*>(stream.constData()), size_t(stream.size())});
    const model::Sheet& back = *read->sheets[0];
    auto text = [&](int r, int c) { return std::get<QString>(back.find(r, c)->value); };
    EXPECT_EQ(text(0, 0), groceries);
    EXPECT_EQ(text(3, 0), QStringLiteral("Rent"));
    EXPECT_EQ(text(5, 0), QString(QChar(0xFFFD)) + QStringLiteral("x"));
    EXPECT_EQ(text(8, 0).size(), 32767);
    EXPECT_EQ(text(9, 0), QStringLiteral("Groceries!"));
    for (int r : {1, 2, 4}) EXPECT_TRUE(text(r, 0).isSharedWith(text(0, 0))) << r;
    EXPECT_TRUE(text(3, 0).isSharedWith(text(0, 1)));
    EXPECT_TRUE(text(6, 0).isSharedWith(text(5, 0)));
}

}  // namespace
}  // namespace brevanta::xlstest
