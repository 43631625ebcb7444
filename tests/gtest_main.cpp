#include "support/throwaway_home.h"

#include <gtest/gtest.h>

// The tests run in a home of their own (see throwaway_home.h).
int main(int argc, char** argv) {
    return lp::test::runInThrowawayHome([&] {
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    });
}
