/* The frame-rate page's own controls: the overlay corner, the benchmark stop and the statistics boxes. */
#include "support/page_set.h"

#include "resources/resource.h"

class FpsPageRules : public PagesInProcess {};

TEST_F(FpsPageRules, ACornerOutsideZeroToFourShowsBottomRight)
{
    SharedSettings.OverlayCorner = 7;
    Create();
    EXPECT_TRUE(IsChecked(FpsPage, IDC_FPS_CORNER_BOTTOM_RIGHT));
    EXPECT_FALSE(IsChecked(FpsPage, IDC_FPS_CORNER_DISABLED));
}

TEST_F(FpsPageRules, EachStatisticsBoxShowsItsOwnBit)
{
    static const struct { DWORD stats; int checked; } cases[] = {
        { 1, IDC_FPS_STATS_FPS },
        { 2, IDC_FPS_STATS_MINMAXAVG },
        { 4, IDC_FPS_STATS_FRAMETIMES },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "stats " << c.stats);
        SharedSettings.DetailedStats = c.stats;
        Create();
        for (int box : { IDC_FPS_STATS_FPS, IDC_FPS_STATS_MINMAXAVG, IDC_FPS_STATS_FRAMETIMES })
            EXPECT_EQ(box == c.checked, IsChecked(FpsPage, box)) << "box " << box;
        DestroyPageSet();
    }
}

TEST_F(FpsPageRules, TheBenchmarkLengthFollowsItsFieldAndAnEmptyFieldStoresZero)
{
    Create();
    SetDlgItemTextA(FpsPage, IDC_FPS_BENCHMARK_TIME, "120");
    EXPECT_EQ(120u, SharedSettings.BenchmarkTime);
    SetDlgItemTextA(FpsPage, IDC_FPS_BENCHMARK_TIME, "");
    EXPECT_EQ(0u, SharedSettings.BenchmarkTime);
}
