# One static library per source folder. The folders call each other in both
# directions (the data layer ticks the loading screen, which draws with the
# graphics classes, which load through the data layer), so everything links
# through one rescanned group, `velmo_all`.
set_property(GLOBAL PROPERTY VELMO_LIBS "")

function(velmo_folder_library name dir)
  cmake_parse_arguments(ARG "RECURSE" "" "EXCLUDE" ${ARGN})
  if(ARG_RECURSE)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  else()
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  endif()
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC velmo_deps)
    set_property(GLOBAL APPEND PROPERTY VELMO_LIBS ${name})
  endif()
endfunction()

function(velmo_finish_libraries)
  get_property(libs GLOBAL PROPERTY VELMO_LIBS)
  list(JOIN libs "," joined)
  add_library(velmo_all INTERFACE)
  target_include_directories(velmo_all INTERFACE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(velmo_all INTERFACE "$<LINK_GROUP:RESCAN,${joined}>" velmo_deps)
endfunction()
