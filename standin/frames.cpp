/*
 * Frame counting where a real hook library counts: inside the games.
 *
 * The companion's two global hooks make the platform load this library into
 * every process of the desktop whose windows they see. There, at each call of
 * a hook procedure, the copy looks for D3D9.DLL and OPENGL32.DLL and hooks
 * the entry points at the module's base plus the offsets the companion
 * measured in its own process and last handed over: device Present (SetupCall
 * position 14), swap-chain Present (15) and wglSwapBuffers (16).
 *
 * The copy inside the companion publishes those offsets, the shutdown flag,
 * its process id and the record's path in named shared memory on every
 * ZentuSetup call, and signals a named event with the shutdown call. The
 * copies in the games read it; the companion's own process is never hooked.
 *
 * The hook is a breakpoint: an int3 written over the entry point's first
 * byte, caught by a vectored exception handler that counts the frame, puts
 * the original byte back, lets the thread execute that one instruction with
 * the trap flag set, and writes the int3 again at the single-step exception.
 * Nothing of the entry point's code has to be understood or moved, so any
 * prologue works, and the game's call runs exactly the code it would run
 * without the hook. A thread that enters the entry point while another one
 * is stepping through its first instruction goes uncounted: games present
 * from one thread.
 *
 * Record lines (tab-separated, in the same record as the calls):
 *   ZentuFrames <us> <pid> <exe> <entry> <state> <count> <module>+0x<offset>
 * entry: Present, SwapChainPresent or wglSwapBuffers. state: "hooked" when
 * the breakpoint goes in (count 0); "counting" once a second while the count
 * is above 0; at the end "ended" (the game's process ends) or "unhooked" (the
 * companion's shutdown call, or the companion's process is gone), after which
 * nothing of the copy stays in the entry point; and, with nothing hooked,
 * "unmeasured" (offset 0), "outside" (the offset lies beyond the module's
 * image) or "not-code" (the address is not executable code of the module).
 *
 * For the tests, ZENTU_STANDIN_OFFSETS ("<14>,<15>,<16>", in the companion's
 * environment) replaces the offsets the copy inside the companion publishes;
 * its record of the call still shows what it received.
 */
#include "standin/standin.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { FRAME_ENTRY_COUNT = 3 };

struct FrameEntryPoint {
    const char *name;
    const char *module;
};
/* In the order of their SetupCall positions, 14 to 16. */
static const FrameEntryPoint FrameEntryPoints[FRAME_ENTRY_COUNT] = {
    { "Present", "d3d9.dll" },
    { "SwapChainPresent", "d3d9.dll" },
    { "wglSwapBuffers", "opengl32.dll" },
};

/* What the companion's copy publishes; sequence is odd while it writes. */
struct SharedFrameSettings {
    volatile LONG sequence;
    DWORD companionPid;
    UINT32 shutdownFlag;
    UINT32 offsets[FRAME_ENTRY_COUNT];
    char recordPath[MAX_PATH];
};

static const char SharedName[] = "Local\\Zentu64StandInFrames";
static const BYTE Breakpoint = 0xCC;
static const DWORD TrapFlag = 0x100;

/* One entry point in this process. Guarded by HookLock from the moment the
 * breakpoint may be hit. */
struct FrameHook {
    ULONG_PTR address;       /* 0 until hooked */
    BYTE original;
    BOOL armed;
    LONG stepping;           /* threads stepping through the first instruction */
    unsigned long long count;
    UINT32 offset;           /* the offset it was hooked at */
    UINT32 refusedOffset;    /* the offset last reported as not hookable, + 1 */
};

static FrameHook FrameHooks[FRAME_ENTRY_COUNT];
static CRITICAL_SECTION HookLock;
static CRITICAL_SECTION ReachLock;
static DWORD StepSlot = TLS_OUT_OF_INDEXES;   /* the hook a thread steps through */
static void *CountingHandler;
static BOOL IsCompanionCopy;
static BOOL Settled;        /* nothing left to do in this process */
static BOOL Counting;       /* the watcher runs: breakpoints may go in */
static BOOL Stopped;        /* the hooks came out for good */
static SharedFrameSettings Settings;   /* the latest snapshot, for the hook calls */
/* Fixed when the watcher starts: the companion it watches and its record. */
static DWORD SessionCompanionPid;
static char SessionRecordPath[MAX_PATH];
static char ExeName[MAX_PATH];

