// The program that holds the test programs' precompiled GoogleTest header
// (tests/CMakeLists.txt): it has no tests of its own.
#include <gtest/gtest.h>
