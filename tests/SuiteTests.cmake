# Read by ctest: one test per GoogleTest suite of a test binary, run with a
# filter, so the suite shares one process and one start of the application
# (starting a sanitized Qt process per case cost more than most cases).
# The suite names are asked of the binary once per build of it.
# Expects TEST_BINARY, SUITE_LIST and TEST_ENVIRONMENT to be set.
if(NOT EXISTS "${TEST_BINARY}")
    add_test("${TEST_BINARY}_NOT_BUILT" "${TEST_BINARY}")
    return()
endif()
if(NOT EXISTS "${SUITE_LIST}" OR "${TEST_BINARY}" IS_NEWER_THAN "${SUITE_LIST}")
    foreach(setting IN LISTS TEST_ENVIRONMENT)
        string(REGEX MATCH "^([^=]+)=(.*)$" _ "${setting}")
        set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
    endforeach()
    execute_process(COMMAND "${TEST_BINARY}" --gtest_list_tests
                    OUTPUT_VARIABLE listing RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(WARNING "${TEST_BINARY} --gtest_list_tests failed: ${status}")
        add_test("${TEST_BINARY}_LISTING" "${TEST_BINARY}" --gtest_list_tests)
        return()
    endif()
    # Suite lines end with a dot and start in the first column; the cases
    # below them are indented.
    string(REGEX MATCHALL "(^|\n)[^ \n#][^\n]*\\." suites "${listing}")
    list(TRANSFORM suites STRIP)
    list(REMOVE_DUPLICATES suites)
    file(WRITE "${SUITE_LIST}" "${suites}")
endif()
file(READ "${SUITE_LIST}" suites)
foreach(suite IN LISTS suites)
    string(REGEX REPLACE "\\.$" "" name "${suite}")
    add_test("${name}" "${TEST_BINARY}" "--gtest_filter=${suite}*")
    set_tests_properties("${name}" PROPERTIES ENVIRONMENT "${TEST_ENVIRONMENT}")
    if(TEST_FIXTURES)
        set_tests_properties("${name}" PROPERTIES FIXTURES_REQUIRED "${TEST_FIXTURES}")
    endif()
endforeach()