/* The companion's side. */
static HANDLE SharedMapping;
static SharedFrameSettings *Shared;
static HANDLE ShutdownEvent;

static void ShutdownEventName(char *name, size_t size, DWORD companionPid)
{
    snprintf(name, size, "Local\\Zentu64StandInShutdown-%lu", (unsigned long)companionPid);
}

void StartFrames(void)
{
    InitializeCriticalSection(&HookLock);
    InitializeCriticalSection(&ReachLock);
}

/* Test hook: "<14>,<15>,<16>" replaces the offsets handed to the games. */
static void OverrideOffsets(UINT32 offsets[FRAME_ENTRY_COUNT])
{
    char text[128];
    DWORD length = GetEnvironmentVariableA("ZENTU_STANDIN_OFFSETS", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return;
    char *next = text;
    for (int i = 0; i < FRAME_ENTRY_COUNT; i++) {
        offsets[i] = (UINT32)strtoul(next, &next, 0);
        if (*next == ',')
            next++;
    }
}

void PublishToGames(UINT32 shutdownFlag, UINT32 devicePresentOffset, UINT32 swapChainPresentOffset,
                    UINT32 wglSwapBuffersOffset)
{
    IsCompanionCopy = TRUE;
    if (!Shared) {
        SharedMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof *Shared, SharedName);
        Shared = SharedMapping ? (SharedFrameSettings *)MapViewOfFile(SharedMapping, FILE_MAP_WRITE, 0, 0, 0) : NULL;
    }
    if (!ShutdownEvent) {
        char name[64];
        ShutdownEventName(name, sizeof name, GetCurrentProcessId());
        ShutdownEvent = CreateEventA(NULL, TRUE, FALSE, name);
    }
    if (!Shared)
        return;
    UINT32 offsets[FRAME_ENTRY_COUNT] = { devicePresentOffset, swapChainPresentOffset, wglSwapBuffersOffset };
    OverrideOffsets(offsets);
    char path[MAX_PATH];
    if (!RecordPath(path, sizeof path))
        path[0] = '\0';
    InterlockedIncrement(&Shared->sequence);
    Shared->companionPid = GetCurrentProcessId();
    Shared->shutdownFlag = shutdownFlag;
    memcpy(Shared->offsets, offsets, sizeof offsets);
    memcpy(Shared->recordPath, path, sizeof path);
    InterlockedIncrement(&Shared->sequence);
    /* The flag is in place before the event wakes the games' copies, and a
     * hook call that comes in before the hooks are removed finds it. */
    if (shutdownFlag && ShutdownEvent)
        SetEvent(ShutdownEvent);
}

/* The companion's latest settings into Settings; FALSE when there are none. */
static BOOL ReadSettings(void)
{
    static SharedFrameSettings *view;
    if (!view) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, SharedName);
        if (!mapping)
            return FALSE;
        view = (SharedFrameSettings *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        CloseHandle(mapping);     /* the view keeps the memory */
        if (!view)
            return FALSE;
    }
    for (int tries = 0; tries < 100; tries++) {
        LONG before = view->sequence;
        MemoryBarrier();
        SharedFrameSettings copy;
        memcpy(&copy, view, sizeof copy);
        MemoryBarrier();
        if (!(before & 1) && before == view->sequence) {
            copy.recordPath[sizeof copy.recordPath - 1] = '\0';
            Settings = copy;
            return TRUE;
        }
        Sleep(0);
    }
    return FALSE;
}

static void WriteFrameLine(const char *path, int entry, const char *state, unsigned long long count, UINT32 offset)
{
    if (!path[0])
        return;
    RecordLine line;
    RecordStart(&line, "ZentuFrames");
    RecordAppend(&line, "\t%lu\t", (unsigned long)GetCurrentProcessId());
    RecordAppendText(&line, ExeName);
    RecordAppend(&line, "\t%s\t%s\t%llu\t%s+0x%X", FrameEntryPoints[entry].name, state, count,
                 FrameEntryPoints[entry].module, offset);
    RecordWrite(&line, path);
}

