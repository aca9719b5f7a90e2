# Test programs built for another system run under CMAKE_CROSSCOMPILING_EMULATOR (Wine for the
# Windows build). There every test program is one test: listing its cases and running each in a
# process of its own would cost one emulator start per case.
function(gtest_discover_tests target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PROPERTIES")
    add_test(NAME ${target} COMMAND ${target})
    if(arg_PROPERTIES)
        set_tests_properties(${target} PROPERTIES ${arg_PROPERTIES})
    endif()
endfunction()
