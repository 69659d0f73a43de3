# One CTest test per GoogleTest suite: the suite's tests run in one process.
# A test per process spent most of the suite's time starting the sanitized
# binaries; suites stay apart from each other as before.
#
# The suite names are read from the test sources (TEST, TEST_F, TEST_P), so
# editing a test file reconfigures. Parameterised suites are matched with their
# instantiation prefix and parameter suffix.
function(zv_add_gtest_suites target)
    set(suites)
    foreach(file IN LISTS ARGN)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
        file(STRINGS "${file}" lines REGEX "^TEST(_F|_P)?\\([ ]*[A-Za-z0-9_]+,")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^TEST(_F|_P)?\\([ ]*([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
            list(APPEND suites "${suite}")
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES suites)
    foreach(suite IN LISTS suites)
        add_test(NAME "${suite}" COMMAND "$<TARGET_FILE:${target}>" "--gtest_filter=${suite}.*:*/${suite}.*")
        set_tests_properties("${suite}" PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endforeach()
endfunction()
