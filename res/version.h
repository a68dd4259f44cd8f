// The library's version: the one place it is written. The version resource
// is made from it, and the release package takes its name from that resource.
#pragma once

#define ORTK_VERSION_MAJOR 1
#define ORTK_VERSION_MINOR 0
#define ORTK_VERSION_PATCH 0
#define ORTK_VERSION_BUILD 1

#define ORTK_VERSION_STRING_(x) #x
#define ORTK_VERSION_STRING(x) ORTK_VERSION_STRING_(x)
// "1, 0, 0, 1": the resource's customary text form.
#define ORTK_VERSION_TEXT                                                                          \
    ORTK_VERSION_STRING(ORTK_VERSION_MAJOR)                                                        \
    ", " ORTK_VERSION_STRING(ORTK_VERSION_MINOR) ", " ORTK_VERSION_STRING(                         \
        ORTK_VERSION_PATCH) ", " ORTK_VERSION_STRING(ORTK_VERSION_BUILD)
