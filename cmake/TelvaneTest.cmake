# telvane_test(NAME name SOURCES a.cpp ... [LIBS lib ...] [LABELS label ...])
# One GoogleTest executable; its tests are registered with CTest one by one.
find_package(GTest REQUIRED)
include(GoogleTest)

function(telvane_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  set(labels unit ${T_LABELS})
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${T_NAME}_TESTS)
  # List-valued properties are set once the tests are known: passed through PROPERTIES above,
  # their lists would be split into separate arguments and the properties lost.
  set(properties ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake)
  file(WRITE ${properties}
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES LABELS [==[${labels}]==] TIMEOUT 120\n"
    "    ENVIRONMENT [==[TELVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR};TELVANE_BINARY_DIR=${PROJECT_BINARY_DIR}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties})
endfunction()
