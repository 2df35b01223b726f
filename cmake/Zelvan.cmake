# Helpers shared by every folder's CMakeLists: layer libraries and test executables.

# Each library exposes only its own headers to the layers that link it. The repository root is not
# an include folder of any product library: the headers of a folder are linked into an include root
# of their own under the build tree (build/include/<target>/<folder>/X.h -> <folder>/X.h), and that
# root is the library's public include folder. A layer can thus include a header only of itself and
# of the libraries it links, with the same "folder/X.h" paths everywhere. Headers named *.Internal.h
# go to a private root that only the library's own sources see.
#
# zelvan_stage_headers(<root> headers...) links the headers of the calling folder under <root>.
# Stale links of removed headers are cleared on every configure; the globs re-run configure when
# a header is added or removed.
function(zelvan_stage_headers root)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${rel})
  foreach(header ${ARGN})
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${rel}/${name} SYMBOLIC)
  endforeach()
endfunction()

# zelvan_layer(<target> [DEPS libs...]) builds every .cpp/.h/.ui/.qrc of the calling folder into one
# static library that links DEPS publicly (its headers include theirs). Files named *.main.cpp are
# left out (they hold program entry points).
function(zelvan_layer target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER srcs EXCLUDE REGEX "\\.main\\.cpp$")
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  set(headers ${srcs})
  list(FILTER headers INCLUDE REGEX "\\.h$")
  set(internal ${headers})
  list(FILTER internal INCLUDE REGEX "\\.Internal\\.h$")
  list(FILTER headers EXCLUDE REGEX "\\.Internal\\.h$")
  set(public_root ${CMAKE_BINARY_DIR}/include/${target})
  set(private_root ${CMAKE_BINARY_DIR}/include-private/${target})
  zelvan_stage_headers(${public_root} ${headers})
  zelvan_stage_headers(${private_root} ${internal})
  if(NOT cpps)
    # A header-only layer still forwards its dependencies to the layers above.
    add_library(${target} INTERFACE ${headers})
    target_include_directories(${target} INTERFACE ${public_root})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${public_root} PRIVATE ${private_root})
  target_compile_options(${target} PRIVATE ${ZELVAN_PRODUCT_WARNINGS})
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

# zelvan_platform_module(<module> API_DEPS libs...) builds the calling folder into the run-time
# loaded module <module>.so and its interface library platform_<module>_api. Only <module>.h is
# exposed to the layers that load the module; its other headers stay private to the module.
function(zelvan_platform_module module)
  cmake_parse_arguments(ARG "" "" "API_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(api_header ${CMAKE_CURRENT_SOURCE_DIR}/${module}.h)
  set(private_headers ${srcs})
  list(FILTER private_headers INCLUDE REGEX "\\.h$")
  list(REMOVE_ITEM private_headers ${api_header})
  set(api_root ${CMAKE_BINARY_DIR}/include/platform_${module}_api)
  set(private_root ${CMAKE_BINARY_DIR}/include-private/${module})
  zelvan_stage_headers(${api_root} ${api_header})
  zelvan_stage_headers(${private_root} ${private_headers})

  add_library(platform_${module}_api INTERFACE ${api_header})
  target_include_directories(platform_${module}_api INTERFACE ${api_root})
  target_link_libraries(platform_${module}_api INTERFACE ${ARG_API_DEPS})

  add_library(${module} MODULE ${srcs})
  target_compile_options(${module} PRIVATE ${ZELVAN_PRODUCT_WARNINGS})
  set_target_properties(${module} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden
                        VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${module} PRIVATE ${private_root})
  target_link_libraries(${module} PRIVATE platform_${module}_api)
endfunction()
