# The platform layer with the fatal error and the log, built with the given
# sanitizer flags as one static library (<prefix>_platform) from which the
# linker takes what a sanitizer test uses; its users get the flags, the
# source and test include folders and GoogleTest with it.
function(velmo_sanitized_platform prefix)
  set(S ${CMAKE_SOURCE_DIR}/src)
  file(GLOB srcs CONFIGURE_DEPENDS ${S}/platform/*.cpp)
  add_library(${prefix}_platform STATIC ${srcs} ${S}/system/fatal_error.cpp ${S}/system/log_message.cpp)
  target_include_directories(${prefix}_platform PUBLIC ${S} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(${prefix}_platform PUBLIC ${ARGN})
  target_link_options(${prefix}_platform PUBLIC ${ARGN})
  target_link_libraries(${prefix}_platform PUBLIC velmo_deps GTest::gtest GTest::gtest_main)
  target_compile_definitions(${prefix}_platform PUBLIC
    VELMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VELMO_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()
