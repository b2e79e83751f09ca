# zor_add_test(NAME [APPROVED] [WITHOUT_LIBRARY] [OWN_MAIN] src...
#              [LINK target...]): one GoogleTest executable per module,
# registered with CTest.
#   APPROVED         the test compares outputs with the approved files in
#                    tests/golden and leaves what it received in the build tree.
#   WITHOUT_LIBRARY  links no build of the library: the test links what it
#                    needs itself (the shared ZorLib, or nothing of it).
#   OWN_MAIN         the test brings its own main().
#   LINK             what the test links before the library, such as static
#                    libraries that build on it.
# Unit tests link the internal static build of the library by default so that
# they can reach pieces that hosts never see (pools, heap lists, scanner state).
# Widget tests draw offscreen.
find_package(GTest REQUIRED)
include(GoogleTest)

function(zor_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "APPROVED;WITHOUT_LIBRARY;OWN_MAIN" "" "LINK")
    add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${arg_LINK} ZorTestSupport GTest::gtest)
    if(NOT arg_WITHOUT_LIBRARY)
        target_link_libraries(${name} PRIVATE ZorLibInternal)
    endif()
    if(NOT arg_OWN_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    if(arg_APPROVED)
        target_compile_definitions(${name} PRIVATE
            ZOR_GOLDEN_DIR="${PROJECT_SOURCE_DIR}/tests/golden"
            ZOR_RECEIVED_DIR="${PROJECT_BINARY_DIR}/golden-received")
    endif()
    zor_warnings(${name})
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 300 ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
