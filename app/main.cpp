/* The Windows GUI entry point of zentu64.exe. */
#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    (void)previousInstance;
    (void)showCommand;
    return ZentuMain(instance, commandLine);
}
