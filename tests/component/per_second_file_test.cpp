/* The per-second frame-rate file and the overlay: switching the file off leaves the corner alone. The page's box
 * is recorded instead of shown. */
#include "support/page_set.h"

#include "resources/resource.h"
#include "support/imports.h"

static int BoxesShown;

static int WINAPI CountMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    (void)owner;
    (void)text;
    (void)caption;
    (void)style;
    BoxesShown++;
    return IDOK;
}

class PerSecondFile : public PagesInProcess {};

TEST_F(PerSecondFile, SwitchingTheFileOffLeavesTheCornerAndShowsNoBox)
{
    SharedSettings.SecondLogging = 1;
    SharedSettings.OverlayCorner = 1;
    Create();
    ASSERT_TRUE(IsChecked(FpsPage, IDC_FPS_SECOND_FILE));
    BoxesShown = 0;
    void *system = ReplaceImport("MessageBoxA", reinterpret_cast<void *>(CountMessageBox));
    ASSERT_TRUE(system);
    Click(FpsPage, IDC_FPS_SECOND_FILE);
    ReplaceImport("MessageBoxA", system);
    EXPECT_EQ(0u, SharedSettings.SecondLogging);
    EXPECT_EQ(1u, SharedSettings.OverlayCorner);
    EXPECT_EQ(0, BoxesShown);
}
