#include "tests/test_support.h"

#include <cstdio>

// Every test program starts its tests in its own folder on the tests' drive and removes it
// at its end.
int main(int argc, char** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    const std::wstring& own = OwnFolder();
    RemoveTree(own);  // a folder left by an earlier process of this id
    if (!CreateDirectoryW(own.c_str(), nullptr) || !SetCurrentDirectoryW(own.c_str())) {
        std::fprintf(stderr, "cannot work in %s (error %lu): the tests' drive R: is made by scripts/wine-prefix.sh\n", Utf8(own).c_str(),
                     GetLastError());
        return 2;
    }
    int result = RUN_ALL_TESTS();
    SetCurrentDirectoryW(L"R:\\");
    RemoveTree(own);
    return result;
}