/* Writes one byte of code, as the module's page protection allows it again after. */
static BOOL WriteCodeByte(ULONG_PTR address, BYTE value)
{
    DWORD protection;
    if (!VirtualProtect((void *)address, 1, PAGE_EXECUTE_READWRITE, &protection))
        return FALSE;
    *(volatile BYTE *)address = value;
    VirtualProtect((void *)address, 1, protection, &protection);
    FlushInstructionCache(GetCurrentProcess(), (void *)address, 1);
    return TRUE;
}

static FrameHook *HookAt(ULONG_PTR address)
{
    for (FrameHook &hook : FrameHooks)
        if (hook.address && hook.address == address)
            return &hook;
    return NULL;
}

/* The thread stopped on an int3 of ours: count, put the first instruction
 * back and step through it. A breakpoint taken just before the hooks came out
 * finds the original byte back and simply runs on. */
static LONG TakeBreakpoint(EXCEPTION_POINTERS *info)
{
    ULONG_PTR at = (ULONG_PTR)info->ExceptionRecord->ExceptionAddress;
    EnterCriticalSection(&HookLock);
    FrameHook *hook = HookAt(at);
    if (!hook && info->ContextRecord->Rip > 0)
        hook = HookAt(at = (ULONG_PTR)info->ContextRecord->Rip - 1);
    if (!hook) {
        LeaveCriticalSection(&HookLock);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    info->ContextRecord->Rip = at;
    if (hook->armed) {
        hook->count++;
        if (*(volatile BYTE *)at == Breakpoint)
            WriteCodeByte(at, hook->original);
        hook->stepping++;
        TlsSetValue(StepSlot, hook);
        info->ContextRecord->EFlags |= TrapFlag;
    }
    LeaveCriticalSection(&HookLock);
    return EXCEPTION_CONTINUE_EXECUTION;
}

/* The first instruction has run: the last thread through it puts the int3
 * back, unless the hooks came out meanwhile. */
static LONG TakeSingleStep(EXCEPTION_POINTERS *info)
{
    FrameHook *hook = StepSlot != TLS_OUT_OF_INDEXES ? (FrameHook *)TlsGetValue(StepSlot) : NULL;
    if (!hook)
        return EXCEPTION_CONTINUE_SEARCH;
    TlsSetValue(StepSlot, NULL);
    EnterCriticalSection(&HookLock);
    if (--hook->stepping == 0 && hook->armed)
        WriteCodeByte(hook->address, Breakpoint);
    LeaveCriticalSection(&HookLock);
    info->ContextRecord->EFlags &= ~TrapFlag;
    return EXCEPTION_CONTINUE_EXECUTION;
}

static LONG CALLBACK CountFrame(EXCEPTION_POINTERS *info)
{
    switch (info->ExceptionRecord->ExceptionCode) {
    case EXCEPTION_BREAKPOINT:
        return TakeBreakpoint(info);
    case EXCEPTION_SINGLE_STEP:
        return TakeSingleStep(info);
    default:
        return EXCEPTION_CONTINUE_SEARCH;
    }
}

/* Puts every first byte back; the entry points run as without the library.
 * FALSE when a thread is still stepping (its int3 is out already). */
static BOOL Disarm(void)
{
    EnterCriticalSection(&HookLock);
    for (int i = 0; i < FRAME_ENTRY_COUNT; i++) {
        FrameHook &hook = FrameHooks[i];
        if (!hook.armed)
            continue;
        hook.armed = FALSE;
        /* A game that unloaded the module took the int3 with it. */
        HMODULE module = GetModuleHandleA(FrameEntryPoints[i].module);
        if (module && hook.address > (ULONG_PTR)module && *(volatile BYTE *)hook.address == Breakpoint)
            WriteCodeByte(hook.address, hook.original);
    }
    BOOL stepping = FALSE;
    for (const FrameHook &hook : FrameHooks)
        stepping = stepping || hook.stepping > 0;
    LeaveCriticalSection(&HookLock);
    return !stepping;
}

/* The hooks come out for good, with the final count of each entry point.
 * TRUE when nothing of this copy can be entered any more. */
static BOOL StopCounting(const char *state)
{
    EnterCriticalSection(&ReachLock);
    BOOL first = !Stopped;
    Stopped = TRUE;
    Settled = TRUE;
    LeaveCriticalSection(&ReachLock);
    if (!first || !Counting)
        return TRUE;
    BOOL quiet = Disarm();
    for (int i = 0; i < FRAME_ENTRY_COUNT; i++)
        if (FrameHooks[i].address)
            WriteFrameLine(SessionRecordPath, i, state, FrameHooks[i].count, FrameHooks[i].offset);
    /* A thread that took an int3 just before it went may still be on its way
     * to the handler. */
    for (int wait = 0; !quiet && wait < 100; wait++) {
        Sleep(10);
        quiet = Disarm();
    }
    if (!quiet)
        return FALSE;
    Sleep(20);
    RemoveVectoredExceptionHandler(CountingHandler);
    CountingHandler = NULL;
    return TRUE;
}

/* The game's watcher: a line a second while frames come, the hooks out when
 * the companion shuts down or is gone. It holds a reference to the library,
 * so the platform cannot unload it while the hooks are in. */
static DWORD WINAPI WatchCompanion(void *self)
{
    char name[64];
    ShutdownEventName(name, sizeof name, SessionCompanionPid);
    HANDLE handles[2];
    DWORD count = 0;
    HANDLE shutdown = OpenEventA(SYNCHRONIZE, FALSE, name);
    HANDLE companion = OpenProcess(SYNCHRONIZE, FALSE, SessionCompanionPid);
    if (shutdown)
        handles[count++] = shutdown;
    if (companion)
        handles[count++] = companion;
    /* Neither: the companion went before the watcher could look. */
    while (count > 0 && WaitForMultipleObjects(count, handles, FALSE, 1000) == WAIT_TIMEOUT) {
        for (int i = 0; i < FRAME_ENTRY_COUNT; i++) {
            EnterCriticalSection(&HookLock);
            unsigned long long frames = FrameHooks[i].armed ? FrameHooks[i].count : 0;
            LeaveCriticalSection(&HookLock);
            if (frames > 0)
                WriteFrameLine(SessionRecordPath, i, "counting", frames, FrameHooks[i].offset);
        }
    }
    BOOL quiet = StopCounting("unhooked");
    for (DWORD i = 0; i < count; i++)
        CloseHandle(handles[i]);
    /* A thread still stepping through an entry point would come back into a
     * library that is gone: then the library stays. */
    if (!quiet)
        return 0;
    FreeLibraryAndExitThread((HMODULE)self, 0);
}

static BOOL StartWatcher(void);

static const char *RefusalOf(const BYTE *base, UINT32 offset)
{
    if (offset == 0)
        return "unmeasured";
    const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + ((const IMAGE_DOS_HEADER *)base)->e_lfanew);
    if (offset >= nt->OptionalHeader.SizeOfImage)
        return "outside";
    MEMORY_BASIC_INFORMATION memory;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (!VirtualQuery(base + offset, &memory, sizeof memory) || memory.AllocationBase != base ||
        memory.State != MEM_COMMIT || !(memory.Protect & executable) || base[offset] == Breakpoint)
        return "not-code";
    return NULL;
}

