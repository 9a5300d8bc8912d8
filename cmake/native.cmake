# Native build: the portable code's unit tests (and benchmarks, when present).
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB LUMORA_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(lumora_unit_tests ${LUMORA_UNIT_TESTS})
target_link_libraries(lumora_unit_tests PRIVATE lumora_core GTest::gmock GTest::gtest_main)
target_include_directories(lumora_unit_tests PRIVATE tests/unit)
target_compile_definitions(lumora_unit_tests PRIVATE LUMORA_PICTURES_DIR="${CMAKE_SOURCE_DIR}/resources/pictures")
gtest_discover_tests(lumora_unit_tests DISCOVERY_TIMEOUT 60)

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()

option(LUMORA_FUZZ "Build the libFuzzer targets (clang; the fuzz preset)" OFF)
if(LUMORA_FUZZ)
  add_subdirectory(bench/fuzz)
endif()
