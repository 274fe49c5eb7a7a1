// The application, workbooks and sheets as the generation driver uses them.

#include <QTemporaryDir>
#include <cmath>

#include "tests/engine/embedded/engine_fixture.h"
#include "xls/xls_file.h"

using namespace brevanta;
using testsupport::EngineTest;

TEST(EmbeddedHost, FactoryCreatesFreshHiddenInstancesAndNeverAttaches) {
    engine::EmbeddedHostFactory factory{testsupport::xlsFiles()};
    EXPECT_EQ(factory.attachRunning(), nullptr);
    auto first = factory.create();
    auto second = factory.create();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->defaultValue(), QStringLiteral("Brevanta Spreadsheet Engine"));
    EXPECT_EQ(first->version(), QStringLiteral("16.0"));
    EXPECT_FALSE(first->visible());
    EXPECT_EQ(first->workbooks().count(), 0);
    EXPECT_HOST_ERROR(first->range(QStringLiteral("A1")), "Method 'Range' of object '_Application' failed");
}

TEST(EmbeddedHost, DriverSettingsAreStoredAndValidated) {
    auto app = engine::createEmbeddedApplication(testsupport::xlsFiles());
    app->setVisible(false);
    app->setScreenUpdating(false);
    app->setDisplayAlerts(false);
    app->setEnableEvents(false);
    app->setEnableCancelKey(host::xl::CancelKeyDisabled);
    app->setCursor(host::xl::CursorWait);
    EXPECT_FALSE(app->screenUpdating());
    EXPECT_FALSE(app->displayAlerts());
    EXPECT_FALSE(app->enableEvents());
    EXPECT_EQ(app->enableCancelKey(), 0);
    EXPECT_EQ(app->cursor(), 2);
    app->setEnableCancelKey(2);
    app->setCursor(host::xl::CursorDefault);
    EXPECT_EQ(app->cursor(), -4143);

    EXPECT_HOST_ERROR(app->setEnableCancelKey(3), "Unable to set the EnableCancelKey property of the Application class");
    EXPECT_HOST_ERROR(app->setCursor(0), "Unable to set the Cursor property of the Application class");
    EXPECT_HOST_ERROR(app->setCursor(11), "Unable to set the Cursor property of the Application class");
    EXPECT_EQ(app->enableCancelKey(), 2);
    EXPECT_DOUBLE_EQ(app->inchesToPoints(0.7), 50.4);
    EXPECT_DOUBLE_EQ(app->inchesToPoints(0), 0);
}

TEST_F(EngineTest, NewWorkbookLooksLikeASpreadsheetsNewWorkbook) {
    ASSERT_EQ(app->sheets().count(), 3);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(app->sheets().item(i)->name(), QStringLiteral("Sheet%1").arg(i));
    EXPECT_EQ(app->activeSheet()->name(), QStringLiteral("Sheet1"));
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$A$1"));
    EXPECT_EQ(book->color(1), 0x000000);
    EXPECT_EQ(book->color(2), 0xFFFFFF);
    EXPECT_EQ(book->color(3), 0x0000FF);  // red, as R + 256 G + 65536 B
    EXPECT_EQ(app->cells()->font().name(), QStringLiteral("Arial"));
    EXPECT_EQ(app->cells()->font().size(), 10);
    EXPECT_DOUBLE_EQ(app->rows(QStringLiteral("1:1"))->rowHeight(), 12.75);
    EXPECT_DOUBLE_EQ(app->columns(QStringLiteral("A:A"))->columnWidth(), 8.43);
    EXPECT_EQ(app->workbooks().count(), 1);
    EXPECT_EQ(app->workbooks().item(1)->fullName(), book->fullName());
}

TEST_F(EngineTest, DriverCutsTheWorkbookToOneNamedSheet) {
    auto& sheets = app->sheets();
    const int k = sheets.count();
    for (int i = 1; i <= k - 1; ++i) sheets.item(2)->remove();
    sheets.item(sheets.count())->setName(QStringLiteral("Check Register"));
    ASSERT_EQ(sheets.count(), 1);
    EXPECT_EQ(app->activeSheet()->name(), QStringLiteral("Check Register"));
    EXPECT_HOST_ERROR(sheets.item(1)->remove(), "Delete method of Worksheet class failed");
    EXPECT_HOST_ERROR(sheets.item(2), "Subscript out of range");
    EXPECT_HOST_ERROR(sheets.item(0), "Subscript out of range");
}

