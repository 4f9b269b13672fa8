/* What the running companion hands the hook library, and when. */
#include "e2e.h"

class SettingsLink : public CompanionTest {};

TEST_F(SettingsLink, EveryRefreshHandsTheRegistryValuesToTheLibrary3000MsApart)
{
    SetSetting("Overlay Corner", 2);
    SetRunning(1);
    CompanionFolder folder("normal");
    CompanionProcess companion;
    ASSERT_TRUE(companion.Start(folder.ExePath()));
    ASSERT_TRUE(StartedUp(folder.WaitForCalls(StartedUp, 20000)));
    std::vector<LibraryCall> setups = folder.SetupCalls();
    int firstRefresh = FirstCallWithHooks(setups) + 1;

    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    for (const LibraryCall &call : setups) {
        ASSERT_EQ(59u, call.args.size());
        for (int zero : { 12, 13, 18, 21, 33, 42, 43, 44, 45, 46, 47, 50, 51, 52, 53, 54 })
            EXPECT_EQ(0u, call.Number(zero)) << "position " << zero;
        /* constants, "Overlay Corner" read at start-up, the capture size before
         * the pages compute it, and the hotkeys F12, F11, F9, F10 */
        const UINT32 values[][2] = { { 4, 1 }, { 22, 1 }, { 11, 2 }, { 30, 1600 }, { 31, 1200 }, { 32, 7733248 },
                                     { 56, 123 }, { 57, 122 }, { 58, 120 }, { 59, 121 } };
        for (const auto &v : values)
            EXPECT_EQ(v[1], call.Number(v[0])) << "position " << v[0];
        for (int position : { 6, 7, 8 })
            EXPECT_EQ(folder.Path(), call.Text(position)) << "position " << position;
        EXPECT_EQ(folder.Path() + "\\benchmarks", call.Text(9));
        EXPECT_STREQ(system, call.Text(19).c_str());
        EXPECT_EQ(setups[0].Address(25), call.Address(25));
    }
    EXPECT_NE(0u, setups[0].Address(25));

    static const struct { const char *name; int position; DWORD value; } mappings[] = {
        { "Sampling Rate", 5, 0 }, { "Detailed Stats", 10, 6 }, { "Movie Framerate", 20, 60 },
        { "Framerate On Screenshot", 23, 1 }, { "Movie Half Size", 24, 1 }, { "No Cursor", 26, 1 },
        { "No Sync", 27, 1 }, { "Benchmark Stop", 28, 1 }, { "Benchmark Time", 29, 90 },
        { "Overlay Key", 56, 0x0478 }, { "Log Key", 57, 0x0420 }, { "Movie Key", 58, 0x0077 },
        { "Capture Key", 59, 0x0B47A },
    };
    for (const auto &m : mappings)
        SetSetting(m.name, m.value);
    SetSetting("Overlay Corner", 3);
    SetSetting("Screenshot Directory", "C:\\Shots");
    SetSetting("Movie Directory", "D:\\Movies");

    ASSERT_TRUE(WaitUntil([&] { return (setups = folder.SetupCalls()).size() >= (size_t)firstRefresh + 3; }, 12000));
    const LibraryCall &next = setups[firstRefresh + 1];
    for (const auto &m : mappings)
        EXPECT_EQ(m.value, next.Number(m.position)) << m.name << " at " << m.position;
    EXPECT_EQ(2u, next.Number(11)) << "Overlay Corner is read at start-up only";
    EXPECT_EQ("D:\\Movies", next.Text(7));
    EXPECT_EQ("C:\\Shots", next.Text(8));
    /* Start-up's refresh counts as the first; the loop's come 3000 ms apart. */
    for (int i = firstRefresh; i < firstRefresh + 2; i++) {
        double interval = setups[i + 1].timeMs - setups[i].timeMs;
        EXPECT_GE(interval, 2950.0) << "after call " << i;
        EXPECT_LT(interval, 4000.0) << "after call " << i;
    }

    /* "Running" 0 ends it within one interval: the refresh that read it makes
     * its call, then the last one follows. */
    ULONGLONG stopAt = GetTickCount64();
    SetRunning(0);
    EXPECT_EQ(0, companion.WaitExit(10000));
    EXPECT_LT(GetTickCount64() - stopAt, 4500u);
    setups = folder.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    EXPECT_GE(setups.size(), (size_t)firstRefresh + 5);
}
