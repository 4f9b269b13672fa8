/* The hook library's two hooks reach every program of the desktop, each with its own procedure: the stand-in's
 * procedures, run in this test's process, write down what they saw. */
#include "support/companion.h"

static const char WitnessClass[] = "ZentuHookWitness";
static const UINT WitnessMessage = WM_APP + 0x5A7;

class LibraryHooks : public CompanionTest {
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA("ZENTU_STANDIN_HOOKS", record_.c_str());
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = WitnessClass;
        RegisterClassA(&windowClass);
        SetRunning(1);
        ASSERT_TRUE(companion_.Start(folder_.ExePath()));
        ASSERT_TRUE(StartedUp(folder_.WaitForCalls(StartedUp, 20000)));
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("ZENTU_STANDIN_HOOKS", NULL);
        UnregisterClassA(WitnessClass, GetModuleHandleA(NULL));
        DeleteFileA(record_.c_str());
    }
    /* The stand-in's record holds text, within the deadline; a window of the witness class is made and sent the
     * witness message over and over meanwhile. */
    bool Witnessed(const std::string &text)
    {
        return WaitUntil([&] { return Witness(text); }, 10000);
    }
    bool Witness(const std::string &text)
    {
        HWND window = CreateWindowExA(0, WitnessClass, "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
        SendMessageA(window, WitnessMessage, 0, 0);
        DestroyWindow(window);
        return ReadWholeFile(record_).find(text) != std::string::npos;
    }

    std::string record_ = UniqueTempFolder("zentu-hooks") + ".txt";
    CompanionFolder folder_{ "normal" };
    CompanionProcess companion_;
};

TEST_F(LibraryHooks, TheCbtHookRunsZentuProcCbtInAnotherProgram)
{
    EXPECT_TRUE(Witnessed("ZentuProcCBT created the witness"));
}

TEST_F(LibraryHooks, TheCallWndProcHookRunsZentuProcCallWndInAnotherProgram)
{
    EXPECT_TRUE(Witnessed("ZentuProcCALLWND saw the witness message"));
}
