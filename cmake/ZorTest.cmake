# zor_add_test(NAME src...): one GoogleTest executable per module, registered with CTest.
# Unit tests link the internal static build of the library so that they can reach
# pieces that hosts never see (pools, heap lists, scanner state).
find_package(GTest REQUIRED)
include(GoogleTest)

function(zor_add_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE ZorLibInternal ZorTestSupport GTest::gtest GTest::gtest_main)
    zor_warnings(${name})
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
