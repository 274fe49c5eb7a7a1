#pragma once
// A main window that touches nothing outside the test: its own program
// folder and settings file, a web-site visit that never opens, recorded
// program ends, recorded boxes and reports, and the en_US locale.

#include <QLocale>
#include <QTemporaryDir>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

#include "frame/program_end.h"
#include "ledger/transaction_model.h"
#include "register/form1.h"
#include "tests/support/recording.h"

namespace brevanta::testsupport {

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        previousLocale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        frame::setProgramEndAction([this](int code) { programEnds.push_back(code); });
        form = std::make_unique<reg::Form1>();
        form->setEnvironment(environment());
    }

    void TearDown() override {
        form.reset();
        frame::setProgramEndAction({});
        QLocale::setDefault(previousLocale);
    }

    reg::Form1::Environment environment() {
        reg::Form1::Environment env;
        env.programFolder = folder.path();
        env.webSiteVisit.drawOneToHundred = [] { return 1; };
        env.webSiteVisit.open = [this](const QString& url) { openedSites.push_back(url); };
        env.savedList = reg::SavedListStore(settingsFile());
        env.rescueFolders = {folder.filePath(QStringLiteral("documents"))};
        return env;
    }

    QString settingsFile() const { return folder.filePath(QStringLiteral("settings.ini")); }
    reg::SavedListStore store() const { return reg::SavedListStore(settingsFile()); }

    std::vector<reg::Transaction> rows() {
        std::vector<reg::Transaction> result;
        auto& list = form->transactions();
        for (int r = 1; r <= list.rowCount(); ++r) {
            reg::Transaction t;
            for (int f = 0; f < reg::kFieldCount; ++f) t[static_cast<size_t>(f)] = list.field(r, f);
            result.push_back(t);
        }
        return result;
    }

    // The text of `field` in row `row` (0-based), as the list's model holds it.
    QString cell(int row, int field) { return form->model().index(row, field).data().toString(); }
    int currentRow() const { return form->ListView1->currentIndex().row(); }
    void setCurrentRow(int row, int field = 0) { form->ListView1->setCurrentIndex(form->model().index(row, field)); }

    QLocale previousLocale;
    QTemporaryDir folder;
    SeamGuard seams;
    std::vector<int> programEnds;
    std::vector<QString> openedSites;
    std::unique_ptr<reg::Form1> form;
};

}  // namespace brevanta::testsupport
