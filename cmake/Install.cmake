# What "make install" installs, under the prefix:
#   bin/intonara                     the tool
#   lib/intonara/intonara-filter.so  the plug-in module the tool loads
#   share/man/man1/intonara.1        the manual page, made from --help
#   bin/intonara-gui                 the desktop app, with
#   share/applications/intonara.desktop and
#   share/icons/hicolor/64x64/apps/intonara.png  its menu entry and icon
# and the LV2 bundle intonara.lv2 where LV2 hosts look (InstallLayout.cmake).
# The tool finds the module from its own place (../lib/intonara), so the
# installation can be moved as a whole.
include(${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake)

if(TARGET intonara)
  install(TARGETS intonara RUNTIME DESTINATION bin)
  install(TARGETS intonara_module LIBRARY DESTINATION lib/intonara)
  install(FILES ${INTONARA_MAN_PAGE} DESTINATION share/man/man1)
endif()

if(TARGET intonara-gui)
  install(TARGETS intonara-gui RUNTIME DESTINATION bin)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/intonara.desktop DESTINATION share/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/intonara.png DESTINATION share/icons/hicolor/64x64/apps)
endif()

if(TARGET intonara_lv2_bundle)
  # The bundle's folder is chosen from the prefix given at install time.
  install(CODE "
    include(\"${CMAKE_CURRENT_LIST_DIR}/InstallLayout.cmake\")
    intonara_lv2_install_dir(\"\${CMAKE_INSTALL_PREFIX}\" lv2_dir)
    file(INSTALL \"${INTONARA_LV2_BUNDLE_DIR}\" DESTINATION \"\${lv2_dir}\" USE_SOURCE_PERMISSIONS)
  ")
endif()
