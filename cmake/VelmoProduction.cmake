# The production a build plays is a build setting: the cache variable
# VELMO_PRODUCTION (0 to 3, 3 by default) becomes the definition of
# VelmoSystem::sceneSet in a generated source file, and picks the sync track
# set that is linked and packed as "data/sync_tracker/".
#
# A run folder holds what the program needs beside it: `data/` (links into
# the source tree's data/, with data/sync_tracker/<index>/ linked as
# data/sync_tracker), `data.vlm` packed from those links, and
# `production.txt` (index, title, music file and tempo, for the scripts).

# Writes <file>: the definition of VelmoSystem::sceneSet as <index>. The file
# is only touched when the index changes, so only it is compiled again.
function(velmo_production_source index file)
  set(VELMO_PRODUCTION_INDEX ${index})
  configure_file(${CMAKE_SOURCE_DIR}/src/system/production_index.cpp.in ${file} @ONLY)
endfunction()

# Links each top-level entry of data/ into <folder>/data, the track set of
# production <index> as data/sync_tracker. Links of another production are
# pointed at this one's set.
function(velmo_data_links folder index)
  file(MAKE_DIRECTORY ${folder}/data)
  file(GLOB tops RELATIVE ${CMAKE_SOURCE_DIR}/data ${CMAKE_SOURCE_DIR}/data/*)
  list(REMOVE_ITEM tops CMakeLists.txt)
  foreach(top ${tops})
    set(target ${CMAKE_SOURCE_DIR}/data/${top})
    if(top STREQUAL "sync_tracker")
      set(target ${CMAKE_SOURCE_DIR}/data/sync_tracker/${index})
      if(NOT IS_DIRECTORY ${target})
        message(WARNING "Production ${index} has no sync tracks yet (data/sync_tracker/${index}/): "
                        "see tools/tracks/README.md")
      endif()
    endif()
    set(link ${folder}/data/${top})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} current)
      if(NOT current STREQUAL target)
        file(REMOVE ${link})
      endif()
    endif()
    if(NOT EXISTS ${link} AND NOT IS_SYMLINK ${link})
      file(CREATE_LINK ${target} ${link} SYMBOLIC)
    endif()
  endforeach()
endfunction()

# Packs <folder>/data.vlm from <folder>/data and writes <folder>/production.txt;
# <target> builds both (part of "all"). <stamp> is a file that changes when
# the production does (its index source).
function(velmo_run_folder target folder index stamp)
  velmo_data_links(${folder} ${index})
  file(GLOB_RECURSE assets CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*)
  list(FILTER assets EXCLUDE REGEX "/CMakeLists\\.txt$")
  add_custom_command(
    OUTPUT ${folder}/data.vlm
    COMMAND velmo_pack ${folder} ${folder}/data.vlm
    DEPENDS velmo_pack ${assets} ${stamp}
    COMMENT "Packing data.vlm of production ${index}"
    VERBATIM)
  add_custom_command(
    OUTPUT ${folder}/production.txt
    COMMAND sh -c "\"$1\" ${index} > \"$2\"" velmo_production
            $<TARGET_FILE:velmo_production> ${folder}/production.txt
    DEPENDS velmo_production ${stamp}
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${folder}/data.vlm ${folder}/production.txt)
endfunction()

# A run folder of production <index> other than the build's own, for the
# tests: its own velmorin (main.cpp with its own definition of
# VelmoSystem::sceneSet, which keeps the library's out of the link: that
# archive member holds nothing else) and its own data.
function(velmo_extra_production index folder)
  velmo_production_source(${index} ${folder}/production_index.cpp)
  add_executable(velmorin_production${index} ${CMAKE_SOURCE_DIR}/src/main.cpp ${folder}/production_index.cpp)
  target_link_libraries(velmorin_production${index} PRIVATE velmo_all)
  set_target_properties(velmorin_production${index} PROPERTIES
    OUTPUT_NAME velmorin RUNTIME_OUTPUT_DIRECTORY ${folder})
  velmo_run_folder(datafile_production${index} ${folder} ${index} ${folder}/production_index.cpp)
endfunction()