TEST_F(EngineTest, DeletingTheActiveSheetActivatesAnotherAndOldHandlesRefuse) {
    auto second = app->sheets().item(2);
    second->select();
    auto secondRange = app->range(QStringLiteral("A1"));
    second->remove();
    EXPECT_EQ(app->activeSheet()->name(), QStringLiteral("Sheet3"));  // the next sheet takes over
    EXPECT_ANY_HOST_ERROR(second->name());
    EXPECT_ANY_HOST_ERROR(secondRange->setFormulaR1C1(QStringLiteral("x")));
    app->sheets().item(1)->select();
    EXPECT_EQ(app->activeSheet()->name(), QStringLiteral("Sheet1"));
}

TEST_F(EngineTest, SheetNamesFollowTheSpreadsheetsRules) {
    auto sheet = app->sheets().item(1);
    const char* refused[] = {"", "a:b", "a\\b", "a/b", "a?b", "a*b", "a[b", "a]b", "SHEET2"};
    for (const char* name : refused) {
        SCOPED_TRACE(name);
        EXPECT_HOST_ERROR(sheet->setName(QString::fromLatin1(name)), "Unable to set the Name property of the Worksheet class");
    }
    EXPECT_HOST_ERROR(sheet->setName(QString(32, u'x')), "Unable to set the Name property of the Worksheet class");
    EXPECT_EQ(sheet->name(), QStringLiteral("Sheet1"));
    sheet->setName(QString(31, u'x'));
    sheet->setName(QStringLiteral("sheet1"));  // its own name in other case is no clash
    EXPECT_EQ(sheet->name(), QStringLiteral("sheet1"));
}

TEST_F(EngineTest, SelectMakesTheSelectionAndItsFirstCellActive) {
    app->range(QStringLiteral("B6:H8"))->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$B$6:$H$8"));
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$B$6"));
    app->range(QStringLiteral("H8:B6"))->select();
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$B$6"));
    app->cells()->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$1:$65536"));
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$A$1"));
    app->rows(QStringLiteral("7:7"))->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$7:$7"));
    app->columns(QStringLiteral("D:D"))->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$D:$D"));
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$D$1"));

    // Only ranges of the active sheet can be selected; the selection stays.
    auto other = app->sheets().item(2)->range(QStringLiteral("C3"));
    EXPECT_HOST_ERROR(other->select(), "Select method of Range class failed");
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$D:$D"));
    // Each sheet keeps its own selection.
    app->sheets().item(2)->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
}

TEST_F(EngineTest, BadAddressesAndCellsAreErrors) {
    EXPECT_HOST_ERROR(app->range(QStringLiteral("B0")), "Invalid address: B0");
    EXPECT_HOST_ERROR(app->range(QStringLiteral("A65537")), "Invalid address: A65537");
    EXPECT_HOST_ERROR(app->rows(QStringLiteral("")), "Invalid address: ");
    EXPECT_HOST_ERROR(app->columns(QStringLiteral("IW:IW")), "Invalid address: IW:IW");
    EXPECT_HOST_ERROR(app->activeSheet()->cell(0, 1), "Unable to get the Cells property of the Worksheet class");
    EXPECT_HOST_ERROR(app->activeSheet()->cell(1, 257), "Unable to get the Cells property of the Worksheet class");
    EXPECT_EQ(app->activeSheet()->cell(65536, 256)->address(), QStringLiteral("$IV$65536"));
}

TEST_F(EngineTest, PaletteEntriesAreSetAndValidated) {
    book->setColor(43, 0x00CC99);
    EXPECT_EQ(app->activeWorkbook()->color(43), 0x00CC99);
    book->setColor(1, 0xFFFFFF);
    EXPECT_HOST_ERROR(book->setColor(0, 1), "Unable to set the Colors property of the Workbook class");
    EXPECT_HOST_ERROR(book->setColor(57, 1), "Unable to set the Colors property of the Workbook class");
    EXPECT_HOST_ERROR(book->setColor(5, 0x1000000), "Unable to set the Colors property of the Workbook class");
    EXPECT_HOST_ERROR(book->setColor(5, -1), "Unable to set the Colors property of the Workbook class");
    EXPECT_ANY_HOST_ERROR(book->color(57));
}

