# Shared compile settings for every target of the project.

set(FLOORPAD_RESOURCES_DIR "${CMAKE_SOURCE_DIR}/resources" CACHE PATH "Folder of the bundled resources")

add_library(floorpad_options INTERFACE)
target_compile_options(floorpad_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                                  -Wno-missing-field-initializers)
# g++ takes strings joined with + for copies between overlapping memory once it inlines
# std::string's own code at high optimisation (-O2, -O3), and warns with -Wrestrict there: a false
# alarm of the compiler's about the library's code, not about the joins, so it is turned off for
# the optimising builds alone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(floorpad_options INTERFACE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-Wno-restrict>)
endif()
if(FLOORPAD_WERROR)
  target_compile_options(floorpad_options INTERFACE -Werror)
endif()
target_include_directories(floorpad_options INTERFACE ${CMAKE_SOURCE_DIR})

if(FLOORPAD_SANITIZE AND FLOORPAD_SANITIZE_THREAD)
  # ThreadSanitizer keeps its own shadow memory where AddressSanitizer keeps its own: they cannot share a build.
  message(FATAL_ERROR "FLOORPAD_SANITIZE and FLOORPAD_SANITIZE_THREAD exclude each other")
endif()
if(FLOORPAD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(FLOORPAD_SANITIZE_THREAD)
  # gcc's flow analysis, run over the instrumented code, takes the destruction of an empty
  # std::optional<std::string> for a read of an unset string; the warning says nothing there.
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -Wno-maybe-uninitialized)
  add_link_options(-fsanitize=thread)
endif()

# floorpad_library(name [SUBDIRS ...] [DEPS ...]): a library from the .cpp files of the calling
# folder and of the named sub-folders.
function(floorpad_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS" ${ARGN})
  set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(header_patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(sub ${ARG_SUBDIRS})
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
    list(APPEND header_patterns ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  file(GLOB headers CONFIGURE_DEPENDS ${header_patterns})
  add_library(${name} STATIC ${sources} ${headers})
  target_link_libraries(${name} PUBLIC floorpad_options ${ARG_DEPS})
endfunction()

# floorpad_test(name [DEPS ...] [ALONE test ...]): one GoogleTest program from the .cpp files of the
# calling folder. The tests named ALONE (Suite.Name) run with no other test beside them: they change
# what the whole machine shows the others, such as the system's table of file locks.
function(floorpad_test name)
  cmake_parse_arguments(ARG "" "" "DEPS;ALONE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/process/TemporaryDataFolder.cpp)
  target_link_libraries(${name} PRIVATE floorpad_options test_support GTest::gtest_main GTest::gmock ${ARG_DEPS})
  if(ARG_ALONE)
    list(JOIN ARG_ALONE ":" alone)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-${alone}" PROPERTIES TIMEOUT 120)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "${alone}" PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endif()
endfunction()
