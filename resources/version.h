/* The companion's version, shared by the code and the version resource. */
#pragma once

#define ZENTU_VERSION_MAJOR 2
#define ZENTU_VERSION_MINOR 7
#define ZENTU_VERSION_PATCH 3
#define ZENTU_BUILD_NUMBER 5834

#define ZENTU_VERSION_STRING "2.7.3.5834"
