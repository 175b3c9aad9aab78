# quellon_library(<name> SOURCES <files...> [DEPS <targets...>] [PRIVATE_DEPS <targets...>])
#   A static library of one folder; includes are written from the repository root
#   ("platform/user/Window.h"). DEPS reach the library's users too; PRIVATE_DEPS (Qt,
#   FFmpeg) only the library's own sources, so that the layers above cannot include them.
function(quellon_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
endfunction()

# quellon_test(<name> SOURCES <files...> [DEPS <targets...>] [QT] [TIMEOUT <s>])
#   A GoogleTest program registered with CTest. QT gives it a main() that creates the
#   QApplication first; every test runs on Qt's offscreen platform.
function(quellon_test name)
  cmake_parse_arguments(ARG "QT" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} quellon_qt_test_main GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUELLON_FFMPEG=${FFMPEG_EXECUTABLE};QUELLON_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/tests/config")
endfunction()
