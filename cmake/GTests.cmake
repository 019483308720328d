# Registers a GoogleTest program with CTest: natively one test per case;
# when cross-compiling, the whole program as one test, run once through the
# emulator (Wine) rather than once per case.
function(tolmer_add_gtests target)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
  else()
    include(GoogleTest)
    gtest_discover_tests(${target} ${ARGN})
  endif()
endfunction()
