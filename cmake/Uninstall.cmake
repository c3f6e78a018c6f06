# Removes what "make install" put under PREFIX (and the LV2 bundle from
# where it went).
#   cmake -DPREFIX=DIR -P cmake/Uninstall.cmake
if(NOT PREFIX)
  message(FATAL_ERROR "give the prefix: cmake -DPREFIX=DIR -P Uninstall.cmake")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake)

foreach(file ${INTONARA_INSTALLED_FILES})
  if(EXISTS "${PREFIX}/${file}" OR IS_SYMLINK "${PREFIX}/${file}")
    file(REMOVE "${PREFIX}/${file}")
    message(STATUS "removed ${PREFIX}/${file}")
  endif()
endforeach()
intonara_lv2_install_dir("${PREFIX}" lv2_dir)
if(IS_DIRECTORY "${lv2_dir}/intonara.lv2")
  file(REMOVE_RECURSE "${lv2_dir}/intonara.lv2")
  message(STATUS "removed ${lv2_dir}/intonara.lv2")
endif()

# The tool's own folder goes when it is empty; the prefix's common folders
# (bin, lib, share/man) may hold other programs and stay.
file(GLOB left "${PREFIX}/lib/intonara/*")
if(IS_DIRECTORY "${PREFIX}/lib/intonara" AND NOT left)
  file(REMOVE_RECURSE "${PREFIX}/lib/intonara")
endif()