/* Hooks one entry point whose module is loaded; the refusal is written once
 * per offset. TRUE when the entry point needs no more looking at. */
static BOOL HookEntryPoint(int entry, const BYTE *base)
{
    FrameHook &hook = FrameHooks[entry];
    UINT32 offset = Settings.offsets[entry];
    const char *refusal = RefusalOf(base, offset);
    if (refusal) {
        if (hook.refusedOffset != offset + 1)
            WriteFrameLine(Settings.recordPath, entry, refusal, 0, offset);
        hook.refusedOffset = offset + 1;
        return FALSE;          /* a later call may bring a measured offset */
    }
    if (StepSlot == TLS_OUT_OF_INDEXES && (StepSlot = TlsAlloc()) == TLS_OUT_OF_INDEXES)
        return FALSE;
    if (!CountingHandler && !(CountingHandler = AddVectoredExceptionHandler(1, CountFrame)))
        return FALSE;
    /* No breakpoint without the watcher that takes it out again. */
    if (!Counting && !(Counting = StartWatcher()))
        return FALSE;
    ULONG_PTR address = (ULONG_PTR)base + offset;
    EnterCriticalSection(&HookLock);
    hook.address = address;
    hook.original = *(const BYTE *)address;
    hook.count = 0;
    hook.offset = offset;
    hook.armed = WriteCodeByte(address, Breakpoint);
    if (!hook.armed)
        hook.address = 0;
    LeaveCriticalSection(&HookLock);
    if (hook.armed)
        WriteFrameLine(SessionRecordPath, entry, "hooked", 0, offset);
    return hook.armed;
}

