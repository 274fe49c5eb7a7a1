#pragma once
// A recording stand-in for the spreadsheet host: every call is logged in
// order ("Range($B$4).Select", "Selection.Interior.ColorIndex=43"), cells
// keep their entries and fills, the sort really sorts, and any call whose
// log line contains a chosen text fails like the host would.

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "host/host_api.h"

namespace brevanta::fakehost {

struct FakeCell {
    QString entry;  // as typed through FormulaR1C1
    int fill = 0;
    bool merged = false;
};

struct FakeSheet {
    QString name;
    std::map<std::pair<int, int>, FakeCell> cells;  // (row, column), 1-based
    std::map<int, double> rowHeights;
    std::map<int, double> columnWidths;
    int selectionTop = 1, selectionLeft = 1, selectionBottom = 1, selectionRight = 1;
    QString printTitleRows;
    int orientation = 1;
    const FakeCell* find(int row, int column) const;
};

struct FakeBook {
    std::vector<std::shared_ptr<FakeSheet>> sheets;
    std::map<int, int> colors;
    QString fullName;
    bool closed = false;
};

// What every fake host of one test shares: the log, the saved files, the faults.
struct FakeWorld {
    QStringList log;
    QStringList failOn;                      // a call whose log line contains one of these throws
    bool failCreate = false;                 // the factory cannot create hosts
    int sheetsInNewBook = 3;
    QString version = QStringLiteral("16.0");
    QString defaultValue = QStringLiteral("Brevanta engine");
    bool running = false;                    // attachRunning answers an instance
    QString runningDefaultValue = QStringLiteral("Microsoft Excel");
    int created = 0;
    int quits = 0;
    int alive = 0;                           // hosts created or attached and not yet let go
    std::map<QString, std::shared_ptr<FakeBook>> savedFiles;

    void record(const QString& call);        // logs, then throws when the call is to fail
    int count(const QString& fragment) const;
    int indexOf(const QString& line, int from = 0) const;  // first log line equal to `line`
};

class FakeFactory final : public host::HostFactory {
public:
    explicit FakeFactory(std::shared_ptr<FakeWorld> world) : world_(std::move(world)) {}
    host::ApplicationPtr create() override;
    host::ApplicationPtr attachRunning() override;
    FakeWorld& world() { return *world_; }
    // The sheet the last laid-out workbook was saved with.
    std::shared_ptr<FakeBook> lastCreatedBook;

private:
    std::shared_ptr<FakeWorld> world_;
};

// A factory installed for the scope of a test.
class FactoryGuard {
public:
    FactoryGuard();
    ~FactoryGuard();
    std::shared_ptr<FakeWorld> world;
    FakeFactory factory;
};

}  // namespace brevanta::fakehost
