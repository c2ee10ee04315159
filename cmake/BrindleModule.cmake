# Helpers that give every module the same shape: one library target
# brindle_<module>, one test binary per module, the project's warning and
# sanitizer flags.

set(BRINDLE_WARNING_FLAGS
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wformat=2 -Wimplicit-fallthrough -Wcast-qual -Wmissing-declarations)
if(BRINDLE_WERROR)
  list(APPEND BRINDLE_WARNING_FLAGS -Werror)
endif()

if(BRINDLE_SANITIZE)
  # GCC 12's flow analysis gives false maybe-uninitialized reports on
  # std::variant moves, and false restrict reports on std::string inserts,
  # once the sanitizers instrument the code.
  list(APPEND BRINDLE_WARNING_FLAGS -Wno-maybe-uninitialized -Wno-restrict)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# brindle_target_defaults(<target>): warnings and the repository-rooted include path.
function(brindle_target_defaults target)
  target_compile_options(${target} PRIVATE ${BRINDLE_WARNING_FLAGS})
  target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
endfunction()

# brindle_add_library(<name> SOURCES ... [DEPENDS ...] [PRIVATE_DEPENDS ...])
# Creates brindle_<name>; DEPENDS are public link dependencies.
function(brindle_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(brindle_${name} STATIC ${ARG_SOURCES})
  brindle_target_defaults(brindle_${name})
  target_link_libraries(brindle_${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
endfunction()

# brindle_add_tests(<name> SOURCES ... DEPENDS ... [ENVIRONMENT ...])
# Creates the test binary <name>_tests in build/bin and registers each
# GoogleTest case with CTest.
function(brindle_add_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name}_tests ${ARG_SOURCES})
  brindle_target_defaults(${name}_tests)
  target_link_libraries(${name}_tests PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}_tests
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}" LABELS ${name})
endfunction()

# brindle_add_qt_tests(<name> SOURCES ... DEPENDS ...)
# Like brindle_add_tests for tests of Qt widgets: main() creates the
# QApplication, and the tests run on Qt's offscreen platform.
function(brindle_add_qt_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name}_tests ${ARG_SOURCES})
  brindle_target_defaults(${name}_tests)
  target_link_libraries(${name}_tests PRIVATE ${ARG_DEPENDS} brindle_qt_test_main GTest::gtest)
  gtest_discover_tests(${name}_tests
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY "${CMAKE_BINARY_DIR}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}" LABELS ${name})
endfunction()
