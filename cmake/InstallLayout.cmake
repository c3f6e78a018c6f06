# Where "make install" puts the LV2 bundle, shared by the install rules and
# cmake/Uninstall.cmake so that both agree. LV2 hosts look in ~/.lv2,
# /usr/local/lib/lv2 and /usr/lib/lv2; the default prefix ~/.local is not
# among them, so a user install goes to ~/.lv2. $LV2_INSTALL_DIR overrides.
function(intonara_lv2_install_dir prefix out)
  if(DEFINED ENV{LV2_INSTALL_DIR} AND NOT "$ENV{LV2_INSTALL_DIR}" STREQUAL "")
    set(dir "$ENV{LV2_INSTALL_DIR}")
  elseif(DEFINED ENV{HOME} AND "${prefix}" STREQUAL "$ENV{HOME}/.local")
    set(dir "$ENV{HOME}/.lv2")
  else()
    set(dir "${prefix}/lib/lv2")
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# The installed files, relative to the prefix (the bundle apart).
set(INTONARA_INSTALLED_FILES
  bin/intonara
  lib/intonara/intonara-filter.so
  share/man/man1/intonara.1
  bin/intonara-gui
  share/applications/intonara.desktop
  share/icons/hicolor/64x64/apps/intonara.png)
