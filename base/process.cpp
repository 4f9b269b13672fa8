/* The program's instance, build and version text. */
#include "base/base.h"

#include "resources/version.h"

#define ZENTU_TEXT(number) #number
#define ZENTU_VERSION_TEXT(major, minor, patch) ZENTU_TEXT(major) "." ZENTU_TEXT(minor) "." ZENTU_TEXT(patch)

HINSTANCE ProgramInstance;
const UINT32 BuildNumber = ZENTU_BUILD_NUMBER;
const char VersionText[] = ZENTU_VERSION_TEXT(ZENTU_VERSION_MAJOR, ZENTU_VERSION_MINOR, ZENTU_VERSION_PATCH);
