// The main of every GoogleTest program here. The C library takes its locale from the
// environment first, as a program on a desktop would, so that a test helper that reads or
// writes numbers through the C locale fails under a comma locale instead of passing by luck.
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
