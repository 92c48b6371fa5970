pyra_add_test(testkit_test SOURCES testkit_test.cpp)