/* Starts the watcher with the first breakpoint; FALSE when it cannot run. */
static BOOL StartWatcher(void)
{
    SessionCompanionPid = Settings.companionPid;
    memcpy(SessionRecordPath, Settings.recordPath, sizeof SessionRecordPath);
    HMODULE self;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void *)WatchCompanion, &self))
        return FALSE;
    HANDLE thread = CreateThread(NULL, 0, WatchCompanion, self, 0, NULL);
    if (!thread) {
        FreeLibrary(self);
        return FALSE;
    }
    CloseHandle(thread);
    return TRUE;
}

static void FillExeName(void)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    const char *slash = strrchr(path, '\\');
    snprintf(ExeName, sizeof ExeName, "%s", slash ? slash + 1 : path);
}

static void TryHooks(void)
{
    if (!ReadSettings() || Settings.shutdownFlag || Settings.companionPid == GetCurrentProcessId()) {
        Settled = Settings.shutdownFlag || Settings.companionPid == GetCurrentProcessId();
        return;
    }
    if (!ExeName[0])
        FillExeName();
    BOOL done = TRUE;
    for (int entry = 0; entry < FRAME_ENTRY_COUNT; entry++) {
        if (FrameHooks[entry].address)
            continue;
        const BYTE *base = (const BYTE *)GetModuleHandleA(FrameEntryPoints[entry].module);
        BOOL hooked = base && HookEntryPoint(entry, base);
        done = done && hooked;
    }
    Settled = done;
}

void ReachGame(void)
{
    if (IsCompanionCopy || Settled)
        return;
    /* Another thread of the game may be at it; its next hook call comes soon. */
    if (!TryEnterCriticalSection(&ReachLock))
        return;
    if (!Settled && !Stopped)
        TryHooks();
    LeaveCriticalSection(&ReachLock);
}

void LeaveGame(BOOL processEnds)
{
    if (processEnds) {
        /* Other threads are gone: the count is final. */
        if (Counting && !Stopped) {
            Stopped = TRUE;
            for (int i = 0; i < FRAME_ENTRY_COUNT; i++)
                if (FrameHooks[i].address)
                    WriteFrameLine(SessionRecordPath, i, "ended", FrameHooks[i].count, FrameHooks[i].offset);
        }
    } else {
        if (Counting)
            StopCounting("unhooked");
        /* A handler left without a watcher must not outlive the library. */
        if (CountingHandler)
            RemoveVectoredExceptionHandler(CountingHandler);
        CountingHandler = NULL;
    }
    if (Shared)
        UnmapViewOfFile(Shared);
    if (SharedMapping)
        CloseHandle(SharedMapping);
    if (ShutdownEvent)
        CloseHandle(ShutdownEvent);
    Shared = NULL;
    SharedMapping = NULL;
    ShutdownEvent = NULL;
    if (StepSlot != TLS_OUT_OF_INDEXES)
        TlsFree(StepSlot);
    StepSlot = TLS_OUT_OF_INDEXES;
}
