// Runs the body of an export under the library's module state and turns any
// exception into the export's documented failure result: nothing is thrown
// across into the host.
#ifndef ORTK232_FRAME_EXPORT_GUARD_H
#define ORTK232_FRAME_EXPORT_GUARD_H

#include "frame/afx.h"

template <class Result, class Body> Result RunExport(Result failure, Body &&body) noexcept {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <class Body> void RunVoidExport(Body &&body) noexcept {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        body();
    } catch (...) {
    }
}

#endif
