# Run by the package target (cmake -P): copies the files named in MANIFEST from BIN_DIR into a
# clean stage, lists them for the uninstaller, and makes the installer SETUP with makensis and the
# portable zip PORTABLE (one folder "Tavion"). Also takes OUT_DIR, VERSION, ARCH, NSI, MAKENSIS and
# STRIP (the build keeps debug information, which a user has no use for).
foreach(var BIN_DIR MANIFEST OUT_DIR VERSION ARCH SETUP PORTABLE NSI MAKENSIS STRIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "package.cmake: ${var} is not set")
  endif()
endforeach()

set(stage_root ${OUT_DIR}/stage)
set(stage ${stage_root}/Tavion)
file(REMOVE_RECURSE ${stage_root})
file(STRINGS ${MANIFEST} files)
set(folders)
set(removal "!macro RemoveInstalledFiles\n")
foreach(file ${files})
  if(NOT EXISTS ${BIN_DIR}/${file})
    message(FATAL_ERROR "package.cmake: ${BIN_DIR}/${file} is missing")
  endif()
  get_filename_component(folder ${file} DIRECTORY)
  file(MAKE_DIRECTORY ${stage}/${folder})
  file(COPY_FILE ${BIN_DIR}/${file} ${stage}/${file})
  if(file MATCHES "\\.(exe|dll)$")
    execute_process(COMMAND ${STRIP} --strip-all ${stage}/${file} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "package.cmake: ${STRIP} failed on ${file}")
    endif()
  endif()
  string(REPLACE "/" "\\" windows_path "${file}")
  string(APPEND removal "  !insertmacro RemoveFile \"$INSTDIR\\${windows_path}\"\n")
  while(folder)
    list(APPEND folders ${folder})
    get_filename_component(folder ${folder} DIRECTORY)
  endwhile()
endforeach()
# Deeper folders first, so that each is empty when its turn comes; a folder that still holds
# something the user put there stays.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder ${folders})
  string(REPLACE "/" "\\" windows_path "${folder}")
  string(APPEND removal "  RMDir \"$INSTDIR\\${windows_path}\"\n")
endforeach()
string(APPEND removal "!macroend\n")
file(WRITE ${OUT_DIR}/installed-files.nsh "${removal}")

file(REMOVE ${SETUP} ${PORTABLE})
execute_process(
  COMMAND ${MAKENSIS} -V2 -WX -DVERSION=${VERSION} -DARCH=${ARCH} -DSTAGE=${stage}
          -DFILE_LIST=${OUT_DIR}/installed-files.nsh -DOUTFILE=${SETUP} ${NSI}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "package.cmake: makensis failed (${result})")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${PORTABLE} --format=zip Tavion
                WORKING_DIRECTORY ${stage_root} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "package.cmake: the zip failed (${result})")
endif()
