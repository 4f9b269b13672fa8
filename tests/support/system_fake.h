/* The fake D3D9.DLL in the prefix's system folder for the companion and the probe tool. */
#pragma once
#include "support/registry.h"

#include <string>

/* A program name of its own for the companion under a fake runtime: the load order set for it reaches no other
 * program. */
extern const char FakeRuntimeExe[];
extern const char ProbeToolExe[];

/* The fake D3D9.DLL in the system folder, loaded native-first by FakeRuntimeExe and ProbeToolExe with the fake's
 * behaviour words (NULL: d3d9 disabled for them instead); every other program still loads Wine's own. Put back
 * when it goes. */
class SystemD3d9Fake {
public:
    explicit SystemD3d9Fake(const char *behaviour);
    ~SystemD3d9Fake();

private:
    ScopedValueRestore companion_;
    ScopedValueRestore tool_;
    std::string library_;
    std::string backup_;
};