TEST_F(EngineTest, PageSetupOfTheRegisterIsStored) {
    const auto worksheet = app->activeSheet();  // owns the page set-up object
    auto& page = worksheet->pageSetup();
    page.setPrintArea(QStringLiteral("B2:I9"));
    EXPECT_EQ(page.printArea(), QStringLiteral("$B$2:$I$9"));
    page.setPrintArea(QString());
    page.setLeftMargin(app->inchesToPoints(0.7));
    page.setRightMargin(app->inchesToPoints(0.7));
    page.setTopMargin(app->inchesToPoints(0.5));
    page.setBottomMargin(app->inchesToPoints(0.5));
    page.setHeaderMargin(app->inchesToPoints(0));
    page.setFooterMargin(app->inchesToPoints(0));
    page.setPrintComments(host::xl::PrintNoComments);
    page.setOrientation(host::xl::Landscape);
    page.setPaperSize(host::xl::PaperA4);
    page.setZoomOff();
    page.setFitToPagesWide(1);
    page.setFitToPagesTall(1);
    page.setPrintTitleRows(QStringLiteral("$4:$5"));

    const auto& data = sheet().page;
    EXPECT_TRUE(data.printArea.isEmpty());
    EXPECT_DOUBLE_EQ(data.leftMargin, 50.4);
    EXPECT_DOUBLE_EQ(data.topMargin, 36);
    EXPECT_DOUBLE_EQ(data.headerMargin, 0);
    EXPECT_EQ(data.orientation, 2);
    EXPECT_EQ(data.paperSize, 9);
    EXPECT_FALSE(data.zoom.has_value());
    EXPECT_TRUE(page.zoomIsOff());
    EXPECT_EQ(data.printTitleRows, (std::pair{3, 4}));
    EXPECT_EQ(page.printTitleRows(), QStringLiteral("$4:$5"));

    EXPECT_HOST_ERROR(page.setLeftMargin(-1), "Unable to set the LeftMargin property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setFooterMargin(std::nan("")), "Unable to set the FooterMargin property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setOrientation(3), "Unable to set the Orientation property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setPaperSize(0), "Unable to set the PaperSize property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setFitToPagesTall(-1), "Unable to set the FitToPagesTall property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setPrintTitleRows(QStringLiteral("B4")), "Unable to set the PrintTitleRows property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setPrintTitleRows(QStringLiteral("rows")), "Unable to set the PrintTitleRows property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setPrintArea(QStringLiteral("nowhere")), "Unable to set the PrintArea property of the PageSetup class");
    EXPECT_HOST_ERROR(page.setPrintComments(5), "Unable to set the PrintComments property of the PageSetup class");
    EXPECT_EQ(data.printTitleRows, (std::pair{3, 4}));  // a refused value changes nothing
    page.setPrintTitleRows(QString());
    EXPECT_FALSE(data.printTitleRows.has_value());
    page.setZoom(85);
    EXPECT_EQ(page.zoom(), 85);
}

TEST_F(EngineTest, ClosedWorkbooksAndQuitApplicationsRefuseCalls) {
    auto second = app->workbooks().add();
    EXPECT_EQ(app->workbooks().count(), 2);
    EXPECT_EQ(app->activeWorkbook()->fullName(), second->fullName());
    auto cell = app->range(QStringLiteral("A1"));
    EXPECT_HOST_ERROR(second->saveAs(QStringLiteral("/tmp/never.xlsx"), 51), "SaveAs method of Workbook class failed");
    second->close();
    EXPECT_EQ(app->workbooks().count(), 1);
    EXPECT_EQ(app->activeWorkbook()->fullName(), book->fullName());
    EXPECT_ANY_HOST_ERROR(second->sheets().count());
    EXPECT_ANY_HOST_ERROR(cell->value());
    EXPECT_ANY_HOST_ERROR(second->close());

    auto sheet = app->activeSheet();
    app->quit();
    EXPECT_ANY_HOST_ERROR(app->workbooks());
    EXPECT_ANY_HOST_ERROR(app->setVisible(true));
    EXPECT_ANY_HOST_ERROR(book->sheets().count());
    EXPECT_ANY_HOST_ERROR(sheet->usedRange());
    EXPECT_ANY_HOST_ERROR(app->quit());
}

TEST_F(EngineTest, SavedWorkbookOpensInASecondInstanceAsTheActiveWorkbook) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("vantor12345678.xls"));
    app->sheets().item(1)->setName(QStringLiteral("Check Register"));
    book->setColor(43, 0x00CC99);
    write(QStringLiteral("$B$2:$I$2"), QStringLiteral("Check Register"));
    app->selection()->merge();
    write(QStringLiteral("H6"), QStringLiteral("5000"));
    write(QStringLiteral("I6"), QStringLiteral("=IF(AND(ISBLANK(RC[-2]),ISBLANK(RC[-1])),\"\",R[-1]C-RC[-2]+RC[-1])"));
    app->rows(QStringLiteral("7:7"))->setRowHeight(20);
    book->saveAs(path, host::xl::FileFormatExcel8);
    EXPECT_EQ(book->fullName(), path);
    book->close();
    app->quit();

    auto second = engine::createEmbeddedApplication(testsupport::xlsFiles());
    second->workbooks().open(path);
    auto opened = second->workbooks().item(second->workbooks().count());
    EXPECT_EQ(opened->fullName(), path);
    EXPECT_EQ(opened->color(43), 0x00CC99);
    auto sheet = opened->activeSheet();
    EXPECT_EQ(sheet->name(), QStringLiteral("Check Register"));
    EXPECT_EQ(sheet->range(QStringLiteral("I6"))->value(), host::Value(5000.0));
    EXPECT_EQ(sheet->usedRange()->address(), QStringLiteral("$B$2:$I$7"));
    EXPECT_EQ(second->range(QStringLiteral("B2"))->text(), QStringLiteral("Check Register"));

    EXPECT_ANY_HOST_ERROR(second->workbooks().open(folder.filePath(QStringLiteral("missing.xls"))));
    EXPECT_EQ(second->workbooks().count(), 1);
}

