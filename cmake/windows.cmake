# Windows build: Lumora.exe, one static 32-bit GUI executable, and the Win32 backend's tests.
enable_language(RC)

set(LUMORA_WIN32_DEFINES UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
set(LUMORA_WIN32_LIBS user32 gdi32 comctl32 shell32 ole32 uuid wbemuuid advapi32)
target_compile_definitions(lumora_core PUBLIC ${LUMORA_WIN32_DEFINES})

file(GLOB LUMORA_WIN32_SOURCES CONFIGURE_DEPENDS src/win32/*.cpp)
list(FILTER LUMORA_WIN32_SOURCES EXCLUDE REGEX ".*/WinMain\\.cpp$")
add_library(lumora_win32 STATIC ${LUMORA_WIN32_SOURCES})
target_link_libraries(lumora_win32 PUBLIC lumora_core ${LUMORA_WIN32_LIBS})
target_compile_options(lumora_win32 PRIVATE ${LUMORA_WARNINGS})
target_include_directories(lumora_win32 PRIVATE resources)

include(cmake/version.cmake)
add_executable(Lumora WIN32 src/win32/WinMain.cpp resources/lumora.rc)
target_link_libraries(Lumora PRIVATE lumora_win32)
target_compile_options(Lumora PRIVATE ${LUMORA_WARNINGS})
file(GLOB LUMORA_PICTURES CONFIGURE_DEPENDS resources/pictures/*)
set_source_files_properties(resources/lumora.rc PROPERTIES
  OBJECT_DEPENDS "${LUMORA_GENERATED_DIR}/lumora.manifest;${LUMORA_GENERATED_DIR}/version.h;${LUMORA_PICTURES}")
# The generated folder holds version.h and the manifest the resource script names.
target_include_directories(Lumora PRIVATE resources ${LUMORA_GENERATED_DIR})

if(NOT MSVC)
  foreach(target lumora_core lumora_win32 Lumora)
    # Nothing in the program throws or catches: an exception from the library (out of memory)
    # ends it either way, and without unwind tables the executable is a sixth smaller.
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections
      -fstack-protector-strong -fno-exceptions -fno-asynchronous-unwind-tables)
  endforeach()
  # Whatever links the canaried code takes the check's runtime with it (statically, as -static
  # links everything: no library beside the program).
  target_link_options(lumora_core INTERFACE -fstack-protector-strong)
  # Address-space layout randomisation, no execution of data, terminal-server aware, and a
  # subsystem and OS version of 6.0 (Windows then runs the program without the compatibility it
  # keeps for programs marked for older systems); the import-table test checks them.
  target_link_options(Lumora PRIVATE -municode -static -s -Wl,--gc-sections
    -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--file-alignment,4096
    -Wl,--major-subsystem-version,6,--minor-subsystem-version,0
    -Wl,--major-os-version,6,--minor-os-version,0)
  target_compile_options(Lumora PRIVATE -municode)
endif()

add_custom_command(TARGET Lumora POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/monitor.txt
          $<TARGET_FILE_DIR:Lumora>/monitor.txt)

# GoogleTest built from Debian's sources for the cross target.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()

file(GLOB LUMORA_WIN32_TESTS CONFIGURE_DEPENDS tests/win32/*.cpp)
if(LUMORA_WIN32_TESTS)
  add_executable(lumora_win32_tests ${LUMORA_WIN32_TESTS})
  # The tests read the program's windows as a screen reader does.
  target_link_libraries(lumora_win32_tests PRIVATE lumora_win32 gtest gmock gtest_main oleacc oleaut32)
  target_include_directories(lumora_win32_tests PRIVATE tests/win32 tests/unit resources)
  if(NOT MSVC)
    target_link_options(lumora_win32_tests PRIVATE -static)
  endif()
  add_test(NAME win32_backend COMMAND lumora_win32_tests)
  set_tests_properties(win32_backend PROPERTIES TIMEOUT 600)
endif()

# --- bench: footprint and responsiveness probes (bench/run) ---
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()
