# GoogleTest: Debian's package for the native build; built from its sources
# for the Windows cross-build, whose tests run under Wine.
include(GoogleTest)
if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL SYSTEM)  # defines GTest::gtest_main
  # One Wine prefix for the whole build's tests, made by the "wine" fixture.
  # Its tests add devices to its registry and list them: they hold the lock
  # of the prefix, so that under ctest -j no two run in it at once.
  set(POMVARIN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
else()
  find_package(GTest REQUIRED)
endif()

# Registers a test program: each test case on its own natively, the whole
# program as one test under Wine, where listing the cases would start Wine at
# build time; its cases' results go to gtest/TARGET.xml, where the test
# command's summary reads them. The timeout only guards against a hang, with
# room for a busy machine, where Wine starts many times slower.
function(pomvarin_add_gtest target)
  if(CMAKE_CROSSCOMPILING)
    # A Windows path: the program takes "/..." as relative to its folder.
    string(REPLACE "/" "\\" results "Z:${CMAKE_BINARY_DIR}/gtest/${target}.xml")
    add_test(NAME windows.${target} COMMAND ${target} --gtest_output=xml:${results})
    set_tests_properties(windows.${target} PROPERTIES
      FIXTURES_REQUIRED wine
      RESOURCE_LOCK wineprefix
      ENVIRONMENT "WINEPREFIX=${POMVARIN_WINEPREFIX}"
      TIMEOUT 600)
  else()
    gtest_discover_tests(${target} TEST_PREFIX "${target}."
                         PROPERTIES TIMEOUT 300)
  endif()
endfunction()