TEST_F(EngineTest, AnOpenedWorkbookShowsItsSavedResultsUntilSomethingChanges) {
    // A file whose saved result differs from what its formula computes, as a file
    // saved before its inputs changed elsewhere would be.
    write(QStringLiteral("A1"), QStringLiteral("2"));
    write(QStringLiteral("A2"), QStringLiteral("=R[-1]C*10"));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.xls"));
    model::Workbook& model = workbookModel();
    model.sheets[0]->find(1, 0)->value = 99.0;
    xls::writeWorkbook(model, path);

    auto reader = engine::createEmbeddedApplication(testsupport::xlsFiles());
    reader->workbooks().open(path);
    EXPECT_EQ(reader->range(QStringLiteral("A2"))->value(), host::Value(99.0));
    reader->range(QStringLiteral("A1"))->select();
    reader->activeCell()->setFormulaR1C1(QStringLiteral("3"));
    EXPECT_EQ(reader->range(QStringLiteral("A2"))->value(), host::Value(30.0));
    reader->quit();
}

// The application hands the last range out again while it stands for the same cells: every range
// must still stand for its own cells, on the sheet that was active when it was asked for.
TEST_F(EngineTest, RangesAskedForInTurnKeepTheirCellsAndFollowTheActiveSheet) {
    auto b2 = app->range(QStringLiteral("B2"));
    b2->select();
    app->activeCell()->setFormulaR1C1(QStringLiteral("first"));
    app->range(QStringLiteral("C3:D4"))->select();
    EXPECT_EQ(b2->address(), QStringLiteral("$B$2"));
    EXPECT_EQ(b2->text(), QStringLiteral("first"));
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$C$3:$D$4"));
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$C$3"));

    // Another sheet: selection and active cell are its own.
    app->sheets().item(2)->select();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    app->activeCell()->setFormulaR1C1(QStringLiteral("on two"));
    EXPECT_EQ(app->sheets().item(2)->range(QStringLiteral("A1"))->text(), QStringLiteral("on two"));
    EXPECT_EQ(app->sheets().item(1)->range(QStringLiteral("A1"))->text(), QString());

    // Another workbook, then back once it is closed.
    auto second = app->workbooks().add();
    app->range(QStringLiteral("E5"))->select();
    EXPECT_EQ(app->activeCell()->address(), QStringLiteral("$E$5"));
    second->close();
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    app->activeCell()->setFormulaR1C1(QStringLiteral("back"));
    EXPECT_EQ(app->sheets().item(2)->range(QStringLiteral("A1"))->text(), QStringLiteral("back"));

    // The active sheet deleted under the last range: the next sheet's selection.
    app->range(QStringLiteral("F6"))->select();
    app->sheets().item(2)->remove();
    EXPECT_EQ(app->activeSheet()->name(), QStringLiteral("Sheet3"));
    EXPECT_EQ(app->selection()->address(), QStringLiteral("$A$1"));
    EXPECT_HOST_ERROR(app->range(QStringLiteral("B0")), "Invalid address: B0");

    app->quit();
    EXPECT_ANY_HOST_ERROR(app->selection());
    EXPECT_ANY_HOST_ERROR(app->range(QStringLiteral("A1")));
}
