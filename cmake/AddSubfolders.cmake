# tarnel_add_subfolders(): add_subdirectory for every folder here that holds a
# CMakeLists.txt, so that a new test area, fixture or benchmark needs no edit elsewhere.
function(tarnel_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()
