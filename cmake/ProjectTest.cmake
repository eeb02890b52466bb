# tonvexa_add_test(<name> LABEL <folder> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <s>])
# Builds one GoogleTest executable and registers it with CTest; it runs under Wine through the emulator.
# The label names the layer under test: the test links that layer's library (and so the layers below it).
function(tonvexa_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # Labels that are not a layer (the release tools' tests) take every layer below the installer.
  set(layer tonvexa_core)
  if(TARGET tonvexa_${T_LABEL})
    set(layer tonvexa_${T_LABEL})
  endif()
  target_link_libraries(${name} PRIVATE ${layer} GTest::gtest GTest::gtest_main ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "TONVEXA_SOURCE_DIR=${PROJECT_SOURCE_DIR};TONVEXA_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()

# One test executable per tests/<folder>/<name>_test.cpp, named <folder>_<name>_test.
function(tonvexa_add_folder_tests folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(src ${sources})
    get_filename_component(base ${src} NAME_WE)
    tonvexa_add_test(${folder}_${base} LABEL ${folder} SOURCES ${src} ${ARGN})
  endforeach()
endfunction()

# Tests that read pixels off the screen or send real input through the X server (xdotool) must not overlap
# with any other test's windows in the shared display: they run alone.
function(tonvexa_exclusive_display)
  set_tests_properties(${ARGN} PROPERTIES RUN_SERIAL TRUE)
endfunction()
