#include "xls/style_codes.h"

#include "engine/model/style.h"

namespace brevanta::xls {

uint16_t fontIcv(int colorIndex) {
    if (colorIndex >= 1 && colorIndex <= 56) return static_cast<uint16_t>(colorIndex + 7);
    if (colorIndex == 0) return 0;  // drawn black; must read back as 0
    return kIcvAutomaticFont;
}

int fontColorIndex(uint16_t icv) {
    if (icv == 0) return 0;
    if (icv < 8) return icv + 1;  // the fixed colours equal palette entries 2..8 of a new workbook
    if (icv < 64) return icv - 7;
    return model::kColorAutomatic;
}

uint16_t fillIcv(int colorIndex) {
    if (colorIndex >= 1 && colorIndex <= 56) return static_cast<uint16_t>(colorIndex + 7);
    if (colorIndex == 0) return 0;
    return kIcvSystemForeground;
}

int fillColorIndex(uint16_t icv) {
    if (icv < 8) return icv + 1;
    if (icv < 64) return icv - 7;
    return model::kColorNone;
}

namespace {
struct BuiltInFormat {
    int number;
    const char* text;
    bool writtenByNumber;  // locale-neutral enough to be written without a FORMAT record
};
constexpr BuiltInFormat kBuiltInFormats[] = {
    {0, "General", true}, {1, "0", true}, {2, "0.00", true}, {3, "#,##0", true}, {4, "#,##0.00", true},
    {5, "\"$\"#,##0_);\\(\"$\"#,##0\\)", false},
    {6, "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)", false},
    {7, "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)", false},
    {8, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)", false},
    {9, "0%", true}, {10, "0.00%", true}, {11, "0.00E+00", true}, {12, "# ?/?", true},
    {13, "# ?\?/??", true}, {14, "m/d/yyyy", true}, {15, "d-mmm-yy", true}, {16, "d-mmm", true},
    {17, "mmm-yy", true}, {18, "h:mm AM/PM", true}, {19, "h:mm:ss AM/PM", true}, {20, "h:mm", true},
    {21, "h:mm:ss", true}, {22, "m/d/yyyy h:mm", true},
    {37, "#,##0_);(#,##0)", false}, {38, "#,##0_);[Red](#,##0)", false},
    {39, "#,##0.00_);(#,##0.00)", false}, {40, "#,##0.00_);[Red](#,##0.00)", false},
    {41, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)", false},
    {42, "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)", false},
    {43, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)", false},
    {44, "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)", false},
    {45, "mm:ss", true}, {46, "[h]:mm:ss", true}, {47, "mm:ss.0", true}, {48, "##0.0E+0", true},
    {49, "@", true},
};
}  // namespace

int builtInFormatNumber(const QString& formatText) {
    for (const auto& f : kBuiltInFormats)
        if (f.writtenByNumber && formatText == QLatin1String(f.text)) return f.number;
    return -1;
}

QString builtInFormatText(int number) {
    for (const auto& f : kBuiltInFormats)
        if (f.number == number) return QString::fromLatin1(f.text);
    return QStringLiteral("General");
}

}  // namespace brevanta::xls
