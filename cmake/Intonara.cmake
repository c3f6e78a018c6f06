# Helpers that keep the per-folder CMakeLists short and alike.

set(INTONARA_WARNINGS -Wall -Wextra)

# intonara_library(<name> SOURCES <files...> [DEPS <targets...>])
# A static library whose headers are included as "<subsystem>/<File>.h".
function(intonara_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${INTONARA_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# intonara_test(<name> SOURCES <files...> [DEPS <targets...>] [LABELS <labels...>])
# A GoogleTest program registered with CTest, one CTest entry per test case.
# One label per program: the discovered tests get their properties through a
# flat list, in which a second label would be read as a property name.
function(intonara_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${INTONARA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "INTONARA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  # Programs labelled "threads" are what the thread sanitizer job builds
  # (target intonara_threaded_tests) and runs (ctest -L threads).
  if("threads" IN_LIST ARG_LABELS)
    if(NOT TARGET intonara_threaded_tests)
      add_custom_target(intonara_threaded_tests)
    endif()
    add_dependencies(intonara_threaded_tests ${name})
  endif()
endfunction()

# intonara_bench(<name> SOURCES <files...> [DEPS <targets...>])
function(intonara_bench name)
  if(NOT INTONARA_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${INTONARA_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark Threads::Threads)
endfunction()

# intonara_resources(<target> SCRIPTS <files...>)
# Compiles resource scripts with intonara-rescomp and links the result into
# <target>, where FindResourceA, LoadStringA and GetFileVersionInfoA find it.
# Scripts see ${PROJECT_VERSION}; bitmaps and cursors they name are tracked,
# so editing one rebuilds the target. A target may take several sets (say
# the module's and its own); each set keeps its IDs to itself and the first
# set holding a resource wins.
function(intonara_resources target)
  cmake_parse_arguments(ARG "" "" "SCRIPTS" ${ARGN})
  set(scripts "")
  foreach(script ${ARG_SCRIPTS})
    get_filename_component(script ${script} ABSOLUTE)
    list(APPEND scripts ${script})
  endforeach()
  list(GET scripts 0 first)
  get_filename_component(first ${first} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${first}_resources.cpp)
  add_custom_command(
    OUTPUT ${output}
    COMMAND intonara-rescomp -D PROJECT_VERSION=${PROJECT_VERSION} --depfile ${output}.d -o ${output} ${scripts}
    DEPENDS intonara-rescomp ${scripts}
    DEPFILE ${output}.d
    COMMENT "Compiling the resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
  # Every module has its own kIntonaraResources; they must not share a unit.
  set_source_files_properties(${output} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

# intonara_hot_layout(<target> <list>)
# Links <target> with the functions named in <list> (one mangled name per
# line, '#' starts a comment) placed first and together. tools/hot-functions
# writes the lists from what a correction actually runs. A name the program
# no longer has is skipped quietly; the test of the lists catches lists that
# have gone stale.
function(intonara_hot_layout target list)
  if(NOT INTONARA_HOT_LAYOUT)
    return()
  endif()
  target_link_options(${target} PRIVATE -fuse-ld=lld "-Wl,--symbol-ordering-file=${list}"
                      -Wl,--no-warn-symbol-ordering)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${list})
endfunction()
