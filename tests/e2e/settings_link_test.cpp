/* The settings the running companion hands to the hook library, and when. */
#include "e2e.h"

#include <string.h>
#include <tlhelp32.h>

class SettingsLink : public CompanionTest {
protected:
    /* Starts the companion with "Running" 1 and waits for the call made
     * right after the first settings refresh. */
    void StartRunning()
    {
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        auto calls = folder_.WaitForCalls([](const std::vector<LibraryCall> &c) {
            int hooked = FirstCallWithHooks(c);
            return hooked >= 0 && c.size() >= (size_t)hooked + 2;
        }, 20000);
        int hooked = FirstCallWithHooks(calls);
        ASSERT_GE(hooked, 0);
        ASSERT_GE(calls.size(), (size_t)hooked + 2);
        firstRefresh_ = hooked + 1;
    }

    /* Waits for the next ZentuSetup after the ones seen so far. */
    LibraryCall NextSetupCall(DWORD timeoutMs = 5000)
    {
        size_t seen = folder_.SetupCalls().size();
        auto calls = folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) { return c.size() > seen; },
                                          timeoutMs);
        std::vector<LibraryCall> setups;
        for (const LibraryCall &call : calls)
            if (call.name == "ZentuSetup")
                setups.push_back(call);
        if (setups.size() <= seen) {
            ADD_FAILURE() << "no further call within " << timeoutMs << " ms";
            return LibraryCall{};
        }
        return setups[seen];
    }

    void StopAndExpectOrderlyEnd()
    {
        SetRunning(0);
        EXPECT_EQ(0, companion_.WaitExit(10000));
        ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
    }

    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
    int firstRefresh_ = -1;
};

TEST_F(SettingsLink, RefreshComesEvery3000MsAndRunningZeroEndsWithinOneInterval)
{
    StartRunning();
    auto calls = folder_.WaitForCalls([&](const std::vector<LibraryCall> &c) {
        return c.size() >= (size_t)firstRefresh_ + 3;
    }, 12000);
    ASSERT_GE(calls.size(), (size_t)firstRefresh_ + 3);
    /* Start-up's refresh counts as the first; the loop's come 3000 ms apart,
     * the first of them not earlier (a few milliseconds lie between the
     * clock reading that starts the interval and start-up's own call). */
    for (int i = 0; i < 2; i++) {
        double interval = calls[firstRefresh_ + i + 1].timeMs - calls[firstRefresh_ + i].timeMs;
        SCOPED_TRACE(testing::Message() << "interval " << i << ": " << interval << " ms");
        EXPECT_GE(interval, 2950.0);
        EXPECT_LT(interval, 4000.0);
    }

    ULONGLONG stopAt = GetTickCount64();
    SetRunning(0);
    EXPECT_EQ(0, companion_.WaitExit(10000));
    ULONGLONG took = GetTickCount64() - stopAt;
    EXPECT_LT(took, 3000u + 1500u);
    auto setups = folder_.SetupCalls();
    ExpectOneShutdownCallAtTheEnd(setups);
    /* The refresh that read 0 made its call, then the shutdown call followed. */
    ASSERT_GE(setups.size(), 2u);
    EXPECT_EQ(0u, setups[setups.size() - 2].Number(3));
}

TEST_F(SettingsLink, ConstantPositionsAndFolders)
{
    StartRunning();
    StopAndExpectOrderlyEnd();
    std::string programFolder = folder_.Path();
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);

    auto setups = folder_.SetupCalls();
    ASSERT_GE(setups.size(), 3u);
    unsigned long long buffer = setups[0].Address(25);
    for (size_t i = 0; i < setups.size(); i++) {
        const LibraryCall &call = setups[i];
        SCOPED_TRACE(testing::Message() << "call " << i);
        ASSERT_EQ(59u, call.args.size());
        EXPECT_EQ(1u, call.Number(4));
        EXPECT_EQ(1u, call.Number(22));
        for (int zero : { 18, 21, 33, 12, 13, 42, 43, 44, 45, 46, 47, 50, 51, 52, 53, 54 })
            EXPECT_EQ(0u, call.Number(zero)) << "position " << zero;
        EXPECT_EQ(programFolder, call.Text(6));
        EXPECT_EQ(programFolder, call.Text(7));
        EXPECT_EQ(programFolder, call.Text(8));
        EXPECT_EQ(programFolder + "\\benchmarks", call.Text(9));
        EXPECT_STREQ(system, call.Text(19).c_str());
        EXPECT_NE(0u, buffer);
        EXPECT_EQ(buffer, call.Address(25));
        /* the capture size before the pages compute it */
        EXPECT_EQ(1600u, call.Number(30));
        EXPECT_EQ(1200u, call.Number(31));
        EXPECT_EQ(7733248u, call.Number(32));
        /* hotkey defaults F12, F11, F9, F10 */
        EXPECT_EQ(123u, call.Number(56));
        EXPECT_EQ(122u, call.Number(57));
        EXPECT_EQ(120u, call.Number(58));
        EXPECT_EQ(121u, call.Number(59));
    }
}

