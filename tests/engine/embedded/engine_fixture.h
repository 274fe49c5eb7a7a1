#pragma once
// A fresh embedded engine with one new workbook, and helpers the engine
// tests share.

#include <QLocale>
#include <QStringList>
#include <gtest/gtest.h>
#include <ostream>

#include "engine/embedded/embedded_host.h"
#include "tests/support/xls_files.h"

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{' << texts.join(QStringLiteral(", ")).toStdString() << '}';
}

namespace brevanta::testsupport {

// Host calls that must fail: the description is checked, not just the throw.
#define EXPECT_HOST_ERROR(statement, text)                                         \
    do {                                                                           \
        try {                                                                      \
            statement;                                                             \
            ADD_FAILURE() << "no HostError from: " #statement;                     \
        } catch (const brevanta::host::HostError& error) {                         \
            EXPECT_EQ(error.description(), QString(text)) << #statement;           \
        }                                                                          \
    } while (false)

#define EXPECT_ANY_HOST_ERROR(statement) EXPECT_THROW(statement, brevanta::host::HostError)

class EngineTest : public ::testing::Test {
protected:
    EngineTest() : app(engine::createEmbeddedApplication(testsupport::xlsFiles())), book(app->workbooks().add()) {}

    model::Sheet& sheet() { return engine::sheetModel(*app->activeSheet()).sheet; }
    model::Workbook& workbookModel() { return engine::sheetModel(*app->activeSheet()).workbook; }
    const model::CellStyle& styleAt(int row1, int col1) {
        return workbookModel().styles.get(sheet().effectiveStyle(row1 - 1, col1 - 1));
    }
    // Typed entry into one cell, the way the layout's WriteCell does it.
    void write(const QString& address, const QString& entry) {
        app->range(address)->select();
        app->activeCell()->setFormulaR1C1(entry);
    }
    host::Value valueAt(const QString& address) { return app->range(address)->value(); }

    host::ApplicationPtr app;
    host::WorkbookPtr book;
};

// Sets the program's default locale for one test and puts the old one back.
class DefaultLocaleGuard {
public:
    explicit DefaultLocaleGuard(const QLocale& locale) : saved_(QLocale()) { QLocale::setDefault(locale); }
    ~DefaultLocaleGuard() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

}  // namespace brevanta::testsupport
