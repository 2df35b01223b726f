# Helpers shared by every folder's CMakeLists: layer libraries and test executables.

# zelvan_layer(<target> [DEPS libs...]) builds every .cpp/.h/.ui/.qrc of the calling folder into one
# static library. Files named *.main.cpp are left out (they hold program entry points).
function(zelvan_layer target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX "\\.main\\.cpp$")
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(NOT cpps)
    # A layer without sources yet still forwards its dependencies to the layers above.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# zelvan_tests(LIB <library> [QT] [EXTRA libs...]) makes one test executable per .cpp file of the
# calling tests folder, linked with the library under test. QT gives the process a QApplication.
# Every test process runs headless with its own temporary XDG_CONFIG_HOME (see tests/support).
function(zelvan_tests)
  cmake_parse_arguments(ARG "QT" "LIB" "EXTRA" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" prefix "${rel}")
  foreach(src ${tests})
    get_filename_component(name ${src} NAME_WE)
    set(exe test_${prefix}_${name})
    add_executable(${exe} ${src})
    if(ARG_QT)
      target_link_libraries(${exe} PRIVATE ${ARG_LIB} ${ARG_EXTRA} zelvan_qt_test_main)
    else()
      target_link_libraries(${exe} PRIVATE ${ARG_LIB} ${ARG_EXTRA} zelvan_test_main)
    endif()
    target_compile_definitions(${exe} PRIVATE ZELVAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                               ZELVAN_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endfunction()
