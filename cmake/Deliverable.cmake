# How every deliverable is built, in one place.
#
# The code that ships (afx/, common/ and the deliverables' folders) is compiled with
# TARNEL_FRAME_GUARD; see the top CMakeLists.txt. afx/AfxStackGuard.cpp defines the
# guard word and its failure, so GCC's libssp is never linked.
set(TARNEL_FRAME_GUARD -fstack-protector-strong)

# tarnel_hardened(<target>): a program or DLL built as the deliverables are, with its
# symbols kept (the guard test's fixture): frame guards, an entry point that sets the
# guard word before the C runtime's own entry runs, and the NO_SEH mark. Our code
# registers no frame-based exception handler (C++ exceptions unwind by the DWARF
# tables), so with the mark Windows calls no address in the image as a handler: an
# exception record that an overrun rewrote cannot send it into our code.
function(tarnel_hardened target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(entry _AfxDllEntry@12)
  else()
    set(entry _AfxProgramEntry)
  endif()
  target_compile_options(${target} PRIVATE ${TARNEL_FRAME_GUARD})
  target_link_options(${target} PRIVATE -Wl,--no-seh -Wl,-e,${entry})
  target_link_libraries(${target} PRIVATE afxstackguard)
endfunction()

# tarnel_deliverable(<target>): one of the eleven files we ship: hardened and linked
# stripped, so that no symbol table or DWARF section (of the static runtimes above
# all) goes out with it.
function(tarnel_deliverable target)
  tarnel_hardened(${target})
  target_link_options(${target} PRIVATE -s)
  # A program's resource script includes afx/AfxProgram.rc, which names the manifest
  # file; CMake follows the #include but not the file name, so it is told.
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    get_target_property(folder ${target} SOURCE_DIR)
    file(GLOB scripts ${folder}/*.rc)
    set_source_files_properties(${scripts} DIRECTORY ${folder}
      PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/afx/AfxProgram.manifest)
  endif()
endfunction()