TEST_F(SettingsLink, RegistryValuesReachTheLibraryAtTheNextRefresh)
{
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Overlay Corner", 2);
    StartRunning();
    /* The start-up read of "Overlay Corner" is in every call. */
    EXPECT_EQ(2u, folder_.SetupCalls()[0].Number(11));

    struct Mapping {
        const char *name;
        int position;
        DWORD value;
    };
    static const Mapping mappings[] = {
        { "Sampling Rate", 5, 0 },
        { "Detailed Stats", 10, 6 },
        { "Movie Framerate", 20, 60 },
        { "Framerate On Screenshot", 23, 1 },
        { "Movie Half Size", 24, 1 },
        { "No Cursor", 26, 1 },
        { "No Sync", 27, 1 },
        { "Benchmark Stop", 28, 1 },
        { "Benchmark Time", 29, 90 },
        { "Overlay Key", 56, 0x0478 },
        { "Log Key", 57, 0x0420 },
        { "Movie Key", 58, 0x0077 },
        { "Capture Key", 59, 0x0B47A },
    };
    for (const Mapping &m : mappings)
        SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, m.name, m.value);
    std::string shots = "C:\\Shots\\" + std::string(245, 's');          /* 254 characters */
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Screenshot Directory", shots);
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Directory", "D:\\Movies\\" + std::string(245, 'm'));
    /* Changed after start-up: no refresh reads it again. */
    SetDwordValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Overlay Corner", 3);

    LibraryCall call = NextSetupCall();
    for (const Mapping &m : mappings)
        EXPECT_EQ(m.value, call.Number(m.position)) << m.name << " at " << m.position;
    EXPECT_EQ(shots, call.Text(8));
    EXPECT_EQ(folder_.Path(), call.Text(7)) << "a 255-character folder must not be taken";
    EXPECT_EQ(2u, call.Number(11));

    /* Values of another type are taken byte for byte when they fit. */
    const BYTE twoBytes[] = { 0x2C, 0x01 };      /* 300 */
    SetRawValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Benchmark Time", REG_BINARY, twoBytes, 2);
    SetStringValue(HKEY_LOCAL_MACHINE, TEST_SETTINGS_KEY, "Movie Framerate", "ab");
    LibraryCall typed = NextSetupCall();
    EXPECT_EQ(300u, typed.Number(29));
    EXPECT_EQ(0x00006261u, typed.Number(20));

    StopAndExpectOrderlyEnd();
}

TEST_F(SettingsLink, QuitMessageEndsTheCompanionAlthoughRunningStaysOne)
{
    StartRunning();
    /* A page posts WM_QUIT when it is destroyed; any WM_QUIT on the thread ends the loop. */
    DWORD threadId = 0;
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 entry;
        ZeroMemory(&entry, sizeof entry);
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            if (entry.th32OwnerProcessID == companion_.Pid()) {
                threadId = entry.th32ThreadID;
                break;
            }
        CloseHandle(snapshot);
    }
    ASSERT_NE(0u, threadId);
    ULONGLONG postedAt = GetTickCount64();
    ASSERT_TRUE(PostThreadMessageA(threadId, WM_QUIT, 0, 0));
    EXPECT_EQ(0, companion_.WaitExit(10000));
    EXPECT_LT(GetTickCount64() - postedAt, 2500u);
    ExpectOneShutdownCallAtTheEnd(folder_.SetupCalls());
}
