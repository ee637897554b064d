// Linked into every test program: gtest's output must reach CTest with plain "\n" line ends, as
// gtest_discover_tests reads the test list line by line and would keep a '\r' in suite names.
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace {
const bool g_binaryStdout = [] {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    return true;
}();
}
