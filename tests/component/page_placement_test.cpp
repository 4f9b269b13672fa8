/* The place a page was moved to, taken back at the next start by every page, and only where a page can stand. */
#include "support/page_set.h"

static const char PlacementKey[] = "SOFTWARE\\Zentu2";

class PagePlacement : public PagesInProcess {
protected:
    /* The pages created, one moved to (x, y) and the set destroyed again: the place is stored. */
    void StorePlace(int x, int y)
    {
        Create();
        SetWindowPos(FpsPage, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DestroyPageSet();
    }
    static bool At(HWND page, int x, int y)
    {
        RECT shown;
        GetWindowRect(page, &shown);
        return shown.left == x && shown.top == y;
    }
};

TEST_F(PagePlacement, AStoredPlaceIsTakenBackByAllFourPages)
{
    StorePlace(37, 41);
    Create();
    for (HWND page : { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage }) {
        SCOPED_TRACE(WindowText(page));
        EXPECT_TRUE(At(page, 37, 41));
    }
}

TEST_F(PagePlacement, TakingAStoredPlaceBackLeavesEveryPageHidden)
{
    StorePlace(37, 41);
    Create();
    for (HWND page : { GeneralPage, FpsPage, MoviesPage, ScreenshotsPage }) {
        SCOPED_TRACE(WindowText(page));
        ASSERT_TRUE(At(page, 37, 41));
        EXPECT_FALSE(IsWindowVisible(page));
    }
}

/* A stored DPI of no size counts as none; another screen size, its width or its height, is another screen. */
TEST_F(PagePlacement, AStoredPlaceIsTakenBackOnlyOnAScreenOfTheSameSize)
{
    const struct {
        const char *name;
        DWORD value;
        DWORD size;
        bool restored;
    } cases[] = {
        { "WindowDPI", 0, 0, true },
        { "WindowX", (DWORD)GetSystemMetrics(SM_CXSCREEN) + 1, 4, false },
        { "WindowY", (DWORD)GetSystemMetrics(SM_CYSCREEN) - 1, 4, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StorePlace(37, 41);
        SetRawValue(HKEY_LOCAL_MACHINE, PlacementKey, c.name, REG_DWORD, &c.value, c.size);
        Create();
        EXPECT_EQ(c.restored, At(GeneralPage, 37, 41));
        DestroyPageSet();
    }
}

/* The pages here stand at 96 DPI. */
TEST_F(PagePlacement, AStoredPlaceWithoutItsDpiCountsAsOneOf96Dpi)
{
    StorePlace(37, 41);
    ASSERT_EQ(96u, PageDpi);
    DeleteValue(HKEY_LOCAL_MACHINE, PlacementKey, "WindowDPI");
    Create();
    EXPECT_TRUE(At(GeneralPage, 37, 41));
}

/* Partly off the right edge: a page must stand whole on the work area. */
TEST_F(PagePlacement, AStoredPlaceReachingPastTheWorkAreaIsNotTakenBack)
{
    StorePlace(37, 41);
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, PlacementKey, "Window", &type, &data));
    WINDOWPLACEMENT placement;
    ASSERT_EQ(sizeof placement, data.size());
    memcpy(&placement, data.data(), sizeof placement);
    int left = GetSystemMetrics(SM_CXSCREEN) - 100;
    OffsetRect(&placement.rcNormalPosition, left - placement.rcNormalPosition.left, 0);
    SetRawValue(HKEY_LOCAL_MACHINE, PlacementKey, "Window", REG_BINARY, &placement, sizeof placement);
    Create();
    EXPECT_FALSE(At(GeneralPage, left, 41));
}
