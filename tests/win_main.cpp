// Entry of the in-process Windows tests: the library's code is linked in
// statically, so attach it as the loader would attach the DLL.
#include <gtest/gtest.h>

#include "frame/afx.h"

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    AfxModuleAttach(GetModuleHandleA(nullptr));
    return RUN_ALL_TESTS();
}
