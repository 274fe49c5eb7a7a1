// The end of the session: a signal stores the list through the event loop
// and then ends the program.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>

#include "app/session_end.h"
#include "frame/program_end.h"

namespace brevanta {

TEST(SessionEnd, EachEndingSignalStoresOnceThroughTheEventLoopThenEnds) {
    std::vector<int> ends;
    frame::setProgramEndAction([&](int code) { ends.push_back(code); });
    int stores = 0;
    {
        app::SessionEnd sessionEnd([&] { ++stores; });
        for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
            const int before = stores;
            std::raise(number);
            EXPECT_EQ(stores, before) << "the handler itself stores nothing";
            QElapsedTimer waited;
            waited.start();
            while (stores == before && waited.elapsed() < 5000) QCoreApplication::processEvents();
            EXPECT_EQ(stores, before + 1) << number;
        }
    }
    EXPECT_EQ(ends, (std::vector<int>{0, 0, 0}));
    frame::setProgramEndAction({});
}

}  // namespace brevanta
